#include "shell/QuestionView.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "design/QB.h"
#include "design/QBButtonBody.h"
#include "design/QBButtonStyle.h"
#include "shell/ElidedText.h"
#include "shell/Format.h"

namespace qb {

QString QuestionView::place(const DailyQuestion::Page& page) {
  return QString::fromStdString(page.moment.displayName()) + QStringLiteral(" \u00B7 ") +
         Format::duration(page.seconds) + QStringLiteral(" today");
}

QuestionView::QuestionView(DailyQuestion::Page page, bool wide, Answer answer, QWidget* parent)
    : QWidget(parent),
      wide_(wide),
      answer_(std::move(answer)),
      title_(new ElidedText(QString::fromStdString(page.moment.title), QB::Font::body(),
                            QB::textMuted, 1)) {
  // Digits in the desktop's sans-serif faces are tabular already; Qt 6.4 offers no switch for it.
  auto* where = new ElidedText(place(page), QB::Font::caption(), QB::textFaint, 1);
  where->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  auto* texts = new QVBoxLayout;
  texts->setSpacing(kTextSpacing);
  auto* question =
      new ElidedText(QStringLiteral("Was this for work?"), QB::Font::bodyStrong(), QB::text, 1);
  question->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  texts->addWidget(question);

  if (wide) {
    // The place sits on the title's baseline: pushed down by the difference of their ascents.
    where->setContentsMargins(
        0, QFontMetrics(QB::Font::body()).ascent() - QFontMetrics(QB::Font::caption()).ascent(), 0,
        0);
    auto* line = new QHBoxLayout;
    line->setSpacing(kPlaceSpacing);
    line->addWidget(title_, 0, Qt::AlignTop);
    line->addWidget(where, 0, Qt::AlignTop);
    texts->addLayout(line);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(kWideSpacing);
    row->addLayout(texts);
    row->addStretch();
    row->addWidget(buttons(false));
  } else {
    texts->addWidget(title_);
    texts->addWidget(where);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(kNarrowSpacing);
    column->addLayout(texts);
    column->addWidget(buttons(true));
  }
}

QWidget* QuestionView::buttons(bool full) {
  const QBButtonStyle style{QBButtonStyle::Kind::secondary, QBButtonStyle::Size::small, full};
  forWork_ = style.makeBody(QStringLiteral("For work"));
  notForWork_ = style.makeBody(QStringLiteral("Not for work"));
  connect(forWork_, &QAbstractButton::clicked, this, [this] { answer_(true); });
  connect(notForWork_, &QAbstractButton::clicked, this, [this] { answer_(false); });

  auto* pair = new QWidget;
  auto* row = new QHBoxLayout(pair);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(kButtonSpacing);
  row->addWidget(forWork_);
  row->addWidget(notForWork_);
  return pair;
}

}  // namespace qb
