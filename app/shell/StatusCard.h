// StatusCard: the head of the tray menu. It says what state protection is in, one sentence about
// that state (or the work being protected), and, while the program watches, what is in front and
// how it was classified.
//
// The card follows the model: a change of anything it shows redraws it at once. The time it
// describes is its owner's: the menu gives the time it opened and, during a break, sets the time
// again every second (setNow) so that the time left counts down. Its width is fixed; its height is
// what its rows take. Main thread only; the model must outlive the card.

#pragma once

#include <QMargins>
#include <QString>
#include <QWidget>

#include "base/Date.h"
#include "model/AppModel.h"

namespace qb {

class AppIcon;
class ElidedText;
class Mark;
class StateLabel;

class StatusCard : public QWidget {
  Q_OBJECT

public:
  static constexpr int kWidth = 300;
  static constexpr QMargins kPadding{14, 8, 14, 6};
  static constexpr int kRowSpacing = 12;
  // The header: the mark, the program's name, a gap of at least kHeaderGap, the state label.
  static constexpr int kHeaderSpacing = 8;
  static constexpr int kMarkSize = 16;
  static constexpr int kHeaderGap = 16;
  // The sentence wraps to at most this many lines; the work being protected keeps to one.
  static constexpr int kSentenceLines = 2;
  // The seen row: the application's icon, its name, a gap of at least kSeenGap, the verdict.
  static constexpr int kSeenSpacing = 8;
  static constexpr int kIconSize = 16;
  static constexpr int kSeenGap = 12;

  StatusCard(AppModel& model, Date now, QWidget* parent = nullptr);

  Date now() const { return now_; }
  void setNow(Date now);

  // The sentence about the status, as shown unless the work being protected is named instead.
  QString line() const;
  // How the page in front was classified: empty until it is analysed, "Unsure" when the analyser
  // abstained.
  static QString activityWord(const AppModel::Seen& seen);

  // The rows, for the menu's tests.
  const StateLabel& stateLabel() const { return *state_; }
  const ElidedText& sentence() const { return *sentence_; }
  // Hidden unless the program watches and something was seen.
  const QWidget& seenRow() const { return *seenRow_; }
  const ElidedText& seenName() const { return *seenName_; }
  const ElidedText& seenActivity() const { return *seenActivity_; }

private:
  void refresh();

  AppModel& model_;
  Date now_;
  Mark* mark_;
  StateLabel* state_;
  ElidedText* sentence_;
  QWidget* seenRow_;
  AppIcon* seenIcon_;
  ElidedText* seenName_;
  ElidedText* seenActivity_;
};

}  // namespace qb
