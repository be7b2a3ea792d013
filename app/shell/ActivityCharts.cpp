#include "shell/ActivityCharts.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QDateTime>
#include <QFontMetricsF>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "design/QB.h"
#include "design/QBRow.h"
#include "design/QBSeparator.h"
#include "shell/Format.h"

namespace qb {

namespace {

using Kind = History::Kind;

constexpr Duration kSecondsPerHour = 3600;
// The hour steps tried for the strip's labels, finest first, and the one used when none fits.
constexpr int kHourSteps[] = {1, 2, 3, 4};
constexpr int kCoarsestStep = 6;

QDateTime local(Date date) {
  return QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(std::llround(date.unixTime() * 1000)));
}

QString longWeekday(const History::Day& day) {
  return QLocale().dayName(local(day.start).date().dayOfWeek(), QLocale::LongFormat);
}

// A day's times in words: "1h 5m focus, 10m detours".
QString figures(const History::Day& day) {
  return Format::duration(day.focus) + QStringLiteral(" focus, ") + Format::duration(day.detours) +
         QStringLiteral(" detours");
}

// The word of a kind when it describes one span, and when it sums up the day.
QString word(Kind kind) {
  switch (kind) {
    case Kind::focus:
      return QStringLiteral("Focus");
    case Kind::detour:
      return QStringLiteral("Detour");
    case Kind::breakTime:
      return QStringLiteral("Break");
    case Kind::away:
      return QStringLiteral("Away");
    case Kind::paused:
      return QStringLiteral("Paused");
  }
  return {};
}

QString summaryWord(Kind kind) {
  switch (kind) {
    case Kind::focus:
      return QStringLiteral("focus");
    case Kind::detour:
      return QStringLiteral("detours");
    case Kind::breakTime:
      return QStringLiteral("break");
    case Kind::away:
      return QStringLiteral("away");
    case Kind::paused:
      return QStringLiteral("paused");
  }
  return {};
}

qreal captionHeight() { return QFontMetricsF(QB::Font::caption()).height(); }

}  // namespace

Duration total(const AppModel::Today& today, History::Kind kind) {
  Duration sum = 0;
  for (const History::Span& span : today.spans)
    if (span.kind == kind) sum += span.end.since(span.start);
  return sum;
}

std::optional<History::Span> current(const AppModel::Today& today, Date at) {
  if (today.spans.empty()) return std::nullopt;
  const History::Span& last = today.spans.back();
  if (last.kind == Kind::focus && at.since(last.end) < kRunningSlack) return last;
  return std::nullopt;
}

QColor hue(History::Kind kind) {
  switch (kind) {
    case Kind::focus:
      return QB::Hue::focus;
    case Kind::detour:
      return QB::Hue::detour;
    case Kind::breakTime:
      return QB::Hue::breakTime;
    case Kind::away:
      return QB::lineStrong;
    case Kind::paused:
      return QB::textMuted;
  }
  return QB::textMuted;
}

// --- DayStrip ---

DayStrip::DayStrip(std::vector<History::Span> spans, std::vector<Date> prompts, Date start,
                   Date end, QWidget* parent)
    : QWidget(parent),
      spans_(std::move(spans)),
      prompts_(std::move(prompts)),
      start_(start),
      end_(end),
      fadeFrom_(spans_.size(), 1.0),
      highlightFade_(new QVariantAnimation(this)) {
  highlightFade_->setStartValue(0.0);
  highlightFade_->setEndValue(1.0);
  highlightFade_->setDuration(static_cast<int>(kHighlightFade.count()));
  highlightFade_->setEasingCurve(QEasingCurve::OutCubic);
  connect(highlightFade_, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
    fade_ = value.toReal();
    update();
  });
  setFixedHeight(kHeight);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  setMouseTracking(true);
  setFont(QB::Font::caption());
  setAccessibleName(QStringLiteral("Today from ") + Format::timeOfDay(start_) +
                    QStringLiteral(" to now"));
  setAccessibleDescription(summary());
}

Duration DayStrip::length() const { return std::max(end_.since(start_), 1.0); }

qreal DayStrip::x(Date time, qreal width) const {
  return width * std::clamp(time.since(start_) / length(), 0.0, 1.0);
}

Date DayStrip::timeAt(qreal x, qreal width) const {
  return start_ + x / std::max(width, 1.0) * end_.since(start_);
}

std::vector<Date> DayStrip::hours(qreal width) const {
  const double hours = std::max(end_.since(start_) / kSecondsPerHour, 1.0);
  int step = kCoarsestStep;
  for (int each : kHourSteps) {
    if (width / (hours / each) >= kLabelGap) {
      step = each;
      break;
    }
  }
  std::vector<Date> ticks;
  // Hours are elapsed time, whatever the clocks do: adding them needs no calendar.
  for (Date t = start_; t < end_; t += step * kSecondsPerHour)
    if (x(t, width) <= width - kNowRoom) ticks.push_back(t);
  return ticks;
}

std::optional<Date> DayStrip::prompt(Date near, qreal width) const {
  const Duration reach = kPromptReach * end_.since(start_) / std::max(width, 1.0);
  for (Date each : prompts_)
    if (std::abs(each.since(near)) < reach) return each;
  return std::nullopt;
}

QString DayStrip::describe(qreal x, qreal width) const {
  const Date t = timeAt(x, width);
  if (const auto near = prompt(t, width))
    return QStringLiteral("Prompt at ") + Format::timeOfDay(*near);
  if (const auto index = span(x, width)) {
    const History::Span& found = spans_[static_cast<size_t>(*index)];
    return word(found.kind) + ' ' + Format::timeOfDay(found.start) + QStringLiteral(" to ") +
           Format::timeOfDay(found.end);
  }
  return Format::timeOfDay(t);
}

std::optional<int> DayStrip::span(qreal x, qreal width) const {
  const Date t = timeAt(x, width);
  if (prompt(t, width)) return std::nullopt;
  for (int i = static_cast<int>(spans_.size()) - 1; i >= 0; --i) {
    const History::Span& each = spans_[static_cast<size_t>(i)];
    if (each.start <= t && t <= each.end) return i;
  }
  return std::nullopt;
}

QString DayStrip::summary() const {
  const AppModel::Today day{start_, spans_, prompts_};
  QStringList parts;
  for (Kind kind : {Kind::focus, Kind::detour, Kind::breakTime, Kind::away, Kind::paused}) {
    const Duration seconds = total(day, kind);
    if (seconds > 0) parts << Format::duration(seconds) + ' ' + summaryWord(kind);
  }
  parts << Format::count(static_cast<qint64>(prompts_.size()), QStringLiteral("prompt"),
                         QStringLiteral("prompts"));
  return parts.join(QStringLiteral(", "));
}

QString DayStrip::hourLabel(Date time) {
  const QLocale locale;
  const QString format = locale.timeFormat(QLocale::ShortFormat);
  // A locale that writes times with a day half keeps it beside the bare hour; the others show
  // the hour in their own digits.
  const bool twelveHour = format.contains('a', Qt::CaseInsensitive);
  return locale.toString(local(time).time(),
                         twelveHour ? QStringLiteral("h AP") : QStringLiteral("HH"));
}

QRectF DayStrip::spanRect(int index) const {
  const History::Span& each = spans_[static_cast<size_t>(index)];
  const qreal left = x(each.start, width());
  const qreal right = x(each.end, width());
  return {left, kTrackTop, std::max(right - left, kMinimumSpan), kTrackHeight};
}

QRectF DayStrip::markRect(int index) const {
  const qreal centre = x(prompts_[static_cast<size_t>(index)], width());
  // Centred on the time, and in the band above the track.
  return {centre - kMarkWidth / 2, (kTrackTop - kMarkHeight) / 2, kMarkWidth, kMarkHeight};
}

QSize DayStrip::sizeHint() const { return {0, kHeight}; }

void DayStrip::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const qreal w = width();

  const QRectF track(0, kTrackTop, w, kTrackHeight);
  QPainterPath capsule;
  capsule.addRoundedRect(track, kTrackHeight / 2, kTrackHeight / 2);
  painter.save();
  painter.setClipPath(capsule);
  painter.fillRect(track, QB::fillSecondary);
  for (int i = 0; i < static_cast<int>(spans_.size()); ++i) {
    painter.setOpacity(spanOpacity(i));
    painter.fillRect(spanRect(i), hue(spans_[static_cast<size_t>(i)].kind));
  }
  painter.restore();

  painter.setPen(Qt::NoPen);
  painter.setBrush(QB::Hue::detour);
  for (int i = 0; i < static_cast<int>(prompts_.size()); ++i)
    painter.drawRoundedRect(markRect(i), kMarkWidth / 2, kMarkWidth / 2);

  painter.setFont(QB::Font::caption());
  painter.setPen(QB::textFaint);
  const QFontMetricsF metrics(QB::Font::caption());
  const qreal labelsTop = kBarArea + kLabelSpacing;
  const qreal baseline = labelsTop + metrics.ascent();
  for (Date tick : hours(w)) painter.drawText(QPointF(x(tick, w), baseline), hourLabel(tick));
  const QString now = QStringLiteral("now");
  painter.drawText(QPointF(w - metrics.horizontalAdvance(now), baseline), now);
}

void DayStrip::hover(std::optional<qreal> x) {
  const std::optional<QString> description =
      x ? std::optional<QString>(describe(*x, width())) : std::nullopt;
  const std::optional<int> highlighted = x ? span(*x, width()) : std::nullopt;
  if (highlighted != hoveredSpan_) {
    // From where each span is now, so that a change caught mid-fade does not jump.
    for (int i = 0; i < static_cast<int>(spans_.size()); ++i)
      fadeFrom_[static_cast<size_t>(i)] = spanOpacity(i);
    hoveredSpan_ = highlighted;
    fade_ = 0;
    highlightFade_->stop();
    highlightFade_->start();
    update();
  }
  emit hoveredChanged(description);
}

qreal DayStrip::spanOpacity(int index) const {
  const qreal target = !hoveredSpan_ || *hoveredSpan_ == index ? 1.0 : kDimmed;
  const qreal from = fadeFrom_[static_cast<size_t>(index)];
  return from + (target - from) * fade_;
}

void DayStrip::mouseMoveEvent(QMouseEvent* event) { hover(event->position().x()); }

void DayStrip::leaveEvent(QEvent* /*event*/) { hover(std::nullopt); }

// --- What a screen reader reads of the charts ---

namespace {

// An element a screen reader reads as a name and a value, with nothing inside it to visit: a day
// of the week chart, a project's row. The value is its widget's accessible description, the text
// the desktop's accessibility bus carries to a reader beside the name.
class ReadAloud : public QAccessibleWidget {
public:
  explicit ReadAloud(QWidget* widget) : QAccessibleWidget(widget, QAccessible::StaticText) {}
  QString text(QAccessible::Text kind) const override {
    if (kind == QAccessible::Value) return widget()->accessibleDescription();
    return QAccessibleWidget::text(kind);
  }
  // What the widget holds (a project's bar and duration) is told by the value.
  int childCount() const override { return 0; }
  QAccessibleInterface* child(int /*index*/) const override { return nullptr; }
  int indexOfChild(const QAccessibleInterface* /*child*/) const override { return -1; }
  QAccessibleInterface* childAt(int /*x*/, int /*y*/) const override { return nullptr; }
};

}  // namespace

// One day of the week chart as the accessibility bus shows it: the full weekday as its name, its
// figures as its value. It draws nothing and lets the pointer through: the chart paints and hovers
// the whole week.
class WeekColumn : public QWidget {
public:
  WeekColumn(const QString& weekday, const QString& figures, QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAccessibleName(weekday);
    setAccessibleDescription(figures);
  }
};

namespace {

QAccessibleInterface* readAloud(const QString& /*className*/, QObject* object) {
  if (auto* column = dynamic_cast<WeekColumn*>(object)) return new ReadAloud(column);
  // A project's row is first asked for while QBRow is still being made (naming itself), so it is
  // told apart by what it holds.
  auto* row = qobject_cast<QBRow*>(object);
  if (row != nullptr && qobject_cast<TaskBar*>(row->accessory()) != nullptr) {
    return new ReadAloud(row);
  }
  return nullptr;
}

// Once, before the first element is asked for.
void installReadAloud() {
  static const bool installed = (QAccessible::installFactory(readAloud), true);
  (void)installed;
}

}  // namespace

// --- WeekChart ---

WeekChart::WeekChart(std::vector<History::Day> days, std::optional<int> hovered, QWidget* parent)
    : QWidget(parent), days_(std::move(days)), hovered_(hovered) {
  installReadAloud();
  setFixedHeight(kHeight);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  setMouseTracking(true);
  QStringList columns;
  for (int i = 0; i < count(); ++i) {
    columns << describe(i);
    const History::Day& each = days_[static_cast<size_t>(i)];
    columns_.push_back(new WeekColumn(longWeekday(each), figures(each), this));
  }
  setAccessibleDescription(columns.join(QStringLiteral("; ")));
}

void WeekChart::resizeEvent(QResizeEvent* /*event*/) {
  for (int i = 0; i < count(); ++i)
    columns_[static_cast<size_t>(i)]->setGeometry(columnRect(i).toAlignedRect());
}

Duration WeekChart::top(const std::vector<History::Day>& days) {
  Duration most = kMinimumTop;
  for (const History::Day& day : days) most = std::max(most, day.focus + day.detours);
  return most;
}

qreal WeekChart::barHeight(Duration seconds, Duration top) {
  if (!(seconds > 0)) return 0;
  return std::max(seconds / top * kTallestBar, kMinimumBar);
}

qreal WeekChart::columnWidth() const {
  if (count() == 0) return 0;
  return std::max(0.0, (width() - kColumnSpacing * (count() - 1)) / count());
}

qreal WeekChart::lineHeight() const { return captionHeight(); }

QRectF WeekChart::columnRect(int day) const {
  return {day * (columnWidth() + kColumnSpacing), 0, columnWidth(), qreal(height())};
}

qreal WeekChart::baseline() const { return height() - lineHeight() - kLabelSpacing; }

QRectF WeekChart::focusRect(int day) const {
  const Duration scale = top(days_);
  const qreal h = barHeight(days_[static_cast<size_t>(day)].focus, scale);
  const QRectF column = columnRect(day);
  return {column.center().x() - kBarWidth / 2, baseline() - h, kBarWidth, h};
}

QRectF WeekChart::detourRect(int day) const {
  const Duration scale = top(days_);
  const qreal h = barHeight(days_[static_cast<size_t>(day)].detours, scale);
  const QRectF focus = focusRect(day);
  return {focus.left(), focus.top() - h, kBarWidth, h};
}

QRectF WeekChart::topLabelRect(int day) const {
  const QRectF column = columnRect(day);
  // The bar's box is never less than a pixel tall, even with no bar in it.
  const qreal box = std::max(baseline() - detourRect(day).top(), 1.0);
  const qreal bottom = baseline() - box - kLabelSpacing;
  return {column.left(), bottom - lineHeight(), column.width(), lineHeight()};
}

QRectF WeekChart::weekdayRect(int day) const {
  const QRectF column = columnRect(day);
  return {column.left(), baseline() + kLabelSpacing, column.width(), lineHeight()};
}

QString WeekChart::topLabel(int day) const {
  const History::Day& each = days_[static_cast<size_t>(day)];
  const Duration busy = each.focus + each.detours;
  return busy > 0 ? Format::duration(busy) : QString();
}

QString WeekChart::weekday(int day) const {
  const QDate date = local(days_[static_cast<size_t>(day)].start).date();
  return QLocale().dayName(date.dayOfWeek(), QLocale::ShortFormat);
}

QString WeekChart::describe(int day) const {
  const History::Day& each = days_[static_cast<size_t>(day)];
  return longWeekday(each) + QStringLiteral(", ") + figures(each);
}

bool WeekChart::bright(int day) const { return hovered_ == day || day == count() - 1; }

QSize WeekChart::sizeHint() const { return {0, kHeight}; }

QSize WeekChart::minimumSizeHint() const { return {0, kHeight}; }

void WeekChart::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setFont(QB::Font::caption());
  for (int i = 0; i < count(); ++i) {
    const QRectF column = columnRect(i);
    painter.fillRect(QRectF(column.left(), baseline() - 1, column.width(), 1), QB::separator);

    const QRectF focus = focusRect(i);
    const QRectF detour = detourRect(i);
    const QRectF bar = focus.united(detour);
    if (bar.height() > 0) {
      // Rounded at the top only: the bar stands square on its line.
      QPainterPath shape;
      shape.addRoundedRect(bar, kCornerRadius, kCornerRadius);
      if (bar.height() > kCornerRadius) shape.addRect(bar.adjusted(0, kCornerRadius, 0, 0));
      shape.setFillRule(Qt::WindingFill);
      painter.save();
      painter.setClipPath(shape);
      painter.setOpacity(!hovered_ || *hovered_ == i ? 1.0 : kDimmed);
      painter.fillRect(detour, QB::Hue::detour);
      painter.fillRect(focus, QB::Hue::focus);
      painter.restore();
    }

    painter.setPen(bright(i) ? QB::text : QB::textMuted);
    painter.drawText(topLabelRect(i), Qt::AlignHCenter | Qt::AlignBottom, topLabel(i));
    painter.setPen(i == count() - 1 ? QB::text : QB::textMuted);
    painter.drawText(weekdayRect(i), Qt::AlignHCenter | Qt::AlignTop, weekday(i));
  }
}

void WeekChart::hover(std::optional<int> day) {
  if (day == hovered_) return;
  hovered_ = day;
  update();
  emit hoveredChanged(hovered_);
}

void WeekChart::mouseMoveEvent(QMouseEvent* event) {
  const qreal x = event->position().x();
  for (int i = 0; i < count(); ++i) {
    const QRectF column = columnRect(i);
    if (x >= column.left() && x < column.right()) return hover(i);
  }
  hover(std::nullopt);
}

void WeekChart::leaveEvent(QEvent* /*event*/) { hover(std::nullopt); }

// --- TaskBars ---

TaskBar::TaskBar(qreal barWidth, QString value, QWidget* parent)
    : QWidget(parent), barWidth_(barWidth), value_(std::move(value)) {
  setFont(QB::Font::body());
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize TaskBar::sizeHint() const {
  const QFontMetricsF metrics(font());
  const qreal text = std::max<qreal>(kValueWidth, metrics.horizontalAdvance(value_));
  return {static_cast<int>(std::ceil(barWidth_ + kSpacing + text)),
          static_cast<int>(std::ceil(std::max(metrics.height(), kHeight)))};
}

QRectF TaskBar::barRect() const { return {0, (height() - kHeight) / 2, barWidth_, kHeight}; }

void TaskBar::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  if (barWidth_ > 0) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(QB::Hue::focus);
    painter.drawRoundedRect(barRect(), kHeight / 2, kHeight / 2);
  }
  painter.setPen(QB::textMuted);
  const QRectF text(barWidth_ + kSpacing, 0, width() - barWidth_ - kSpacing, height());
  painter.drawText(text, Qt::AlignRight | Qt::AlignVCenter, value_);
}

qreal TaskBars::barWidth(double seconds, double largest) {
  // In the minutes the durations show, so that no bar stands beside "0m".
  const auto minutes = static_cast<qreal>(Format::minutes(seconds));
  const auto scale = static_cast<qreal>(Format::minutes(largest));
  if (minutes <= 0 || scale <= 0) return 0;
  return std::max(minutes / scale * kLongestBar, kShortestBar);
}

TaskBars::TaskBars(const std::vector<AppModel::TaskTime>& tasks, QWidget* parent)
    : QWidget(parent) {
  installReadAloud();
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  const size_t shown = std::min(tasks.size(), kMaxShown);
  double largest = 0;
  for (size_t i = 0; i < shown; ++i) largest = std::max(largest, tasks[i].seconds);
  for (size_t i = 0; i < shown; ++i) {
    if (i > 0) column->addWidget(new QBSeparator);
    const AppModel::TaskTime& task = tasks[i];
    const QString duration = Format::duration(task.seconds);
    auto* row = new QBRow(QString::fromStdString(task.name), std::nullopt,
                          new TaskBar(barWidth(task.seconds, largest), duration));
    row->setAccessibleDescription(duration);
    rows_.push_back(row);
    column->addWidget(row);
  }
}

}  // namespace qb
