// The gate: the automatic open after three seconds, the open by a click, the
// close that ends the program and the zoom's fixed table.

#include <gtest/gtest.h>

#include <cstdio>

#include "lobby/gate.h"
#include "lobby/login_window.h"
#include "platform/clock.h"
#include "platform/testing.h"
#include "tests/lobby/screen_fixture.h"
#include "tests/support/toolkit_harness.h"
#include "toolkit/offscreen.h"

namespace {

class GateTest : public ScreenTest {
 protected:
  void SetUp() override {
    ScreenTest::SetUp();
    SetDisclaimerAccepted(1);
  }
};

TEST_F(GateTest, LoginOpensThreeSecondsAfterTheGateWithoutInput) {
  ASSERT_TRUE(OpenGate());
  EXPECT_EQ(g_gate.rect.right, 640);
  EXPECT_EQ(g_gate.rect.bottom, 400);
  HarnessAdvance(kGateWaitTicks - 1);
  EXPECT_EQ(g_login.window, nullptr);
  // The timer posts a click; the click is delivered on the next tick.
  HarnessAdvance(2);
  ASSERT_NE(g_login.window, nullptr);
  Window* first = g_login.window;
  EXPECT_EQ(g_gate.timerPending, 0);
  HarnessAdvance(2 * kGateWaitTicks);
  EXPECT_EQ(g_login.window, first);
  EXPECT_TRUE(AlertTexts().empty());
}

TEST_F(GateTest, AClickOpensTheLoginAtOnceAndTheTimerNeverOpensASecond) {
  ASSERT_TRUE(OpenGate());
  HarnessAdvance(100);
  HarnessClick(g_gate.window, 300, 200);
  HarnessFlush();
  ASSERT_NE(g_login.window, nullptr);
  EXPECT_EQ(g_gate.timerPending, 0);
  // Even with the first login window gone, the timer opens nothing.
  CloseLoginWindow();
  HarnessAdvance(2 * kGateWaitTicks);
  EXPECT_EQ(g_login.window, nullptr);
}

TEST_F(GateTest, AKeyOnTheGateOpensTheLogin) {
  ASSERT_TRUE(OpenGate());
  HarnessSetFocus(g_gate.window);
  ASSERT_TRUE(HarnessType('x'));
  HarnessFlush();
  EXPECT_NE(g_login.window, nullptr);
}

TEST_F(GateTest, ClosingTheGateBeforeLoggingInEndsTheProgram) {
  ASSERT_TRUE(OpenGate());
  PlatformTestRequestClose(WindowGetHandle(g_gate.window));
  HarnessFlush();
  EXPECT_EQ(g_gate.window, nullptr);
  EXPECT_EQ(g_gate.picture, nullptr);
  HarnessAdvance(2);
  EXPECT_EQ(Quits(), 1);
  // The pending timer then finds no gate to click.
  HarnessAdvance(kGateWaitTicks);
  EXPECT_EQ(g_login.window, nullptr);
}

TEST_F(GateTest, AMissingGatePictureIsReportedAndLeavesNothingBehind) {
  std::remove("data/Salvind/start.oim");
  EXPECT_EQ(GateOpen(), kErrorFileNotFound);
  ASSERT_EQ(AlertTexts().size(), 1u);
  EXPECT_EQ(AlertTexts()[0], "Failed to load the gate image file.");
  EXPECT_EQ(g_gate.window, nullptr);
  EXPECT_EQ(g_gate.timer, nullptr);
}

TEST_F(GateTest, ALoginWindowThatCannotOpenClosesTheGateAndEndsTheProgram) {
  std::remove("data/Salvind/salvind.ors");
  ASSERT_TRUE(OpenGate());
  // Only the press: the gate is gone before a release could reach it.
  HarnessMouseDown(g_gate.window, 300, 200);
  HarnessFlush();
  ASSERT_EQ(AlertTexts().size(), 1u);
  EXPECT_EQ(AlertTexts()[0], "Failed to load the login image file.");
  EXPECT_EQ(g_login.window, nullptr);
  EXPECT_EQ(g_gate.window, nullptr);
  HarnessAdvance(2);
  EXPECT_EQ(Quits(), 1);
}

// The staged picture is 640 x 400, not 600 x 382: the zoom still takes its
// fixed rectangles, stretched over the whole window, 100 ms apart.
TEST_F(GateTest, TheZoomUsesTheFixedTableWhateverThePicturesSize) {
  ASSERT_TRUE(OpenGate());
  const uint32_t before = PlatformUptimeMs();
  GateZoom();
  EXPECT_EQ(PlatformUptimeMs() - before, kGateZoomSteps * kGateZoomStepTicks * 10);

  const Rect last = kGateZoomTable[kGateZoomSteps - 1];
  EXPECT_EQ(last.left, 269);
  EXPECT_EQ(last.bottom, 169);
  const PixelBuffer& picture = g_gate.picture->bitmap;
  const int w = RectWidth(g_gate.rect);
  const int h = RectHeight(g_gate.rect);
  int mismatches = 0;
  for (int y = 0; y < h; y += 7) {
    for (int x = 0; x < w; x += 7) {
      const int sx = last.left + x * RectWidth(last) / w;
      const int sy = last.top + y * RectHeight(last) / h;
      mismatches += HarnessBufferPixel(g_gate.window, x, y) != picture.pixels[sy * picture.width + sx];
    }
  }
  EXPECT_EQ(mismatches, 0);

  // The repaint after the zoom shows the whole picture again; once the
  // picture is discarded a repaint leaves the window alone.
  EventSend(g_gate.window, &GateEventProc, EventPaint, nullptr, nullptr, 0, 0, 0, 0);
  EXPECT_EQ(HarnessBufferPixel(g_gate.window, 600, 390), picture.pixels[390 * picture.width + 600]);
  GateDiscardPicture();
  EXPECT_EQ(g_gate.picture, nullptr);
  EXPECT_EQ(EventSend(g_gate.window, &GateEventProc, EventPaint, nullptr, nullptr, 0, 0, 0, 0), 1);
  GateZoom();  // nothing to zoom into: no frames, no pause
}

}  // namespace
