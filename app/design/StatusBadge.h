// StatusBadge: the program's state as a small mark and a word ("Protecting", "Paused"). The mark
// tells the tone at a glance: an accent dot while live, a faint dot while idle, a pause symbol
// while paused, a warning triangle when something needs the user. Only a live badge's word is
// bright; the others are muted. The word is shown as given, on one line.
//
// Assistive technologies read the badge as one element: the tone's name and the word together.

#pragma once

#include <QString>
#include <QWidget>

namespace qb {

class StatusBadge : public QWidget {
  Q_OBJECT

public:
  enum class Tone { live, idle, paused, warning };

  static constexpr int kSpacing = 6;  // between the mark and the word
  static constexpr int kDotDiameter = 7;
  static constexpr int kPausedSymbolSize = 9;
  static constexpr int kWarningSymbolSize = 10;

  StatusBadge(Tone tone, QString text, QWidget* parent = nullptr);

  Tone tone() const { return tone_; }
  const QString& text() const { return text_; }
  void setTone(Tone tone);
  void setText(QString text);

  // The mark's square for a tone: the dot's diameter or the symbol's size.
  static int markSide(Tone tone);

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  void changed();

  Tone tone_;
  QString text_;
};

}  // namespace qb
