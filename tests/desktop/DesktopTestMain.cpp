// The desktop tests run under a Qt widgets application on the session's X display, so that a test
// can show windows of its own next to other programs'.

#include <gtest/gtest.h>

#include <QApplication>

#include "support/QtSanitizerDefaults.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
