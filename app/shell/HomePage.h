// HomePage: the main window's first page. In one column it tells the user what the program is
// doing right now and offers the commands that fit: the state label with its buttons, a large
// headline (the work being protected, or what the program needs), a line of detail, what is in
// front and which coding agent is busy, today's question while one is due, then today's figures
// and time per project, with a notice above them while the event log that keeps them is unsaved
// (AppModel::unsaved).
//
// The page keeps nothing of its own: it reads the model and redraws whatever a change of the
// model touches. A break's headline counts down once a second by itself, from the page's clock,
// and stands at zero once the break's end has passed. The question card fades in as a question
// comes and fades out once it is answered.
//
// Main thread only; the model and the navigation must outlive the page.

#pragma once

#include <QString>
#include <QTimer>
#include <optional>
#include <vector>

#include "base/WallClock.h"
#include "model/AppModel.h"
#include "recording/History.h"
#include "shell/PageChrome.h"

class QBoxLayout;
class QLabel;
class QVBoxLayout;

namespace qb {

class AppIcon;
class ElidedText;
class Navigation;
class QBButtonBody;
class QuestionView;
class StateLabel;
class StretchFigure;
class TodaySection;

// Today's longest focus stretch: the first of the longest when several are as long; none without
// a focus stretch.
std::optional<History::Span> longest(const AppModel::Today& today);

class HomePage : public Page {
  Q_OBJECT

public:
  static constexpr int kHeaderSpacing = 8;    // between the state label and each button
  static constexpr int kHeadlineSpacing = 6;  // between the headline and its detail
  // The headline: semibold at kHeadlinePixels, letters kHeadlineTracking apart, on one line; a
  // text too long for the width shrinks down to kHeadlineMinimumScale of its size, then is cut.
  static constexpr int kHeadlinePixels = 28;
  static constexpr qreal kHeadlineTracking = -0.4;
  static constexpr qreal kHeadlineMinimumScale = 0.6;
  // The break's countdown moves on this often.
  static constexpr int kCountdownMilliseconds = 1000;
  // What is in front: the facts beside the stretch figure kNowRowSpacing apart where both fit on
  // one row, else below it, kNowColumnSpacing apart.
  static constexpr int kNowRowSpacing = 32;
  static constexpr int kNowColumnSpacing = 16;
  // A fact: its label in a box kFactLabelWidth wide, kFactSpacing before the content; at least
  // kFactHeight high. Its word on the right stays at least kFactGap from the name.
  static constexpr int kFactLabelWidth = 60;
  static constexpr int kFactSpacing = 8;
  static constexpr int kFactHeight = 36;
  static constexpr int kFactGap = 12;
  static constexpr int kIconSize = 18;
  // The busy agent's dot and the gap to its "Working".
  static constexpr int kAgentDot = 6;
  static constexpr int kAgentDotSpacing = 6;
  // How long the question card takes to fade in or out, and the headline and what is in front to
  // fade in under a new status.
  static constexpr int kFadeMilliseconds = 200;

  // The page links to no other page; it takes the window's navigation as every page does.
  HomePage(AppModel& model, Navigation& navigation, QWidget* parent = nullptr);

  // The time the page describes: the system's unless a test sets another.
  void setClock(const WallClock& clock);

  // The work being protected: the model's work names joined with ", "; none without any.
  std::optional<QString> working() const;
  // The headline as shown: the countdown during a break, the work or the status's title.
  QString headline() const;
  // The line under the headline; empty when the status has none.
  QString detail() const;
  // A break's time left: "m:ss" under an hour, "h:mm:ss" from an hour, never below zero.
  static QString countdown(Duration seconds);
  // The colour of the word that says how what is in front was classified: work in the focus
  // colour, entertainment in the detours' colour, anything else muted.
  static QColor activityColor(const AppModel::Seen& seen);

  // What a person sees, for the tests.
  const StateLabel& stateLabel() const { return *state_; }
  // The buttons of the header, left to right.
  const std::vector<QBButtonBody*>& controls() const { return controls_; }
  const QWidget& nowSection() const { return *now_; }
  // The "In front" fact's application name and word; the "Agent" fact, hidden without a busy agent.
  const ElidedText& seenName() const { return *seenName_; }
  const ElidedText& seenActivity() const { return *seenActivity_; }
  const QWidget& seenFact() const { return *seenFact_; }
  const QWidget& agentFact() const { return *agentFact_; }
  QString agentText() const;
  // The question card while a question is due, else null (also while an answered one fades out).
  QuestionView* questionView() const { return question_; }
  // Today's longest or running stretch, beside what is in front; null without a focus stretch.
  StretchFigure* stretchFigure() const { return stretch_; }
  const TodaySection& todaySection() const { return *today_; }
  // Today's time per project; null while there is none.
  QWidget* tasks() const { return tasks_; }
  bool isCountingDown() const { return countdownTimer_.isActive(); }
  // The notice that today's time is not saved for now; hidden while it is.
  const QLabel& eventLogNotice() const { return *eventLogNotice_; }

private:
  void refresh();
  void refreshControls();
  void refreshHeadline();
  void refreshNow();
  void refreshQuestion();
  void refreshUnsaved();
  void refreshToday();
  void refreshTasks();
  void refreshStretch();
  void addControl(QBButtonBody* button);

  AppModel& model_;
  const WallClock* clock_ = &WallClock::system();
  std::optional<AppModel::Status::Kind> controlsFor_;  // the status the buttons were made for
  std::optional<AppModel::Status::Kind> shownKind_;    // the status the page last showed

  StateLabel* state_;
  QBoxLayout* controlRow_;               // the header's buttons, after the spacer
  std::vector<QBButtonBody*> controls_;  // children of the header
  QWidget* headlineBlock_;               // the headline and its detail
  ElidedText* headline_;
  QLabel* detail_;
  QWidget* now_;
  QWidget* facts_;  // what is in front and the agent, after the stretch figure
  QBoxLayout* nowLayout_;
  StretchFigure* stretch_ = nullptr;  // first in the now section, while there is a focus stretch
  std::optional<bool> stretchLive_;   // whether the stretch figure may show a running stretch
  QWidget* seenFact_;
  AppIcon* seenIcon_;
  ElidedText* seenName_;
  ElidedText* seenActivity_;
  QWidget* agentRule_;
  QWidget* agentFact_;
  ElidedText* agentName_;
  ElidedText* agentProject_;
  QVBoxLayout* questionSlot_;
  QuestionView* question_ = nullptr;  // a child of the question's slot while shown
  QWidget* questionSection_;
  QLabel* eventLogNotice_;
  QVBoxLayout* todaySlot_;
  TodaySection* today_ = nullptr;  // a child of the today slot
  QVBoxLayout* tasksSlot_;
  QWidget* tasksSection_;
  QWidget* tasks_ = nullptr;  // a child of the tasks' slot while there are tasks
  QTimer countdownTimer_;
};

}  // namespace qb
