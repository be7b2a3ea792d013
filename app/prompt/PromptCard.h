// The prompt card: the question whether to go back to work, one sentence saying why it is asked,
// and the user's answers. The coordinator fills a PromptContent; the card only shows it and
// reports the answer the user picks through `act`, on the main thread.
//
// OverlayView is what the prompt panel shows: a scrim that dims the whole covered window or page,
// with the card centred on it. Return answers `back` and Esc `dismiss` when the view has the keys;
// on a desktop where the panel never takes the focus the panel hands it those keys itself.

#pragma once

#include <QByteArray>
#include <QWidget>
#include <functional>
#include <optional>
#include <string>

namespace qb {

class QBButtonBody;

// The user's answers, in the order they are declared.
enum class PromptAction {
  back,       // go back to the work: "Back to work", Return, Ctrl+W on the panel
  related,    // the page is for work: "It's for work"
  breakTime,  // take a break of the offered length: "Break 5m"
  dismiss,    // close the prompt, nothing more: Esc
  never,      // never prompt on this site: "Never on …"
};

struct PromptContent {
  std::optional<std::string> context;  // the work to go back to; absent gives the generic title
  std::string line;                    // why the prompt is shown
  int breakMinutes = 0;                // the break offered
  std::optional<QByteArray> icon;      // PNG of the work's application; unreadable data shows none
  std::optional<std::string> site;     // named on "Never on …"; absent hides that answer
  friend bool operator==(const PromptContent&, const PromptContent&) = default;
};

using PromptHandler = std::function<void(PromptAction)>;

class PromptCard : public QWidget {
  Q_OBJECT

public:
  // The card's own width, padding included; a long line wraps and makes it taller.
  static constexpr int kWidth = 380;
  static constexpr int kPadding = 20;
  static constexpr int kIconSide = 40;
  static constexpr int kHeaderSpacing = 12;
  static constexpr int kTitleSpacing = 4;
  static constexpr int kAnswersTop = 20;
  static constexpr int kAnswerSpacing = 8;
  static constexpr int kNeverTop = 16;
  // The corner radius of the card's material.
  static constexpr qreal kRadius = 12;

  PromptCard(PromptContent content, PromptHandler act, QWidget* parent = nullptr);

  // "Back to work?" or "Back to <context>?".
  static QString title(const PromptContent& content);

  // The answer buttons, for the panel's default and for tests.
  QBButtonBody* backButton() const { return back_; }

private:
  QBButtonBody* back_ = nullptr;
};

class OverlayView : public QWidget {
  Q_OBJECT

public:
  OverlayView(PromptContent content, PromptHandler act, QWidget* parent = nullptr);

  // The card with its material, centred in this view.
  QWidget* card() const { return material_; }
  PromptCard* promptCard() const { return card_; }

protected:
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

private:
  PromptHandler act_;
  PromptCard* card_;
  QWidget* material_;
};

}  // namespace qb
