// The program's tests need no display: they run under Qt's offscreen platform, with a GUI
// application object for the code that asks for one (widgets, fonts, palettes, rendering to
// images).

#include <gtest/gtest.h>

#include <QApplication>

#include "support/QtSanitizerDefaults.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
