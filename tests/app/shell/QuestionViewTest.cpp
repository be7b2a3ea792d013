#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCoreApplication>
#include <QPainter>

#include "analysis/Moment.h"
#include "base/Url.h"
#include "design/QB.h"
#include "design/QBButtonBody.h"
#include "shell/ElidedText.h"
#include "shell/QuestionView.h"

namespace qb {
namespace {

DailyQuestion::Page webPage(std::string title, Duration seconds) {
  return {Moment(1, Date{}, "Firefox", "firefox-esr", title,
                 Url::parse("https://www.Docs.example/handbook?page=2")),
          seconds};
}
DailyQuestion::Page appPage(std::string title, Duration seconds) {
  return {Moment(2, Date{}, "Files", "org.gnome.Nautilus", title), seconds};
}

struct Answers {
  std::vector<bool> given;
  QuestionView::Answer handler() {
    return [this](bool work) { given.push_back(work); };
  }
};

// The card laid out at `width` as its owner would show it.
void layOut(QuestionView& view, int width) {
  view.resize(width, view.heightForWidth(width) > 0 ? view.heightForWidth(width)
                                                    : view.sizeHint().height());
  view.show();
  QCoreApplication::processEvents();
}

// The card's texts, top to bottom and then left to right, as a reader takes them in.
std::vector<QString> texts(const QuestionView& view) {
  std::vector<const ElidedText*> parts;
  for (const ElidedText* part : view.findChildren<ElidedText*>()) parts.push_back(part);
  const auto at = [&view](const QWidget* part) { return part->mapTo(&view, QPoint()); };
  std::stable_sort(parts.begin(), parts.end(), [&](const QWidget* a, const QWidget* b) {
    return std::pair(at(a).y() / 4, at(a).x()) < std::pair(at(b).y() / 4, at(b).x());
  });
  std::vector<QString> shown;
  for (const ElidedText* part : parts) shown.push_back(part->text());
  return shown;
}

TEST(QuestionViewTest, ThePlaceIsTheSiteOrTheApplicationWithTheTimeToday) {
  EXPECT_EQ(QuestionView::place(webPage("Handbook", 45 * 60 + 30)),
            "docs.example \u00B7 45m today");
  EXPECT_EQ(QuestionView::place(appPage("Reports", 2 * 3600 + 5 * 60)), "Files \u00B7 2h 5m today");
  EXPECT_EQ(QuestionView::place(appPage("Reports", 59)), "Files \u00B7 0m today");
  EXPECT_EQ(QuestionView::place(appPage("Reports", 3600)), "Files \u00B7 1h 0m today");
  EXPECT_EQ(QuestionView::place(appPage("Reports", 90000)), "Files \u00B7 25h 0m today");
}

TEST(QuestionViewTest, TheWideCardIsOneRowWithTheAnswersAtTheEnd) {
  Answers answers;
  QuestionView view(webPage("Team handbook", 45 * 60 + 30), true, answers.handler());
  layOut(view, 640);
  EXPECT_EQ(texts(view), (std::vector<QString>{"Was this for work?", "Team handbook",
                                               "docs.example \u00B7 45m today"}));
  const QRect forWork(view.forWorkButton()->mapTo(&view, QPoint()), view.forWorkButton()->size());
  const QRect notForWork(view.notForWorkButton()->mapTo(&view, QPoint()),
                         view.notForWorkButton()->size());
  EXPECT_EQ(view.forWorkButton()->text(), "For work");
  EXPECT_EQ(view.notForWorkButton()->text(), "Not for work");
  EXPECT_LT(forWork.right(), notForWork.left());
  EXPECT_EQ(notForWork.right(), view.width() - 1) << "the answers sit at the trailing end";
  EXPECT_EQ(forWork.width(), view.forWorkButton()->sizeHint().width()) << "at their own size";
  EXPECT_TRUE(answers.given.empty());
}

TEST(QuestionViewTest, InTheWideRowALongTitleGivesWayToThePlace) {
  Answers answers;
  const std::string title(400, 'w');
  QuestionView view(webPage(title, 600), true, answers.handler());
  layOut(view, 640);
  const QStringList shown = view.title().shownLines();
  ASSERT_EQ(shown.size(), 1);
  EXPECT_TRUE(shown[0].endsWith(u'\u2026'));
  const ElidedText* place = view.findChildren<ElidedText*>().back();
  EXPECT_EQ(place->shownLines(), QStringList{"docs.example \u00B7 10m today"});
  EXPECT_LE(place->mapTo(&view, QPoint(place->width(), 0)).x(),
            view.forWorkButton()->mapTo(&view, QPoint()).x() - QuestionView::kWideSpacing);
}

TEST(QuestionViewTest, TheNarrowCardStacksItsLinesOverAnswersSharingTheWidth) {
  Answers answers;
  QuestionView view(appPage("", 2 * 3600 + 5 * 60), false, answers.handler());
  layOut(view, 272);
  EXPECT_EQ(texts(view),
            (std::vector<QString>{"Was this for work?", "", "Files \u00B7 2h 5m today"}))
      << "an empty title keeps its line";
  const QWidget* forWork = view.forWorkButton();
  const QWidget* notForWork = view.notForWorkButton();
  EXPECT_EQ(forWork->y(), notForWork->y());
  EXPECT_NEAR(forWork->width(), notForWork->width(), 1);
  EXPECT_EQ(forWork->width() + QuestionView::kButtonSpacing + notForWork->width(), view.width());
  const ElidedText* place = view.findChildren<ElidedText*>().back();
  EXPECT_LT(place->mapTo(&view, QPoint(0, place->height())).y(),
            forWork->mapTo(&view, QPoint()).y());
}

TEST(QuestionViewTest, EachAnswerHandsItsOwnAnswerOnce) {
  for (const bool wide : {true, false}) {
    SCOPED_TRACE(wide ? "wide" : "narrow");
    Answers answers;
    QuestionView view(webPage("Handbook", 60), wide, answers.handler());
    layOut(view, wide ? 640 : 272);
    view.notForWorkButton()->click();
    EXPECT_EQ(answers.given, std::vector<bool>{false});
    view.forWorkButton()->click();
    EXPECT_EQ(answers.given, (std::vector<bool>{false, true}));
  }
}

TEST(QuestionViewTest, DrawsBothLayoutsForPeopleToLookAt) {
  Answers answers;
  const auto draw = [](QuestionView& view, int width, const QString& name) {
    layOut(view, width);
    // The card sits on a page or in the menu: drawn here on the page's colour, with room around.
    QImage image(view.width() + 48, view.height() + 32, QImage::Format_ARGB32);
    image.fill(QB::bgBase);
    QPainter painter(&image);
    view.render(&painter, QPoint(24, 16), QRegion(), QWidget::DrawChildren);
    painter.end();
    return image.save(QStringLiteral(QB_SCREENSHOTS) + "/" + name);
  };
  QuestionView wide(webPage("Team handbook: how we plan the quarter", 45 * 60 + 30), true,
                    answers.handler());
  EXPECT_TRUE(draw(wide, 720, "question-wide.png"));
  EXPECT_EQ(wide.title().width(), wide.title().sizeHint().width()) << "room for the whole title";
  QuestionView narrow(appPage("Quarterly report draft.odt", 2 * 3600 + 5 * 60), false,
                      answers.handler());
  EXPECT_TRUE(draw(narrow, 272, "question-narrow.png"));
  EXPECT_GT(narrow.height(), wide.height()) << "stacked";
}

}  // namespace
}  // namespace qb
