// The one main of the widget test programs. They run inside the program's
// own application object, started as the program starts it (fonts, title),
// so that a failure raised from a toolkit handler reaches the general error
// handler, whose boxes are recorded. A box that a test leaves there fails
// it: that failure would otherwise be swallowed by the handler.
#include <gtest/gtest.h>

#include "platform/qt/Application.h"
#include "platform/qt/Fonts.h"
#include "support/WidgetTests.h"

namespace {
platform::Services* services = nullptr;
testsupport::RecordingBoxes* boxes = nullptr;

class LeftErrorBoxes : public ::testing::EmptyTestEventListener {
  void OnTestEnd(const ::testing::TestInfo&) override {
    for (const platform::Box& box : boxes->Shown) ADD_FAILURE() << "error box left: " << box.Text;
    boxes->Shown.clear();
  }
};
}  // namespace

namespace testsupport {

platform::Services& ProgramServices() {
  return *services;
}

RecordingBoxes& ProgramBoxes() {
  return *boxes;
}

}  // namespace testsupport

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
  ::testing::UnitTest::GetInstance()->listeners().Append(new LeftErrorBoxes);
  return RUN_ALL_TESTS();
}
