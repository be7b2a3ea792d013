// Firefox and Chromium on pages served from this machine: what the observer reads of the front
// tab, a tab closed and a tab pointed back at the work page, also once the prompt over it is
// answered by Ctrl+W, and a window that does not hold the focus left alone. Each browser ends with
// every process it started, and its profile goes.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "base/WallClock.h"
#include "desktop/browser/BrowserPrograms.h"
#include "desktop/browser/LoopbackServer.h"
#include "desktop/x11/X11TestSupport.h"
#include "platform/Accessibility.h"
#include "platform/KeyPoster.h"
#include "platform/QtRuntime.h"
#include "platform/Workspace.h"
#include "platform/linux/LinuxPlatform.h"
#include "prompt/Overlay.h"
#include "sensing/AX.h"
#include "sensing/Browsers.h"
#include "sensing/Observer.h"
#include "sensing/ScreenText.h"
#include "support/ManualRuntime.h"

namespace qb {
namespace {

// A browser shows its first page within test::kStartLimit, and a page asked for, or the effect of
// a key, within test::kDesktopLimit.
// How long the address bar may take to take the focus and to show what was typed, and how often
// the test types again what did not arrive whole.
constexpr int kTypingMs = 5000;
constexpr int kTypingAttempts = 2;
// How often the test asks the observer for a read, as the program's own tick does: a change that
// no notification reports (a page whose tree arrives after the window's title changed) is read
// then.
constexpr int kFallbackReadMs = 2000;
// How long a call on the accessibility bus waits for the browser's answer: a browser on a loaded
// machine takes seconds, and a call that gives up reads as no page or no tab.
constexpr Duration kBusAnswerSeconds = 10;
// Budgets of a read of a page's text, larger than a test page needs.
constexpr int kPageCharacters = 1000;
constexpr int kPageNodes = 200;
constexpr Duration kPageSeconds = 5;

// The running processes that keep their temporary files in `folder`: what is left of a browser
// that test::BrowserProcess started there (each of its processes inherits that setting).
std::vector<pid_t> processesKeepingTemporaryFilesIn(const QString& folder) {
  const std::string setting = "TMPDIR=" + folder.toStdString();
  std::vector<pid_t> found;
  for (const QString& entry : QDir("/proc").entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
    bool number = false;
    const pid_t pid = static_cast<pid_t>(entry.toInt(&number));
    if (!number) continue;
    std::ifstream environment("/proc/" + entry.toStdString() + "/environ", std::ios::binary);
    for (std::string variable; std::getline(environment, variable, '\0');) {
      if (variable.starts_with(setting)) found.push_back(pid);
    }
  }
  return found;
}

// The program's keys, but for those `lost` turns away: they leave the program and never reach the
// browser, as a key of ours that the browser dropped. `beforeTyping` runs before each text typed.
class LosingKeys : public KeyPoster {
public:
  LosingKeys(KeyPoster& keys, std::function<bool(const KeyChord&)> lost,
             std::function<void(pid_t)> beforeTyping = nullptr)
      : keys_(keys), lost_(std::move(lost)), beforeTyping_(std::move(beforeTyping)) {}
  bool post(pid_t pid, const KeyChord& chord) override {
    return lost_(chord) || keys_.post(pid, chord);
  }
  bool type(pid_t pid, std::string_view text) override {
    if (beforeTyping_) beforeTyping_(pid);
    return keys_.type(pid, text);
  }

private:
  KeyPoster& keys_;
  const std::function<bool(const KeyChord&)> lost_;
  const std::function<void(pid_t)> beforeTyping_;
};

class BrowserDesktopTest : public testing::TestWithParam<test::BrowserProgram> {
protected:
  void SetUp() override {
    ASSERT_NE(server.port(), 0) << "no loopback server";
    ASSERT_FALSE(QStandardPaths::findExecutable(GetParam().program).isEmpty())
        << GetParam().program << " is not installed (scripts/setup installs it)";
    platform = LinuxPlatform::open();
    ASSERT_TRUE(platform) << "no X display";
    platform->accessibility().setMessagingTimeout(kBusAnswerSeconds);
    observer = std::make_unique<Observer>(platform->workspace(), platform->accessibility(), timers,
                                          MonotonicClock::steady(), WallClock::system());
    observer->onChange = [this](std::optional<Snapshot> snapshot) {
      if (snapshot) snapshots.push_back(std::move(*snapshot));
    };
  }
  void TearDown() override {
    fallbackReads.stop();
    observer.reset();
    if (!browser) return;
    const QString profile = browser->profile();
    ASSERT_THAT(processesKeepingTemporaryFilesIn(profile), testing::Not(testing::IsEmpty()))
        << "the browser's processes are told by where they keep temporary files";
    EXPECT_TRUE(browser->stop());
    EXPECT_THAT(processesKeepingTemporaryFilesIn(profile), testing::IsEmpty())
        << "every process of the browser ends";
    browser.reset();
    EXPECT_FALSE(QFileInfo::exists(profile)) << "the browser's profile goes with it";
  }

  // Starts the observer, and the reads the program's tick would ask of it.
  void startObserving() {
    observer->start();
    fallbackReads.callOnTimeout([this] { observer->scheduleRead(0, ObserverCause::tick); });
    fallbackReads.start(kFallbackReadMs);
  }

  void launch(const std::string& url) {
    browser = std::make_unique<test::BrowserProcess>(GetParam());
    ASSERT_TRUE(browser->start({QString::fromStdString(url)}))
        << browser->errorString().toStdString();
  }

  // The first snapshot from index `from` on that shows `url` under the page's own title; fails
  // the test when none comes. A browser on a loaded machine publishes a page's address before its
  // title, and is read meanwhile under its window's bare name, as the page is seen then.
  std::optional<Snapshot> waitForPage(const std::string& url, size_t from,
                                      int limitMs = test::kDesktopLimitMs) {
    const std::string title = pageTitles.at(Url::parse(url)->path());
    std::optional<Snapshot> found;
    (void)QTest::qWaitFor(
        [&] {
          for (size_t i = from; i < snapshots.size() && !found; ++i) {
            const auto& shown = snapshots[i].observation;
            if (shown.url && shown.url->absoluteString() == url && shown.title == title) {
              found = snapshots[i];
            }
          }
          return found.has_value();
        },
        limitMs);
    if (!found) {
      // Whether the browser or the observer missed the page: what each was last seen to show.
      std::string seen;
      for (size_t i = from; i < snapshots.size(); ++i) {
        seen += "\n  observed: " + snapshots[i].observation.key();
      }
      if (!snapshots.empty()) {
        const auto tab = frontTab(snapshots.back());
        seen += "\n  front tab now: " +
                (tab ? tab->title + " | " + (tab->url ? tab->url->absoluteString() : "no address")
                     : std::string("unread"));
      }
      ADD_FAILURE() << "never shown: \"" << title << "\" at " << url << seen;
    }
    return found;
  }

  // What the front tab of the window that showed `shown` shows now, for a failure to say.
  std::string seen(const Snapshot& shown) {
    const std::optional<TabInfo> tab = frontTab(shown);
    if (!tab) return "its window shows no page";
    return "its window shows \"" + tab->title + "\" at " +
           (tab->url ? tab->url->absoluteString() : std::string("no address"));
  }
  // What the browser's tab operations logged since line `from`: why a redirect or close gave up.
  std::string said(size_t from) const {
    const std::vector<std::string> lines = log.lines();
    std::string found;
    for (size_t i = from; i < lines.size(); ++i) {
      if (lines[i].starts_with("The browser's tab"))
        found += (found.empty() ? "" : " / ") + lines[i];
    }
    return found.empty() ? "nothing logged" : found;
  }

  // The front tab now, read the way the observer reads it.
  std::optional<TabInfo> frontTab(const Snapshot& shown) {
    return Browsers::read(GetParam().kind, shown.target.pid, shown.target.window);
  }

  // Types an address into the address bar of `window`, the front one, as a user would: one who
  // waits for the bar to take the focus, and looks at it before pressing Return. On a loaded
  // machine a browser has taken the first keys typed after Ctrl+L before its bar had the focus.
  std::optional<Snapshot> go(const AXElement& window, const std::string& url) {
    const size_t from = snapshots.size();
    const AXElement bar = Browsers::addressBar(window);
    std::optional<std::string> typed;
    for (int attempt = 0; attempt < kTypingAttempts && typed != url; ++attempt) {
      test::run("xdotool", {"key", "--clearmodifiers", "ctrl+l"});
      (void)QTest::qWaitFor([&] { return AX::flag(bar, AXAttribute::focused).value_or(false); },
                            kTypingMs);
      test::run("xdotool", {"type", "--delay", "20", QString::fromStdString(url)});
      test::run("xdotool", {"key", "Delete"});
      (void)QTest::qWaitFor([&] { return (typed = AX::string(bar, AXAttribute::value)) == url; },
                            kTypingMs);
    }
    if (typed != url) {
      ADD_FAILURE() << "the address bar holds " << typed.value_or("nothing read") << ", not "
                    << url;
      return std::nullopt;
    }
    test::run("xdotool", {"key", "Return"});
    return waitForPage(url, from);
  }

  // Opens a new tab in the window that shows `shown`, and types `url` into it.
  std::optional<Snapshot> goInNewTab(const Snapshot& shown, const std::string& url) {
    test::run("xdotool", {"key", "--clearmodifiers", "ctrl+t"});
    const bool opened = QTest::qWaitFor(
        [&] {
          const auto tab = frontTab(shown);
          return tab && tab->url && tab->url != shown.observation.url;
        },
        test::kDesktopLimitMs);
    if (!opened) {
      ADD_FAILURE() << "no new tab";
      return std::nullopt;
    }
    return go(shown.target.window, url);
  }

  int pageTabs(const AXElement& window) {
    int count = 0;
    (void)AX::find(window, Browsers::kWindowSearchNodes,
                   [&count](const AXElement&, std::string_view role) {
                     count += role == AXRole::radioButton;
                     return false;
                   });
    return count;
  }

  // Redirects and waits for the answer.
  std::optional<bool> redirect(const Snapshot& shown, const std::string& expected,
                               const std::string& to) {
    std::optional<bool> answer;
    Browsers::redirect(platform->keys(), timers, *shown.target.tab, *Url::parse(expected),
                       *Url::parse(to), shown.target.pid, shown.target.window,
                       [&answer](bool reached) { answer = reached; });
    (void)QTest::qWaitFor([&] { return answer.has_value(); }, test::kDesktopLimitMs);
    return answer;
  }

  const std::map<std::string, std::string> pageTitles = {
      {"/work", "Work Page"}, {"/fun", "Fun Page"}, {"/feed", "Feed Page"}};
  test::LoopbackServer server{{{"/work", test::LoopbackServer::page(pageTitles.at("/work"))},
                               {"/fun", test::LoopbackServer::page(pageTitles.at("/fun"))},
                               {"/feed", test::LoopbackServer::page(pageTitles.at("/feed"))}}};
  const std::string workURL = server.url("/work");
  const std::string funURL = server.url("/fun");
  const std::string feedURL = server.url("/feed");
  QtTimers timers;
  QTimer fallbackReads;
  std::unique_ptr<LinuxPlatform> platform;
  std::unique_ptr<Observer> observer;
  std::vector<Snapshot> snapshots;
  std::unique_ptr<test::BrowserProcess> browser;
  test::Programs programs;
  test::LogCapture log;
};

TEST_P(BrowserDesktopTest, ReadsClosesAndRedirectsTheFrontTab) {
  const auto terminal = programs.terminal("Elsewhere");
  launch(workURL);
  startObserving();
  const std::optional<Snapshot> work = waitForPage(workURL, 0, test::kStartLimitMs);
  ASSERT_TRUE(work);
  EXPECT_EQ(parseBrowserKind(work->observation.bundleID), GetParam().kind);
  EXPECT_EQ(work->target.tab, (TabRef{GetParam().kind, 0, 0}));
  EXPECT_TRUE(Browsers::page(work->target.window));

  // A second tab, where Chromium's address bar shows no scheme: the address is the page's.
  const std::optional<Snapshot> fun = goInNewTab(*work, funURL);
  ASSERT_TRUE(fun);
  ASSERT_EQ(pageTabs(fun->target.window), 2);
  // The text read is the shown tab's, not the hidden one's nor the browser's furniture.
  const ScreenText::Summary text =
      ScreenText::summary(platform->accessibility(), fun->target.pid, fun->target.window, 0,
                          kPageCharacters, kPageNodes, kPageSeconds, MonotonicClock::steady());
  // The page's own name comes last: it was met first, as the page's title, before its heading.
  EXPECT_EQ(text.page, "Some words on the page. · Fun Page");

  // Neither closes nor types while another program holds the focus.
  const std::string browserWindow = test::run("xdotool", {"getactivewindow"});
  test::activate(terminal.id);
  EXPECT_FALSE(Browsers::closeTab(platform->keys(), *fun->target.tab, *fun->observation.url,
                                  fun->target.pid, fun->target.window));
  EXPECT_EQ(redirect(*fun, funURL, workURL), false);
  EXPECT_EQ(pageTabs(fun->target.window), 2);
  EXPECT_EQ(platform->workspace().frontmostApplication()->pid, terminal.pid);

  const size_t beforeClose = snapshots.size();
  test::activate(std::stoul(browserWindow));
  EXPECT_TRUE(Browsers::closeTab(platform->keys(), *fun->target.tab, *fun->observation.url,
                                 fun->target.pid, fun->target.window));
  EXPECT_TRUE(waitForPage(workURL, beforeClose));
  // Chromium takes the closed tab out of its strip once an animation is over.
  EXPECT_TRUE(
      QTest::qWaitFor([&] { return pageTabs(fun->target.window) == 1; }, test::kDesktopLimitMs))
      << "only the front tab closed";

  const std::optional<Snapshot> again = go(fun->target.window, funURL);
  ASSERT_TRUE(again);
  EXPECT_EQ(redirect(*again, workURL, workURL), false) << "the tab no longer shows that page";
  EXPECT_EQ(frontTab(*again)->url->absoluteString(), funURL);
  const size_t beforeRedirect = snapshots.size();
  EXPECT_EQ(redirect(*again, funURL, workURL), true);
  EXPECT_TRUE(waitForPage(workURL, beforeRedirect));
  EXPECT_EQ(pageTabs(again->target.window), 1);
}

// The prompt over the tab answered by Ctrl+W, as people let the keys go: Ctrl first, together with
// W, or last. The answer is Back to work, and the tab is then pointed at the work page as the
// program points a tab of the work's own browser, each time; once more, Ctrl first, it is closed.
// While W was down the prompt had the keyboard, and the browser never saw Ctrl go up: it must
// still take the keys sent to it.
TEST_P(BrowserDesktopTest, TheTabGoesOnceThePromptIsAnsweredByCtrlWLetGoInAnyOrder) {
  launch(workURL);
  startObserving();
  const std::optional<Snapshot> work = waitForPage(workURL, 0, test::kStartLimitMs);
  ASSERT_TRUE(work);
  std::optional<Snapshot> fun = goInNewTab(*work, funURL);
  ASSERT_TRUE(fun);
  Overlay overlay(platform->workspace(), platform->accessibility(), platform->keyGrab(), timers);
  // Shows the prompt over the front tab, lets the keys go in that order, and, at Back to work,
  // has `act` steer the tab once the window holds the focus; empty when it did, else what was
  // seen instead.
  const auto answered = [&](const Snapshot& shown, const QStringList& order, auto act) {
    const size_t linesBefore = log.lines().size();
    std::optional<bool> acted;
    overlay.show(PromptContent{"the report", "You have been away from it for 12 minutes.", 5,
                               std::nullopt, std::nullopt},
                 shown.target, [&](PromptAction action) {
                   if (action != PromptAction::back) {
                     acted = false;
                     return;
                   }
                   Browsers::whenFocused(timers, shown.target.window, [&](bool focused) {
                     if (!focused) {
                       acted = false;
                       return;
                     }
                     act(shown, [&](bool done) { acted = done; });
                   });
                 });
    test::run("xdotool", order);
    (void)QTest::qWaitFor([&] { return acted.has_value(); }, test::kDesktopLimitMs);
    EXPECT_FALSE(overlay.panel()) << "the prompt is still up";
    if (acted == true) return std::string();
    return std::string(acted ? "the tab was not steered" : "no answer came") + "; " +
           said(linesBefore) + "; " + seen(shown);
  };
  const auto redirect = [&](const Snapshot& shown, std::function<void(bool)> done) {
    Browsers::redirect(platform->keys(), timers, *shown.target.tab, *shown.observation.url,
                       *Url::parse(workURL), shown.target.pid, shown.target.window,
                       std::move(done));
  };
  const QStringList ctrlFirst = {"keydown", "ctrl", "keydown", "w", "keyup", "ctrl", "keyup", "w"};
  const std::vector<std::pair<const char*, QStringList>> orders = {
      {"Ctrl up first", ctrlFirst},
      {"together", {"keydown", "ctrl", "w", "keyup", "ctrl", "w"}},
      {"Ctrl up last", {"keydown", "ctrl", "keydown", "w", "keyup", "w", "keyup", "ctrl"}},
  };
  for (const auto& [name, order] : orders) {
    SCOPED_TRACE(name);
    ASSERT_TRUE(fun);
    const size_t before = snapshots.size();
    EXPECT_EQ(answered(*fun, order, redirect), "");
    EXPECT_TRUE(waitForPage(workURL, before));
    fun = go(fun->target.window, funURL);
  }
  ASSERT_TRUE(fun);
  EXPECT_EQ(answered(*fun, ctrlFirst,
                     [&](const Snapshot& shown, std::function<void(bool)> done) {
                       done(Browsers::closeTab(platform->keys(), *shown.target.tab,
                                               *shown.observation.url, shown.target.pid,
                                               shown.target.window));
                     }),
            "");
  EXPECT_TRUE(
      QTest::qWaitFor([&] { return pageTabs(fun->target.window) == 1; }, test::kDesktopLimitMs))
      << "only the front tab closed";
}

// Back to work while the address bar holds the focus with its caret after the page's address, as
// after a click into it: the bar must hold the work address alone before Return, or nothing is
// sent and the bar is put back. The distraction is on another host, and the work page stays open
// in the window's first tab, as users keep it: only the steered tab tells where the redirect went.
TEST_P(BrowserDesktopTest, BackToWorkSendsTheWorkAddressAloneWhateverTheAddressBarHeld) {
  launch(workURL);
  startObserving();
  const std::optional<Snapshot> work = waitForPage(workURL, 0, test::kStartLimitMs);
  ASSERT_TRUE(work);
  const std::string elsewhereURL = server.url("/fun", "localhost");
  std::optional<Snapshot> fun = goInNewTab(*work, elsewhereURL);
  ASSERT_TRUE(fun);
  const AXElement window = fun->target.window;
  const AXElement bar = Browsers::addressBar(window);
  const KeyChord selectBar{"l", true};
  struct Case {
    const char* name;
    int selectionsLost;         // the first keys that select the bar's text, lost
    bool unselectBeforeTyping;  // what the bar holds unselected again just before each typing
    bool arrives;
  };
  const std::vector<Case> cases = {
      {"the first key that selects the bar is lost", 1, false, true},
      {"the bar's text is unselected again before each typing", 0, true, false},
  };
  for (const Case& tried : cases) {
    SCOPED_TRACE(tried.name);
    ASSERT_TRUE(fun);
    test::run("xdotool", {"key", "--clearmodifiers", "ctrl+l"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return AX::flag(bar, AXAttribute::focused).value_or(false); },
                                test::kDesktopLimitMs));
    test::run("xdotool", {"key", "End"});
    int selections = 0;
    LosingKeys keys(
        platform->keys(),
        [&](const KeyChord& chord) {
          return chord == selectBar && selections++ < tried.selectionsLost;
        },
        [&](pid_t pid) {
          if (tried.unselectBeforeTyping) (void)platform->keys().post(pid, KeyChord{"End"});
        });
    const size_t snapshotsBefore = snapshots.size();
    const size_t requestsBefore = server.requested().size();
    const size_t linesBefore = log.lines().size();
    std::optional<bool> answer;
    Browsers::redirect(keys, timers, *fun->target.tab, *Url::parse(elsewhereURL),
                       *Url::parse(workURL), fun->target.pid, window,
                       [&answer](bool reached) { answer = reached; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return answer.has_value(); }, test::kDesktopLimitMs));
    const std::string expected = tried.arrives ? workURL : elsewhereURL;
    std::optional<TabInfo> shown;
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
          shown = frontTab(*fun);
          return shown && shown->url && shown->url->absoluteString() == expected;
        },
        test::kDesktopLimitMs))
        << "the tab shows " << (shown && shown->url ? shown->url->absoluteString() : "nothing");
    EXPECT_EQ(*answer, tried.arrives);
    std::vector<std::string> requests = server.requested();
    requests.erase(requests.begin(), requests.begin() + static_cast<ptrdiff_t>(requestsBefore));
    std::erase(requests, "/favicon.ico");
    EXPECT_EQ(requests,
              tried.arrives ? std::vector<std::string>{"/work"} : std::vector<std::string>{});
    std::vector<std::string> lines = log.lines();
    lines.erase(lines.begin(), lines.begin() + static_cast<ptrdiff_t>(linesBefore));
    std::erase_if(lines,
                  [](const std::string& line) { return !line.starts_with("The browser's tab"); });
    if (tried.arrives) {
      EXPECT_EQ(lines, std::vector<std::string>{});
      // Seen there before it goes back: a page read again unchanged is not told again.
      EXPECT_TRUE(waitForPage(workURL, snapshotsBefore));
      fun = go(window, elsewhereURL);
      continue;
    }
    EXPECT_EQ(lines, std::vector<std::string>{
                         "The browser's tab was not redirected: its address bar did not hold the "
                         "address alone after it was typed, in 3 tries; nothing was sent, and its "
                         "address bar shows the page's address again"});
    const std::string held = AX::string(bar, AXAttribute::value).value_or("nothing read");
    EXPECT_TRUE(held.ends_with(elsewhereURL.substr(elsewhereURL.find("localhost"))) &&
                held.find("/work") == std::string::npos)
        << "the bar holds " << held;
  }
}

// Going back to a tab of a browser that is not in front: the tab chosen among its window's tabs by
// its page's title, and its window brought forward, from a terminal and from a browser of the
// other family in front. Each family names its tabs' action its own way.
using BackToTabDesktopTest = BrowserDesktopTest;

TEST_P(BackToTabDesktopTest, SelectsTheWorkTabAndBringsItsWindowForward) {
  const auto terminal = programs.terminal("Elsewhere");
  launch(workURL);
  startObserving();
  const std::optional<Snapshot> work = waitForPage(workURL, 0, test::kStartLimitMs);
  ASSERT_TRUE(work);
  const WindowId workWindow = std::stoul(test::run("xdotool", {"getactivewindow"}));
  ASSERT_TRUE(goInNewTab(*work, funURL));
  const auto selectTab = [&](const std::string& title) {
    return Browsers::select(
        AX::find(work->target.window, Browsers::kWindowSearchNodes, Browsers::firefoxTab(title)),
        work->target.window);
  };
  const auto selectWork = [&] { return selectTab(work->observation.title); };
  const auto shows = [&](const std::string& url) {
    const auto tab = frontTab(*work);
    return tab && tab->url && tab->url->absoluteString() == url;
  };
  // The work tab shown in a window that has the focus: what the user sees once back.
  const auto workInFront = [&] {
    return QTest::qWaitFor(
        [&] {
          const auto front = platform->workspace().frontmostApplication();
          return shows(workURL) && front && front->pid == work->target.pid;
        },
        test::kDesktopLimitMs);
  };

  test::activate(terminal.id);
  EXPECT_FALSE(selectTab("Work"));
  EXPECT_EQ(platform->workspace().frontmostApplication()->pid, terminal.pid)
      << "nothing raised without the tab";
  EXPECT_TRUE(shows(funURL));
  EXPECT_TRUE(selectWork());
  EXPECT_TRUE(workInFront()) << "from a terminal in front";
  ASSERT_TRUE(test::waitForFocus(workWindow)) << "the key below is the browser's";

  // Back on the distraction's tab, the next one (the key both families take; Firefox takes the
  // tab's number with Alt), then another browser in front.
  test::run("xdotool", {"key", "--clearmodifiers", "ctrl+Next"});
  ASSERT_TRUE(QTest::qWaitFor([&] { return shows(funURL); }, test::kDesktopLimitMs));
  const test::BrowserProgram& otherBrowser =
      GetParam().kind == BrowserKind::firefox ? test::kChromium : test::kFirefox;
  test::BrowserProcess other(otherBrowser);
  ASSERT_TRUE(other.start({QString::fromStdString(feedURL)})) << other.errorString().toStdString();
  const size_t beforeFeed = snapshots.size();
  const std::optional<Snapshot> feed = waitForPage(feedURL, beforeFeed, test::kStartLimitMs);
  ASSERT_TRUE(feed);
  ASSERT_NE(feed->target.pid, work->target.pid);
  EXPECT_TRUE(selectWork());
  EXPECT_TRUE(workInFront()) << "from a tab of " << otherBrowser.program << " in front";
  EXPECT_EQ(std::stoul(test::run("xdotool", {"getactivewindow"})), workWindow);
  EXPECT_TRUE(other.stop());
}

std::string familyName(const testing::TestParamInfo<test::BrowserProgram>& tested) {
  return tested.param.kind == BrowserKind::firefox ? "Firefox" : "Chromium";
}

INSTANTIATE_TEST_SUITE_P(Browsers, BackToTabDesktopTest,
                         testing::Values(test::kFirefox, test::kChromium), familyName);

INSTANTIATE_TEST_SUITE_P(Browsers, BrowserDesktopTest,
                         testing::Values(test::kFirefox, test::kChromium), familyName);

}  // namespace
}  // namespace qb
