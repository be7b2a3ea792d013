#include "shell/Sidebar.h"

#include <QEasingCurve>
#include <QKeySequence>
#include <QPainter>
#include <QPainterPath>
#include <QShortcut>
#include <QVBoxLayout>
#include <QVariantAnimation>

#include "design/QB.h"
#include "design/Symbols.h"
#include "shell/Navigation.h"

namespace qb {

namespace {

QColor withOpacity(QColor color, qreal opacity) {
  color.setAlphaF(static_cast<float>(color.alphaF() * opacity));
  return color;
}

}  // namespace

SidebarRow::SidebarRow(AppPage page, bool selected, std::function<void()> select, QWidget* parent)
    : QAbstractButton(parent),
      page_(page),
      select_(std::move(select)),
      hoverFade_(new QVariantAnimation(this)) {
  setText(QString::fromUtf8(title(page)));
  setAccessibleName(text());
  setCheckable(true);
  setChecked(selected);
  // The sidebar is driven by pointer and shortcut; a focus ring would only add noise to it.
  setFocusPolicy(Qt::NoFocus);
  setFont(QB::Font::body());
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  setFixedHeight(kHeight);

  hoverFade_->setDuration(static_cast<int>(kHoverFade.count()));
  hoverFade_->setEasingCurve(QEasingCurve::OutCubic);
  connect(hoverFade_, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
    hoverLight_ = value.toReal();
    update();
  });

  connect(this, &QAbstractButton::clicked, this, [this] {
    if (select_) select_();
  });
  auto* shortcut =
      new QShortcut(QKeySequence(Qt::CTRL | Qt::Key(Qt::Key_0 + shortcutDigit(page))), this);
  shortcut->setContext(Qt::WindowShortcut);
  connect(shortcut, &QShortcut::activated, this, [this] {
    if (select_) select_();
  });
}

QColor SidebarRow::foreground() const { return isSelected() ? QB::text : QB::textMuted; }

QString SidebarRow::symbolName() const {
  const QString plain = QString::fromUtf8(symbol(page_));
  const QString filled = plain + QStringLiteral(".fill");
  return isSelected() && Symbols::has(filled) ? filled : plain;
}

QSize SidebarRow::sizeHint() const {
  return {kPadding + kSymbolFrame + kSpacing + fontMetrics().horizontalAdvance(text()) + kPadding,
          kHeight};
}

void SidebarRow::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);

  const QColor background =
      isSelected() ? QB::fillSecondary : withOpacity(QB::bgHover, hoverLight_);
  if (background.alpha() > 0) {
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()), kCornerRadius, kCornerRadius);
    painter.fillPath(shape, background);
  }

  const QRectF symbolFrame(kPadding, 0, kSymbolFrame, height());
  QRectF symbolArea(0, 0, kSymbolSize, kSymbolSize);
  symbolArea.moveCenter(symbolFrame.center());
  Symbols::paint(painter, symbolName(), symbolArea, foreground());

  const int titleLeft = kPadding + kSymbolFrame + kSpacing;
  const QRect titleArea(titleLeft, 0, width() - titleLeft - kPadding, height());
  painter.setPen(foreground());
  painter.setFont(font());
  painter.drawText(titleArea, Qt::AlignLeft | Qt::AlignVCenter,
                   fontMetrics().elidedText(text(), Qt::ElideRight, titleArea.width()));
}

void SidebarRow::enterEvent(QEnterEvent* event) {
  QAbstractButton::enterEvent(event);
  setHovering(true);
}

void SidebarRow::leaveEvent(QEvent* event) {
  QAbstractButton::leaveEvent(event);
  setHovering(false);
}

void SidebarRow::setHovering(bool hovering) {
  if (hovering == hovering_) return;
  hovering_ = hovering;
  hoverFade_->stop();
  hoverFade_->setStartValue(hoverLight_);
  hoverFade_->setEndValue(hovering ? 1.0 : 0.0);
  hoverFade_->start();
}

Sidebar::Sidebar(Navigation& navigation, QWidget* parent) : QWidget(parent) {
  setFixedWidth(kWidth);
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(kPadding, kTopPadding, kPadding, 0);
  column->setSpacing(kRowSpacing);
  for (AppPage page : kAllAppPages) {
    auto* row = new SidebarRow(page, navigation.page() == page,
                               [&navigation, page] { navigation.setPage(page); });
    column->addWidget(row);
    rows_.push_back(row);
  }
  column->addStretch(1);

  connect(&navigation, &Navigation::pageChanged, this, [this](AppPage selected) {
    for (SidebarRow* row : rows_) row->setSelected(row->page() == selected);
  });
}

}  // namespace qb
