#include "platform/linux/LinuxAccessibility.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "platform/linux/AtspiBus.h"

namespace qb {

namespace {

using Sources = LinuxAccessibility::Sources;

// One X window. Its tree is its accessible frame's, looked up on the first read that needs it and
// again after a lookup that found nothing (the program may register on the bus later).
class WindowNode : public AXNode {
public:
  WindowNode(std::shared_ptr<Sources> sources, WindowId window)
      : sources_(std::move(sources)), window_(window) {}

  WindowId window() const { return window_; }

  AXValue attribute(std::string_view name) const override {
    X11Desktop* desktop = sources_->desktop;
    if (!desktop) return {};
    if (name == AXAttribute::role) return std::string(AXRole::window);
    if (name == AXAttribute::title) {
      if (auto title = desktop->title(window_)) return std::move(*title);
      return {};
    }
    if (name == AXAttribute::position || name == AXAttribute::size) {
      const std::optional<Rect> frame = desktop->frame(window_);
      if (!frame) return {};
      if (name == AXAttribute::position) return frame->origin;
      return frame->size;
    }
    if (name == AXAttribute::focused) return desktop->activeWindow() == window_;
    const AXElement tree = accessibleFrame();
    if (!tree) return {};
    return tree.node()->attribute(name);
  }

  bool perform(std::string_view action) const override {
    // Raising a window is the window manager's business, asked for as a pager would.
    if (action == AXAction::raise) return sources_->desktop && sources_->desktop->activate(window_);
    const AXElement tree = accessibleFrame();
    return tree && tree.node()->perform(action);
  }

  bool isSame(const AXNode& other) const override {
    const auto* window = dynamic_cast<const WindowNode*>(&other);
    return window && window->window_ == window_;
  }

private:
  AXElement accessibleFrame() const {
    if (frame_) return frame_;
    X11Desktop* desktop = sources_->desktop;
    if (!desktop || !sources_->atspi) return {};
    const pid_t pid = desktop->pid(window_);
    if (pid <= 0) return {};
    auto& known = sources_->frames;
    if (auto found = known.find(window_); found != known.end() && found->second.pid == pid) {
      return frame_ = found->second.frame;
    }
    frame_ = sources_->atspi->frameOf(pid, desktop->title(window_).value_or(""));
    if (frame_) {
      if (known.size() >= Sources::kMaxKnownFrames) known.clear();
      known[window_] = {pid, frame_};
    }
    return frame_;
  }

  std::shared_ptr<Sources> sources_;
  WindowId window_;
  mutable AXElement frame_;  // found once, kept while the window lives
};

class ApplicationNode : public AXNode {
public:
  ApplicationNode(std::shared_ptr<Sources> sources, pid_t pid)
      : sources_(std::move(sources)), pid_(pid) {}

  pid_t pid() const { return pid_; }

  AXValue attribute(std::string_view name) const override {
    X11Desktop* desktop = sources_->desktop;
    if (!desktop) return {};
    if (name == AXAttribute::role) return std::string(AXRole::application);
    if (name == AXAttribute::focusedWindow) {
      const WindowId active = desktop->activeWindow();
      if (active == 0 || desktop->pid(active) != pid_) return {};
      return AXElement(std::make_shared<WindowNode>(sources_, active));
    }
    if (name == AXAttribute::focusedUIElement) {
      if (!sources_->atspi) return {};
      if (AXElement focused = sources_->atspi->focusedElement(pid_)) return focused;
      return {};
    }
    if (name == AXAttribute::title) {
      const WindowId active = desktop->activeWindow();
      if (active == 0 || desktop->pid(active) != pid_) return {};
      if (auto appName = desktop->application(active).localizedName) return std::move(*appName);
    }
    return {};
  }

  bool isSame(const AXNode& other) const override {
    const auto* application = dynamic_cast<const ApplicationNode*>(&other);
    return application && application->pid_ == pid_;
  }

private:
  std::shared_ptr<Sources> sources_;
  pid_t pid_;
};

const WindowNode* windowNode(const AXElement& element) {
  return dynamic_cast<const WindowNode*>(element.node());
}

const ApplicationNode* applicationNode(const AXElement& element) {
  return dynamic_cast<const ApplicationNode*>(element.node());
}

class LinuxAXObserver : public AXObserver {
public:
  LinuxAXObserver(LinuxAccessibility& owner, std::shared_ptr<Sources> sources, pid_t pid,
                  Accessibility::Callback callback)
      : sources_(std::move(sources)), pid_(pid), callback_(std::move(callback)) {
    X11Desktop* desktop = sources_->desktop;
    const auto onWindow = [this](std::string_view name) {
      return [this, name](WindowId window) { deliver(window, name); };
    };
    connections_.push_back(QObject::connect(desktop, &X11Desktop::titleChanged,
                                            onWindow(AXNotification::titleChanged)));
    connections_.push_back(
        QObject::connect(desktop, &X11Desktop::windowMoved, onWindow(AXNotification::moved)));
    connections_.push_back(
        QObject::connect(desktop, &X11Desktop::windowResized, onWindow(AXNotification::resized)));
    connections_.push_back(QObject::connect(desktop, &X11Desktop::windowDestroyed,
                                            onWindow(AXNotification::elementDestroyed)));
    connections_.push_back(
        QObject::connect(&owner, &LinuxAccessibility::focusedWindowChanged, [this](pid_t changed) {
          if (changed != pid_) return;
          for (const auto& [element, name] : snapshot()) {
            if (applicationNode(element) && (name == AXNotification::focusedWindowChanged ||
                                             name == AXNotification::mainWindowChanged)) {
              callback_(element, name);
            }
          }
        }));
  }

  ~LinuxAXObserver() override {
    for (const QMetaObject::Connection& connection : connections_) {
      QObject::disconnect(connection);
    }
    *alive_ = false;
    if (X11Desktop* desktop = sources_->desktop) {
      for (const auto& [element, name] : registrations_) {
        if (const WindowNode* window = windowNode(element)) desktop->unwatch(window->window());
      }
    }
  }

  bool addNotification(const AXElement& element, std::string_view name) override {
    X11Desktop* desktop = sources_->desktop;
    if (!desktop) return false;
    if (const WindowNode* window = windowNode(element)) {
      desktop->watch(window->window());
    } else if (const ApplicationNode* application = applicationNode(element)) {
      if (application->pid() != pid_) return false;
    } else {
      return false;
    }
    registrations_.emplace_back(element, std::string(name));
    return true;
  }

  void removeNotification(const AXElement& element, std::string_view name) override {
    auto found = std::find_if(registrations_.begin(), registrations_.end(), [&](const auto& r) {
      return r.first == element && r.second == name;
    });
    if (found == registrations_.end()) return;
    if (const WindowNode* window = windowNode(found->first)) {
      if (X11Desktop* desktop = sources_->desktop) desktop->unwatch(window->window());
    }
    registrations_.erase(found);
  }

private:
  std::vector<std::pair<AXElement, std::string>> snapshot() const { return registrations_; }

  // A window's notification reaches its own registrations, and its title change reaches the
  // application's registration too when the window is the application's.
  void deliver(WindowId window, std::string_view name) {
    std::shared_ptr<bool> alive = alive_;
    std::optional<pid_t> windowPID;
    for (const auto& [element, registered] : snapshot()) {
      if (!*alive) return;  // a callback destroyed this observer
      if (registered != name) continue;
      bool matches = false;
      if (const WindowNode* node = windowNode(element)) {
        matches = node->window() == window;
      } else if (name == AXNotification::titleChanged && sources_->desktop) {
        if (!windowPID) windowPID = sources_->desktop->pid(window);
        matches = *windowPID == pid_;
      }
      if (matches) callback_(element, name);
    }
  }

  std::shared_ptr<Sources> sources_;
  pid_t pid_;
  Accessibility::Callback callback_;
  std::vector<std::pair<AXElement, std::string>> registrations_;
  std::vector<QMetaObject::Connection> connections_;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace

LinuxAccessibility::LinuxAccessibility(X11Desktop& desktop, AtspiBus* atspi)
    : sources_(std::make_shared<Sources>(Sources{&desktop, atspi})) {
  lastActive_ = desktop.activeWindow();
  lastActivePID_ = lastActive_ ? desktop.pid(lastActive_) : 0;
  connect(&desktop, &X11Desktop::activeWindowChanged, this,
          &LinuxAccessibility::activeWindowChanged);
  connect(&desktop, &X11Desktop::windowDestroyed, this,
          [this](WindowId window) { sources_->frames.erase(window); });
}

LinuxAccessibility::~LinuxAccessibility() { *sources_ = Sources{}; }

void LinuxAccessibility::activeWindowChanged(WindowId window) {
  const pid_t pid = window ? sources_->desktop->pid(window) : 0;
  const bool sameProcess = pid != 0 && pid == lastActivePID_ && window != lastActive_;
  lastActive_ = window;
  lastActivePID_ = pid;
  if (sameProcess) emit focusedWindowChanged(pid);
}

bool LinuxAccessibility::isProcessTrusted() const {
  return sources_->atspi && sources_->atspi->isEnabled();
}

bool LinuxAccessibility::requestTrust() { return sources_->atspi && sources_->atspi->enable(); }

bool LinuxAccessibility::isSecureInputEnabled() const {
  return sources_->atspi && sources_->atspi->isSecureInputEnabled();
}

AXElement LinuxAccessibility::application(pid_t pid) const {
  if (pid <= 0) return {};
  return AXElement(std::make_shared<ApplicationNode>(sources_, pid));
}

AXElement LinuxAccessibility::window(WindowId window) const {
  if (window == 0) return {};
  return AXElement(std::make_shared<WindowNode>(sources_, window));
}

std::unique_ptr<AXObserver> LinuxAccessibility::createObserver(pid_t pid, Callback callback) {
  if (pid <= 0 || !sources_->desktop) return nullptr;
  return std::make_unique<LinuxAXObserver>(*this, sources_, pid, std::move(callback));
}

void LinuxAccessibility::setMessagingTimeout(Duration seconds) {
  if (sources_->atspi) sources_->atspi->setTimeout(seconds);
}

}  // namespace qb
