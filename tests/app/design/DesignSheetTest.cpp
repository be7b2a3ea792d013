// A sheet of every control, written as a picture for people to look at. Run with
// QT_SCALE_FACTOR=2 for the sheet as a HiDPI screen shows it.

#include <gtest/gtest.h>

#include <QBoxLayout>
#include <QLabel>
#include <QPainter>

#include "app/design/Pixels.h"
#include "design/AppIcon.h"
#include "design/Keycap.h"
#include "design/Mark.h"
#include "design/MarkImage.h"
#include "design/QBButtonBody.h"
#include "design/QBGroup.h"
#include "design/QBRow.h"
#include "design/QBSeparator.h"
#include "design/StatusBadge.h"
#include "design/Symbols.h"

namespace qb {
namespace {

using Kind = QBButtonStyle::Kind;
using Size = QBButtonStyle::Size;
constexpr Kind kKinds[] = {Kind::primary, Kind::secondary, Kind::plain, Kind::destructive};

// The tray's image on a strip of panel colour.
class PanelSwatch : public QWidget {
public:
  PanelSwatch(bool active, QColor panel) : icon_(MarkImage::menuBar(active)), panel_(panel) {
    setFixedSize(30, 26);
  }

protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.fillRect(rect(), panel_);
    icon_.paint(&painter, QRect(6, 4, MarkImage::kSide, MarkImage::kSide));
  }

private:
  QIcon icon_;
  QColor panel_;
};

QLabel* label(const QString& text, const QFont& font, const QColor& color) {
  auto* label = new QLabel(text);
  label->setFont(font);
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, color);
  label->setPalette(palette);
  return label;
}

QHBoxLayout* line(QVBoxLayout* sheet) {
  auto* layout = new QHBoxLayout;
  layout->setSpacing(12);
  sheet->addLayout(layout, 0);
  return layout;
}

TEST(DesignSheetTest, EveryControlOnOneSheet) {
  test::Page page;
  auto* sheet = page.add(new QWidget);
  auto* column = new QVBoxLayout(sheet);
  column->setContentsMargins(24, 24, 24, 24);
  column->setSpacing(12);

  for (Size size : {Size::small, Size::medium}) {
    auto* buttons = line(column);
    for (Kind kind : kKinds) buttons->addWidget(QBButtonStyle{kind, size}.makeBody("Take a break"));
    for (auto [kind, text, glyph] : {std::tuple{Kind::primary, "Back to work", "\u21A9"},
                                     std::tuple{Kind::secondary, "Later", "Esc"}}) {
      auto* button = QBButtonStyle{kind, size}.makeBody(text);
      button->setKeycap(glyph);
      buttons->addWidget(button);
    }
    buttons->addStretch();
  }
  auto* states = line(column);
  for (auto [kind, text] :
       {std::pair{Kind::primary, "Pressed"}, std::pair{Kind::secondary, "Pressed"},
        std::pair{Kind::primary, "Disabled"}, std::pair{Kind::secondary, "Disabled"},
        std::pair{Kind::plain, "Disabled"}, std::pair{Kind::destructive, "Disabled"}}) {
    auto* button = QBButtonStyle{kind, Size::medium}.makeBody(text);
    button->setDown(QString(text) == "Pressed");
    button->setEnabled(QString(text) != "Disabled");
    states->addWidget(button);
  }
  states->addStretch();
  column->addWidget(QBButtonStyle{Kind::primary, Size::medium, true}.makeBody("Full width"));

  auto* groups = line(column);
  auto* today = new QBGroup("Today", "clock.fill", QB::Hue::focus);
  today->addRow(
      new QBRow("Focused", QB::Hue::focus, label("2 h 40 min", QB::Font::body(), QB::textMuted)));
  today->addRow(new QBSeparator);
  today->addRow(
      new QBRow("Detours", QB::Hue::detour, label("35 min", QB::Font::body(), QB::textMuted)));
  today->addRow(new QBSeparator);
  today->addRow(new QBRow("A title long enough to be cut short before its accessory",
                          QB::Hue::breakTime,
                          QBButtonStyle{Kind::secondary, Size::small}.makeBody("Edit")));
  today->setFixedWidth(340);
  groups->addWidget(today, 0, Qt::AlignTop);
  auto* headless = new QBGroup(std::nullopt, "lock.fill", QB::accent);
  headless->addRow(
      new QBRow("Status", std::nullopt, new StatusBadge(StatusBadge::Tone::live, "Protecting")));
  headless->addRow(new QBSeparator);
  headless->addRow(
      new QBRow("Open at login", std::nullopt, label("On", QB::Font::body(), QB::textMuted)));
  headless->setFixedWidth(300);
  groups->addWidget(headless, 0, Qt::AlignTop);
  groups->addStretch();

  auto* badges = line(column);
  badges->addWidget(new StatusBadge(StatusBadge::Tone::live, "Protecting"));
  badges->addWidget(new StatusBadge(StatusBadge::Tone::idle, "Learning"));
  badges->addWidget(new StatusBadge(StatusBadge::Tone::paused, "Paused"));
  badges->addWidget(new StatusBadge(StatusBadge::Tone::warning, "Needs access"));
  for (const char* glyph : {"\u21A9", "Esc", "Ctrl+K"}) badges->addWidget(new Keycap(glyph, false));
  for (const char* name : {"pause.fill", "exclamationmark.triangle.fill", "checkmark.circle.fill",
                           "clock.fill", "lock.fill", "folder.fill", "bell.fill", "trash", "minus",
                           "arrow.left.arrow.right", "app"}) {
    auto* symbol = new QLabel;
    symbol->setPixmap(Symbols::pixmap(QString::fromLatin1(name), 16, QB::textMuted));
    badges->addWidget(symbol);
  }
  badges->addStretch();

  // Marks at 64 (live and not) and 32; the tray's image, active and not, on a black panel, a
  // dark grey one and a light one; the icon of applications nothing knows.
  auto* marks = line(column);
  marks->addWidget(new Mark(64, true));
  marks->addWidget(new Mark(64, false));
  marks->addWidget(new Mark(32, true));
  for (bool active : {true, false}) {
    for (QColor panel : {QColor(Qt::black), QB::bgTitlebar, QColor(236, 236, 236)}) {
      marks->addWidget(new PanelSwatch(active, panel));
    }
  }
  marks->addWidget(new AppIcon("no.such.application", 0, 32));
  marks->addStretch();

  sheet->resize(sheet->sizeHint().expandedTo(QSize(860, 0)));
  const QImage image = page.image();
  EXPECT_FALSE(test::near(test::ink(image, image.rect(), QB::bgBase), QB::bgBase));
  const qreal ratio = page.window().devicePixelRatioF();
  const QString suffix = ratio == 1 ? QString() : QString("@%1x").arg(ratio);
  ASSERT_TRUE(image.save(QStringLiteral(QB_SCREENSHOTS) + "/design-sheet" + suffix + ".png"));
}

}  // namespace
}  // namespace qb
