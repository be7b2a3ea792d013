#include "shell/PageChrome.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "design/QB.h"

namespace qb {

namespace {

// A paragraph of running text: plain, wrapped, as tall as its lines.
void setUpParagraph(QLabel& label, const QFont& font, const QColor& color) {
  label.setFont(font);
  label.setTextFormat(Qt::PlainText);
  label.setWordWrap(true);
  QPalette palette = label.palette();
  palette.setColor(QPalette::WindowText, color);
  label.setPalette(palette);
}

// The column's hint is its widest, so that the centring layout gives it all the width it may
// take (up to its maximum) and splits only what is left over between the two sides.
class Column : public QWidget {
public:
  using QWidget::QWidget;
  QSize sizeHint() const override { return {maximumWidth(), QWidget::sizeHint().height()}; }
};

}  // namespace

void fillBackground(QWidget& widget, const QColor& color) {
  widget.setAutoFillBackground(true);
  QPalette palette = widget.palette();
  palette.setColor(QPalette::Window, color);
  widget.setPalette(palette);
}

Page::Page(QWidget* parent) : QScrollArea(parent), column_(new Column) {
  setFrameShape(QFrame::NoFrame);
  setWidgetResizable(true);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  fillBackground(*this, QB::bgBase);
  fillBackground(*viewport(), QB::bgBase);

  auto* canvas = new QWidget;
  fillBackground(*canvas, QB::bgBase);
  auto* centring = new QHBoxLayout(canvas);
  centring->setContentsMargins(0, 0, 0, 0);
  centring->setSpacing(0);

  column_->setMaximumWidth(kMaxColumnWidth + kPadding.left() + kPadding.right());
  column_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
  sections_ = new QVBoxLayout(column_);
  sections_->setContentsMargins(kPadding);
  sections_->setSpacing(kSectionSpacing);
  sections_->addStretch(1);
  centring->addWidget(column_, 0, Qt::AlignHCenter);
  setWidget(canvas);
}

void Page::addSection(QWidget* section) {
  // Before the stretch that keeps the sections at the top of a short page.
  sections_->insertWidget(sections_->count() - 1, section);
}

Lede::Lede(const QString& text, QWidget* parent) : QLabel(text, parent) {
  setUpParagraph(*this, QB::Font::body(), QB::textMuted);
}

Footer::Footer(const QString& text, QWidget* parent) : QLabel(text, parent) {
  setUpParagraph(*this, QB::Font::caption(), QB::textFaint);
  setContentsMargins(kIndent, 0, 0, 0);
}

Notice::Notice(const QString& text, QWidget* parent) : QLabel(text, parent) {
  setUpParagraph(*this, QB::Font::caption(), QB::warning);
  setContentsMargins(Footer::kIndent, 0, 0, 0);
  hide();
}

}  // namespace qb
