// The About box's tests run offscreen inside the program's own application
// object, so a failure raised from a handler reaches its error handler.
#include <gtest/gtest.h>

#include "platform/qt/Application.h"
#include "platform/qt/Fonts.h"
#include "platform/qt/MessageBoxes.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  platform::qt::KayoijiApplication app(argc, argv);
  platform::qt::InstallFontSubstitutions();
  platform::qt::QtMessageBoxes::EnableTestMode();
  platform::qt::QtMessageBoxes boxes;
  platform::CurrentServices().Boxes = &boxes;
  platform::CurrentServices().App = &app;
  app.SetTitle("Kayoiji");
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
