// The information box: placement, title and stacking, and a text that shows
// the moment it is set, before the caller blocks.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/testing.h"
#include "platform/window.h"
#include "tests/support/toolkit_harness.h"
#include "tests/windows/window_peek.h"
#include "windows/info_box.h"

namespace {

constexpr Pixel kWhite = 0xFFFFFF;

struct InfoBoxTest : ::testing::Test {
  void SetUp() override { HarnessStart(); }
  void TearDown() override {
    InfoBoxDelete(box);
    PlatformTestSetScreenSize(0, 0);
    HarnessStop();
  }
  InfoBox* Make(const char* text, uint16_t width, Window* parent = nullptr) {
    box = InfoBoxNew();
    EXPECT_NE(box, nullptr);
    EXPECT_EQ(box->kind, kObjectKindInfoBox);
    EXPECT_EQ(InfoBoxInit(box, parent, text, width, 0, 0), 0);
    return box;
  }
  // What the screen shows of the box's drawing area right now, without
  // letting the platform catch up first.
  std::vector<uint32_t> Presented() const {
    return HarnessGrabPresentedPlatform(box->window, box->picture.width, box->picture.height);
  }
  InfoBox* box = nullptr;
};

// The bounds of the non-white pixels; left > right when there are none.
Rect InkBounds(const std::vector<uint32_t>& pixels, int32_t width, int32_t height) {
  Rect r{INT16_MAX, INT16_MAX, INT16_MIN, INT16_MIN};
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      if ((pixels[static_cast<size_t>(y) * width + x] & 0xFFFFFF) == kWhite) continue;
      r.left = std::min<int16_t>(r.left, static_cast<int16_t>(x));
      r.top = std::min<int16_t>(r.top, static_cast<int16_t>(y));
      r.right = std::max<int16_t>(r.right, static_cast<int16_t>(x + 1));
      r.bottom = std::max<int16_t>(r.bottom, static_cast<int16_t>(y + 1));
    }
  }
  return r;
}

TEST_F(InfoBoxTest, StandsCentredOnTheScreenAboveEverythingAndHiddenUntilShown) {
  PlatformTestSetScreenSize(640, 480);
  PlatformWindowMetrics m;
  PlatformWindowGetMetrics(&m);
  Make("Connecting to the Orva server ...", 300);

  const PlatformRect outer = PlatformWindowOuterOnScreen(box->window);
  const int32_t height = m.captionHeight + 52;
  EXPECT_EQ(outer.left, 170);
  EXPECT_EQ(outer.right - outer.left, 300);
  EXPECT_EQ(outer.bottom - outer.top, height);
  EXPECT_EQ(outer.top, (480 - height) / 2);
  EXPECT_EQ(WindowTitleOf(box->window), "Salvind");
  EXPECT_TRUE(WindowStaysOnTop(box->window));
  EXPECT_FALSE(PlatformWindowIsShown(box->window));
  EXPECT_EQ(box->textX, 16);
  EXPECT_EQ(box->optionRight, 300 - 16);
  EXPECT_EQ(box->optionValue, 0);
  // Not a toolkit window: its input never reaches the window procedure.
  EXPECT_EQ(WindowFromHandle(box->window), nullptr);

  InfoBoxShow(box);
  EXPECT_TRUE(PlatformWindowIsShown(box->window));
}

TEST_F(InfoBoxTest, StaysAboveAWindowShownAfterIt) {
  Make("Launching game ...", 200);
  InfoBoxShow(box);
  Window* later = HarnessOpenWindow(Rect{0, 0, 800, 600}, kWindowKindPlain, nullptr, nullptr);
  ASSERT_NE(later, nullptr);
  // A click on the box's middle reaches the box, not the window below it,
  // and the box ignores it.
  int32_t x = 0;
  int32_t y = 0;
  PlatformWindowClientOrigin(box->window, &x, &y);
  EventLog log;
  WindowSetProc(later, &HarnessRecordEvent);
  later->userData = reinterpret_cast<UserData>(&log);
  PlatformTestMouseButton(x + 20, y + 20, kPlatformTestButtonDown, 0);
  PlatformTestMouseButton(x + 20, y + 20, kPlatformTestButtonUp, 0);
  EXPECT_EQ(log.Count(EventButtonDown), 0);
  EXPECT_TRUE(PlatformWindowIsShown(box->window));
}

TEST_F(InfoBoxTest, ANewTextIsOnScreenAtOnceWithoutTheLoopRunning) {
  Make("Connecting to the Orva server ...", 300);
  InfoBoxShow(box);
  const std::vector<uint32_t> first = Presented();
  ASSERT_FALSE(first.empty());
  const int32_t w = box->picture.width;
  const int32_t h = box->picture.height;
  const Rect ink = InkBounds(first, w, h);
  ASSERT_LT(ink.left, ink.right) << "the first text shows";
  // Placed by its top-left corner at (16, 8): the first glyph's ink starts
  // a pixel or two inside that corner.
  EXPECT_GE(ink.left, 16);
  EXPECT_LE(ink.left, 19);
  EXPECT_GE(ink.top, 8);
  EXPECT_LT(ink.bottom, h);

  InfoBoxSetText(box, "Requesting access ...");
  const std::vector<uint32_t> second = Presented();
  EXPECT_NE(second, first);
  EXPECT_EQ(second, std::vector<uint32_t>(box->picture.pixels, box->picture.pixels + w * h));

  // The same text again still repaints: a smudge shown meanwhile goes away.
  for (int32_t x = 0; x < w; ++x) box->picture.pixels[static_cast<size_t>(h - 2) * w + x] = 0;
  PlatformWindowPresent(box->window, PlatformRect{0, 0, w, h});
  ASSERT_NE(Presented(), second);
  InfoBoxSetText(box, "Requesting access ...");
  EXPECT_EQ(Presented(), second);

  HarnessFlush();
  EXPECT_TRUE(HarnessSavePngPlatform(box->window, SALVIND_TEST_OUTPUT "/info_box.png"));
}

TEST_F(InfoBoxTest, IsOwnedByItsParentAndCanBeMadeWithoutText) {
  Window* parent = HarnessOpenWindow(Rect{10, 10, 210, 110}, kWindowKindMain, nullptr, nullptr);
  ASSERT_NE(parent, nullptr);
  Make(nullptr, 200, parent);
  EXPECT_EQ(PlatformWindowParent(box->window), WindowGetHandle(parent));
  ASSERT_NE(box->text, nullptr);
  EXPECT_STREQ(box->text, "");
  InfoBoxShow(box);
  const std::vector<uint32_t> shown = Presented();
  const Rect ink = InkBounds(shown, box->picture.width, box->picture.height);
  EXPECT_GE(ink.left, ink.right) << "an empty box is white";
}

}  // namespace
