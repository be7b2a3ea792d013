#include "sensing/Browsers.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>
#include <utility>

#include "base/Log.h"
#include "base/Text.h"
#include "platform/KeyPoster.h"

namespace qb {

namespace {

// Desktop-file ids of the same programs as packaged for Linux (distribution packages, vendors'
// packages, Flatpak).
constexpr std::array<std::pair<std::string_view, BrowserKind>, 13> kLinuxIDs = {{
    {"firefox", BrowserKind::firefox},
    {"firefox-esr", BrowserKind::firefox},
    {"chromium", BrowserKind::chrome},
    {"chromium-browser", BrowserKind::chrome},
    {"org.chromium.Chromium", BrowserKind::chrome},
    {"google-chrome", BrowserKind::chrome},
    {"google-chrome-beta", BrowserKind::chrome},
    {"brave-browser", BrowserKind::chrome},
    {"com.brave.Browser", BrowserKind::chrome},
    {"microsoft-edge", BrowserKind::chrome},
    {"com.microsoft.Edge", BrowserKind::chrome},
    {"vivaldi-stable", BrowserKind::chrome},
    {"com.vivaldi.Vivaldi", BrowserKind::chrome},
}};

// The keys both browser families share: the address bar, and closing the front tab.
const KeyChord kFocusAddressBar{"l", true};
const KeyChord kCloseTab{"w", true};
// Deletes what the bar's inline completion selected after the typed address, so that Return
// opens exactly the address typed.
const KeyChord kDropCompletion{"Delete"};
const KeyChord kConfirm{"Return"};
const KeyChord kUndoEdit{"Escape"};

// Whether the kind has a build on this desktop that the accessibility bus reads.
bool isReadable(BrowserKind kind) { return !desktopFileIDs(kind).empty(); }

std::optional<Url> address(const AXElement& page) {
  if (!page) return std::nullopt;
  const std::optional<std::string> text = AX::string(page, AXAttribute::url);
  if (!text) return std::nullopt;
  return Url::parse(*text);
}

// Elements found inside windows, one per window, remembered so that the next look at the same
// window starts from them; the oldest is forgotten past kMaxRememberedWindows.
class WindowTable {
public:
  AXElement find(const AXElement& window) const {
    const auto known = std::find_if(entries_.begin(), entries_.end(),
                                    [&](const auto& entry) { return entry.first == window; });
    return known == entries_.end() ? AXElement() : known->second;
  }
  // Remembers `element` for the window; an empty one forgets the window.
  void remember(const AXElement& window, const AXElement& element) {
    std::erase_if(entries_, [&](const auto& entry) { return entry.first == window; });
    if (!element) return;
    if (entries_.size() >= Browsers::kMaxRememberedWindows) entries_.erase(entries_.begin());
    entries_.emplace_back(window, element);
  }

private:
  std::vector<std::pair<AXElement, AXElement>> entries_;  // newest last
};

bool isWebArea(const AXElement&, std::string_view role) { return role == AXRole::webArea; }

// The shown page that `holder` holds; empty when it holds none (the pages of hidden tabs are not
// among an element's children).
AXElement pageIn(const AXElement& holder) {
  for (const AXElement& child : AX::children(holder)) {
    if (AX::string(child, AXAttribute::role) == AXRole::webArea) return child;
  }
  return {};
}

// The shown page of a window. A window's page changes with each tab and each navigation, but the
// element that holds it stays (Chromium has one for all of a window's tabs, Firefox one per tab):
// that holder is remembered, and looked in first, which spares the search through the browser's
// furniture on all but the first read of a window.
AXElement webArea(const AXElement& window) {
  static WindowTable holders;
  if (const AXElement known = pageIn(holders.find(window))) return known;
  const AXElement area = AX::find(window, Browsers::kWindowSearchNodes, isWebArea);
  holders.remember(window, AX::element(area, AXAttribute::parent));
  return area;
}

bool isTextEntry(std::string_view role) {
  return role == AXRole::textField || role == AXRole::comboBox;
}

// Whether the bar holds the focus with all its text selected, so that what is typed next replaces
// it. Focus alone says nothing of the text: a bar the user clicked into holds the focus with its
// caret after the page's address, and a key of ours that the browser dropped leaves it so.
bool readyForTyping(const AXElement& bar) {
  if (!AX::flag(bar, AXAttribute::focused).value_or(false)) return false;
  const std::optional<std::string> text = AX::string(bar, AXAttribute::value);
  if (!text) return false;
  const std::optional<TextRange> selected = AX::range(bar, AXAttribute::selectedTextRange);
  return selected && selected->location == 0 &&
         selected->length == static_cast<int64_t>(text::scalarCount(*text));
}

// What the Chromium family puts between a tab's title and the notes it adds to the tab's name on
// the bus ("Report - Memory usage - 22.2 MB", "Report - Audio playing").
constexpr std::string_view kTabNoteSeparator = " - ";

// Schemes whose addresses name a person or a message with an "@" and no "//": "mailto:a@b.example"
// keeps its scheme where "name:secret@b.example" is a host with its credentials.
constexpr std::array<std::string_view, 5> kSchemesWithAt = {"mailto", "news", "sip", "sips",
                                                            "xmpp"};

// Text from the start made of a scheme and its colon ("about:", "mailto:"), as opposed to a host
// and its port ("localhost:3000"), which has only digits after the colon, or to a user and
// password before the host ("name:secret@example.com/a"), which a browser opens on the web.
bool hasScheme(std::string_view text) {
  const auto isAlpha = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
  const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
  const size_t colon = text.find(':');
  if (colon == 0 || colon == std::string_view::npos || !isAlpha(text[0])) return false;
  const std::string_view scheme = text.substr(0, colon);
  for (char c : scheme) {
    if (!isAlpha(c) && !isDigit(c) && c != '+' && c != '-' && c != '.') return false;
  }
  const std::string_view rest = text.substr(colon + 1);
  const size_t digits = rest.find_first_not_of("0123456789");
  const bool port = digits != 0 && (digits == std::string_view::npos || rest[digits] == '/' ||
                                    rest[digits] == '?' || rest[digits] == '#');
  const size_t at = rest.find('@');
  const bool credentials = at != std::string_view::npos && at < rest.find_first_of("/?#") &&
                           std::find(kSchemesWithAt.begin(), kSchemesWithAt.end(),
                                     text::lowercased(scheme)) == kSchemesWithAt.end();
  return !port && !credentials;
}

std::string_view trimBlanks(std::string_view text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// A redirect or a close that gives up says why: the user asked for that tab to go, and sees it
// still there.
void notRedirected(std::string_view why) {
  log::error("The browser's tab was not redirected: " + std::string(why));
}
void notClosed(std::string_view why) {
  log::error("The browser's tab was not closed: " + std::string(why));
}

// Why a tab is left alone when its page is not the one the user was asked about: a page of its own
// (the user went on), or none read at all (a page between two, or a browser slow to answer).
std::string notTheSamePage(const std::optional<Url>& shown) {
  return std::string("it no longer shows the same page: it shows ") +
         (shown ? "another page" : "no page that could be read");
}

std::string seconds(Duration duration) {
  char text[32];
  std::snprintf(text, sizeof text, "%g s", duration);
  return text;
}

// A wait for a window to take the focus. It keeps itself alive through the timers it schedules,
// and calls `then` exactly once.
class FocusWait : public std::enable_shared_from_this<FocusWait> {
public:
  FocusWait(Timers& timers, AXElement window, std::function<void(bool)> then)
      : timers_(timers), window_(std::move(window)), then_(std::move(then)) {}

  void look() {
    if (Browsers::holdsFocus(window_)) return then_(true);
    if (waited_ >= Browsers::kFocusWait) return then_(false);
    waited_ += Browsers::kFocusInterval;
    timers_.schedule(Browsers::kFocusInterval, [self = shared_from_this()] { self->look(); });
  }

private:
  Timers& timers_;
  const AXElement window_;
  const std::function<void(bool)> then_;
  Duration waited_ = 0;
};

// A redirect, from the key that gives the address bar the focus on. It keeps itself alive through
// the timers it schedules, and calls `done` exactly once.
class RedirectSteps : public std::enable_shared_from_this<RedirectSteps> {
public:
  // `tab` holds the page that is steered, and is where its arrival is looked for; empty looks at
  // the window's shown page.
  RedirectSteps(KeyPoster& keys, Timers& timers, Url expected, Url to, pid_t pid, AXElement window,
                AXElement bar, AXElement tab, std::function<void(bool)> done)
      : keys_(keys),
        timers_(timers),
        expected_(std::move(expected)),
        to_(std::move(to)),
        address_(to_.absoluteString()),
        pid_(pid),
        window_(std::move(window)),
        bar_(std::move(bar)),
        tab_(std::move(tab)),
        done_(std::move(done)) {}

  // One try: the bar is given the focus, which selects all it holds.
  void focusBar() {
    ++tries_;
    if (!keys_.post(pid_, kFocusAddressBar)) {
      return giveUp("the key that gives its address bar the focus could not be posted");
    }
    waited_ = 0;
    waitForBar();
  }

private:
  void waitForBar() {
    if (readyForTyping(bar_)) return typeAddress();
    barFocused_ = barFocused_ || AX::flag(bar_, AXAttribute::focused).value_or(false);
    if (waited_ >= Browsers::kBarFocusWait) {
      if (tries_ < Browsers::kTypingTries) return focusBar();
      return giveUp(std::string(barFocused_ ? "its address bar took the focus but did not select "
                                              "what it held"
                                            : "its address bar did not take the focus") +
                    " within " + seconds(Browsers::kBarFocusWait) + ", in " + tries() +
                    "; nothing was sent");
    }
    waited_ += Browsers::kPollInterval;
    timers_.schedule(Browsers::kPollInterval, [self = shared_from_this()] { self->waitForBar(); });
  }

  void typeAddress() {
    // The user may have switched windows meanwhile: the focus is checked again before each key.
    using Browsers::holdsFocus;
    if (!(holdsFocus(window_) && keys_.type(pid_, address_))) return giveUp(kNotTyped);
    typed_ = true;
    if (!(holdsFocus(window_) && keys_.post(pid_, kDropCompletion))) return giveUp(kNotTyped);
    waited_ = 0;
    waitForTyped();
  }

  // Return sends whatever the bar holds: it is pressed only once the bar holds the address and
  // nothing else.
  void waitForTyped() {
    if (AX::string(bar_, AXAttribute::value) == address_) return send();
    if (waited_ >= Browsers::kTypedWait) {
      if (tries_ < Browsers::kTypingTries) return focusBar();
      return giveUp("its address bar did not hold the address alone after it was typed, in " +
                    tries() + "; nothing was sent");
    }
    waited_ += Browsers::kPollInterval;
    timers_.schedule(Browsers::kPollInterval,
                     [self = shared_from_this()] { self->waitForTyped(); });
  }

  // Return in a page follows its focused link or submits its form: it goes to the bar alone.
  void send() {
    if (!AX::flag(bar_, AXAttribute::focused).value_or(false)) {
      return giveUp("its address bar lost the focus before the address was sent; nothing was sent");
    }
    if (!(Browsers::holdsFocus(window_) && keys_.post(pid_, kConfirm))) return giveUp(kNotTyped);
    timers_.schedule(Browsers::kRedirectWait, [self = shared_from_this()] { self->check(); });
  }

  // The bar shows what was sent whether Return arrived or not: only the page tells. A browser on a
  // busy machine or a slow page can still show the old page, or none between the two, when first
  // looked at; the page is looked at again until it is on the host or the wait is over. Only the
  // steered tab counts: the work page is often open in another tab of the same window.
  void check() {
    const std::optional<std::string>& host = to_.host();
    if (!host || host->empty()) {
      notRedirected("the address it was sent to names no host, so its arrival cannot be seen");
      return finish(false);
    }
    const std::optional<Url> shown = address(tab_ ? pageIn(tab_) : webArea(window_));
    if (shown && shown->host() && text::lowercased(*shown->host()) == text::lowercased(*host)) {
      return finish(true);
    }
    if (looked_ >= Browsers::kArrivalWait) {
      notRedirected("it did not show the page's site within " +
                    seconds(Browsers::kRedirectWait + Browsers::kArrivalWait) +
                    " of the address being sent");
      return finish(false);
    }
    looked_ += Browsers::kArrivalInterval;
    timers_.schedule(Browsers::kArrivalInterval, [self = shared_from_this()] { self->check(); });
  }

  // Nothing was sent. A bar left holding what was typed would show it to the user, and send it
  // with their next Return: it is put back first, while it still holds the focus.
  void giveUp(std::string_view why) {
    if (!typed_) {
      notRedirected(why);
      return finish(false);
    }
    why_ = why;
    undoPresses_ = 0;
    undoEdit();
  }

  void undoEdit() {
    if (undoPresses_ >= Browsers::kPutBackKeys ||
        !AX::flag(bar_, AXAttribute::focused).value_or(false) || !Browsers::holdsFocus(window_) ||
        !keys_.post(pid_, kUndoEdit)) {
      notRedirected(why_ + ", and its address bar could not be put back");
      return finish(false);
    }
    ++undoPresses_;
    waited_ = 0;
    waitForUndo();
  }

  void waitForUndo() {
    if (Browsers::showsAddress(AX::string(bar_, AXAttribute::value), expected_)) {
      notRedirected(why_ + ", and its address bar shows the page's address again");
      return finish(false);
    }
    if (waited_ >= Browsers::kBarFocusWait) return undoEdit();
    waited_ += Browsers::kPollInterval;
    timers_.schedule(Browsers::kPollInterval, [self = shared_from_this()] { self->waitForUndo(); });
  }

  std::string tries() const { return std::to_string(tries_) + (tries_ == 1 ? " try" : " tries"); }

  void finish(bool reached) {
    if (done_) std::exchange(done_, nullptr)(reached);
  }

  static constexpr std::string_view kNotTyped =
      "the address could not be typed whole into its address bar (the window lost the focus, or "
      "the address holds a character no key types); it was not sent";

  KeyPoster& keys_;
  Timers& timers_;
  const Url expected_;
  const Url to_;
  const std::string address_;  // what is typed: to_ whole
  const pid_t pid_;
  const AXElement window_;
  const AXElement bar_;
  const AXElement tab_;
  std::function<void(bool)> done_;
  int tries_ = 0;
  bool barFocused_ = false;  // in any try
  bool typed_ = false;       // in any try: the bar may hold some of it
  std::string why_;          // of a give-up whose bar is being put back
  int undoPresses_ = 0;
  Duration waited_ = 0;  // for the bar, in the step under way
  Duration looked_ = 0;  // at the page, after the first look
};

}  // namespace

std::string_view rawValue(BrowserKind kind) {
  switch (kind) {
    case BrowserKind::safari:
      return "com.apple.Safari";
    case BrowserKind::chrome:
      return "com.google.Chrome";
    case BrowserKind::firefox:
      return "org.mozilla.firefox";
  }
  return {};
}

std::string_view displayName(BrowserKind kind) {
  switch (kind) {
    case BrowserKind::safari:
      return "Safari";
    case BrowserKind::chrome:
      return "Chrome";
    case BrowserKind::firefox:
      return "Firefox";
  }
  return "";
}

std::optional<BrowserKind> parseBrowserKind(std::string_view text) {
  for (BrowserKind kind : kAllBrowserKinds) {
    if (rawValue(kind) == text) return kind;
  }
  for (const auto& [id, kind] : kLinuxIDs) {
    if (id == text) return kind;
  }
  return std::nullopt;
}

std::vector<std::string_view> desktopFileIDs(BrowserKind kind) {
  std::vector<std::string_view> ids;
  for (const auto& [id, idKind] : kLinuxIDs) {
    if (idKind == kind) ids.push_back(id);
  }
  return ids;
}

namespace Browsers {

std::map<BrowserKind, Access>& automation() {
  static std::map<BrowserKind, Access> table;
  return table;
}

// Keys go to whichever window has the focus: the target window must be it, not merely another
// window of the same browser.
bool holdsFocus(const AXElement& window) {
  return AX::flag(window, AXAttribute::focused).value_or(false);
}

void whenFocused(Timers& timers, const AXElement& window, std::function<void(bool focused)> then) {
  std::make_shared<FocusWait>(timers, window, std::move(then))->look();
}

std::optional<TabInfo> read(BrowserKind kind, pid_t, const AXElement& window) {
  if (!isReadable(kind) || !window) return std::nullopt;
  const AXElement area = webArea(window);
  if (!area) return std::nullopt;
  return TabInfo{AX::string(area, AXAttribute::title).value_or(""), address(area),
                 TabRef{kind, 0, 0}};
}

void redirect(KeyPoster& keys, Timers& timers, const TabRef& tab, const Url& expected,
              const Url& to, pid_t pid, const AXElement& window,
              std::function<void(bool reached)> done) {
  const auto fail = [&done](std::string_view why) {
    notRedirected(why);
    if (done) done(false);
  };
  if (!isReadable(tab.browser) || !window) return fail("the browser's window cannot be read");
  const AXElement bar = addressBar(window);
  if (!bar) return fail("no address bar was found in its window");
  const AXElement area = webArea(window);
  if (const std::optional<Url> shown = address(area); shown != expected) {
    return fail(notTheSamePage(shown));
  }
  if (!holdsFocus(window)) return fail("its window does not hold the focus");
  std::make_shared<RedirectSteps>(keys, timers, expected, to, pid, window, bar,
                                  AX::element(area, AXAttribute::parent), std::move(done))
      ->focusBar();
}

bool showsAddress(const std::optional<std::string>& text, const Url& address) {
  if (!text) return false;
  // What the browsers leave out of a page's address, in the order it is written.
  const auto shortened = [](std::string_view whole) {
    if (const size_t scheme = whole.find("://"); scheme != std::string_view::npos) {
      whole.remove_prefix(scheme + 3);
    }
    if (whole.starts_with("www.")) whole.remove_prefix(4);
    if (whole.ends_with('/') && whole.find('/') == whole.size() - 1) whole.remove_suffix(1);
    return whole;
  };
  const std::string whole = address.absoluteString();
  return *text == whole || shortened(*text) == shortened(whole);
}

bool closeTab(KeyPoster& keys, const TabRef& tab, const Url& url, pid_t pid,
              const AXElement& window) {
  const auto fail = [](std::string_view why) {
    notClosed(why);
    return false;
  };
  if (!isReadable(tab.browser) || !window) return fail("the browser's window cannot be read");
  const AXElement area = webArea(window);
  if (const std::optional<Url> shown = address(area); shown != url) {
    return fail(notTheSamePage(shown));
  }
  if (!holdsFocus(window)) return fail("its window does not hold the focus");
  const std::optional<std::string> title = AX::string(window, AXAttribute::title);
  if (!keys.post(pid, kCloseTab)) return fail("the key that closes it could not be posted");
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::duration<Duration>(kCloseWait);
  const auto interval = std::chrono::duration<Duration>(kPollInterval);
  while (Clock::now() < deadline) {
    // The closed tab's page goes with it; a title that changes means another tab is in front.
    if (AX::string(window, AXAttribute::title) != title || address(area) != url) return true;
    std::this_thread::sleep_for(interval);
  }
  return fail("it was still in front " + seconds(kCloseWait) + " after the key that closes it");
}

bool select(const AXElement& tab, const AXElement& window) {
  if (!tab || !window || !tab.node()->perform(AXAction::press)) return false;
  return window.node()->perform(AXAction::raise);
}

// Found once per window and kept while it still answers; a search that finds nothing forgets the
// window.
AXElement addressBar(const AXElement& window) {
  static WindowTable bars;
  if (const AXElement known = bars.find(window); AX::string(known, AXAttribute::role)) {
    return known;
  }
  AXElement bar;
  (void)AX::find(
      window, kWindowSearchNodes, [&bar](const AXElement& element, std::string_view role) {
        if (role != AXRole::toolbar) return false;
        bar = AX::find(element, kToolbarSearchNodes,
                       [](const AXElement&, std::string_view inner) { return isTextEntry(inner); });
        return static_cast<bool>(bar);
      });
  bars.remember(window, bar);
  return bar;
}

AXElement page(const AXElement& window) {
  const AXElement area = webArea(window);
  if (!area) return {};
  const AXElement parent = AX::element(area, AXAttribute::parent);
  if (parent && AX::string(parent, AXAttribute::role) == AXRole::scrollArea) return parent;
  return area;
}

AX::Predicate firefoxTab(std::string title) {
  return [title = std::move(title)](const AXElement& element, std::string_view role) {
    if (role != AXRole::radioButton) return false;
    const std::optional<std::string> name = AX::string(element, AXAttribute::title);
    if (!name || !name->starts_with(title)) return false;
    const std::string_view rest = std::string_view(*name).substr(title.size());
    return rest.empty() || rest.starts_with(kTabNoteSeparator);
  };
}

AXElement workTab(const AXElement& window, const std::string& title) {
  const AXElement exact = AX::find(
      window, kWindowSearchNodes, [&title](const AXElement& element, std::string_view role) {
        return role == AXRole::radioButton && AX::string(element, AXAttribute::title) == title;
      });
  return exact ? exact : AX::find(window, kWindowSearchNodes, firefoxTab(title));
}

std::optional<Url> parseAddress(std::optional<std::string_view> text) {
  if (!text) return std::nullopt;
  const std::string_view trimmed = trimBlanks(*text);
  if (trimmed.empty() || trimmed.find(' ') != std::string_view::npos) return std::nullopt;
  if (trimmed.find_first_of(".:") == std::string_view::npos) return std::nullopt;
  if (trimmed.find("://") != std::string_view::npos || hasScheme(trimmed)) {
    return Url::parse(trimmed);
  }
  return Url::parse("https://" + std::string(trimmed));
}

}  // namespace Browsers

}  // namespace qb
