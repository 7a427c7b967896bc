// The lobby by keyboard: Tab, Shift+Tab and the arrows walk the buildings of
// open and full rooms in reading order and then the welcome icon, with a
// mark and the status window; Enter and Space enter or open; the pointer and
// the keys share the current building.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lobby/gate.h"
#include "lobby/lobby_focus.h"
#include "lobby/lobby_window.h"
#include "lobby/room.h"
#include "lobby/status_window.h"
#include "lobby/welcome_window.h"
#include "media/animation.h"
#include "platform/testing.h"
#include "platform/window.h"
#include "protocol/messages.h"
#include "tests/lobby/lobby_fixture.h"
#include "tests/support/toolkit_harness.h"
#include "toolkit/window.h"

namespace {

constexpr Pixel kBlack = 0x000000;
constexpr Pixel kWhite = 0xFFFFFF;

// Buildings are 8 x 4 with an opaque left half. Announced out of reading
// order; "closed" has no status yet and is skipped.
constexpr Rect kRight = {300, 50, 308, 54};
constexpr Rect kBelow = {100, 200, 108, 204};
constexpr Rect kLeft = {100, 50, 108, 54};
constexpr Rect kClosed = {200, 50, 208, 54};

class LobbyKeyboardTest : public LobbyTest {
 protected:
  void SetUp() override {
    LobbyTest::SetUp();
    Grant();
    right = Announce(1, "right", kRight, kRoomStateOpen, 3);
    below = Announce(2, "below", kBelow, kRoomStateFull);
    left = Announce(3, "left", kLeft, kRoomStateOpen);
    Announce(4, "closed", kClosed, kRoomStateNone);
    Send(kMessageWelcomeText, WelcomeTextBody("hello"));
    EventSend(g_welcome.window, &WelcomeEventProc, EventClose, nullptr, nullptr, 0, 0, 0, 0);
    Activate();
    HarnessSetFocus(g_gate.window);
    HarnessFlush();
  }
  static Pixel At(int32_t x, int32_t y) { return HarnessBufferPixel(g_gate.window, x, y); }
  static bool Shown(const Window* window) { return window && PlatformWindowIsShown(WindowGetHandle(window)); }
  // The mark's rings stand 3 and 2 pixels outside the building.
  static bool MarkedAround(const Rect& r) {
    return At(r.left - 3, r.top - 3) == kBlack && At(r.right + 2, r.bottom + 2) == kBlack &&
           At(r.left - 2, r.top) == kWhite && At(r.right + 1, r.bottom - 1) == kWhite;
  }
  static bool BareAround(const Rect& r) {
    for (const Point p : {Point{int16_t(r.left - 3), int16_t(r.top - 3)}, Point{int16_t(r.right + 2), r.bottom},
                          Point{int16_t(r.left - 2), r.top}}) {
      if (At(p.x, p.y) != TestMapPixel(p.x, p.y)) return false;
    }
    return true;
  }

  Room* right = nullptr;
  Room* below = nullptr;
  Room* left = nullptr;
};

enum class Key { kTab, kShiftTab, kRight, kDown, kLeft, kUp };

void Press(Key key) {
  switch (key) {
    case Key::kTab: ASSERT_TRUE(HarnessType(9)); break;
    case Key::kShiftTab: ASSERT_TRUE(HarnessType(9, kPlatformModShift)); break;
    case Key::kRight: ASSERT_TRUE(PlatformTestPressKey(kPlatformTestKeyRight, 0)); break;
    case Key::kDown: ASSERT_TRUE(PlatformTestPressKey(kPlatformTestKeyDown, 0)); break;
    case Key::kLeft: ASSERT_TRUE(PlatformTestPressKey(kPlatformTestKeyLeft, 0)); break;
    case Key::kUp: ASSERT_TRUE(PlatformTestPressKey(kPlatformTestKeyUp, 0)); break;
  }
  HarnessFlush();
}

TEST_F(LobbyKeyboardTest, KeysWalkTheBuildingsInReadingOrderThenTheIconWithMarkAndStatus) {
  // What each key leads to: a room (its status window shows) or the icon.
  struct Step {
    Key key;
    Room* room;
    bool icon;
  };
  const std::vector<Step> steps = {
      {Key::kTab, left, false},      {Key::kTab, right, false},   {Key::kDown, below, false},
      {Key::kRight, nullptr, true},  {Key::kTab, left, false},    {Key::kShiftTab, nullptr, true},
      {Key::kUp, below, false},      {Key::kLeft, right, false},
  };
  Rect previous{};
  for (size_t i = 0; i < steps.size(); ++i) {
    SCOPED_TRACE(i);
    Press(steps[i].key);
    const Rect now = steps[i].icon ? g_lobby.welcomeRect : steps[i].room->rect;
    EXPECT_TRUE(MarkedAround(now));
    if (i > 0) {
      EXPECT_TRUE(BareAround(previous));
    }
    previous = now;
    if (steps[i].icon) {
      EXPECT_EQ(g_lobbyFocus.kind, LobbyFocusKind::kWelcome);
      EXPECT_FALSE(Shown(g_status.window));
    } else {
      EXPECT_EQ(LobbyFocusRoom(), steps[i].room);
      EXPECT_EQ(g_status.hovered, steps[i].room);
      EXPECT_TRUE(Shown(g_status.window));
    }
  }
  // The mark is part of the map under the animations: frames of the marked
  // building and its neighbours leave it standing.
  HarnessAdvance(60);
  EXPECT_TRUE(MarkedAround(right->rect));
}

TEST_F(LobbyKeyboardTest, EnterAndSpaceEnterTheRoomAndEnterOnTheIconOpensTheWelcome) {
  Press(Key::kTab);
  ASSERT_EQ(LobbyFocusRoom(), left);
  ASSERT_TRUE(HarnessType(13));
  HarnessFlush();
  EXPECT_EQ(left->entering, 1);
  EXPECT_TRUE(AnimationIsRunning(left->enter));
  EXPECT_FALSE(AnimationIsRunning(left->idle));

  Press(Key::kDown);
  Press(Key::kDown);  // the full room is entered all the same, as by a double click
  ASSERT_EQ(LobbyFocusRoom(), below);
  ASSERT_TRUE(HarnessType(' '));
  HarnessFlush();
  EXPECT_EQ(below->entering, 1);

  Press(Key::kDown);
  ASSERT_EQ(g_lobbyFocus.kind, LobbyFocusKind::kWelcome);
  ASSERT_FALSE(Shown(g_welcome.window));
  ASSERT_TRUE(HarnessType(13));
  HarnessFlush();
  EXPECT_TRUE(Shown(g_welcome.window));
}

TEST_F(LobbyKeyboardTest, ThePointerAndTheKeysShareTheCurrentBuilding) {
  // The pointer rests on the right-hand building: Tab goes on from there.
  Idle(static_cast<int16_t>(kRight.left + 1), static_cast<int16_t>(kRight.top + 1));
  ASSERT_EQ(g_status.hovered, right);
  EXPECT_TRUE(BareAround(kRight));  // the pointer shows no mark
  Press(Key::kTab);
  EXPECT_EQ(g_status.hovered, below);
  EXPECT_TRUE(MarkedAround(kBelow));

  // While the pointer stays put, the keys' choice stands.
  Idle(static_cast<int16_t>(kRight.left + 1), static_cast<int16_t>(kRight.top + 1));
  EXPECT_EQ(g_status.hovered, below);
  EXPECT_TRUE(MarkedAround(kBelow));

  // Once it moves, the mark goes and the pointer's building is current again.
  Idle(static_cast<int16_t>(kLeft.left + 1), static_cast<int16_t>(kLeft.top + 1));
  EXPECT_EQ(g_status.hovered, left);
  EXPECT_TRUE(BareAround(kBelow));
  Press(Key::kShiftTab);
  EXPECT_EQ(g_status.hovered, nullptr);  // Shift+Tab from the first building: the icon
  EXPECT_EQ(g_lobbyFocus.kind, LobbyFocusKind::kWelcome);

  // A click that left the keyboard with the status window does not trap it.
  Press(Key::kTab);
  ASSERT_TRUE(Shown(g_status.window));
  HarnessSetFocus(g_status.window);
  Press(Key::kTab);
  EXPECT_EQ(LobbyFocusRoom(), right);
  ASSERT_TRUE(HarnessType(13));
  HarnessFlush();
  EXPECT_EQ(right->entering, 1);

  // A pointer moved just before a key, with no idle pass between, is where
  // the keys' choice stands from: the next pass keeps the mark.
  int32_t sx = 0;
  int32_t sy = 0;
  HarnessToScreen(g_gate.window, 600, 20, &sx, &sy);
  PlatformTestSetPointer(sx, sy);
  Press(Key::kTab);
  ASSERT_TRUE(g_lobbyFocus.marked);
  Idle(600, 20);
  EXPECT_TRUE(g_lobbyFocus.marked);
  EXPECT_TRUE(MarkedAround(kBelow));
}

}  // namespace
