// Overlay: puts the prompt card over the window, or the web page inside a browser window, that
// the user drifted to. While the prompt is up it follows that window as it moves or is resized,
// steps aside when another application comes to the front (and, over a whole window, comes back
// with the target), vanishes without an answer when the window closes, and reports the user's
// single answer through the handler given to show().
//
// The answer comes at most once per shown panel, on the main thread, after the panel is already
// gone: Return and the main button give `back`, Esc `dismiss`, Ctrl+W `back`. The panel never
// takes the focus; those keys are grabbed from the focused window while the panel is on screen,
// and let go as soon as it is not. Frames are in screen pixels, origin at the top left. The panel
// fades in, in less time when the desktop asks for less motion (the workspace's motion setting,
// read at each show).
//
// One overlay lives as long as the program; main thread only. The services given to it must
// outlive it.

#pragma once

#include <sys/types.h>

#include <QMetaObject>
#include <QObject>
#include <QRect>
#include <memory>
#include <optional>
#include <string_view>

#include "base/Date.h"
#include "base/Runtime.h"
#include "platform/AXElement.h"
#include "prompt/PromptCard.h"

class QPropertyAnimation;

namespace qb {

class Accessibility;
class AXObserver;
class KeyGrab;
class OverlayPanel;
class Workspace;
struct Target;

class Overlay : public QObject {
  Q_OBJECT

public:
  // How long the panel takes to fade in; shorter when the desktop asks for less motion.
  static constexpr Duration kFadeIn = 0.22;
  static constexpr Duration kReducedFadeIn = 0.12;
  // How often, and how many more times, a page not yet readable is looked for after a show.
  static constexpr Duration kPageRetryInterval = 0.2;
  static constexpr int kPageRetries = 4;

  Overlay(Workspace& workspace, Accessibility& accessibility, KeyGrab& keys, Timers& timers);
  ~Overlay() override;

  Overlay(const Overlay&) = delete;
  Overlay& operator=(const Overlay&) = delete;

  // Closes any prompt, then shows the content over the target's page (when it is a browser tab)
  // or window, else over the primary screen, and follows the target.
  void show(const PromptContent& content, const Target& target, PromptHandler onAction);
  // Closes any prompt, then shows the content at exactly `at`, following nothing.
  void show(const PromptContent& content, const QRect& at, PromptHandler onAction);
  // For a prompt over a page: takes the panel off the screen, or brings it back over the page.
  // Does nothing for a prompt over a whole window, or when the panel already is as wished.
  void setVisible(bool visible);
  // Takes the panel down and stops following; no answer is reported.
  void close();

  // The panel on screen (possibly stepped aside), or null when no prompt is up.
  OverlayPanel* panel() const { return panel_.get(); }
  bool isPanelVisible() const;

private:
  void present(const PromptContent& content, const QRect& frame, PromptHandler onAction);
  void answer(PromptAction action);
  std::optional<QRect> targetFrame();
  void track();
  void findPage(int tries);
  void overlayCallback(std::string_view notification);
  void activated();
  // Puts the panel on screen with its keys, or takes both off.
  void orderFront();
  void orderOut();

  Workspace& workspace_;
  Accessibility& accessibility_;
  KeyGrab& keys_;
  Timers& timers_;

  std::unique_ptr<OverlayPanel> panel_;
  std::unique_ptr<AXObserver> axObserver_;  // on the target's process while a window is followed
  pid_t targetPID_ = 0;                     // 0 when none
  AXElement window_;                        // the target window
  bool onPage_ = false;                     // the prompt covers a browser tab's page
  AXElement page_;                          // the page element inside window_, once found
  QMetaObject::Connection activation_;      // the workspace's activations while a prompt is up
  PromptHandler onAction_;                  // kept across close(); the next show replaces it
  std::optional<Timers::Id> pageSearch_;    // the next look for the page
  QPropertyAnimation* fade_ = nullptr;      // owned by the panel
};

}  // namespace qb
