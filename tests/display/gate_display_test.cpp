// The splash and the gate as the X server shows them, with and without a
// window manager, and closing the gate ends the program.

#include "tests/display/display_fixture.h"

namespace {

class GateOnDisplay : public DisplayScenario, public ::testing::WithParamInterface<WindowManager> {};

TEST_P(GateOnDisplay, SplashAndGateShowTheirPicturesAndClosingTheGateEndsTheProgram) {
  const QImage splashPicture = Decoded("data/common/orva.ors", 0);
  const QImage gatePicture = Decoded("data/Salvind/start.oim");
  ASSERT_FALSE(splashPicture.isNull());
  ASSERT_FALSE(gatePicture.isNull());
  StartX(GetParam());
  StartClient();

  const XWindowId gate = SplashThenGate(splashPicture, gatePicture);
  ASSERT_NE(gate, 0u);
  const QImage shot = Shot("gate");
  const std::string docs = DocsScreenshotPath("gate_x11.png");
  if (GetParam() == WindowManager::kOpenbox && !docs.empty()) {
    shot.copy(x_.FramedArea(gate)).save(QString::fromStdString(docs), "PNG");
  }

  if (GetParam() == WindowManager::kOpenbox) {
    x_.RequestClose(gate);
  } else {
    x_.SendDeleteWindow(gate);
  }
  EXPECT_EQ(client_.WaitExit(10s), 0) << "signal " << client_.exitSignal();
}

INSTANTIATE_TEST_SUITE_P(Managers, GateOnDisplay, ::testing::Values(WindowManager::kOpenbox, WindowManager::kNone),
                         [](const auto& info) {
                           return std::string(info.param == WindowManager::kOpenbox ? "Openbox" : "NoManager");
                         });

}  // namespace
