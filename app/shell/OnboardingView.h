// OnboardingView: what the first-run window shows. From the top: the mark, the program's name and
// promise, the permission rows (AccessRows) with a note on what is read, the sharing switch
// (SharingRow) with its note when the build names a sharing server, and two buttons: "Test" shows
// a sample prompt, "Start" finishes onboarding. Start stays disabled until the accessibility
// permission is granted, and Return presses it once it is enabled.
//
// The view is kWidth wide and as high as its content; sizeHint() gives that height, and the view
// never gets less: a row that appears while it is shown makes it grow rather than squeeze the rest.
// It only calls the two callbacks: what testing and starting do belongs to the window that hosts
// the view. Each time it is shown it asks the model to check the browsers again, so that their rows
// are current.
//
// The model must outlive the view.

#pragma once

#include <QWidget>
#include <functional>

namespace qb {

class AppModel;
class QBButtonBody;

class OnboardingView : public QWidget {
  Q_OBJECT

public:
  static constexpr int kWidth = 400;
  static constexpr int kPadding = 32;  // on every side
  static constexpr int kMarkSize = 40;
  static constexpr qreal kTitleTracking = -0.33;
  // The space above each part, and the notes' indent under their groups.
  static constexpr int kTitleSpacing = 16;
  static constexpr int kPromiseSpacing = 2;
  static constexpr int kAccessSpacing = 24;
  static constexpr int kNoteSpacing = 8;
  static constexpr int kNoteInset = 4;
  static constexpr int kSharingSpacing = 16;
  static constexpr int kButtonsSpacing = 24;

  OnboardingView(AppModel& model, std::function<void()> test, std::function<void()> start,
                 QWidget* parent = nullptr);

  QBButtonBody* testButton() const { return testButton_; }
  QBButtonBody* startButton() const { return startButton_; }

  QSize sizeHint() const override;

protected:
  bool event(QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

private:
  void showState();

  AppModel& model_;
  QWidget* sharing_;  // the sharing group and its note; a child
  QBButtonBody* testButton_;
  QBButtonBody* startButton_;
};

}  // namespace qb
