// Sending and posting events, the toolkit's procedure lists and idle events.

#include "toolkit/event.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/support/toolkit_harness.h"

namespace {

struct EventFixture : ::testing::Test {
  void SetUp() override { HarnessStart(); }
  void TearDown() override { HarnessStop(); }
};

int g_source = 0;

// Posts two events to the log's procedure from inside a handler.
uint16_t PostTwo(void*, Event* event) {
  auto* log = reinterpret_cast<EventLog*>(event->userData);
  EventPost(&g_source, &HarnessRecordEvent, EventClose, nullptr, nullptr, 0, 1, 0,
            reinterpret_cast<UserData>(log));
  EventPost(&g_source, &HarnessRecordEvent, EventClose, nullptr, nullptr, 0, 2, 0,
            reinterpret_cast<UserData>(log));
  return 1;
}

TEST_F(EventFixture, TwoPostedEventsArriveOnTwoSuccessiveTicksInPostingOrder) {
  EventLog log;
  EventSend(&g_source, &PostTwo, EventButtonUp, nullptr, nullptr, 0, 0, 0,
            reinterpret_cast<UserData>(&log));
  EXPECT_TRUE(log.events.empty()) << "nothing is delivered inside the posting handler";
  EXPECT_EQ(EventQueuedCount(), 2);
  HarnessAdvance(1);
  ASSERT_EQ(log.events.size(), 1u);
  EXPECT_EQ(log.events[0].data1, 1u);
  EXPECT_EQ(log.events[0].source, &g_source);
  HarnessAdvance(1);
  ASSERT_EQ(log.events.size(), 2u);
  EXPECT_EQ(log.events[1].data1, 2u);
  HarnessAdvance(5);
  EXPECT_EQ(log.events.size(), 2u);
}

TEST_F(EventFixture, EventWithoutSourceReachesTheProgramHandlerEvenWithAProcedure) {
  EventLog log;
  EventPost(nullptr, &HarnessRecordEvent, EventQuit, nullptr, nullptr, 0, 0, 0,
            reinterpret_cast<UserData>(&log));
  EventPost(nullptr, nullptr, 77, nullptr, nullptr, 0, 5, 6, 0);
  HarnessAdvance(2);
  EXPECT_TRUE(log.events.empty());
  const EventLog& program = HarnessProgramEvents();
  ASSERT_EQ(program.events.size(), 2u);
  EXPECT_EQ(program.events[0].type, EventQuit);
  EXPECT_EQ(program.events[1].type, 77);
  EXPECT_EQ(program.events[1].data2, 6u);
}

TEST_F(EventFixture, EventWithSourceAndNoProcedureIsDropped) {
  EventPost(&g_source, nullptr, EventClose, nullptr, nullptr, 0, 0, 0, 0);
  HarnessAdvance(3);
  EXPECT_EQ(EventQueuedCount(), 0);
  EXPECT_TRUE(HarnessProgramEvents().events.empty());
}

int g_calls = 0;
uint16_t CountCalls(void*, Event*) {
  ++g_calls;
  return 1;
}

TEST_F(EventFixture, SendWithoutProcedureReturnsZeroAndSendFillsTheRecord) {
  g_calls = 0;
  EXPECT_EQ(EventSend(&g_source, nullptr, EventPaint, nullptr, nullptr, 0, 0, 0, 0), 0);
  EXPECT_EQ(g_calls, 0);

  EventLog log;
  EXPECT_EQ(EventSend(&g_source, &HarnessRecordEvent, EventChar, nullptr, nullptr, 0x41 | kKeyShift, 3,
                      4, reinterpret_cast<UserData>(&log)),
            1);
  ASSERT_EQ(log.events.size(), 1u);
  const Event& e = log.events[0];
  EXPECT_EQ(e.point.x, 0);
  EXPECT_EQ(e.rect.right, 0);
  EXPECT_EQ(e.key, 0x41 | kKeyShift);
  EXPECT_EQ(e.data1, 3u);
  EXPECT_EQ(e.data2, 4u);

  const Point p{-5, 7};
  const Rect r{1, 2, 3, 4};
  EventSend(&g_source, &HarnessRecordEvent, EventPaint, &p, &r, 0, 0, 0, reinterpret_cast<UserData>(&log));
  EXPECT_EQ(log.events[1].point.x, -5);
  EXPECT_EQ(log.events[1].rect.bottom, 4);
}

TEST_F(EventFixture, EventsStillQueuedAtStopAreFreedUndelivered) {
  g_calls = 0;
  EventPost(&g_source, &CountCalls, EventClose, nullptr, nullptr, 0, 0, 0, 0);
  EventPost(nullptr, nullptr, EventQuit, nullptr, nullptr, 0, 0, 0, 0);
  ToolkitStop();
  EXPECT_EQ(EventQueuedCount(), 0);
  // A fresh start makes a fresh queue on the next post.
  ASSERT_EQ(ToolkitStart(), 0);
  HarnessAdvance(3);
  EXPECT_EQ(g_calls, 0);
  EXPECT_TRUE(HarnessProgramEvents().events.empty());
  EventPost(&g_source, &CountCalls, EventClose, nullptr, nullptr, 0, 0, 0, 0);
  HarnessAdvance(1);
  EXPECT_EQ(g_calls, 1);
}

std::vector<int> g_order;
void Note(UserData argument) { g_order.push_back(static_cast<int>(argument)); }

TEST_F(EventFixture, PeriodicProceduresRunEveryTickAndExitProceduresOnceInOrder) {
  g_order.clear();
  ASSERT_EQ(ToolkitAddPeriodicProc(&Note, 1), 0);
  ASSERT_EQ(ToolkitAddPeriodicProc(&Note, 2), 0);
  ASSERT_EQ(ToolkitAddExitProc(&Note, 9), 0);
  ASSERT_EQ(ToolkitAddExitProc(&Note, 8), 0);
  HarnessAdvance(2);
  EXPECT_EQ(g_order, (std::vector<int>{1, 2, 1, 2}));
  g_order.clear();
  ToolkitStop();
  EXPECT_EQ(g_order, (std::vector<int>{9, 8}));
  EXPECT_NE(ToolkitAddExitProc(&Note, 1), 0) << "no list after the stop";
  ASSERT_EQ(ToolkitStart(), 0);
}

TEST_F(EventFixture, IdleGoesToEveryWindowNewestFirstWithThePointerInItsDrawingArea) {
  std::vector<int> order;
  EventLog first;
  EventLog second;
  Window* a = HarnessOpenWindow(Rect{100, 100, 200, 200}, kWindowKindMain, nullptr, &first);
  Window* b = HarnessOpenWindow(Rect{300, 100, 400, 200}, kWindowKindPlain, nullptr, &second);
  ASSERT_TRUE(a && b);
  int32_t sx = 0;
  int32_t sy = 0;
  HarnessToScreen(a, 7, 9, &sx, &sy);
  PlatformTestSetPointer(sx, sy);
  WindowsIdleTick(nullptr, 0);
  ASSERT_EQ(first.Count(EventIdle), 1);
  ASSERT_EQ(second.Count(EventIdle), 1);
  EXPECT_EQ(first.Last(EventIdle).point.x, 7);
  EXPECT_EQ(first.Last(EventIdle).point.y, 9);
  EXPECT_EQ(second.Last(EventIdle).point.x, 7 + 100 + 1 - 300);
  EXPECT_EQ(first.Last(EventIdle).userData, reinterpret_cast<UserData>(&first));
}

// An idle handler that deletes another window must not trip the walk.
Window* g_victim = nullptr;
uint16_t DeleteVictim(void*, Event* event) {
  if (event->type == EventIdle && g_victim) {
    WindowDelete(g_victim);
    g_victim = nullptr;
  }
  return 1;
}

TEST_F(EventFixture, IdleHandlerMayDeleteAnotherWindow) {
  EventLog log;
  Window* older = HarnessOpenWindow(Rect{0, 0, 50, 50}, kWindowKindPlain, nullptr, &log);
  g_victim = older;
  Window* newer = WindowNew();
  const Rect r{60, 0, 110, 50};
  ASSERT_EQ(WindowInit(newer, &r, kWindowKindPlain, nullptr, nullptr, 1, 0, &DeleteVictim, 0), 0);
  WindowsIdleTick(nullptr, 0);
  EXPECT_EQ(g_victim, nullptr);
  EXPECT_EQ(log.Count(EventIdle), 0);
}

}  // namespace
