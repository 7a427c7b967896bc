#include "shell/timer.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/testing.h"

namespace {

struct TimerFixture : ::testing::Test {
  void SetUp() override {
    PlatformManualClockEnable();
    PlatformManualClockSet(1000000);
    ASSERT_EQ(TimerServiceInit(), 1);
  }
  void TearDown() override {
    for (Timer* t : owned) TimerDelete(t);
    TimerServiceShutdown();
  }
  Timer* Make() {
    Timer* t = TimerNew();
    owned.push_back(t);
    return t;
  }
  void Forget(Timer* t) { std::erase(owned, t); }
  std::vector<Timer*> owned;
};

int g_calls = 0;
void Count(Timer*, UserData) { ++g_calls; }

TEST_F(TimerFixture, NewTimerIsStoppedAndStartWithZeroKeepsItSo) {
  Timer* t = Make();
  EXPECT_EQ(t->kind, kObjectKindTimer);
  EXPECT_EQ(t->interval, 0u);
  EXPECT_EQ(TimerStart(t, 0, &Count, 7), 0);
  EXPECT_EQ(t->callback, &Count);
  EXPECT_EQ(t->userData, 7u);
  g_calls = 0;
  PlatformManualClockAdvance(50);
  EXPECT_EQ(g_calls, 0);
}

TEST_F(TimerFixture, ThreeHundredTickTimerFiresOnTheThreeHundredthPass) {
  Timer* t = Make();
  g_calls = 0;
  TimerStart(t, 300, &Count, 0);
  PlatformManualClockAdvance(299);
  EXPECT_EQ(g_calls, 0);
  PlatformManualClockAdvance(1);
  EXPECT_EQ(g_calls, 1);
  EXPECT_EQ(t->remaining, 300u);
}

// One late pass against a timer with a given remaining time and interval.
TEST_F(TimerFixture, PassRuleTable) {
  struct Case { uint32_t interval; uint32_t remaining; uint32_t elapsed; int calls; uint32_t after; };
  const Case cases[] = {
      {20, 20, 55, 1, 1},   // 35 late: not less than the interval, due again next pass
      {20, 20, 25, 1, 15},  // 5 late: taken off the next interval
      {20, 20, 20, 1, 20},  // on time
      {20, 20, 19, 0, 1},   // not yet
      {20, 5, 44, 1, 1},    // overshoot 39 >= 20
      {20, 20, 39, 1, 1},   // overshoot 19 < 20 leaves 1 as well
  };
  for (const Case& c : cases) {
    Timer* t = Make();
    TimerStart(t, c.interval, &Count, 0);
    t->remaining = c.remaining;
    g_calls = 0;
    PlatformManualClockJump(c.elapsed * 10);
    EXPECT_EQ(g_calls, c.calls) << "elapsed " << c.elapsed;
    EXPECT_EQ(t->remaining, c.after) << "elapsed " << c.elapsed;
    TimerDelete(t);
    Forget(t);
  }
}

TEST_F(TimerFixture, WrappedUptimeCallsEveryTimerOnce) {
  TimerServiceShutdown();
  PlatformManualClockSet(0xFFFFFFFFu - 5);
  ASSERT_EQ(TimerServiceInit(), 1);
  Timer* a = Make();
  Timer* b = Make();
  TimerStart(a, 20, &Count, 0);
  TimerStart(b, 500, &Count, 0);
  g_calls = 0;
  // The counter wraps: now / 10 falls far below the previous pass, and the
  // unsigned difference is huge.
  PlatformManualClockJump(16);
  EXPECT_EQ(g_calls, 2);
  EXPECT_EQ(a->remaining, 1u);
  EXPECT_EQ(b->remaining, 1u);
}

TEST_F(TimerFixture, SetIntervalRestartsWithoutJoiningTwice) {
  Timer* t = Make();
  g_calls = 0;
  TimerStart(t, 10, &Count, 0);
  PlatformManualClockAdvance(8);
  TimerSetInterval(t, 5);
  EXPECT_EQ(t->remaining, 5u);
  PlatformManualClockAdvance(5);
  EXPECT_EQ(g_calls, 1) << "one list entry: one call per pass";
  TimerSetInterval(t, 0);
  PlatformManualClockAdvance(20);
  EXPECT_EQ(g_calls, 1);
}

TEST_F(TimerFixture, DeletingAStoppedTimerOnlyFreesIt) {
  Timer* stopped = TimerNew();
  TimerDelete(stopped);
  TimerDelete(nullptr);
  Timer* running = Make();
  g_calls = 0;
  TimerStart(running, 1, &Count, 0);
  PlatformManualClockAdvance(1);
  EXPECT_EQ(g_calls, 1);
}

// Callbacks that change the running list from inside a pass.
struct PassLog {
  std::vector<int> calls;
  Timer* self = nullptr;
  Timer* joiner = nullptr;
  bool deleteSelf = false;
};
PassLog g_log;

void StopSelf(Timer* t, UserData id) {
  g_log.calls.push_back(static_cast<int>(id));
  if (g_log.deleteSelf) {
    TimerDelete(t);
  } else {
    TimerSetInterval(t, 0);
  }
}
void Record(Timer*, UserData id) { g_log.calls.push_back(static_cast<int>(id)); }
void StartJoiner(Timer*, UserData id) {
  g_log.calls.push_back(static_cast<int>(id));
  if (g_log.joiner->interval == 0) TimerStart(g_log.joiner, 1, &Record, 99);
}

TEST_F(TimerFixture, CallbackStoppingOrDeletingItselfLeavesThePassGoing) {
  for (bool deleteSelf : {false, true}) {
    g_log = PassLog{};
    g_log.deleteSelf = deleteSelf;
    Timer* last = Make();
    Timer* self = TimerNew();
    if (!deleteSelf) owned.push_back(self);
    Timer* first = Make();
    // The list runs front to back, newest first: first, self, last.
    TimerStart(last, 1, &Record, 3);
    TimerStart(self, 1, &StopSelf, 2);
    TimerStart(first, 1, &Record, 1);
    PlatformManualClockAdvance(1);
    EXPECT_EQ(g_log.calls, (std::vector<int>{1, 2, 3}));
    PlatformManualClockAdvance(1);
    EXPECT_EQ(g_log.calls, (std::vector<int>{1, 2, 3, 1, 3})) << "deleteSelf " << deleteSelf;
    TimerSetInterval(first, 0);
    TimerSetInterval(last, 0);
  }
}

TEST_F(TimerFixture, TimerJoiningDuringAPassWaitsForTheNext) {
  g_log = PassLog{};
  g_log.joiner = Make();
  Timer* starter = Make();
  TimerStart(starter, 1, &StartJoiner, 1);
  PlatformManualClockAdvance(1);
  EXPECT_EQ(g_log.calls, (std::vector<int>{1}));
  EXPECT_EQ(g_log.joiner->remaining, 1u);
  PlatformManualClockAdvance(1);
  EXPECT_EQ(g_log.calls, (std::vector<int>{1, 99, 1}));
}

// A callback that runs a nested loop, which makes a pass of its own, then
// deletes the timer the outer pass would visit next.
Timer* g_victim = nullptr;
int g_nestedDepth = 0;
void NestedLoop(Timer*, UserData id) {
  g_log.calls.push_back(static_cast<int>(id));
  if (g_nestedDepth++ == 0 && g_victim) {
    PlatformManualClockAdvance(1);
    TimerDelete(g_victim);
    g_victim = nullptr;
  }
  --g_nestedDepth;
}

TEST_F(TimerFixture, NestedPassInsideACallbackIsSafe) {
  g_log = PassLog{};
  Timer* after = Make();
  g_victim = TimerNew();
  Timer* nesting = Make();
  TimerStart(after, 1, &Record, 3);
  TimerStart(g_victim, 1, &Record, 2);
  TimerStart(nesting, 1, &NestedLoop, 1);
  PlatformManualClockAdvance(1);
  // The nested pass calls all three; the outer pass then skips what the nested
  // pass has counted and never touches the deleted timer.
  EXPECT_EQ(g_log.calls, (std::vector<int>{1, 1, 2, 3}));
  PlatformManualClockAdvance(1);
  EXPECT_EQ(g_log.calls, (std::vector<int>{1, 1, 2, 3, 1, 3}));
}

}  // namespace
