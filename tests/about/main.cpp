// The About box's tests run offscreen inside the program's own application
// object, so a failure raised from a handler reaches its error handler.
#include <gtest/gtest.h>

#include "AboutServices.h"
#include "platform/qt/Application.h"
#include "platform/qt/Fonts.h"
#include "support/WidgetTests.h"

namespace {
platform::Services* services = nullptr;
testsupport::RecordingBoxes* boxes = nullptr;
}  // namespace

platform::Services& AboutServices() {
  return *services;
}

testsupport::RecordingBoxes& AboutBoxes() {
  return *boxes;
}

int main(int argc, char** argv) {
  testsupport::OffscreenUnlessTold();
  platform::Services programServices;
  testsupport::RecordingBoxes recording;
  programServices.Boxes = &recording;
  platform::qt::KayoijiApplication app(argc, argv, programServices);
  programServices.App = &app;
  services = &programServices;
  boxes = &recording;
  platform::qt::InstallFontSubstitutions();
  app.SetTitle("Kayoiji");
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
