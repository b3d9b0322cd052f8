// Widget tests run offscreen, and no box or file dialog ever waits on a user.
#include <gtest/gtest.h>
#include <QApplication>

#include "platform/qt/MessageBoxes.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  platform::qt::QtMessageBoxes::EnableTestMode();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
