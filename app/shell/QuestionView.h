// QuestionView: the daily question. Was the page the user spent longest on today, while the
// analyser was unsure of it, work? The card shows the question, the page's title, where it was
// and for how long, and two answers; in one row on the home page (wide) or stacked for the tray
// menu's narrow width.
//
// The card only reports the answer: `answer` hears true for "For work" and false for "Not for
// work", once per click, on the main thread. Removing the card afterwards is its owner's part.

#pragma once

#include <QString>
#include <QWidget>
#include <functional>

#include "context/DailyQuestion.h"

namespace qb {

class ElidedText;
class QBButtonBody;

class QuestionView : public QWidget {
  Q_OBJECT

public:
  using Answer = std::function<void(bool work)>;

  // Wide: the texts, a flexible gap, the buttons at their own size, kWideSpacing apart.
  static constexpr int kWideSpacing = 16;
  // Narrow: the texts, then the buttons sharing the full width, kNarrowSpacing apart.
  static constexpr int kNarrowSpacing = 12;
  static constexpr int kTextSpacing = 2;   // between the lines of text
  static constexpr int kPlaceSpacing = 8;  // between the title and the place, in the wide row
  static constexpr int kButtonSpacing = 8;

  QuestionView(DailyQuestion::Page page, bool wide, Answer answer, QWidget* parent = nullptr);

  // Where the page was and for how long: its site, else its application; " · "; the time in
  // front today; " today". For example "docs.example · 45m today".
  static QString place(const DailyQuestion::Page& page);

  bool isWide() const { return wide_; }
  // The page's title, on one line: the part of the card that gives way when room is short.
  const ElidedText& title() const { return *title_; }
  QBButtonBody* forWorkButton() const { return forWork_; }
  QBButtonBody* notForWorkButton() const { return notForWork_; }

private:
  // "For work" then "Not for work"; `full` makes them share the width they are given.
  QWidget* buttons(bool full);

  bool wide_;
  Answer answer_;
  ElidedText* title_;
  QBButtonBody* forWork_ = nullptr;
  QBButtonBody* notForWork_ = nullptr;
};

}  // namespace qb
