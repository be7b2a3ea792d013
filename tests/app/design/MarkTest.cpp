#include <gtest/gtest.h>
#include <unistd.h>

#include <QPainter>
#include <climits>

#include "app/design/Pixels.h"
#include "design/AppIcon.h"
#include "design/Mark.h"
#include "design/MarkImage.h"
#include "design/MarkShape.h"
#include "design/Symbols.h"
#include "platform/DesktopEntries.h"
#include "support/TestSupport.h"

namespace qb {
namespace {

using test::near;

// Whether some vertex of the path's flattened outline lies within `tolerance` of `point`.
bool passesNear(const QPainterPath& path, QPointF point, qreal tolerance = 0.05) {
  for (const QPolygonF& polygon : path.toSubpathPolygons()) {
    for (const QPointF& vertex : polygon) {
      if (QLineF(vertex, point).length() <= tolerance) return true;
    }
  }
  return false;
}

TEST(MarkShapeTest, BracketsScaleByTheShorterSideFromTheTopLeftCorner) {
  for (const QRectF& rect : {QRectF(0, 0, 100, 50), QRectF(20, 10, 64, 64)}) {
    SCOPED_TRACE(rect.width());
    const qreal s = std::min(rect.width(), rect.height()) / 64;
    const QPointF origin = rect.topLeft();
    const QPainterPath path = MarkShape::path(rect);
    EXPECT_EQ(path.toSubpathPolygons().size(), 2u);  // two open brackets
    const QRectF bounds = path.boundingRect();
    EXPECT_NEAR(bounds.left(), origin.x() + 10 * s, 1e-9);
    EXPECT_NEAR(bounds.top(), origin.y() + 10 * s, 1e-9);
    EXPECT_NEAR(bounds.right(), origin.x() + 54 * s, 1e-9);
    EXPECT_NEAR(bounds.bottom(), origin.y() + 54 * s, 1e-9);
    // Each arc bends around its corner: through 225° of the top left one and 45° of the other,
    // never round the far side of its circle.
    const qreal diagonal = 6 * std::sqrt(0.5);
    EXPECT_TRUE(passesNear(path, origin + QPointF(16 - diagonal, 16 - diagonal) * s));
    EXPECT_TRUE(passesNear(path, origin + QPointF(48 + diagonal, 48 + diagonal) * s));
    EXPECT_FALSE(passesNear(path, origin + QPointF(16, 22) * s, s));
    EXPECT_FALSE(passesNear(path, origin + QPointF(48, 42) * s, s));
  }
}

TEST(MarkTest, StrokesAndDotAtSixtyFour) {
  for (bool live : {true, false}) {
    SCOPED_TRACE(live);
    Mark mark(64, live);
    const QImage image = test::drawnAlone(mark);

    // Across the top-left bracket's upright, x = 10 ± 3.
    int stroke = 0;
    for (int x = 0; x < 20; ++x) stroke += image.pixelColor(x, 22).alpha() > 127 ? 1 : 0;
    EXPECT_EQ(stroke, 6);
    EXPECT_TRUE(near(image.pixelColor(10, 22), QB::text));
    const QColor dot = live ? QB::accent : QB::textFaint;
    int across = 0;
    for (int x = 20; x < 44; ++x)
      across += near(image.pixelColor(x, 32), dot, test::kInkTolerance) ? 1 : 0;
    EXPECT_EQ(across, 14);
    EXPECT_EQ(image.pixelColor(0, 0).alpha(), 0);
  }
}

TEST(MarkImageTest, TrayImageAtBothRatiosWithTheDotOnlyWhileActive) {
  for (qreal ratio : {1.0, 2.0}) {
    for (bool active : {true, false}) {
      SCOPED_TRACE(QString("ratio %1 active %2").arg(ratio).arg(active).toStdString());
      const QImage image = MarkImage::menuBar(active, ratio).convertToFormat(QImage::Format_ARGB32);
      EXPECT_EQ(image.size(), QSize(18, 18) * ratio);
      EXPECT_EQ(image.devicePixelRatio(), ratio);
      const qreal s = 18.0 * ratio / 64;
      // The bracket's upright, 1.83 pixels wide at scale 1, and the dot, 4.5 across.
      EXPECT_TRUE(near(image.pixelColor(int(10 * s), int(22 * s)), QB::text));
      const QColor centre = image.pixelColor(int(32 * s), int(32 * s));
      EXPECT_TRUE(active ? near(centre, QB::text) : centre.alpha() == 0);
      EXPECT_EQ(image.pixelColor(int(32 * s), int(20 * s)).alpha(), 0);  // above the dot
      EXPECT_EQ(image.pixelColor(0, image.height() - 1).alpha(), 0);
    }
  }
  EXPECT_EQ(MarkImage::menuBar(true).pixmap(QSize(18, 18), 2.0).size(), QSize(36, 36));
}

TEST(SymbolsTest, KnownNamesDrawInTheirColourAndUnknownOnesDrawNothing) {
  const QStringView names[] = {u"pause.fill", u"exclamationmark.triangle.fill",
                               Symbols::kApplication};
  for (QStringView name : names) {
    SCOPED_TRACE(name.toString().toStdString());
    const QImage image =
        Symbols::pixmap(name, 16, QB::warning, 2).toImage().convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(image.size(), QSize(32, 32));
    int solid = 0, stray = 0;
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) {
        const QColor pixel = image.pixelColor(x, y);
        solid += pixel.alpha() == 255 ? 1 : 0;
        if (pixel.alpha() > 64)
          stray += near(QColor(pixel.rgb()), QB::warning, test::kInkTolerance) ? 0 : 1;
      }
    }
    EXPECT_GT(solid, 32);
    EXPECT_EQ(stray, 0);
    EXPECT_FALSE(Symbols::icon(name, QB::text).pixmap(24).isNull());
  }
  EXPECT_FALSE(Symbols::has(u"no.such.symbol"));
  EXPECT_TRUE(Symbols::pixmap(u"no.such.symbol", 16, QB::text).isNull());
  EXPECT_TRUE(Symbols::icon(u"no.such.symbol", QB::text).isNull());
}

TEST(AppIconTest, ProcessThenEntryThenTheGenericIcon) {
  test::TempDir root;
  const auto picture = [&](const char* file, QColor color) {
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(color);
    image.save(QString::fromStdString((root / file).string()));
    return (root / file).string();
  };
  const std::string red = picture("red.png", Qt::red), blue = picture("blue.png", Qt::blue);
  const auto entry = [&](const char* id, const std::string& keys) {
    test::writeFile(root / "applications" / (std::string(id) + ".desktop"),
                    "[Desktop Entry]\nType=Application\n" + keys);
  };
  std::filesystem::create_directories(root / "applications");
  entry("runner", "Exec=quillbrook_app_tests\nIcon=" + red + "\n");
  entry("named", "Exec=elsewhere\nIcon=" + blue + "\n");
  entry("broken", "Exec=elsewhere\nIcon=" + (root / "missing.png").string() + "\n");
  const DesktopEntries entries({root / "applications"});

  const QColor generic = Qt::transparent;  // neither picture: the generic icon
  const struct {
    const char* bundleID;
    pid_t pid;
    QColor centre;
  } cases[] = {
      {"named", ::getpid(), Qt::red},  // the running program's entry first
      {"named", 0, Qt::blue},         {"named", INT_MAX, Qt::blue},  // no such process
      {"broken", 0, generic},         {"absent", ::getpid(), Qt::red}, {"absent", 0, generic},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.bundleID) + " " + std::to_string(c.pid));
    const QImage image = AppIcon::image(c.bundleID, c.pid, entries).pixmap(32).toImage();
    ASSERT_FALSE(image.isNull());
    const QColor centre = image.pixelColor(image.width() / 2, image.height() / 2);
    if (c.centre == generic) {
      EXPECT_NE(centre, QColor(Qt::red));
      EXPECT_NE(centre, QColor(Qt::blue));
      EXPECT_GT(test::ink(image, image.rect(), Qt::transparent).alpha(), 0);
    } else {
      EXPECT_EQ(centre, c.centre);
    }
  }

  // The widget shows what image() gives, even for an application nothing knows.
  AppIcon icon("no.such.application", 0, 32);
  const QImage drawn = test::drawnAlone(icon);
  EXPECT_EQ(drawn.size(), QSize(32, 32));
  EXPECT_GT(test::ink(drawn, drawn.rect(), Qt::transparent).alpha(), 0);
}

}  // namespace
}  // namespace qb
