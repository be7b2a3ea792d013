// StateLabel: the program's state at a glance, in the home page's header and on the tray card.
//
// Needing the accessibility permission and having no model are warnings the user must act on:
// they show as a StatusBadge. Every other state is a lock and a word: a closed lock in the accent
// colour and a bright word while protecting, an open lock and a muted word otherwise. Given the
// time now, a break's word counts down the time left ("On break, 4:59"); the owner sets a new
// `now` to move it on. Going into or out of protecting fades the colours over kFadeMilliseconds,
// the open lock giving way to the closed one.
//
// Assistive technologies read the label as one element: its word.

#pragma once

#include <QString>
#include <QVariantAnimation>
#include <QWidget>
#include <optional>

#include "base/Date.h"
#include "design/StatusBadge.h"
#include "model/AppModel.h"

namespace qb {

// The state as a badge: the tone and the word for each status.
struct StateBadge {
  StatusBadge::Tone tone;
  QString text;
  friend bool operator==(const StateBadge&, const StateBadge&) = default;
};
StateBadge badge(const AppModel::Status& status);

class StateLabel : public QWidget {
  Q_OBJECT

public:
  // The two sizes: the home page's large one and the tray card's small one.
  struct Metrics {
    int spacing;      // between the lock's frame and the word
    int symbolSide;   // the lock's square
    int symbolFrame;  // the width the lock is centred in, so the word does not shift as it changes
  };
  static constexpr Metrics kLarge{7, 15, 18};
  static constexpr Metrics kSmall{5, 11, 13};
  // The large word's size in pixels (semibold); the small one is QB::Font::labelSmall().
  static constexpr int kLargeWordPixels = 17;
  static constexpr int kFadeMilliseconds = 200;

  // now: the time the label describes; none shows a break without its time left.
  StateLabel(AppModel::Status status, std::optional<Date> now, bool large,
             QWidget* parent = nullptr);

  void setStatus(AppModel::Status status, std::optional<Date> now);
  const AppModel::Status& status() const { return status_; }
  bool isLarge() const { return large_; }

  // "On break, " and the time left on a clock when `now` is given during a break; otherwise the
  // badge's word.
  static QString word(const AppModel::Status& status, std::optional<Date> now);
  // What the label shows now: the badge's word for a warning, else word().
  QString text() const;
  // The badge standing in for the lock and word, or null when the state is not a warning.
  const StatusBadge* warningBadge() const { return badge_->isHidden() ? nullptr : badge_; }

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override { return sizeHint(); }

protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

private:
  bool isWarning() const;
  // How far the look has come toward protecting: 0 not protecting, 1 protecting.
  qreal protectedness() const;
  const Metrics& metrics() const { return large_ ? kLarge : kSmall; }
  const QFont& wordFont() const;
  void changed();

  AppModel::Status status_;
  std::optional<Date> now_;
  bool large_;
  StatusBadge* badge_;            // a child; shown for warnings only
  QVariantAnimation protecting_;  // protectedness() while the look fades
};

}  // namespace qb
