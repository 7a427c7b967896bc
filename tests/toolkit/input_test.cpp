// Input routing: capture, the modal hold-back, painting, focus movement and
// the keys that press buttons. Input goes in as the system would deliver it.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "platform/testing.h"
#include "tests/support/toolkit_harness.h"
#include "toolkit/button.h"
#include "toolkit/window.h"

namespace {

struct InputFixture : ::testing::Test {
  void SetUp() override { HarnessStart(); }
  void TearDown() override { HarnessStop(); }
  int Clicks(const EventLog& log) {
    return log.Count(EventButtonDown) + log.Count(EventButtonUp) + log.Count(EventDoubleClick);
  }
};

TEST_F(InputFixture, ButtonEventsCarryDrawingAreaPointsAndModifiers) {
  EventLog log;
  Window* w = HarnessOpenWindow(Rect{50, 60, 250, 160}, kWindowKindMain, nullptr, &log);
  HarnessMouseDown(w, 12, 34, kPlatformModShift | kPlatformModAlt);
  HarnessMouseUp(w, 13, 35);
  HarnessDoubleClick(w, 14, 36, kPlatformModControl);
  ASSERT_EQ(log.Count(EventButtonDown), 1);
  EXPECT_EQ(log.Last(EventButtonDown).point.x, 12);
  EXPECT_EQ(log.Last(EventButtonDown).point.y, 34);
  EXPECT_EQ(log.Last(EventButtonDown).key, kKeyShift | kKeyAlt);
  EXPECT_EQ(log.Last(EventButtonUp).point.x, 13);
  EXPECT_EQ(log.Last(EventButtonUp).key, 0u);
  EXPECT_EQ(log.Last(EventDoubleClick).key, kKeyControl);
  EXPECT_EQ(log.Last(EventDoubleClick).source, w);
}

TEST_F(InputFixture, ButtonReleasedOutsideGoesToTheWindowItWasPressedIn) {
  EventLog logA;
  EventLog logB;
  Window* a = HarnessOpenWindow(Rect{0, 0, 100, 100}, kWindowKindPlain, nullptr, &logA);
  Window* b = HarnessOpenWindow(Rect{200, 0, 300, 100}, kWindowKindPlain, nullptr, &logB);
  HarnessMouseDown(a, 10, 10);
  HarnessMouseUp(b, 20, 30);  // over b
  ASSERT_EQ(logA.Count(EventButtonUp), 1);
  EXPECT_EQ(logA.Last(EventButtonUp).point.x, 220);
  EXPECT_EQ(logA.Last(EventButtonUp).point.y, 30);
  EXPECT_EQ(Clicks(logB), 0);
  // The capture ended with the release.
  HarnessClick(b, 5, 5);
  EXPECT_EQ(logB.Count(EventButtonDown), 1);
  EXPECT_EQ(logB.Count(EventButtonUp), 1);
  EXPECT_EQ(logA.Count(EventButtonUp), 1);
}

TEST_F(InputFixture, ModalDialogHoldsBackInputToTheRestOfItsTreeWhilePaintingGoesOn) {
  EventLog mainLog;
  EventLog childLog;
  EventLog dialogLog;
  EventLog otherLog;
  Window* main = HarnessOpenWindow(Rect{0, 0, 400, 300}, kWindowKindMain, nullptr, &mainLog);
  Window* child = HarnessOpenWindow(Rect{10, 10, 110, 60}, kWindowKindPlain, main, &childLog);
  Window* other = HarnessOpenWindow(Rect{500, 0, 600, 100}, kWindowKindMain, nullptr, &otherLog);
  Window* dialog = HarnessOpenWindow(Rect{150, 150, 350, 250}, kWindowKindDialog, main, &dialogLog);
  ASSERT_TRUE(main && child && other && dialog);
  WindowSetModal(dialog);

  HarnessClick(main, 300, 20);
  HarnessDoubleClick(main, 300, 20);
  HarnessClick(child, 5, 5);
  HarnessSetFocus(main);
  mainLog.Clear();
  EXPECT_TRUE(HarnessType('x'));
  EXPECT_TRUE(HarnessType(13));
  EXPECT_EQ(Clicks(mainLog), 0);
  EXPECT_EQ(Clicks(childLog), 0);
  EXPECT_EQ(mainLog.Count(EventChar), 0);

  const Rect area{20, 30, 60, 70};
  WindowInvalidate(main, &area);
  HarnessFlush();
  ASSERT_GE(mainLog.Count(EventPaint), 1);
  EXPECT_EQ(mainLog.Last(EventPaint).rect.left, 20);
  EXPECT_EQ(mainLog.Last(EventPaint).rect.bottom, 70);

  // The modal window and windows outside the tree still take input.
  HarnessClick(dialog, 5, 5);
  EXPECT_EQ(dialogLog.Count(EventButtonDown), 1);
  HarnessClick(other, 5, 5);
  EXPECT_EQ(otherLog.Count(EventButtonDown), 1);

  WindowEndModal();
  HarnessClick(child, 5, 5);
  EXPECT_EQ(childLog.Count(EventButtonDown), 1);
}

TEST_F(InputFixture, InvalidationBecomesAPaintEventWithItsRectangle) {
  EventLog log;
  Window* w = HarnessOpenWindow(Rect{0, 0, 120, 80}, kWindowKindMain, nullptr, &log);
  EXPECT_GE(log.Count(EventPaint), 1) << "the first exposure paints";
  log.Clear();
  WindowInvalidate(w, nullptr);
  HarnessFlush();
  ASSERT_EQ(log.Count(EventPaint), 1);
  const Rect r = log.Last(EventPaint).rect;
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.top, 0);
  EXPECT_EQ(r.right, 120);
  EXPECT_EQ(r.bottom, 80);
  EXPECT_EQ(w->painting, 0);
}

// Paints its window's buffer blue where asked, like a screen's paint handler.
uint16_t PaintBlue(void* source, Event* event) {
  auto* w = static_cast<Window*>(source);
  if (event->type != EventPaint) return 0;
  EXPECT_EQ(w->painting, 1);
  for (int y = event->rect.top; y < event->rect.bottom; ++y) {
    for (int x = event->rect.left; x < event->rect.right; ++x) {
      w->buffer.pixels[y * w->buffer.width + x] = 0x000000FF;
    }
  }
  return 1;
}

TEST_F(InputFixture, PaintedBufferIsWhatTheWindowShows) {
  Window* w = WindowNew();
  const Rect r{20, 20, 180, 120};
  ASSERT_EQ(WindowInit(w, &r, kWindowKindMain, nullptr, "Blue", 1, 0, &PaintBlue, 0), 0);
  Window* child = HarnessOpenWindow(Rect{10, 10, 50, 40}, kWindowKindPlain, w, nullptr);
  HarnessFlush();
  int32_t width = 0;
  int32_t height = 0;
  const std::vector<uint32_t> shown = HarnessGrab(w, &width, &height);
  ASSERT_EQ(width, 160);
  ASSERT_EQ(height, 100);
  EXPECT_EQ(shown[50 * width + 100] & 0xFFFFFF, 0x0000FFu);
  EXPECT_EQ(shown[20 * width + 20] & 0xFFFFFF, 0xFFFFFFu) << "the child window shows its own white";
  EXPECT_EQ(HarnessBufferPixel(w, 100, 50), 0x0000FFu);
  EXPECT_TRUE(HarnessSavePng(w, "toolkit_painted_window.png"));
  (void)child;
}

uint16_t DeleteSelfOnButtonDown(void* source, Event* event) {
  if (event->type == EventButtonDown) WindowDelete(static_cast<Window*>(source));
  return 1;
}

TEST_F(InputFixture, WindowMayDeleteItselfFromItsOwnClickHandler) {
  Window* w = WindowNew();
  const Rect r{0, 0, 100, 100};
  ASSERT_EQ(WindowInit(w, &r, kWindowKindPlain, nullptr, nullptr, 1, 0, &DeleteSelfOnButtonDown, 0), 0);
  HarnessFlush();
  const int before = WindowsList()->count;
  HarnessMouseDown(w, 5, 5);
  EXPECT_EQ(WindowsList()->count, before - 1);
  EXPECT_EQ(PlatformWindowCapture(), nullptr);
  HarnessFlush();
}

TEST_F(InputFixture, ShowingAnotherTopLevelWindowMovesTheActivation) {
  EventLog first;
  EventLog second;
  HarnessOpenWindow(Rect{0, 0, 100, 100}, kWindowKindMain, nullptr, &first);
  EXPECT_EQ(first.Count(EventActivate), 1);
  HarnessOpenWindow(Rect{200, 0, 300, 100}, kWindowKindMain, nullptr, &second);
  EXPECT_EQ(first.Count(EventDeactivate), 1);
  EXPECT_EQ(second.Count(EventActivate), 1);
}

// The system deactivates a window while it is being destroyed, also when it
// deletes itself from its own input; by then the toolkit has let go of it,
// so that is nobody's input, not a stray message.
TEST_F(InputFixture, DeletingTheActiveWindowReportsNothingForIt) {
  EventLog log;
  for (const bool fromItsOwnInput : {false, true}) {
    SCOPED_TRACE(fromItsOwnInput ? "from its own click" : "from outside");
    log.Clear();
    Window* other = HarnessOpenWindow(Rect{0, 0, 100, 100}, kWindowKindMain, nullptr, &log);
    ASSERT_NE(other, nullptr);
    Window* active = WindowNew();
    const Rect r{200, 0, 300, 100};
    ASSERT_EQ(WindowInit(active, &r, kWindowKindMain, nullptr, nullptr, 1, 0, &DeleteSelfOnButtonDown, 0), 0);
    HarnessFlush();
    ASSERT_EQ(log.Count(EventDeactivate), 1) << "not the active window";
    testing::internal::CaptureStderr();
    if (fromItsOwnInput) {
      HarnessMouseDown(active, 5, 5);
    } else {
      WindowDelete(active);
    }
    HarnessFlush();
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err.find("Could not get pWindow!"), std::string::npos) << err;
    // Closed before the next round: the system activates it when the active
    // one goes, which would count in that round.
    WindowDelete(other);
    HarnessFlush();
  }
}

TEST_F(InputFixture, CloseRequestBecomesEventCloseAndNothingElse) {
  EventLog log;
  Window* w = HarnessOpenWindow(Rect{0, 0, 100, 100}, kWindowKindMain, nullptr, &log);
  PlatformTestRequestClose(w->handle);
  HarnessFlush();
  EXPECT_EQ(log.Count(EventClose), 1);
  EXPECT_TRUE(PlatformWindowIsShown(w->handle));
}

struct TabFixture : InputFixture {
  void SetUp() override {
    InputFixture::SetUp();
    w = HarnessOpenWindow(Rect{0, 0, 300, 200}, kWindowKindMain, nullptr, &log);
    c1 = HarnessOpenWindow(Rect{10, 10, 60, 30}, kWindowKindPlain, w, &childLog);
    c2 = HarnessOpenWindow(Rect{10, 40, 60, 60}, kWindowKindPlain, w, &childLog, false);
    c3 = HarnessOpenWindow(Rect{10, 70, 60, 90}, kWindowKindPlain, w, &childLog);
    ASSERT_TRUE(w && c1 && c2 && c3);
  }
  EventLog log;
  EventLog childLog;
  Window* w = nullptr;
  Window* c1 = nullptr;
  Window* c2 = nullptr;  // hidden
  Window* c3 = nullptr;
};

TEST_F(TabFixture, FocusOnTheWindowGoesToItsFirstVisibleChild) {
  HarnessSetFocus(c3);
  HarnessSetFocus(w);
  EXPECT_EQ(HarnessFocusWindow(), c1);
}

TEST_F(TabFixture, TabCyclesThroughVisibleChildrenInCreationOrder) {
  HarnessSetFocus(c1);
  ASSERT_EQ(HarnessFocusWindow(), c1);
  HarnessType(9);
  EXPECT_EQ(HarnessFocusWindow(), c3) << "the hidden child is skipped";
  HarnessType(9);
  EXPECT_EQ(HarnessFocusWindow(), c1) << "after the last comes the first";
  HarnessType(9, kPlatformModShift);
  EXPECT_EQ(HarnessFocusWindow(), c3);
  EXPECT_EQ(log.Count(EventChar), 0);
  EXPECT_EQ(childLog.Count(EventChar), 0);
}

TEST_F(TabFixture, TabInAWindowWithoutVisibleChildrenOrParentDoesNothing) {
  EventLog lone;
  Window* alone = HarnessOpenWindow(Rect{400, 0, 500, 100}, kWindowKindMain, nullptr, &lone);
  HarnessSetFocus(alone);
  ASSERT_EQ(HarnessFocusWindow(), alone);
  HarnessType(9);
  EXPECT_EQ(HarnessFocusWindow(), alone);
  EXPECT_EQ(lone.Count(EventChar), 0);
}

// Takes Tab twice, records everything.
uint16_t TakeTwoTabs(void*, Event* event) {
  auto* log = reinterpret_cast<EventLog*>(event->userData);
  log->events.push_back(*event);
  if (event->type != EventChar || (event->key & kKeyCharMask) != 9) return 1;
  int tabs = 0;
  for (const Event& e : log->events) tabs += e.type == EventChar && (e.key & kKeyCharMask) == 9;
  return tabs <= 2 ? 1 : 0;
}

TEST_F(TabFixture, AWindowThatOwnsTabIsOfferedItFirstAndTheKeysThatMoveComeAsEventKey) {
  WindowSetProc(w, &TakeTwoTabs);
  WindowSetOwnsTab(w, 1);
  // A plain child of the window holds the keyboard (the window's own focus
  // goes on to its first child).
  HarnessSetFocus(w);
  ASSERT_TRUE(HarnessType(9, kPlatformModShift));
  ASSERT_EQ(log.Count(EventChar), 1);
  EXPECT_EQ(log.Last(EventChar).key, 9u | kKeyShift);
  HarnessSetFocus(c3);
  ASSERT_TRUE(HarnessType(9));
  EXPECT_EQ(log.Count(EventChar), 2);
  EXPECT_EQ(HarnessFocusWindow(), c3);
  // Left to the toolkit, Tab moves the focus on as ever.
  ASSERT_TRUE(HarnessType(9));
  EXPECT_EQ(log.Count(EventChar), 3);
  EXPECT_EQ(HarnessFocusWindow(), c1);

  struct Case {
    PlatformTestKey key;
    uint32_t code;
  };
  for (const Case c : {Case{kPlatformTestKeyLeft, kKeyLeft}, Case{kPlatformTestKeyRight, kKeyRight},
                       Case{kPlatformTestKeyUp, kKeyUp}, Case{kPlatformTestKeyDown, kKeyDown},
                       Case{kPlatformTestKeyPageUp, kKeyPageUp}, Case{kPlatformTestKeyPageDown, kKeyPageDown},
                       Case{kPlatformTestKeyHome, kKeyHome}, Case{kPlatformTestKeyEnd, kKeyEnd}}) {
    SCOPED_TRACE(c.code);
    childLog.Clear();
    ASSERT_TRUE(PlatformTestPressKey(c.key, kPlatformModControl));
    HarnessFlush();
    ASSERT_EQ(childLog.Count(EventKey), 1);
    EXPECT_EQ(childLog.Last(EventKey).key, c.code | kKeyControl);
    EXPECT_EQ(childLog.Count(EventChar), 0);
  }
}

uint16_t CountPress(Button*, UserData presses) {
  ++*reinterpret_cast<int*>(presses);
  return 1;
}

TEST_F(TabFixture, EnterAndEscapePressTheDefaultAndCancelButtons) {
  int okPresses = 0;
  int cancelPresses = 0;
  Button* ok = ButtonNew();
  Button* cancel = ButtonNew();
  const Rect r{0, 0, 10, 10};
  // Hidden: Enter and Escape press them all the same.
  ASSERT_EQ(ButtonInit(ok, c1, &r, "OK", 0, 1, &CountPress, reinterpret_cast<UserData>(&okPresses)), 0);
  ASSERT_EQ(ButtonInit(cancel, c1, &r, "Cancel", 0, 1, &CountPress,
                       reinterpret_cast<UserData>(&cancelPresses)), 0);
  HarnessSetFocus(c1);
  HarnessType(13);
  HarnessType(27);
  // No default or cancel button yet: the child gets them as characters.
  EXPECT_EQ(childLog.Count(EventChar), 2);
  EXPECT_EQ(childLog.Last(EventChar).key, 27u);

  WindowSetDefaultButton(c1, ok);
  WindowSetCancelButton(c1, cancel);
  childLog.Clear();
  HarnessType(13);
  EXPECT_EQ(okPresses, 1);
  HarnessType(27);
  EXPECT_EQ(cancelPresses, 1);
  EXPECT_EQ(childLog.Count(EventChar), 0);
  ButtonDelete(ok);
  ButtonDelete(cancel);
}

TEST_F(TabFixture, OtherCharactersArriveWithTheirCodeAndOnlyTheHeldModifiers) {
  HarnessSetFocus(c3);
  HarnessType('a');
  HarnessType(0xE9, kPlatformModControl);
  std::vector<Event> chars;
  for (const Event& e : childLog.events) {
    if (e.type == EventChar) chars.push_back(e);
  }
  ASSERT_EQ(chars.size(), 2u);
  EXPECT_EQ(chars[0].key, 0x61u);
  EXPECT_EQ(chars[1].key, 0xE9u | kKeyControl);
  EXPECT_EQ(chars[1].source, c3);
}

TEST_F(InputFixture, InputForAWindowThatIsNoneOfOursIsReportedOnStandardError) {
  PlatformWindow stranger = PlatformWindowCreate(kPlatformWindowTopLevel, nullptr, 0, "x", 0);
  ASSERT_NE(stranger, nullptr);
  PlatformWindowSetOuterRect(stranger, PlatformRect{600, 400, 700, 500});
  PlatformWindowShow(stranger);
  testing::internal::CaptureStderr();
  PlatformTestMouseButton(650, 450, kPlatformTestButtonDown, 0);
  PlatformTestMouseButton(650, 450, kPlatformTestButtonUp, 0);
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("Could not get pWindow!, hwnd = "), std::string::npos) << err;
  EXPECT_NE(err.find("msg = 00000001"), std::string::npos) << err;
  PlatformWindowDestroy(stranger);
}

}  // namespace
