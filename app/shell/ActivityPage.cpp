#include "shell/ActivityPage.h"

#include <QDateTime>
#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QVBoxLayout>
#include <cmath>

#include "design/QB.h"
#include "design/QBGroup.h"
#include "design/QBRow.h"
#include "design/QBSeparator.h"
#include "model/AppModel.h"
#include "sensing/Prefs.h"
#include "shell/ActivityCharts.h"
#include "shell/Format.h"

namespace qb {

namespace {

QLabel* text(const QString& content, const QFont& font, const QColor& color) {
  auto* label = new QLabel(content);
  label->setFont(font);
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, color);
  label->setPalette(palette);
  return label;
}

// A row's value: a duration or a count.
QLabel* value(const QString& content) { return text(content, QB::Font::body(), QB::textMuted); }

// Rows with a separator between each two.
void addRows(QBGroup& group, const std::vector<QBRow*>& rows) {
  for (size_t i = 0; i < rows.size(); ++i) {
    if (i > 0) group.addRow(new QBSeparator);
    group.addRow(rows[i]);
  }
}

QFont figureFont() {
  QFont font = QB::Font::heading();
  font.setPixelSize(Figure::kValueSize);
  font.setWeight(QFont::DemiBold);
  return font;
}

}  // namespace

// --- Legend ---

Legend::Legend(const QColor& color, const QString& label, QWidget* parent)
    : QWidget(parent), color_(color), label_(label) {
  setFont(QB::Font::caption());
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  setAccessibleName(label_);
}

QSize Legend::sizeHint() const {
  const QFontMetricsF metrics(font());
  return {static_cast<int>(std::ceil(kSwatch + kSpacing + metrics.horizontalAdvance(label_))),
          static_cast<int>(std::ceil(std::max<qreal>(kSwatch, metrics.height())))};
}

void Legend::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(color_);
  painter.drawRoundedRect(QRectF(0, (height() - kSwatch) / 2.0, kSwatch, kSwatch), kSwatchRadius,
                          kSwatchRadius);
  painter.setPen(QB::textMuted);
  painter.drawText(QRectF(kSwatch + kSpacing, 0, width() - kSwatch - kSpacing, height()),
                   Qt::AlignLeft | Qt::AlignVCenter, label_);
}

// --- Figure ---

Figure::Figure(const QString& label, const QString& value, const QColor& hue, QWidget* parent)
    : QWidget(parent),
      label_(text(label, QB::Font::caption(), QB::textMuted)),
      value_(text(value, figureFont(), hue)) {
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(kSpacing);
  column->addWidget(label_);
  column->addWidget(value_);
  setAccessibleName(label + ' ' + value);
}

QString Figure::label() const { return label_->text(); }

QString Figure::value() const { return value_->text(); }

// --- ActivityPage ---

ActivityPage::ActivityPage(AppModel& model, Navigation& /*navigation*/, QWidget* parent)
    : Page(parent), model_(model), sections_(new QWidget), layout_(new QVBoxLayout(sections_)) {
  layout_->setContentsMargins(0, 0, 0, 0);
  layout_->setSpacing(kSectionSpacing);
  addSection(sections_);
  rebuild();
  connect(&model_, &AppModel::changed, this, [this](AppModel::Property property) {
    if (property == AppModel::Property::week || property == AppModel::Property::weekTasks)
      rebuild();
  });
  connect(&model_.prefs(), &Prefs::keepDaysChanged, this, [this] { rebuild(); });
}

QString ActivityPage::summary(const History::Day& day) {
  const auto milliseconds = static_cast<qint64>(std::llround(day.start.unixTime() * 1000));
  const QDate date = QDateTime::fromMSecsSinceEpoch(milliseconds).date();
  return QLocale().dayName(date.dayOfWeek(), QLocale::LongFormat) + QStringLiteral(": ") +
         Format::duration(day.focus) + QStringLiteral(" focus, ") + Format::duration(day.detours) +
         QStringLiteral(" detours, ") +
         Format::count(day.prompts, QStringLiteral("prompt"), QStringLiteral("prompts"));
}

History::Day ActivityPage::weekTotal(const std::vector<History::Day>& week) {
  History::Day sum;
  for (const History::Day& day : week) {
    sum.focus += day.focus;
    sum.detours += day.detours;
    sum.away += day.away;
    sum.paused += day.paused;
    sum.prompts += day.prompts;
    sum.back += day.back;
    sum.forWork += day.forWork;
    sum.breaks += day.breaks;
    sum.closed += day.closed;
    sum.switches += day.switches;
  }
  return sum;
}

void ActivityPage::showCaption() {
  const auto& week = model_.week();
  if (hovered_ && *hovered_ >= 0 && *hovered_ < static_cast<int>(week.size()))
    caption_->setText(summary(week[static_cast<size_t>(*hovered_)]));
  else
    caption_->setText(QStringLiteral("Time at the computer, estimated"));
}

QBGroup* ActivityPage::timeGroup(const History::Day& total) {
  auto* group = new QBGroup(QStringLiteral("Time"), QStringLiteral("clock.fill"), QB::textMuted);
  addRows(*group, {new QBRow(QStringLiteral("Focus (est.)"), QB::Hue::focus,
                             value(Format::duration(total.focus))),
                   new QBRow(QStringLiteral("Detours (est.)"), QB::Hue::detour,
                             value(Format::duration(total.detours))),
                   new QBRow(QStringLiteral("Away (est.)"), QB::lineStrong,
                             value(Format::duration(total.away))),
                   new QBRow(QStringLiteral("Paused"), QB::textMuted,
                             value(Format::duration(total.paused)))});
  return group;
}

QBGroup* ActivityPage::promptsGroup(const History::Day& total) {
  auto* group =
      new QBGroup(QStringLiteral("Prompts"), QStringLiteral("bell.fill"), QB::Hue::detour);
  addRows(
      *group,
      {new QBRow(QStringLiteral("Shown"), QB::Hue::detour, value(QString::number(total.prompts))),
       new QBRow(QStringLiteral("Back to work"), QB::Hue::focus,
                 value(QString::number(total.back))),
       new QBRow(QStringLiteral("It's for work"), QB::Hue::focus,
                 value(QString::number(total.forWork))),
       new QBRow(QStringLiteral("Breaks"), QB::Hue::breakTime,
                 value(QString::number(total.breaks))),
       new QBRow(QStringLiteral("Closed"), QB::lineStrong, value(QString::number(total.closed)))});
  return group;
}

void ActivityPage::rebuild() {
  while (QLayoutItem* item = layout_->takeAt(0)) {
    if (QWidget* widget = item->widget()) {
      widget->hide();
      widget->deleteLater();
    }
    delete item;
  }
  chart_ = nullptr;

  const auto& week = model_.week();
  const History::Day total = weekTotal(week);

  // The heading and its caption share a baseline.
  auto* header = new QWidget;
  auto* headerRow = new QHBoxLayout(header);
  headerRow->setContentsMargins(0, 0, 0, 0);
  auto* heading = text(QStringLiteral("Last 7 days"), QB::Font::heading(), QB::text);
  caption_ = text({}, QB::Font::caption(), QB::textFaint);
  const int drop = static_cast<int>(std::lround(QFontMetricsF(QB::Font::heading()).ascent() -
                                                QFontMetricsF(QB::Font::caption()).ascent()));
  caption_->setContentsMargins(0, drop, 0, 0);
  headerRow->addWidget(heading, 0, Qt::AlignTop);
  headerRow->addStretch();
  headerRow->addWidget(caption_, 0, Qt::AlignTop);
  showCaption();
  layout_->addWidget(header);

  if (total.focus + total.detours == 0 && total.prompts == 0) {
    layout_->addWidget(new Lede(QStringLiteral("No history yet. The week fills in as you work.")));
  } else {
    chart_ = new WeekChart(week, hovered_);
    connect(chart_, &WeekChart::hoveredChanged, this, [this](const std::optional<int>& day) {
      hovered_ = day;
      showCaption();
    });
    layout_->addWidget(chart_);
    auto* key = new QWidget;
    auto* legends = new QHBoxLayout(key);
    legends->setContentsMargins(0, 0, 0, 0);
    legends->setSpacing(kLegendSpacing);
    legends->addWidget(new Legend(QB::Hue::focus, QStringLiteral("Focus")));
    legends->addWidget(new Legend(QB::Hue::detour, QStringLiteral("Detours")));
    legends->addStretch();
    layout_->addWidget(key);
  }

  layout_->addWidget(timeGroup(total));

  if (!model_.weekTasks().empty()) {
    auto* projects = new QBGroup(QStringLiteral("Focus by project"), QStringLiteral("folder.fill"),
                                 QB::Hue::focus);
    projects->addRow(new TaskBars(model_.weekTasks()));
    layout_->addWidget(projects);
  }

  auto* switches = new QBGroup(QStringLiteral("Switches"), QStringLiteral("arrow.left.arrow.right"),
                               QB::textMuted);
  switches->addRow(new QBRow(QStringLiteral("To other work"), std::nullopt,
                             value(QString::number(total.switches))));
  layout_->addWidget(switches);

  layout_->addWidget(promptsGroup(total));

  const qint64 keepDays = model_.prefs().keepDays();
  if (keepDays <= kShortHistory)
    layout_->addWidget(
        new Footer(QStringLiteral("History is kept for ") +
                   Format::count(keepDays, QStringLiteral("day"), QStringLiteral("days")) +
                   QStringLiteral(". Change it in Settings.")));
}

}  // namespace qb
