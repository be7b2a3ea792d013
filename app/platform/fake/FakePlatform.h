// FakePlatform: the desktop services driven by hand, for tests of everything above the platform
// layer. A test says what is in front, which elements exist and what they answer, and when a
// notification or a session event happens; the fake counts every accessibility read so that a
// test can check that nothing was asked of an application it must not touch.

#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Accessibility.h"
#include "platform/InputMonitor.h"
#include "platform/KeyGrab.h"
#include "platform/KeyPoster.h"
#include "platform/MediaPlayers.h"
#include "platform/MotionSetting.h"
#include "platform/Platform.h"
#include "platform/Workspace.h"

namespace qb::fake {

class FakeAccessibility;

// The changes asked of the desktop, in the order asked, one line each: "post <pid> <chord>",
// "type <pid> <text>", "activate <pid>", "hide <pid>", or an element's action by its name
// ("AXPress"). The fakes of one FakePlatform share one, so that a test can read the order of steps
// across services.
using Steps = std::vector<std::string>;

// An element whose attributes the test sets. Its identity is the node itself.
class FakeNode : public AXNode {
public:
  // `reads` counts every attribute read of every node of one accessibility service; `steps` is
  // that service's.
  FakeNode(std::shared_ptr<int> reads, std::shared_ptr<Steps> steps)
      : reads_(std::move(reads)), steps_(std::move(steps)) {}

  void set(std::string_view name, AXValue value) {
    attributes_[std::string(name)] = std::move(value);
  }
  void remove(std::string_view name) { attributes_.erase(std::string(name)); }
  // What a read of `name` with `parameter` answers; every other parameter reads as no value.
  void setParameterized(std::string_view name, AXValue parameter, AXValue value) {
    parameterized_[std::string(name)] = {std::move(parameter), std::move(value)};
  }
  // Reads of this node's attribute `name` so far, with or without a parameter.
  int readsOf(std::string_view name) const {
    auto found = readsByName_.find(name);
    return found == readsByName_.end() ? 0 : found->second;
  }

  // Lets perform() of `action` succeed from now on; every other action fails.
  void accept(std::string_view action) { accepted_.emplace_back(action); }
  // Every action asked of this node, whether it succeeded or not, in order.
  const std::vector<std::string>& performed() const { return performed_; }

  AXValue attribute(std::string_view name) const override;
  AXValue parameterizedAttribute(std::string_view name, const AXValue& parameter) const override;
  bool perform(std::string_view action) const override;
  bool isSame(const AXNode& other) const override { return this == &other; }

private:
  std::vector<std::string> accepted_;
  mutable std::vector<std::string> performed_;
  std::map<std::string, AXValue, std::less<>> attributes_;
  std::map<std::string, std::pair<AXValue, AXValue>, std::less<>> parameterized_;
  mutable std::map<std::string, int, std::less<>> readsByName_;
  std::shared_ptr<int> reads_;
  std::shared_ptr<Steps> steps_;
};

class FakeMotionSetting : public MotionSetting {
public:
  bool shouldReduceMotion() const override { return reduceMotion; }

  bool reduceMotion = false;
};

class FakeWorkspace : public Workspace {
public:
  std::optional<RunningApplication> frontmostApplication() const override { return frontmost; }
  // Records the request; a process in `running` answers true.
  bool activate(pid_t pid) override;
  bool hide(pid_t pid) override;
  const MotionSetting& motion() const override { return motionFake; }

  FakeMotionSetting motionFake;

  std::optional<RunningApplication> frontmost;
  std::vector<pid_t> running;
  std::vector<pid_t> activated;
  std::vector<pid_t> hidden;
  std::shared_ptr<Steps> steps = std::make_shared<Steps>();
};

class FakeAccessibility : public Accessibility {
public:
  FakeAccessibility();

  bool isProcessTrusted() const override { return trusted; }
  bool requestTrust() override { return trusted = trustOnRequest; }
  bool isSecureInputEnabled() const override { return secureInput; }
  AXElement application(pid_t pid) const override;
  std::unique_ptr<AXObserver> createObserver(pid_t pid, Callback callback) override;
  void setMessagingTimeout(Duration seconds) override { messagingTimeout = seconds; }

  // A new element, and its node for setting attributes.
  std::pair<AXElement, std::shared_ptr<FakeNode>> makeElement();
  // The node behind a process's application element (made on first use).
  std::shared_ptr<FakeNode> applicationNode(pid_t pid) const;
  // Delivers a notification to every live observer of `pid` that registered it on `element`.
  // Answers how many received it.
  int notify(pid_t pid, const AXElement& element, std::string_view name);

  // Attribute reads so far, of every element.
  int reads() const { return *reads_; }
  // Observers made and not yet destroyed, and registrations they hold.
  int liveObservers() const;
  int registrations(pid_t pid, std::string_view name) const;

  bool trusted = true;
  bool trustOnRequest = true;
  bool secureInput = false;
  bool failObserverCreation = false;
  Duration messagingTimeout = 0;
  // Shared with the elements made from now on.
  std::shared_ptr<Steps> steps = std::make_shared<Steps>();

private:
  class Observer;
  friend class Observer;

  std::shared_ptr<int> reads_;
  mutable std::map<pid_t, std::shared_ptr<FakeNode>> applications_;
  std::vector<Observer*> observers_;  // live ones; each removes itself when destroyed
};

class FakeInputMonitor : public InputMonitor {
public:
  Duration secondsSinceLastInput() const override { return idle; }
  InputCounts counts() const override { return inputCounts; }

  Duration idle = 0;
  InputCounts inputCounts;
};

class FakeMediaPlayers : public MediaPlayers {
public:
  std::vector<pid_t> playingProcesses() const override {
    ++questions;
    return playing;
  }

  std::vector<pid_t> playing;  // the processes of the players that play, as the bus would list them
  mutable int questions = 0;
};

class FakeKeyPoster : public KeyPoster {
public:
  bool post(pid_t pid, const KeyChord& chord) override;
  bool type(pid_t pid, std::string_view text) override;

  pid_t focusedPid = 0;  // keys reach only this process
  std::vector<std::pair<pid_t, KeyChord>> posted;
  std::vector<std::pair<pid_t, std::string>> typed;
  std::shared_ptr<Steps> steps = std::make_shared<Steps>();
  // Called with each chord that reached the process, as the application acts on it.
  std::function<void(const KeyChord&)> onPost;
  // Called with each text typed into the process.
  std::function<void(std::string_view)> onType;
};

// Holds what a grab asked for; press() stands in for the user pressing a chord and letting it go.
class FakeKeyGrab : public KeyGrab {
public:
  bool grab(const std::vector<KeyChord>& chords, Callback callback) override;
  void release() override;
  // Calls back as a grabbed chord would; false, calling nothing, when it is not held.
  bool press(const KeyChord& chord);

  std::vector<KeyChord> held;
  bool refuse = false;  // grab() then takes nothing and answers false

private:
  Callback callback_;
};

class FakePlatform : public Platform {
public:
  FakePlatform() { workspaceFake.steps = keysFake.steps = accessibilityFake.steps; }

  Workspace& workspace() override { return workspaceFake; }
  Accessibility& accessibility() override { return accessibilityFake; }
  InputMonitor& input() override { return inputFake; }
  KeyPoster& keys() override { return keysFake; }
  KeyGrab& keyGrab() override { return keyGrabFake; }
  MediaPlayers& media() override { return mediaFake; }

  FakeWorkspace workspaceFake;
  FakeAccessibility accessibilityFake;
  FakeInputMonitor inputFake;
  FakeKeyPoster keysFake;
  FakeKeyGrab keyGrabFake;
  FakeMediaPlayers mediaFake;

  // What every service was asked to change, in order.
  const Steps& steps() const { return *accessibilityFake.steps; }
};

}  // namespace qb::fake
