// Reduced motion: buildings rest on their first frame, the gate's zoom is
// skipped and entering a room starts its game at once.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "lobby/gate.h"
#include "lobby/room.h"
#include "media/animation.h"
#include "platform/clock.h"
#include "platform/testing.h"
#include "tests/lobby/lobby_fixture.h"
#include "tests/media/animation_fixtures.h"
#include "tests/support/toolkit_harness.h"
#include "toolkit/window.h"

namespace {

constexpr Rect kHall = {100, 100, 108, 104};
int g_starts = 0;

bool CountStart(const char*, const char* const*) {
  ++g_starts;
  return true;
}

class ReducedMotionTest : public LobbyTest {
 protected:
  void SetUp() override {
    setenv("SALVIND_REDUCED_MOTION", "1", 1);
    LobbyTest::SetUp();
    g_starts = 0;
    PlatformSetProcessStartHook(&CountStart);
    PlatformTestSetTopWindows(nullptr, 0);
    std::filesystem::create_directories("games");
    std::ofstream("games/hall") << "#!";
    chmod("games/hall", 0755);
  }
  void TearDown() override {
    PlatformSetProcessStartHook(nullptr);
    PlatformTestSetTopWindows(nullptr, -1);
    LobbyTest::TearDown();
    setenv("SALVIND_REDUCED_MOTION", "0", 1);
  }
};

TEST_F(ReducedMotionTest, TheZoomIsSkippedBuildingsRestAndEnteringStartsTheGameAtOnce) {
  const uint32_t before = PlatformUptimeMs();
  GateZoom();
  EXPECT_EQ(PlatformUptimeMs(), before) << "no zoom, no pause";

  Grant();
  Room* room = Announce(1, "hall", kHall, kRoomStateOpen);
  ASSERT_NE(room, nullptr);
  ASSERT_NE(room->idle, nullptr);
  EXPECT_EQ(HarnessBufferPixel(g_gate.window, 101, 101), kFrameColours[0]);
  EXPECT_FALSE(AnimationIsRunning(room->idle));
  HarnessAdvance(100);
  EXPECT_EQ(HarnessBufferPixel(g_gate.window, 101, 101), kFrameColours[0]) << "still on its first frame";

  HarnessDoubleClick(g_gate.window, 101, 101);
  HarnessFlush();
  EXPECT_EQ(g_starts, 1) << "the game starts without a tick going by";
  EXPECT_EQ(room->entering, 0);
  EXPECT_FALSE(AnimationIsRunning(room->enter));
  EXPECT_EQ(HarnessBufferPixel(g_gate.window, 101, 101), kFrameColours[0]);
}

}  // namespace
