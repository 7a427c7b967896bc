// The first show of a window calls nothing of the program: its procedure
// gets its first paint (and activation) only after WindowInit has returned,
// so a screen may record its window first and draw from it.

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "tests/support/toolkit_harness.h"
#include "toolkit/window.h"

namespace {

struct Seen {
  bool insideInit = false;
  std::vector<uint16_t> duringInit;
  std::vector<uint16_t> afterInit;
};
Seen g_seen;

uint16_t Record(void*, Event* event) {
  (g_seen.insideInit ? g_seen.duringInit : g_seen.afterInit).push_back(event->type);
  return 1;
}

struct FirstShow : ::testing::Test {
  void SetUp() override {
    HarnessStart();
    g_seen = Seen{};
  }
  void TearDown() override { HarnessStop(); }
};

TEST_F(FirstShow, EveryKindIsPaintedOnlyAfterWindowInitReturned) {
  for (const uint16_t kind : {kWindowKindMain, kWindowKindDialog, kWindowKindPlain}) {
    g_seen = Seen{};
    Window* window = WindowNew();
    ASSERT_NE(window, nullptr);
    const Rect rect{0, 0, 120, 80};
    g_seen.insideInit = true;
    ASSERT_EQ(WindowInit(window, &rect, kind, nullptr, "First", 1, 1, &Record, 0), 0);
    g_seen.insideInit = false;
    EXPECT_TRUE(g_seen.duringInit.empty()) << "kind " << kind << ": " << g_seen.duringInit.size()
                                           << " events inside WindowInit, the first " << g_seen.duringInit.front();
    HarnessFlush();
    EXPECT_NE(std::count(g_seen.afterInit.begin(), g_seen.afterInit.end(), EventPaint), 0) << "kind " << kind;
    WindowDelete(window);
  }
}

// A screen shows its window and then puts the focus where it wants it; the
// window's own focus, kept back during the show, must not take it away again.
TEST_F(FirstShow, FocusGivenRightAfterTheShowStaysWhereItWasGiven) {
  Window* window = HarnessOpenWindow(Rect{0, 0, 200, 100}, kWindowKindMain, nullptr, nullptr, false);
  ASSERT_NE(window, nullptr);
  Window* first = HarnessOpenWindow(Rect{10, 10, 60, 30}, kWindowKindPlain, window, nullptr);
  Window* second = HarnessOpenWindow(Rect{10, 40, 60, 60}, kWindowKindPlain, window, nullptr);
  ASSERT_TRUE(first && second);
  WindowShow(window);
  PlatformWindowSetFocus(second->handle);
  HarnessFlush();
  EXPECT_EQ(HarnessFocusWindow(), second);
}

}  // namespace
