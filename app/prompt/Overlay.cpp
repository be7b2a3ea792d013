#include "prompt/Overlay.h"

#include <unistd.h>

#include <QGuiApplication>
#include <QPointer>
#include <QPropertyAnimation>
#include <QScreen>
#include <QVBoxLayout>

#include "platform/Accessibility.h"
#include "platform/KeyGrab.h"
#include "platform/Workspace.h"
#include "prompt/OverlayPanel.h"
#include "sensing/AX.h"
#include "sensing/Browsers.h"
#include "sensing/Snapshot.h"

namespace qb {

namespace {

// The keys the panel answers to while it is on screen.
const KeyChord kEscape{"Escape"};
const KeyChord kReturn{"Return"};
const KeyChord kEnter{"KP_Enter"};
const KeyChord kCloseWindow{"w", true};

std::optional<QRect> qtRect(const std::optional<Rect>& rect) {
  if (!rect) return std::nullopt;
  return QRectF(rect->origin.x, rect->origin.y, rect->size.width, rect->size.height).toRect();
}

}  // namespace

Overlay::Overlay(Workspace& workspace, Accessibility& accessibility, KeyGrab& keys, Timers& timers)
    : workspace_(workspace), accessibility_(accessibility), keys_(keys), timers_(timers) {}

Overlay::~Overlay() { close(); }

bool Overlay::isPanelVisible() const { return panel_ && panel_->isVisible(); }

void Overlay::show(const PromptContent& content, const Target& target, PromptHandler onAction) {
  close();
  window_ = target.window;
  onPage_ = target.tab.has_value();
  QRect frame;
  if (const std::optional<QRect> covered = targetFrame()) {
    frame = *covered;
  } else if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    frame = screen->geometry();
  }
  present(content, frame, std::move(onAction));
  targetPID_ = target.pid;
  track();
  if (onPage_ && !page_) findPage(0);
}

void Overlay::show(const PromptContent& content, const QRect& at, PromptHandler onAction) {
  close();
  present(content, at, std::move(onAction));
}

void Overlay::present(const PromptContent& content, const QRect& frame, PromptHandler onAction) {
  onAction_ = std::move(onAction);
  panel_ = std::make_unique<OverlayPanel>(frame);
  QPointer<Overlay> self(this);
  auto* layout = new QVBoxLayout(panel_.get());
  layout->setContentsMargins(0, 0, 0, 0);
  // The panel takes the target's frame exactly, even one smaller than the card.
  layout->setSizeConstraint(QLayout::SetNoConstraint);
  layout->addWidget(new OverlayView(content, [self](PromptAction action) {
    if (self) self->answer(action);
  }));
  panel_->onCancel = [self] {
    if (self) self->answer(PromptAction::dismiss);
  };
  panel_->onBack = [self] {
    if (self) self->answer(PromptAction::back);
  };
  panel_->setWindowOpacity(0);
  orderFront();
  fade_ = new QPropertyAnimation(panel_.get(), "windowOpacity", panel_.get());
  const Duration fadeIn = workspace_.motion().shouldReduceMotion() ? kReducedFadeIn : kFadeIn;
  fade_->setDuration(static_cast<int>(fadeIn * 1000));
  fade_->setEndValue(1.0);
  fade_->start();
}

void Overlay::answer(PromptAction action) {
  PromptHandler handler = onAction_;
  close();
  if (handler) handler(action);
}

void Overlay::orderFront() {
  if (!panel_) return;
  panel_->show();
  panel_->raise();
  QPointer<Overlay> self(this);
  // A key another program holds cannot be taken; the buttons still answer.
  (void)keys_.grab({kEscape, kReturn, kEnter, kCloseWindow}, [self](const KeyChord& chord) {
    if (!self) return;
    self->answer(chord == kEscape ? PromptAction::dismiss : PromptAction::back);
  });
}

void Overlay::orderOut() {
  keys_.release();
  if (panel_) panel_->hide();
}

void Overlay::close() {
  orderOut();
  if (panel_) {
    fade_ = nullptr;
    // The panel may be closing from inside one of its own handlers (a button's click).
    panel_.release()->deleteLater();
  }
  axObserver_.reset();
  if (activation_) disconnect(activation_);
  activation_ = {};
  if (pageSearch_) timers_.cancel(*pageSearch_);
  pageSearch_.reset();
  window_ = {};
  onPage_ = false;
  page_ = {};
  targetPID_ = 0;
}

std::optional<QRect> Overlay::targetFrame() {
  const std::optional<QRect> window = qtRect(AX::frame(window_));
  if (!window_ || !window) return std::nullopt;
  if (!onPage_) return window;
  if (!page_ || !AX::frame(page_)) page_ = Browsers::page(window_);
  QRect covered;
  if (const std::optional<QRect> page = qtRect(AX::frame(page_))) covered = *page & *window;
  return covered.isEmpty() ? *window : covered;
}

void Overlay::track() {
  activation_ = connect(&workspace_, &Workspace::applicationActivated, this, &Overlay::activated);
  if (!window_ || targetPID_ == 0) return;
  QPointer<Overlay> self(this);
  axObserver_ = accessibility_.createObserver(
      targetPID_, [self](const AXElement&, std::string_view notification) {
        if (self) self->overlayCallback(notification);
      });
  if (!axObserver_) return;
  for (std::string_view name :
       {AXNotification::moved, AXNotification::resized, AXNotification::elementDestroyed}) {
    (void)axObserver_->addNotification(window_, name);
  }
}

void Overlay::activated() {
  if (!panel_) return;
  const std::optional<RunningApplication> front = workspace_.frontmostApplication();
  const pid_t pid = front ? front->pid : 0;
  if (pid != 0 && pid == targetPID_) {
    // Over a page, the coordinator decides when the page is back.
    if (!onPage_) orderFront();
  } else if (pid == getpid()) {
    // The program's own menu or windows leave the prompt where it is.
  } else {
    orderOut();
  }
}

void Overlay::overlayCallback(std::string_view notification) {
  if (!panel_ || !window_) return;
  if (notification == AXNotification::elementDestroyed) {
    close();
    return;
  }
  if (const std::optional<QRect> frame = targetFrame()) panel_->setGeometry(*frame);
}

void Overlay::setVisible(bool visible) {
  if (!panel_ || !onPage_ || visible == panel_->isVisible()) return;
  if (!visible) {
    orderOut();
    return;
  }
  page_ = {};
  if (const std::optional<QRect> frame = targetFrame()) panel_->setGeometry(*frame);
  orderFront();
  if (onPage_ && !page_) findPage(0);
}

void Overlay::findPage(int tries) {
  if (pageSearch_) timers_.cancel(*pageSearch_);
  QPointer<Overlay> self(this);
  pageSearch_ = timers_.schedule(kPageRetryInterval, [self, tries] {
    if (!self) return;
    self->pageSearch_.reset();
    if (!self->panel_ || !self->panel_->isVisible()) return;
    const std::optional<QRect> frame = self->targetFrame();
    if (frame && self->page_) {
      self->panel_->setGeometry(*frame);
      return;
    }
    if (tries < kPageRetries) self->findPage(tries + 1);
  });
}

}  // namespace qb
