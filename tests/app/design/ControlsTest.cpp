#include <gtest/gtest.h>

#include <QEnterEvent>
#include <QHBoxLayout>
#include <functional>

#include "app/design/Pixels.h"
#include "design/Keycap.h"
#include "design/QB.h"
#include "design/QBButtonBody.h"
#include "design/QBGroup.h"
#include "design/QBRow.h"
#include "design/QBSeparator.h"
#include "design/StatusBadge.h"

namespace qb {
namespace {

using test::ink;
using test::inkColumns;
using test::near;
using test::over;
using Kind = QBButtonStyle::Kind;
using Size = QBButtonStyle::Size;

void hover(QBButtonBody& button, bool in) {
  if (in) {
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QCoreApplication::sendEvent(&button, &enter);
  } else {
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&button, &leave);
  }
  const QBButtonStyle& style = button.buttonStyle();
  ASSERT_TRUE(test::waitUntil([&] {
    return button.fill(false) == style.fill(in) && button.foreground() == style.foreground(in);
  }));
}

TEST(QBButtonTest, EachKindDrawsItsFillAndLabelInEveryState) {
  const struct {
    Kind kind;
    QColor rest, hovered, label, hoveredLabel;
  } cases[] = {
      {Kind::primary, QB::fillPrimary, QB::fillPrimaryPressed, Qt::white, Qt::white},
      {Kind::secondary, QB::fillSecondary, QB::fillSecondaryHover, QB::text, QB::text},
      {Kind::plain, Qt::transparent, Qt::transparent, QB::textMuted, QB::text},
      {Kind::destructive, Qt::transparent, Qt::transparent, QB::danger, QB::danger},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.kind));
    test::Page page;
    auto* button = page.add(QBButtonStyle{c.kind, Size::medium}.makeBody("Hello"));
    const QRect label = button->rect().adjusted(QBButtonStyle::kMedium.horizontalPadding, 0,
                                                -QBButtonStyle::kMedium.horizontalPadding, 0);
    const QPoint plainFill(button->width() / 2, 2);  // above the text, clear of the corners
    const auto expect = [&](const QColor& fill, const QColor& text, qreal opacity = 1) {
      const QImage image = page.image();
      const QColor background = over(fill, QB::bgBase, opacity);
      EXPECT_TRUE(near(image.pixelColor(plainFill), background));
      EXPECT_TRUE(near(ink(image, label, background), over(text, background, opacity),
                       test::kInkTolerance));
    };

    expect(c.rest, c.label);
    hover(*button, true);
    expect(c.hovered, c.hoveredLabel);
    hover(*button, false);
    button->setDown(true);  // pressed looks hovered, but only the pointer brightens a label
    expect(c.hovered, c.label);
    button->setDown(false);
    button->setEnabled(false);
    expect(c.rest, c.label, QBButtonStyle::kDisabledOpacity);
  }
}

TEST(QBButtonTest, SizesFixTheHeightAndAFullButtonTakesTheWidth) {
  for (const auto& [size, height] : {std::pair{Size::small, 28}, std::pair{Size::medium, 32}}) {
    SCOPED_TRACE(height);
    test::Page page;
    auto* row = page.add(new QWidget, QRect(0, 0, 300, 60));
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* full = QBButtonStyle{Kind::primary, size, true}.makeBody("Continue");
    layout->addWidget(full);
    const QImage image = page.image();

    EXPECT_EQ(full->geometry(), QRect(0, (60 - height) / 2, 300, height));
    EXPECT_TRUE(near(image.pixelColor(150, full->y()), QB::fillPrimary));
    EXPECT_TRUE(near(image.pixelColor(150, full->y() + height - 1), QB::fillPrimary));
    EXPECT_TRUE(near(image.pixelColor(150, full->y() + height), QB::bgBase));
    const auto [first, last] = inkColumns(image, full->geometry().adjusted(8, 8, -8, -8),
                                          QB::fillPrimary);  // inside the corners
    EXPECT_NEAR((first + last) / 2.0, 150, 2);               // the label stays centred
  }
}

// The text drawn at a widget's size hint is the whole text: as wide as with room to spare.
// (Kinds without a fill, so that only the text is ink.)
TEST(QBButtonTest, ButtonsAndBadgesShowTheirWholeTextAtTheirSizeHint) {
  const std::function<QWidget*()> makers[] = {
      [] {
        return QBButtonStyle{Kind::plain, Size::medium}.makeBody("Take a break");
      },
      [] {
        return QBButtonStyle{Kind::destructive, Size::small}.makeBody("Later");
      },
      [] { return new StatusBadge(StatusBadge::Tone::live, "Protecting"); },
  };
  for (const auto& make : makers) {
    test::Page page;
    QWidget* hinted = page.add(make());
    QWidget* roomy = page.add(make());
    roomy->setGeometry(0, 40, hinted->width() + 40, hinted->height());
    const QImage image = page.image();
    const auto [left, right] = inkColumns(image, hinted->geometry(), QB::bgBase);
    const auto [roomyLeft, roomyRight] = inkColumns(image, roomy->geometry(), QB::bgBase);
    EXPECT_EQ(right - left, roomyRight - roomyLeft);
  }
}

TEST(KeycapTest, PlateIsAtLeastEighteenSquareAndDarkensAPrimaryButton) {
  EXPECT_EQ(Keycap::plateSize("\u21A9"), QSize(18, 18));
  EXPECT_GT(Keycap::plateSize("Ctrl+Shift+K").width(), 18);

  test::Page page;
  auto* button = page.add(QBButtonStyle{Kind::primary, Size::medium}.makeBody("Back"));
  button->setKeycap("\u21A9");
  button->resize(button->sizeHint());
  const QImage image = page.image();
  // Along the plate's second row, above its glyph: the plate's width less its corners.
  const int row = (button->height() - Keycap::kMinimumSide) / 2 + 1;
  int plate = 0;
  for (int x = 0; x < button->width(); ++x) {
    plate += near(image.pixelColor(x, row), over(Keycap::kOnPrimaryFill, QB::fillPrimary));
  }
  EXPECT_GE(plate, Keycap::kMinimumSide - 2 * Keycap::kCornerRadius);
  EXPECT_LE(plate, Keycap::kMinimumSide);
}

TEST(QBRowTest, TitleStartsAtThePaddingOrAfterTheDotAndIsElidedBeforeTheAccessory) {
  test::Page page;
  auto* plain = page.add(new QBRow("Hello", std::nullopt, nullptr), QRect(0, 0, 300, 40));
  auto* dotted = page.add(new QBRow("Hello", QB::Hue::detour, nullptr), QRect(0, 40, 300, 40));
  auto* accessory = new QWidget;
  accessory->setFixedSize(60, 56);
  accessory->setAutoFillBackground(true);
  accessory->setPalette(QPalette(QB::success));
  auto* crowded = page.add(new QBRow(QString(80, 'W'), std::nullopt, accessory));
  crowded->setGeometry(0, 80, 300, crowded->sizeHint().height());
  const QImage image = page.image();

  const int plainStart = inkColumns(image, plain->geometry(), QB::bgBase).first;
  EXPECT_GE(plainStart, QBRow::kPadding);
  EXPECT_LE(plainStart, QBRow::kPadding + 2);  // the glyph's own side bearing
  EXPECT_EQ(inkColumns(image, dotted->geometry().adjusted(24, 0, 0, 0), QB::bgBase).first,
            plainStart + QBRow::kDotDiameter + QBRow::kSpacing);
  EXPECT_TRUE(
      near(image.pixelColor(QBRow::kPadding + QBRow::kDotDiameter / 2, 60), QB::Hue::detour));

  EXPECT_EQ(crowded->height(), 56);  // taller than the minimum for its accessory
  EXPECT_EQ(accessory->geometry(), QRect(300 - QBRow::kPadding - 60, 0, 60, 56));
  const int clear = 2 * QBRow::kSpacing + QBRow::kMinimumFlexibleSpace;
  const QRect titleArea = crowded->geometry().adjusted(0, 0, -(QBRow::kPadding + 60), 0);
  const int titleEnd = inkColumns(image, titleArea, QB::bgBase).second;
  EXPECT_LT(titleEnd, accessory->x() - clear);
  EXPECT_GT(titleEnd, accessory->x() - clear - 30);  // elided, not dropped
}

TEST(QBGroupTest, HeaderLineOnlyWithAHeaderAndSeparatorsStartWithTheRows) {
  const struct {
    std::optional<QString> header, symbol;
    bool headerLine;
  } cases[] = {
      {"Focus", "clock.fill", true},
      {"Focus", std::nullopt, true},
      {std::nullopt, "clock.fill", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.header.value_or("-").toStdString() + " " + c.symbol.value_or("-").toStdString());
    test::Page page;
    auto* group = page.add(new QBGroup(c.header, c.symbol, QB::Hue::detour));
    group->addRow(new QBRow("One", std::nullopt, nullptr));
    group->addRow(new QBSeparator);
    group->addRow(new QBRow("Two", std::nullopt, nullptr));
    group->setGeometry(0, 0, 300, group->sizeHint().height());
    const QImage image = page.image();

    const int top = group->cardRect().top();
    EXPECT_EQ(top > 0, c.headerLine);
    EXPECT_TRUE(near(image.pixelColor(150, top), QB::bgRaised));
    if (c.headerLine) {
      const int symbolEnd = QBGroup::kHeaderIndent + QBGroup::kSymbolSize;
      const QRect symbol(0, 0, symbolEnd, top - QBGroup::kSpacing);
      // Indented, less the symbol's or the glyph's own margin.
      EXPECT_NEAR(inkColumns(image, symbol, QB::bgBase).first, QBGroup::kHeaderIndent + 1, 1);
      EXPECT_EQ(near(ink(image, symbol, QB::bgBase), QB::Hue::detour, test::kInkTolerance),
                c.symbol.has_value());
      const QRect text(symbolEnd, 0, 300 - symbolEnd, symbol.height());
      EXPECT_TRUE(near(ink(image, text, QB::bgBase), QB::textMuted, test::kInkTolerance));
    }

    const int line = top + QBRow::kMinimumHeight;
    EXPECT_TRUE(near(image.pixelColor(QBRow::kPadding - 1, line), QB::bgRaised));
    EXPECT_TRUE(near(image.pixelColor(QBRow::kPadding, line), QB::separator));
    EXPECT_TRUE(near(image.pixelColor(290, line), QB::separator));
    EXPECT_TRUE(near(image.pixelColor(150, line + 1), QB::bgRaised));
  }
}

TEST(StatusBadgeTest, MarkAndWordTakeTheTonesColours) {
  const struct {
    StatusBadge::Tone tone;
    QColor mark, word;
    QString name;  // for assistive technologies
  } cases[] = {
      {StatusBadge::Tone::live, QB::accent, QB::text, "Live, Protecting"},
      {StatusBadge::Tone::idle, QB::textFaint, QB::textMuted, "Idle, Protecting"},
      {StatusBadge::Tone::paused, QB::textMuted, QB::textMuted, "Paused, Protecting"},
      {StatusBadge::Tone::warning, QB::warning, QB::textMuted, "Warning, Protecting"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name.toStdString());
    test::Page page;
    auto* badge = page.add(new StatusBadge(c.tone, "Protecting"));
    const QImage image = page.image();
    const int side = StatusBadge::markSide(c.tone);
    EXPECT_TRUE(near(ink(image, QRect(0, 0, side, badge->height()), QB::bgBase), c.mark,
                     test::kInkTolerance));
    const QRect word = badge->rect().adjusted(side + StatusBadge::kSpacing, 0, 0, 0);
    EXPECT_TRUE(near(ink(image, word, QB::bgBase), c.word, test::kInkTolerance));
    EXPECT_EQ(badge->accessibleName(), c.name);
  }
  EXPECT_EQ(StatusBadge(StatusBadge::Tone::paused, "Paused").accessibleName(), "Paused");
}

}  // namespace
}  // namespace qb
