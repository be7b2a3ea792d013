#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QTest>

#include "design/QBButtonBody.h"
#include "prompt/PromptCard.h"

namespace qb {
namespace {

struct Answers {
  std::vector<PromptAction> given;
  PromptHandler handler() {
    return [this](PromptAction action) { given.push_back(action); };
  }
};

QByteArray png(const QColor& color) {
  QImage image(80, 80, QImage::Format_ARGB32);
  image.fill(color);
  QByteArray data;
  QBuffer buffer(&data);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return data;
}

std::vector<QString> buttonTexts(const QWidget& card) {
  std::vector<QString> texts;
  for (const QAbstractButton* button : card.findChildren<QAbstractButton*>()) {
    texts.push_back(button->text());
  }
  return texts;
}

std::vector<QString> labelTexts(const QWidget& card) {
  std::vector<QString> texts;
  for (const QLabel* label : card.findChildren<QLabel*>()) {
    if (label->pixmap().isNull()) texts.push_back(label->text());
  }
  return texts;
}

TEST(PromptCardTest, ShowsTheContentItIsGiven) {
  Answers answers;
  const PromptCard generic(PromptContent{std::nullopt, "Test", 5, std::nullopt, std::nullopt},
                           answers.handler());
  EXPECT_EQ(labelTexts(generic), (std::vector<QString>{"Back to work?", "Test"}));
  EXPECT_EQ(buttonTexts(generic),
            (std::vector<QString>{"Back to work", "It's for work", "Break 5m"}));
  EXPECT_TRUE(generic.findChildren<QLabel*>().size() == 2) << "no icon";

  const PromptCard named(PromptContent{"the report", "You have been reading news for 12 minutes.",
                                       60, png(Qt::red), "news.example"},
                         answers.handler());
  EXPECT_EQ(labelTexts(named)[0], "Back to the report?");
  EXPECT_EQ(buttonTexts(named), (std::vector<QString>{"Back to work", "It's for work", "Break 1h",
                                                      "Never on news.example"}));
  EXPECT_EQ(named.findChildren<QLabel*>().size(), 3u) << "the icon";

  const PromptCard unreadableIcon(PromptContent{std::nullopt, "x", 90, QByteArray("not a png"), {}},
                                  answers.handler());
  EXPECT_EQ(unreadableIcon.findChildren<QLabel*>().size(), 2u);
  EXPECT_EQ(buttonTexts(unreadableIcon)[2], "Break 90m");
  EXPECT_TRUE(answers.given.empty());
}

TEST(PromptCardTest, EachAnswerIsReportedOnce) {
  Answers answers;
  OverlayView view(PromptContent{std::nullopt, "Test", 5, std::nullopt, "video.example"},
                   answers.handler());
  view.resize(800, 600);
  for (QAbstractButton* button : view.findChildren<QAbstractButton*>()) button->click();
  QTest::keyClick(&view, Qt::Key_Return);
  QTest::keyClick(&view, Qt::Key_Escape);
  QTest::keyClick(&view, Qt::Key_Enter, Qt::KeypadModifier);
  QTest::keyClick(&view, Qt::Key_Escape, Qt::ShiftModifier);  // not an answer
  EXPECT_EQ(answers.given, (std::vector<PromptAction>{PromptAction::back, PromptAction::related,
                                                      PromptAction::breakTime, PromptAction::never,
                                                      PromptAction::back, PromptAction::dismiss,
                                                      PromptAction::back}));
}

TEST(PromptCardTest, ALongLineWrapsAndTheCardKeepsItsWidth) {
  Answers answers;
  const std::string longLine(600, 'w');
  std::string words;
  for (int i = 0; i < 80; ++i) words += "word ";
  OverlayView shortView(PromptContent{std::nullopt, "Short.", 5, std::nullopt, std::nullopt},
                        answers.handler());
  OverlayView longView(PromptContent{std::nullopt, words, 5, std::nullopt, std::nullopt},
                       answers.handler());
  for (OverlayView* view : {&shortView, &longView}) {
    view->resize(1000, 800);
    view->show();
    QCoreApplication::processEvents();
  }
  EXPECT_EQ(shortView.promptCard()->width(), PromptCard::kWidth);
  EXPECT_EQ(longView.promptCard()->width(), PromptCard::kWidth);
  EXPECT_GT(longView.promptCard()->height(), shortView.promptCard()->height() + 60);
  EXPECT_EQ(longView.card()->geometry().center(), longView.rect().center());

  // Over a window narrower than the card with its shadow, the card is cut, never squeezed: its
  // plate stays as wide as the card, or the buttons would stick out of it.
  shortView.resize(PromptCard::kWidth + 20, 400);
  QCoreApplication::processEvents();
  EXPECT_EQ(shortView.promptCard()->width(), PromptCard::kWidth);
  EXPECT_EQ(shortView.card()->width(), shortView.card()->sizeHint().width());
  EXPECT_EQ(shortView.card()->geometry().center(), shortView.rect().center());
}

TEST(PromptCardTest, DrawsTheCardForPeopleToLookAt) {
  Answers answers;
  OverlayView view(PromptContent{"the quarterly report",
                                 "You have spent 14 minutes on video since your last work.", 5,
                                 png(QColor(77, 141, 255)), "video.example"},
                   answers.handler());
  view.resize(720, 520);
  view.show();
  QCoreApplication::processEvents();
  QImage overlay(view.size(), QImage::Format_ARGB32_Premultiplied);
  overlay.fill(Qt::transparent);
  view.render(&overlay, QPoint(), QRegion(), QWidget::DrawChildren);
  QImage image(view.size(), QImage::Format_ARGB32);
  image.fill(QColor(90, 110, 130));  // a window beneath, seen through the scrim
  QPainter(&image).drawImage(0, 0, overlay);
  ASSERT_TRUE(image.save(QStringLiteral(QB_SCREENSHOTS) + "/prompt-card.png"));
  // The scrim lets 40 % of the window through.
  EXPECT_EQ(image.pixelColor(2, 2), QColor(36, 44, 52));
  // The main answer is the primary fill, the card's plate its overlay colour.
  const QBButtonBody* back = view.promptCard()->backButton();
  const QPoint inButton = back->mapTo(&view, QPoint(6, back->height() / 2));
  EXPECT_EQ(image.pixelColor(inButton), QColor(47, 111, 228));
  const QPoint onPlate = view.promptCard()->mapTo(&view, QPoint(8, 8));
  EXPECT_EQ(image.pixelColor(onPlate), QColor(28, 28, 31));
}

}  // namespace
}  // namespace qb
