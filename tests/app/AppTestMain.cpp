// The program's tests run under a Qt application object, as the program does: Qt's timers,
// socket notifiers and queued calls need one.

#include <gtest/gtest.h>

#include <QCoreApplication>

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
