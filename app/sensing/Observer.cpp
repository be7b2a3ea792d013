#include "sensing/Observer.h"

#include <QObject>
#include <utility>

#include "base/Text.h"
#include "platform/Accessibility.h"
#include "platform/Workspace.h"
#include "sensing/AX.h"

namespace qb {

namespace {

// What lastKey holds after an empty report.
constexpr std::string_view kEmptyKey = "-";

// What names the page's site: scheme, user, password, host and port.
UrlComponents siteOf(const Url& url) {
  UrlComponents site = url.components();
  site.path.clear();
  site.query.reset();
  site.fragment.reset();
  return site;
}

// The address cut to kMaxAddressScalars, or none when the cut would change its site.
std::optional<Url> cutAddress(const Url& url) {
  // The parsed text is valid UTF-8, so a prefix that is shorter is one that was cut.
  std::string kept = text::scalarPrefix(url.absoluteString(), Observer::kMaxAddressScalars);
  if (kept.size() == url.absoluteString().size()) return url;
  // A cut inside the authority reads what is left of it as another site: a long user part cut
  // short becomes the host, or a host with a port of its own.
  std::optional<Url> cut = Url::parse(kept);
  if (!cut || siteOf(*cut) != siteOf(url)) return std::nullopt;
  return cut;
}

}  // namespace

Observer::Observer(Workspace& workspace, Accessibility& accessibility, Timers& timers,
                   const MonotonicClock& clock, const WallClock& wallClock)
    : isExcludedApp([](const std::string&) { return false; }),
      isExcludedHost([](const std::string&) { return false; }),
      workspace_(workspace),
      accessibility_(accessibility),
      timers_(timers),
      clock_(clock),
      wallClock_(wallClock) {}

Observer::~Observer() {
  for (const QMetaObject::Connection& token : tokens_) QObject::disconnect(token);
  if (pendingRead_) timers_.cancel(*pendingRead_);
  cancelSettle();
}

void Observer::start() {
  tokens_.push_back(QObject::connect(&workspace_, &Workspace::applicationActivated,
                                     [this] { frontmostChanged(); }));
  const auto away = [this](bool isAway, std::string_view event) {
    return [this, isAway, event] {
      if (onAway) onAway(isAway, event);
    };
  };
  tokens_.push_back(QObject::connect(&workspace_, &Workspace::willSleep, away(true, "sleep")));
  tokens_.push_back(QObject::connect(&workspace_, &Workspace::didWake, away(false, "wake")));
  tokens_.push_back(
      QObject::connect(&workspace_, &Workspace::screensDidSleep, away(true, "screens sleep")));
  tokens_.push_back(
      QObject::connect(&workspace_, &Workspace::screensDidWake, away(false, "screens wake")));
  tokens_.push_back(QObject::connect(&workspace_, &Workspace::screenLocked, away(true, "lock")));
  tokens_.push_back(
      QObject::connect(&workspace_, &Workspace::screenUnlocked, away(false, "unlock")));
  frontmostChanged();
}

void Observer::frontmostChanged() {
  const std::optional<RunningApplication> front = workspace_.frontmostApplication();
  if (!front) {
    // Nothing may report for a program that has gone: drop its notifications and its settle.
    detach();
    cancelSettle();
    return;
  }
  attach(front->pid);
  scheduleRead(kSwitchDelay, Cause::appSwitch);
  cancelSettle();
  settleRead_ = timers_.schedule(kSettleDelay, [this] {
    settleRead_.reset();
    scheduleRead(0, Cause::settle);
  });
}

void Observer::cancelSettle() {
  if (settleRead_) timers_.cancel(*settleRead_);
  settleRead_.reset();
}

void Observer::attach(pid_t pid) {
  if (pid == observedPID_) return;
  detach();
  if (!accessibility_.isProcessTrusted()) return;
  std::unique_ptr<AXObserver> observer = accessibility_.createObserver(
      pid, [this](const AXElement&, std::string_view notification) { axCallback(notification); });
  if (!observer) return;
  const AXElement application = accessibility_.application(pid);
  for (std::string_view name : {AXNotification::focusedWindowChanged,
                                AXNotification::mainWindowChanged, AXNotification::titleChanged}) {
    observer->addNotification(application, name);
  }
  axObserver_ = std::move(observer);
  observedPID_ = pid;
}

void Observer::detach() {
  axObserver_.reset();
  observedWindow_ = {};
  observedPID_ = 0;
}

void Observer::watch(const AXElement& window) {
  if (!axObserver_) return;
  if (window && observedWindow_ && window == observedWindow_) return;
  if (observedWindow_)
    axObserver_->removeNotification(observedWindow_, AXNotification::titleChanged);
  observedWindow_ = window;
  if (window) axObserver_->addNotification(window, AXNotification::titleChanged);
}

void Observer::axCallback(std::string_view notification) {
  const Cause cause =
      notification == AXNotification::titleChanged ? Cause::titleChange : Cause::windowChange;
  scheduleRead(kChangeDelay, cause);
}

void Observer::scheduleRead(Duration after, Cause cause) {
  const Duration due = clock_.now() + after;
  if (pendingRead_ && readDue_ && *readDue_ <= due) return;
  readDue_ = due;
  if (pendingRead_) timers_.cancel(*pendingRead_);
  pendingRead_ = timers_.schedule(due - clock_.now(), [this, cause] {
    pendingRead_.reset();
    readDue_.reset();
    emitIfChanged(cause);
  });
}

void Observer::emitIfChanged(Cause cause) {
  const Duration start = clock_.now();
  std::optional<Snapshot> snapshot = read();
  std::string key = snapshot ? snapshot->observation.key() : std::string(kEmptyKey);
  if (lastKey_ && *lastKey_ == key) return;
  lastKey_ = std::move(key);
  if (snapshot) {
    snapshot->cause = cause;
    snapshot->readTime = clock_.now() - start;
  }
  if (onChange) onChange(std::move(snapshot));
}

std::optional<Snapshot> Observer::read() {
  if (!accessibility_.isProcessTrusted() || accessibility_.isSecureInputEnabled()) {
    return std::nullopt;
  }
  const std::optional<RunningApplication> front = workspace_.frontmostApplication();
  if (!front || !front->bundleID) return std::nullopt;
  const std::string& bundleID = *front->bundleID;
  if (isExcludedApp && isExcludedApp(bundleID)) return std::nullopt;

  const pid_t pid = front->pid;
  const AXElement window = AX::element(accessibility_.application(pid), AXAttribute::focusedWindow);
  if (pid == observedPID_) watch(window);
  std::string title = AX::string(window, AXAttribute::title).value_or("");

  std::optional<Url> url;
  std::optional<TabRef> tab;
  if (const std::optional<BrowserKind> kind = parseBrowserKind(bundleID)) {
    if (std::optional<TabInfo> info = Browsers::read(*kind, pid, window)) {
      if (!info->title.empty()) title = std::move(info->title);
      url = std::move(info->url);
      tab = info->ref;
    }
  }
  if (url && url->host() && isExcludedHost && isExcludedHost(text::lowercased(*url->host()))) {
    return std::nullopt;
  }
  if (url) url = cutAddress(*url);

  std::optional<std::string> document;
  if (window) {
    if (std::optional<std::string> text = AX::string(window, AXAttribute::document)) {
      // The name is the address's last part: cut after parsing, it stays the file's own name.
      if (std::optional<Url> address = Url::parse(*text)) {
        document = text::scalarPrefix(address->lastPathComponent(), kMaxAddressScalars);
      }
    }
  }

  Moment moment(nextID_, wallClock_.now(), front->localizedName.value_or(bundleID), bundleID, title,
                std::move(url), std::move(document));
  Snapshot snapshot{std::move(moment), Target{pid, bundleID, window, tab}, Cause::tick, 0, false};
  ++nextID_;
  return snapshot;
}

void Observer::refresh() {
  observedPID_ = 0;
  lastKey_.reset();
  frontmostChanged();
}

}  // namespace qb
