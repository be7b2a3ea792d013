// Today on the home page.
//
// TodaySection: today's focus time in large figures, the day strip from a full hour at least an
// hour back up to now, and today's other figures (detours and prompts always; breaks, away and
// paused time when there was any). Before anything was counted it says so instead. The caption
// at its right names the strip's stretch of time, or what lies under the pointer on the strip.
// It is made for one value of today at one time: its owner makes a new one when today changes.
//
// StretchFigure: the focus stretch running now (when the owner allows one to be shown), else the
// longest one today, with when it started; while a stretch runs and a longer one was made earlier
// today, that one's length under it. It redraws itself at the start of every minute of its clock.
//
// Main thread only; the clock must outlive the views.

#pragma once

#include <QString>
#include <QTimer>
#include <QWidget>
#include <optional>

#include "base/Date.h"
#include "base/WallClock.h"
#include "model/AppModel.h"

class QLabel;

namespace qb {

class DayStrip;
class ElidedText;

class TodaySection : public QWidget {
  Q_OBJECT

public:
  static constexpr int kEmptyTop = 8;     // above the word that nothing was counted
  static constexpr int kFocusTop = 2;     // above today's focus
  static constexpr int kStripTop = 12;    // above the strip
  static constexpr int kFiguresTop = 16;  // above the other figures
  static constexpr int kFocusSpacing = 6;
  static constexpr int kFocusPixels = 22;  // today's focus: semibold, letters kFocusTracking apart
  static constexpr qreal kFocusTracking = -0.2;
  static constexpr int kFiguresSpacing = 28;
  // The strip reaches back at least this far, to the full hour before.
  static constexpr Duration kLookBack = 3600;

  TodaySection(const AppModel::Today& today, Date now, QWidget* parent = nullptr);

  // Where the strip begins: the full hour before the earlier of the day's first span (else its
  // first prompt, else now) and an hour before now, in the user's time zone.
  static Date stripStart(const AppModel::Today& today, Date now);

  // What the section shows, for the tests: the caption at the right of its header, today's focus
  // ("" before anything was counted), the labels of the figures under the strip, in order.
  QString caption() const;
  QString focus() const;
  QStringList figures() const;
  // The strip, or null before anything was counted.
  DayStrip* strip() const { return strip_; }

private:
  void showCaption(const std::optional<QString>& hovered);

  Date start_;
  ElidedText* caption_;
  ElidedText* focus_ = nullptr;
  DayStrip* strip_ = nullptr;
  QStringList figures_;
};

class StretchFigure : public QWidget {
  Q_OBJECT

public:
  static constexpr int kSpacing = 2;
  static constexpr int kRowSpacing = 10;   // the length to its start
  static constexpr int kValuePixels = 40;  // the length: semibold, letters kValueTracking apart
  static constexpr qreal kValueTracking = -0.6;
  // A running stretch this close to the longest of the day no longer mentions the longest.
  static constexpr Duration kLongestMargin = 60;

  // live: whether a stretch still running may be shown rather than the longest.
  StretchFigure(AppModel::Today today, bool live, const WallClock& clock,
                QWidget* parent = nullptr);

  // The texts at a time: the title, the length, its start ("since 9:05" or "from 9:05") and the
  // longest stretch's length under it; the last three empty when not shown.
  struct Texts {
    QString title;
    QString value;
    QString start;
    QString longest;
    friend bool operator==(const Texts&, const Texts&) = default;
  };
  Texts texts(Date at) const;
  // What is shown now.
  const Texts& shown() const { return shown_; }

private:
  void redraw();

  AppModel::Today today_;
  bool live_;
  const WallClock& clock_;
  Texts shown_;
  ElidedText* title_;
  QWidget* row_;
  ElidedText* value_;
  ElidedText* start_;
  ElidedText* longest_;
  QTimer minute_;  // single shot, at the next minute's start
};

}  // namespace qb
