// The charts of the main window's pages, drawn on the design tokens, and the two figures of today
// they and the pages share.
//
// DayStrip: today as a horizontal timeline: one coloured stretch per span, a small mark above the
// track for each prompt, hour labels under it and "now" at its right end. It tells what lies under
// the pointer (a prompt, else the latest span there, else the time) and dims the other spans,
// easing over kHighlightFade rather than jumping, as the pointer moves from span to span.
//
// WeekChart: one stacked bar per day, detours above focus, all on one scale whose top is the
// busiest day (at least an hour); the duration above each bar and the weekday below it. Today,
// the last day, and the day under the pointer are labelled brightly and the others dimmed. To a
// screen reader each day's column is an element of its own, over the column: the full weekday as
// its name, "1h 5m focus, 10m detours" as its value (and its description, which is what the
// desktop's accessibility bus carries to a reader).
//
// TaskBars: up to kMaxShown projects in the order given, each with its duration and a bar as long
// as its share of the largest shown. Shares are of the whole minutes the durations show, so that a
// bar never says more than the text beside it: a project at "0m" has no bar, and when the largest
// is at "0m" no project has one. To a screen reader each row is an element with the project's name
// as its name and the duration as its value (and description), as a day of the week chart is.
//
// Each chart is built from the values it draws and holds nothing else; its container rebuilds it
// when they change and hears what lies under the pointer through the chart's signal. Main thread
// only.

#pragma once

#include <QString>
#include <QVariantAnimation>
#include <QWidget>
#include <chrono>
#include <optional>
#include <vector>

#include "base/Date.h"
#include "model/AppModel.h"
#include "recording/History.h"

namespace qb {

class QBRow;
class WeekColumn;

// The seconds of today's spans of that kind, as they are (no clipping, no merging).
Duration total(const AppModel::Today& today, History::Kind kind);
// The focus stretch still running at `at`: the last span, when it is focus and ended less than
// kRunningSlack before `at`. A focus span followed by any other is never running.
inline constexpr Duration kRunningSlack = 90;
std::optional<History::Span> current(const AppModel::Today& today, Date at);

// The colour of a kind of span on every page.
QColor hue(History::Kind kind);

class DayStrip : public QWidget {
  Q_OBJECT

public:
  static constexpr int kHeight = 44;
  static constexpr qreal kTrackTop = 10;  // the prompt marks stand in the band above the track
  static constexpr qreal kTrackHeight = 12;
  static constexpr qreal kBarArea = 22;       // the band and the track
  static constexpr qreal kLabelSpacing = 6;   // bar area to hour labels
  static constexpr qreal kMinimumSpan = 1.5;  // so that a short span still shows
  static constexpr qreal kMarkWidth = 2;      // a prompt's mark
  static constexpr qreal kMarkHeight = 6;     //
  static constexpr qreal kLabelGap = 52;      // the least room between two hour labels
  static constexpr qreal kNowRoom = 76;       // kept clear of hour labels for "now"
  static constexpr qreal kPromptReach = 4;    // how near the pointer a prompt's mark answers
  static constexpr qreal kDimmed = 0.45;      // the opacity of the spans not under the pointer
  static constexpr std::chrono::milliseconds kHighlightFade{80};  // ease-out to the new highlight

  // spans in time order; start and end: the times at the strip's left and right edges.
  DayStrip(std::vector<History::Span> spans, std::vector<Date> prompts, Date start, Date end,
           QWidget* parent = nullptr);

  // The times of the hour labels over a strip `width` wide: from start, every 1, 2, 3 or 4 hours
  // (the first that keeps labels kLabelGap apart, else 6), none in the last kNowRoom.
  std::vector<Date> hours(qreal width) const;
  // What lies at `x` on a strip `width` wide: "Prompt at 9:41 AM", "Focus 9:05 AM to 10:12 AM",
  // or the time there.
  QString describe(qreal x, qreal width) const;
  // The span to highlight at `x`: the last that holds the time there; none near a prompt.
  std::optional<int> span(qreal x, qreal width) const;
  // The first prompt within kPromptReach of `near` on a strip `width` wide.
  std::optional<Date> prompt(Date near, qreal width) const;
  // Today's totals in words, then the number of prompts: what the strip reads as aloud.
  QString summary() const;

  // Where a time lies on a strip `width` wide, clamped to the strip.
  qreal x(Date time, qreal width) const;
  // Where each piece is drawn at the strip's width now.
  QRectF spanRect(int index) const;
  QRectF markRect(int index) const;
  // The hour label's text for a time: the hour alone, in the user's locale.
  static QString hourLabel(Date time);

  const std::optional<int>& hoveredSpan() const { return hoveredSpan_; }
  // How opaque span `index` is drawn now: on its way to 1, or to kDimmed beside the highlighted.
  qreal spanOpacity(int index) const;

  QSize sizeHint() const override;

signals:
  // What lies under the pointer, or none once it has left.
  void hoveredChanged(const std::optional<QString>& description);

protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;

private:
  Duration length() const;  // end − start, at least a second
  Date timeAt(qreal x, qreal width) const;
  void hover(std::optional<qreal> x);

  std::vector<History::Span> spans_;
  std::vector<Date> prompts_;
  Date start_;
  Date end_;
  std::optional<int> hoveredSpan_;
  // Each span's opacity as the highlight last changed, and how far it has eased since (0 to 1).
  std::vector<qreal> fadeFrom_;
  qreal fade_ = 1;
  QVariantAnimation* highlightFade_;
};

class WeekChart : public QWidget {
  Q_OBJECT

public:
  static constexpr int kHeight = 190;
  static constexpr qreal kColumnSpacing = 12;
  static constexpr qreal kLabelSpacing = 6;  // between the labels and the bar
  static constexpr qreal kTallestBar = 150;  // the bar of a day at the top of the scale
  static constexpr qreal kMinimumBar = 2;    // so that a few seconds still show
  static constexpr qreal kBarWidth = 28;
  static constexpr qreal kCornerRadius = 4;      // of the bar's top corners
  static constexpr Duration kMinimumTop = 3600;  // the scale's top on a quiet week
  static constexpr qreal kDimmed = 0.45;

  // days oldest first, the last one today; hovered: the day under the pointer as the chart
  // starts, for a chart rebuilt under a resting pointer.
  explicit WeekChart(std::vector<History::Day> days, std::optional<int> hovered = std::nullopt,
                     QWidget* parent = nullptr);

  // The seconds at the top of the scale: the most focus and detours of one day, at least
  // kMinimumTop.
  static Duration top(const std::vector<History::Day>& days);
  // How tall a part of a bar is drawn: nothing for no time, else in proportion to the scale, but
  // at least kMinimumBar.
  static qreal barHeight(Duration seconds, Duration top);

  // The pieces of day i's column at the chart's width now.
  QRectF columnRect(int day) const;
  QRectF focusRect(int day) const;
  QRectF detourRect(int day) const;
  QRectF topLabelRect(int day) const;
  QRectF weekdayRect(int day) const;
  // The y of the line the bars stand on.
  qreal baseline() const;
  // The duration above day i's bar (empty for a day with neither focus nor detours), its weekday
  // below it, and the whole column in words.
  QString topLabel(int day) const;
  QString weekday(int day) const;
  QString describe(int day) const;

  const std::optional<int>& hovered() const { return hovered_; }

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

signals:
  void hoveredChanged(const std::optional<int>& day);

protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;

private:
  int count() const { return static_cast<int>(days_.size()); }
  qreal columnWidth() const;
  qreal lineHeight() const;
  bool bright(int day) const;
  void hover(std::optional<int> day);

  std::vector<History::Day> days_;
  std::optional<int> hovered_;
  std::vector<WeekColumn*> columns_;  // children, one per day, for the accessibility bus
};

// One project's bar and duration: the accessory of a TaskBars row.
class TaskBar : public QWidget {
  Q_OBJECT

public:
  static constexpr qreal kHeight = 6;
  static constexpr qreal kSpacing = 8;  // bar to duration
  static constexpr int kValueWidth = 64;

  TaskBar(qreal barWidth, QString value, QWidget* parent = nullptr);

  QRectF barRect() const;
  const QString& value() const { return value_; }

  QSize sizeHint() const override;

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  qreal barWidth_;
  QString value_;
};

class TaskBars : public QWidget {
  Q_OBJECT

public:
  static constexpr size_t kMaxShown = 5;
  static constexpr qreal kLongestBar = 120;  // the largest shown project's bar
  static constexpr qreal kShortestBar = 4;

  explicit TaskBars(const std::vector<AppModel::TaskTime>& tasks, QWidget* parent = nullptr);

  // How long the bar of a project of `seconds` is beside the largest shown, of `largest` seconds:
  // none for a project or a largest that shows no minute, else its share of kLongestBar, at least
  // kShortestBar.
  static qreal barWidth(double seconds, double largest);

  const std::vector<QBRow*>& rows() const { return rows_; }

private:
  std::vector<QBRow*> rows_;  // children, in order
};

}  // namespace qb
