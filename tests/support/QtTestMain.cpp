#include <QCoreApplication>

#include <gtest/gtest.h>

// GoogleTest programs run inside a QCoreApplication, so logic that waits for
// the network (a local event loop) and QObject timers work as in the program.
int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
