// The start-up splash: the picture from data/common/orva.ors, closed by its
// timer, a click or a key, its continuation run exactly once; skipped when
// the picture cannot be had. Each test runs in a fresh current directory.

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include "app/program.h"
#include "media/image.h"
#include "media/resource_file.h"
#include "platform/testing.h"
#include "platform/window.h"
#include "tests/support/toolkit_harness.h"
#include "tests/windows/window_peek.h"
#include "windows/splash.h"

namespace fs = std::filesystem;

namespace {

int g_nextRuns = 0;
void CountNext() { ++g_nextRuns; }

Window* Newest() {
  const List* list = WindowsList();
  return list && list->head ? static_cast<Window*>(list->head->data) : nullptr;
}

struct SplashTest : ::testing::Test {
  void SetUp() override {
    g_nextRuns = 0;
    home = fs::current_path();
    char pattern[] = "/tmp/salvind_splash_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir = pattern;
    fs::current_path(dir);
    HarnessStart();
  }
  void TearDown() override {
    HarnessStop();
    std::error_code ignored;
    fs::current_path(home, ignored);
    fs::remove_all(dir, ignored);
  }
  // data/common/orva.ors in the current directory: the staged one, or bytes.
  void StageRealPicture() {
    fs::create_directories("data/common");
    fs::copy_file(SALVIND_STAGE_DATA "/common/orva.ors", "data/common/orva.ors");
  }
  void StageBytes(const std::string& bytes) {
    fs::create_directories("data/common");
    std::ofstream("data/common/orva.ors", std::ios::binary) << bytes;
  }
  // Shows the splash and returns its window, checked for what every splash has.
  Window* Show(uint16_t timed) {
    SplashShow(timed, &CountNext);
    HarnessFlush();
    Window* w = Newest();
    EXPECT_NE(w, nullptr);
    if (!w) return nullptr;
    EXPECT_EQ(WindowTitleOf(w->handle), "Orva");
    EXPECT_EQ(WindowGetModal(), w);
    EXPECT_TRUE(PlatformWindowIsShown(w->handle));
    EXPECT_EQ(g_nextRuns, 0);
    return w;
  }
  // Closing has begun: hidden and no longer modal, next not yet run.
  static void ExpectClosing(const Window* w) {
    EXPECT_FALSE(PlatformWindowIsShown(w->handle));
    EXPECT_EQ(WindowGetModal(), nullptr);
  }
  // The posted close has been delivered; nothing runs again later.
  static void ExpectGoneAfterNextRanOnce() {
    HarnessAdvance(2);
    EXPECT_EQ(g_nextRuns, 1);
    EXPECT_EQ(Newest(), nullptr);
    HarnessAdvance(400);
    EXPECT_EQ(g_nextRuns, 1);
  }
  fs::path home;
  fs::path dir;
};

TEST_F(SplashTest, WithoutItsPictureTheSplashIsSkippedAndNextRunsAtOnce) {
  struct Case {
    const char* what;
    bool stage;
    std::string bytes;
  } cases[] = {
      {"no file", false, ""},
      {"not a resource file", true, "this is not a resource file at all"},
      {"empty file", true, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    g_nextRuns = 0;
    std::error_code ignored;
    fs::remove_all("data", ignored);
    if (c.stage) StageBytes(c.bytes);
    SplashShow(kSplashTimed, &CountNext);
    EXPECT_EQ(g_nextRuns, 1);
    EXPECT_EQ(Newest(), nullptr);
    EXPECT_EQ(WindowGetModal(), nullptr);
    HarnessAdvance(kSplashTicks + 10);
    EXPECT_EQ(g_nextRuns, 1);
  }
  // Without a continuation there is simply nothing to run.
  SplashShow(kSplashUntilInput, nullptr);
  EXPECT_EQ(Newest(), nullptr);
}

TEST_F(SplashTest, ShowsThePictureWholeAndClosesAfterExactlyThreeSeconds) {
  StageRealPicture();
  Window* w = Show(kSplashTimed);
  ASSERT_NE(w, nullptr);

  // The window is the picture's size and shows every pixel of it.
  ResourceFile* file = ResourceFileNew();
  ASSERT_EQ(ResourceFileOpen(file, "data/common/orva.ors"), 0);
  Image* image = ResourceFileGetImage(file, 0);
  ResourceFileDelete(file);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(w->width, ImageWidth(image));
  EXPECT_EQ(w->height, ImageHeight(image));
  int wrong = 0;
  for (int32_t y = 0; y < ImageHeight(image); ++y) {
    for (int32_t x = 0; x < ImageWidth(image); ++x) {
      const Pixel want = image->picture.pixels[static_cast<size_t>(y) * image->picture.width + x];
      wrong += HarnessBufferPixel(w, x, y) != want;
    }
  }
  EXPECT_EQ(wrong, 0);
  ImageDelete(image);
  EXPECT_TRUE(HarnessSavePng(w, SALVIND_TEST_OUTPUT "/splash.png"));

  HarnessAdvance(kSplashTicks - 1);
  EXPECT_TRUE(PlatformWindowIsShown(w->handle));
  EXPECT_EQ(WindowGetModal(), w);
  // The 300th tick closes it; the posted close may already have been
  // delivered in the same tick, so the window may be gone.
  HarnessAdvance(1);
  EXPECT_EQ(WindowGetModal(), nullptr);
  if (Window* still = Newest()) {
    EXPECT_FALSE(PlatformWindowIsShown(still->handle));
  }
  ExpectGoneAfterNextRanOnce();
}

TEST_F(SplashTest, AClickClosesItAtOnceAndItsTimerNeverFiresLater) {
  StageRealPicture();
  // Clicked early, and clicked on the very last tick before the timeout,
  // when the timer and the posted close would meet.
  for (uint32_t before : {10u, kSplashTicks - 1}) {
    SCOPED_TRACE(before);
    g_nextRuns = 0;
    Window* w = Show(kSplashTimed);
    ASSERT_NE(w, nullptr);
    HarnessAdvance(before);
    HarnessMouseDown(w, 30, 30);
    ExpectClosing(w);
    HarnessMouseUp(w, 30, 30);
    // A key that was already on its way when the window went out of sight
    // does not close it a second time.
    EventSend(w, WindowGetProc(w), EventChar, nullptr, nullptr, 'x', 0, 0, WindowGetUserData(w));
    EXPECT_EQ(EventQueuedCount(), 1);
    ExpectGoneAfterNextRanOnce();
  }
}

TEST_F(SplashTest, ReleasesDoubleClicksAndActivationLeaveItStandingAKeyClosesIt) {
  StageRealPicture();
  Window* w = Show(kSplashUntilInput);
  ASSERT_NE(w, nullptr);
  HarnessMouseUp(w, 30, 30);
  HarnessDoubleClick(w, 30, 30);
  for (uint16_t type : {EventActivate, EventDeactivate, EventIdle, EventButtonUp, EventDoubleClick}) {
    EventSend(w, WindowGetProc(w), type, nullptr, nullptr, 0, 0, 0, WindowGetUserData(w));
  }
  // Untimed: it waits as long as it takes.
  HarnessAdvance(kSplashTicks * 2);
  EXPECT_TRUE(PlatformWindowIsShown(w->handle));
  EXPECT_EQ(g_nextRuns, 0);

  HarnessSetFocus(w);
  ASSERT_TRUE(HarnessType('x'));
  ExpectClosing(w);
  ExpectGoneAfterNextRanOnce();
}

TEST_F(SplashTest, ProgramStartOpensTheTimedSplash) {
  StageRealPicture();
  ASSERT_EQ(ProgramInit("ignored"), 0);
  HarnessFlush();
  Window* w = Newest();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(WindowTitleOf(w->handle), "Orva");
  EXPECT_EQ(WindowGetModal(), w);
  HarnessAdvance(kSplashTicks + 2);
  EXPECT_EQ(Newest(), nullptr);
  EXPECT_EQ(WindowGetModal(), nullptr);
}

}  // namespace
