#include "platform/fake/FakePlatform.h"

#include <algorithm>

namespace qb::fake {

AXValue FakeNode::attribute(std::string_view name) const {
  ++*reads_;
  ++readsByName_[std::string(name)];
  auto found = attributes_.find(name);
  return found == attributes_.end() ? AXValue{} : found->second;
}

AXValue FakeNode::parameterizedAttribute(std::string_view name, const AXValue& parameter) const {
  ++*reads_;
  ++readsByName_[std::string(name)];
  auto found = parameterized_.find(name);
  if (found == parameterized_.end() || found->second.first != parameter) return {};
  return found->second.second;
}

bool FakeNode::perform(std::string_view action) const {
  performed_.emplace_back(action);
  steps_->emplace_back(action);
  return std::find(accepted_.begin(), accepted_.end(), action) != accepted_.end();
}

class FakeAccessibility::Observer : public AXObserver {
public:
  Observer(FakeAccessibility& owner, pid_t pid, Callback callback)
      : owner_(owner), pid_(pid), callback_(std::move(callback)) {
    owner_.observers_.push_back(this);
  }
  ~Observer() override { std::erase(owner_.observers_, this); }

  bool addNotification(const AXElement& element, std::string_view name) override {
    if (!element) return false;
    registrations_.emplace_back(element, std::string(name));
    return true;
  }
  void removeNotification(const AXElement& element, std::string_view name) override {
    auto found = std::find_if(registrations_.begin(), registrations_.end(), [&](const auto& r) {
      return r.first == element && r.second == name;
    });
    if (found != registrations_.end()) registrations_.erase(found);
  }

  FakeAccessibility& owner_;
  pid_t pid_;
  Callback callback_;
  std::vector<std::pair<AXElement, std::string>> registrations_;
};

FakeAccessibility::FakeAccessibility() : reads_(std::make_shared<int>(0)) {}

std::shared_ptr<FakeNode> FakeAccessibility::applicationNode(pid_t pid) const {
  auto& node = applications_[pid];
  if (!node) node = std::make_shared<FakeNode>(reads_, steps);
  return node;
}

AXElement FakeAccessibility::application(pid_t pid) const {
  if (pid <= 0) return {};
  return AXElement(applicationNode(pid));
}

std::unique_ptr<AXObserver> FakeAccessibility::createObserver(pid_t pid, Callback callback) {
  if (failObserverCreation || pid <= 0) return nullptr;
  return std::make_unique<Observer>(*this, pid, std::move(callback));
}

std::pair<AXElement, std::shared_ptr<FakeNode>> FakeAccessibility::makeElement() {
  auto node = std::make_shared<FakeNode>(reads_, steps);
  return {AXElement(node), node};
}

int FakeAccessibility::notify(pid_t pid, const AXElement& element, std::string_view name) {
  int delivered = 0;
  // A callback may destroy observers (a detach), so walk a copy and check each is still alive.
  const std::vector<Observer*> snapshot = observers_;
  for (Observer* observer : snapshot) {
    if (std::find(observers_.begin(), observers_.end(), observer) == observers_.end()) continue;
    if (observer->pid_ != pid) continue;
    const bool registered =
        std::any_of(observer->registrations_.begin(), observer->registrations_.end(),
                    [&](const auto& r) { return r.first == element && r.second == name; });
    if (!registered) continue;
    ++delivered;
    observer->callback_(element, name);
  }
  return delivered;
}

int FakeAccessibility::liveObservers() const { return static_cast<int>(observers_.size()); }

int FakeAccessibility::registrations(pid_t pid, std::string_view name) const {
  int count = 0;
  for (const Observer* observer : observers_) {
    if (observer->pid_ != pid) continue;
    count += static_cast<int>(std::count_if(observer->registrations_.begin(),
                                            observer->registrations_.end(),
                                            [&](const auto& r) { return r.second == name; }));
  }
  return count;
}

bool FakeKeyPoster::post(pid_t pid, const KeyChord& chord) {
  if (pid != focusedPid) return false;
  posted.emplace_back(pid, chord);
  steps->push_back("post " + std::to_string(pid) + " " + (chord.control ? "Control+" : "") +
                   (chord.shift ? "Shift+" : "") + (chord.alt ? "Alt+" : "") + chord.key);
  if (onPost) onPost(chord);
  return true;
}

bool FakeKeyPoster::type(pid_t pid, std::string_view text) {
  if (pid != focusedPid) return false;
  typed.emplace_back(pid, std::string(text));
  steps->push_back("type " + std::to_string(pid) + " " + std::string(text));
  if (onType) onType(text);
  return true;
}

bool FakeWorkspace::activate(pid_t pid) {
  activated.push_back(pid);
  steps->push_back("activate " + std::to_string(pid));
  return std::find(running.begin(), running.end(), pid) != running.end();
}

bool FakeWorkspace::hide(pid_t pid) {
  hidden.push_back(pid);
  steps->push_back("hide " + std::to_string(pid));
  return std::find(running.begin(), running.end(), pid) != running.end();
}

bool FakeKeyGrab::grab(const std::vector<KeyChord>& chords, Callback callback) {
  release();
  if (refuse) return false;
  held = chords;
  callback_ = std::move(callback);
  return true;
}

void FakeKeyGrab::release() {
  held.clear();
  callback_ = nullptr;
}

bool FakeKeyGrab::press(const KeyChord& chord) {
  if (std::find(held.begin(), held.end(), chord) == held.end()) return false;
  if (Callback callback = callback_) callback(chord);
  return true;
}

}  // namespace qb::fake
