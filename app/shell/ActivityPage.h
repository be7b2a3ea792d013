// ActivityPage: the main window's look back over the last days. A header whose caption tells the
// day under the pointer, the week chart (or a word that there is no history yet), a colour key,
// then the week's totals: time by kind, focus by project (when there are projects), switches to
// other work and what became of the prompts. A short history setting is pointed out at the foot.
//
// The page rebuilds itself when the week, its projects or the days kept change, and holds nothing
// but the day under the pointer.
//
// Legend and Figure: the small colour key and captioned number the pages share.
//
// Main thread only. The model must outlive the page.

#pragma once

#include <QColor>
#include <QString>
#include <QWidget>
#include <optional>
#include <vector>

#include "recording/History.h"
#include "shell/PageChrome.h"

class QLabel;
class QVBoxLayout;

namespace qb {

class AppModel;
class Navigation;
class QBGroup;
class WeekChart;

// A colour swatch and its label.
class Legend : public QWidget {
  Q_OBJECT

public:
  static constexpr int kSwatch = 10;
  static constexpr qreal kSwatchRadius = 2;
  static constexpr int kSpacing = 6;

  Legend(const QColor& color, const QString& label, QWidget* parent = nullptr);

  const QString& label() const { return label_; }
  QSize sizeHint() const override;

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  QColor color_;
  QString label_;
};

// A number under its caption, in the colour of what it counts.
class Figure : public QWidget {
  Q_OBJECT

public:
  static constexpr int kSpacing = 2;
  static constexpr int kValueSize = 15;

  Figure(const QString& label, const QString& value, const QColor& hue, QWidget* parent = nullptr);

  QString label() const;
  QString value() const;

private:
  QLabel* label_;
  QLabel* value_;
};

class ActivityPage : public Page {
  Q_OBJECT

public:
  static constexpr int kLegendSpacing = 16;
  // The days kept from which the page points out the setting.
  static constexpr int kShortHistory = 6;

  // The page links nowhere: the navigation is not kept.
  ActivityPage(AppModel& model, Navigation& navigation, QWidget* parent = nullptr);

  // The day in one line: "Wednesday: 1h 30m focus, 12m detours, 3 prompts".
  static QString summary(const History::Day& day);
  // Every counter of the days summed.
  static History::Day weekTotal(const std::vector<History::Day>& week);

  // The header's caption; the chart, none while there is no history.
  QLabel* caption() const { return caption_; }
  WeekChart* chart() const { return chart_; }
  const std::optional<int>& hovered() const { return hovered_; }

private:
  void rebuild();
  void showCaption();
  QBGroup* timeGroup(const History::Day& total);
  QBGroup* promptsGroup(const History::Day& total);

  AppModel& model_;
  std::optional<int> hovered_;  // the day under the pointer, an index into the week
  QWidget* sections_;           // everything the page rebuilds; a child
  QVBoxLayout* layout_;         // of sections_
  QLabel* caption_ = nullptr;   // a child of sections_
  WeekChart* chart_ = nullptr;  // a child of sections_; null without history
};

}  // namespace qb
