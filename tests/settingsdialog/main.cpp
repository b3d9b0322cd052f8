// Widget tests run offscreen, and no box or file dialog ever waits on a user.
#include <gtest/gtest.h>
#include <QApplication>

#include "support/WidgetTests.h"

int main(int argc, char** argv) {
  testsupport::OffscreenUnlessTold();
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
