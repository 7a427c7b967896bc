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

// On a screen of twice the usual density (the desktop's Xft.dpi of 192)
// the client chooses scale 2 by itself: the splash and the gate are twice
// their size, each of their pixels a 2 x 2 block.
TEST_F(DisplayScenario, ADoubledDensityDoublesTheWindowsByItself) {
  const QImage splashPicture = Decoded("data/common/orva.ors", 0);
  const QImage gatePicture = Decoded("data/Salvind/start.oim");
  StartX(WindowManager::kOpenbox, "3840x2160x24");
  x_.SetResources("Xft.dpi:\t192\n");
  scale_ = 2;
  StartClient();
  const XWindowId splash = Window("Orva");
  ASSERT_NE(splash, 0u);
  EXPECT_EQ(WaitForPicture(splash, splashPicture, 5s), "") << "the splash";
  ClickIn(splash, 10, 10);
  const XWindowId gate = Window("Gate");
  ASSERT_NE(gate, 0u);
  EXPECT_EQ(x_.Area(gate).size(), QSize(1280, 800));
  EXPECT_EQ(WaitForPicture(gate, gatePicture, 2s), "") << "the gate";
  Shot("gate-scale-2");
  x_.RequestClose(gate);
  EXPECT_EQ(client_.WaitExit(10s), 0) << "signal " << client_.exitSignal();
}

INSTANTIATE_TEST_SUITE_P(Managers, GateOnDisplay, ::testing::Values(WindowManager::kOpenbox, WindowManager::kNone),
                         [](const auto& info) {
                           return std::string(info.param == WindowManager::kOpenbox ? "Openbox" : "NoManager");
                         });

}  // namespace
