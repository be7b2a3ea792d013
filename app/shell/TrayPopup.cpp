#include "shell/TrayPopup.h"

#include <QAction>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QPointer>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

#include "design/QB.h"
#include "design/QBSeparator.h"
#include "shell/QuestionView.h"
#include "shell/StatusCard.h"

namespace qb {

void addEntries(QMenu& menu, const std::vector<TrayEntry>& entries) {
  for (const TrayEntry& entry : entries) {
    if (entry.isSeparator()) {
      menu.addSeparator();
    } else if (entry.isSubmenu()) {
      addEntries(*menu.addMenu(entry.title), entry.submenu);
    } else {
      QAction* action = menu.addAction(entry.title);
      action->setShortcut(entry.key);
      QObject::connect(action, &QAction::triggered, &menu, [perform = entry.perform] {
        if (perform) perform();
      });
    }
  }
}

TrayRow::TrayRow(const TrayEntry& entry, QWidget* parent)
    : QAbstractButton(parent), key_(entry.key), hasSubmenu_(entry.isSubmenu()) {
  setText(entry.title);
  setFont(QB::Font::body());
  setAttribute(Qt::WA_Hover);
  setFocusPolicy(Qt::NoFocus);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  setAccessibleName(entry.title);
}

QSize TrayRow::sizeHint() const {
  const QFontMetrics metrics(font());
  const QString shortcut = key_.toString(QKeySequence::NativeText);
  const int right = hasSubmenu_ ? kChevronSide : metrics.horizontalAdvance(shortcut);
  return {kTextInset + metrics.horizontalAdvance(text()) + kTextInset + right + kTextInset,
          kHeight};
}

void TrayRow::enterEvent(QEnterEvent* event) {
  QAbstractButton::enterEvent(event);
  update();
}

void TrayRow::leaveEvent(QEvent* event) {
  QAbstractButton::leaveEvent(event);
  update();
}

void TrayRow::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  if (underMouse() || isDown()) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(QB::fillSecondary);
    painter.drawRoundedRect(rect(), kHighlightRadius, kHighlightRadius);
  }
  const QRect inner = rect().adjusted(kTextInset, 0, -kTextInset, 0);
  painter.setFont(font());
  if (hasSubmenu_) {
    // A right-pointing chevron, half as wide as it is high.
    QRectF chevron(0, 0, kChevronSide / 2.0, kChevronSide);
    chevron.moveCenter(QPointF(inner.right() - kChevronSide / 2.0, height() / 2.0));
    QPainterPath path(chevron.topLeft());
    path.lineTo(chevron.right(), chevron.center().y());
    path.lineTo(chevron.bottomLeft());
    painter.strokePath(
        path, QPen(QB::textMuted, kChevronLine, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  } else {
    painter.setPen(QB::textMuted);
    painter.drawText(inner, Qt::AlignRight | Qt::AlignVCenter,
                     key_.toString(QKeySequence::NativeText));
  }
  painter.setPen(QB::text);
  painter.drawText(inner, Qt::AlignLeft | Qt::AlignVCenter, text());
}

TrayPopup::TrayPopup(StatusCard* card, QuestionView* question,
                     const std::vector<TrayEntry>& entries, QWidget* parent)
    : QWidget(parent, Qt::Popup | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint),
      card_(card),
      question_(question) {
  setAttribute(Qt::WA_DeleteOnClose);
  setAccessibleName(QStringLiteral("Quillbrook"));
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  column->setSizeConstraint(QLayout::SetFixedSize);
  column->addWidget(card_);
  column->addWidget(new QBSeparator);
  if (question_) {
    auto* padded = new QWidget;
    padded->setFixedWidth(StatusCard::kWidth);
    auto* frame = new QVBoxLayout(padded);
    frame->setContentsMargins(kQuestionPadding);
    frame->addWidget(question_);
    column->addWidget(padded);
    column->addWidget(new QBSeparator);
  }

  auto* list = new QWidget;
  list->setFixedWidth(StatusCard::kWidth);
  auto* rows = new QVBoxLayout(list);
  rows->setContentsMargins(kRowsPadding);
  rows->setSpacing(0);
  for (const TrayEntry& entry : entries) {
    if (entry.isSeparator()) {
      rows->addSpacing(kSeparatorSpace);
      rows->addWidget(new QBSeparator);
      rows->addSpacing(kSeparatorSpace);
      continue;
    }
    auto* row = new TrayRow(entry, list);
    rows_.push_back(row);
    rows->addWidget(row);
    if (entry.isSubmenu()) {
      connect(row, &QAbstractButton::clicked, this,
              [this, row, submenu = entry.submenu] { openSubmenu(row, submenu); });
      continue;
    }
    // The popup closes before the command runs: a command may open a window or quit.
    const auto choose = [this, perform = entry.perform] {
      close();
      if (perform) perform();
    };
    connect(row, &QAbstractButton::clicked, this, choose);
    if (!entry.key.isEmpty()) {
      auto* shortcut = new QAction(this);
      shortcut->setShortcut(entry.key);
      connect(shortcut, &QAction::triggered, this, choose);
      addAction(shortcut);
    }
  }
  column->addWidget(list);
}

void TrayPopup::openSubmenu(TrayRow* row, const std::vector<TrayEntry>& entries) {
  std::vector<TrayEntry> closing = entries;
  for (TrayEntry& entry : closing) {
    if (!entry.perform) continue;
    entry.perform = [popup = QPointer<TrayPopup>(this), perform = entry.perform] {
      if (popup) popup->close();
      perform();
    };
  }
  delete submenu_;
  submenu_ = new QMenu(this);
  addEntries(*submenu_, closing);
  submenu_->popup(row->mapToGlobal(QPoint(row->width(), 0)));
}

QPoint TrayPopup::placement(QSize size, QRect anchor, QRect screen) {
  const bool below = anchor.center().y() < screen.center().y();
  const int x = anchor.x() + (anchor.width() - size.width()) / 2;
  const int y =
      below ? anchor.bottom() + 1 + kAnchorGap : anchor.top() - kAnchorGap - size.height();
  return {std::clamp(x, screen.left(), std::max(screen.left(), screen.right() + 1 - size.width())),
          std::clamp(y, screen.top(), std::max(screen.top(), screen.bottom() + 1 - size.height()))};
}

void TrayPopup::popup(QRect anchor) {
  adjustSize();
  QScreen* screen = QGuiApplication::screenAt(anchor.center());
  if (!screen) screen = QGuiApplication::primaryScreen();
  const QRect area = screen ? screen->availableGeometry() : anchor;
  move(placement(sizeHint(), anchor, area));
  show();
}

void TrayPopup::paintEvent(QPaintEvent*) {
  // Square corners: without a compositor a window cannot be transparent outside rounded ones.
  QPainter painter(this);
  painter.fillRect(rect(), QB::bgOverlay);
  painter.setPen(QB::separator);
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void TrayPopup::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    close();
    return;
  }
  QWidget::keyPressEvent(event);
}

void TrayPopup::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  emit closed();
}

}  // namespace qb
