// The lobby window: the status window's size and texts, the welcome icon,
// the "SysOp" button and the welcome window's close.

#include <gtest/gtest.h>

#include <string>

#include "lobby/gate.h"
#include "lobby/lobby_window.h"
#include "lobby/login_window.h"
#include "lobby/room.h"
#include "lobby/status_window.h"
#include "lobby/welcome_window.h"
#include "platform/window.h"
#include "protocol/messages.h"
#include "tests/lobby/lobby_fixture.h"
#include "tests/support/toolkit_harness.h"
#include "toolkit/button.h"
#include "toolkit/window.h"

namespace {

bool Shown(const Window* window) { return window && PlatformWindowIsShown(WindowGetHandle(window)); }

constexpr Pixel kWhite = 0xFFFFFF;

using StatusWindowTest = LobbyTest;

TEST_F(StatusWindowTest, ANameWiderThan88PixelsWidensTheWindowButIsCutAt96) {
  Grant();
  const std::string wide = "Backgammon Championship Hall";
  Send(kMessageRoomInfo, RoomInfoBody(1, wide, "bg.ogi"));
  Send(kMessageRoomStatus, RoomStatusBody(1, 3, 1));
  StatusWindowShowFor(RoomOf(1), Point{50, 60});
  HarnessFlush();
  ASSERT_TRUE(Shown(g_status.window));
  Rect r;
  WindowGetRect(g_status.window, &r);
  EXPECT_GT(RectWidth(r), 104);
  EXPECT_EQ(RectHeight(r), 32);
  EXPECT_EQ(g_status.corner.x, 51);
  EXPECT_EQ(g_status.corner.y, 61);
  bool inked = false;
  for (int32_t y = 4; y < 28; ++y) {
    for (int32_t x = 0; x < RectWidth(r); ++x) {
      const Pixel p = HarnessBufferPixel(g_status.window, x, y);
      if (x >= 96) {
        ASSERT_EQ(p, kWhite) << x << "," << y;
      } else {
        inked |= p != kWhite;
      }
    }
  }
  EXPECT_TRUE(inked);
  HarnessSavePng(g_status.window, std::string(SALVIND_TEST_DIR) + "/status-wide.png");
}

TEST_F(StatusWindowTest, TheSameRoomKeepsItsPlaceAnotherMovesItAndHidingForgets) {
  Grant();
  Send(kMessageRoomInfo, RoomInfoBody(1, "chess", "chess.ogi"));
  Send(kMessageRoomInfo, RoomInfoBody(2, "dice", "dice.ogi"));
  StatusWindowShowFor(RoomOf(1), Point{10, 10});
  Rect first;
  WindowGetRect(g_status.window, &first);
  StatusWindowShowFor(RoomOf(1), Point{30, 30});
  Rect r;
  WindowGetRect(g_status.window, &r);
  EXPECT_EQ(r.left, first.left);
  EXPECT_EQ(r.top, first.top);
  StatusWindowShowFor(RoomOf(2), Point{200, 150});
  WindowGetRect(g_status.window, &r);
  EXPECT_EQ(r.left - first.left, 190);
  EXPECT_EQ(r.top - first.top, 140);
  EXPECT_EQ(g_status.hovered, RoomOf(2));
  // Deactivating the lobby hides it.
  EventSend(g_gate.window, &LobbyEventProc, EventDeactivate, nullptr, nullptr, 0, 0, 0, 0);
  EXPECT_FALSE(Shown(g_status.window));
  EXPECT_EQ(g_status.hovered, nullptr);
}

TEST_F(StatusWindowTest, ADoubleClickOnTheStatusWindowReachesTheLobbyAtItsCorner) {
  Grant();
  Send(kMessageWelcomeText, WelcomeTextBody("hi"));
  EventSend(g_welcome.window, &WelcomeEventProc, EventClose, nullptr, nullptr, 0, 0, 0, 0);
  Send(kMessageRoomInfo, RoomInfoBody(1, "chess", "chess.ogi"));
  // The status window's corner lands on the icon's opaque middle.
  const Rect& icon = g_lobby.welcomeRect;
  StatusWindowShowFor(RoomOf(1), Point{static_cast<int16_t>(icon.left + 15), static_cast<int16_t>(icon.top + 15)});
  ASSERT_FALSE(Shown(g_welcome.window));
  EventSend(g_status.window, &StatusWindowEventProc, EventDoubleClick, nullptr, nullptr, 0, 0, 0, 0);
  HarnessAdvance(3);
  EXPECT_TRUE(Shown(g_welcome.window));
}

using WelcomeIconTest = LobbyTest;

TEST_F(WelcomeIconTest, OnlyAnOpaquePixelAfterAWelcomeTextOpensTheWindow) {
  Grant();
  const Rect& icon = g_lobby.welcomeRect;
  HarnessDoubleClick(g_gate.window, icon.left + 16, icon.top + 16);
  HarnessFlush();
  EXPECT_FALSE(Shown(g_welcome.window));

  Send(kMessageWelcomeText, WelcomeTextBody("Welcome to Orva"));
  ASSERT_TRUE(Shown(g_welcome.window));
  EventSend(g_welcome.window, &WelcomeEventProc, EventClose, nullptr, nullptr, 0, 0, 0, 0);
  EXPECT_FALSE(Shown(g_welcome.window));
  EXPECT_NE(g_welcome.window, nullptr);

  HarnessDoubleClick(g_gate.window, icon.left, icon.top);  // transparent corner
  HarnessFlush();
  EXPECT_FALSE(Shown(g_welcome.window));
  HarnessDoubleClick(g_gate.window, icon.left + 16, icon.top + 16);
  HarnessFlush();
  EXPECT_TRUE(Shown(g_welcome.window));
  EXPECT_EQ(TextOf(g_welcome.text), "Welcome to Orva");
}

using SysOpTest = LobbyTest;

TEST_F(SysOpTest, TheButtonShowsOnlyAtTheRevealCount) {
  for (uint16_t presses : {uint16_t(kCornerRevealCount - 1), kCornerRevealCount, uint16_t(kCornerRevealCount + 1)}) {
    SCOPED_TRACE(presses);
    TearDown();
    SetUp();
    for (uint16_t i = 0; i < presses; ++i) HarnessClick(g_login.window, 2, 2);
    Grant();
    ASSERT_NE(g_lobby.sysOp, nullptr);
    EXPECT_EQ(PlatformWindowIsShown(g_lobby.sysOp->handle), presses == kCornerRevealCount);
    EXPECT_EQ(g_lobby.sysOpVisible, presses == kCornerRevealCount ? 1 : 0);
    ButtonPress(g_lobby.sysOp);  // does nothing
    HarnessAdvance(2);
    EXPECT_EQ(ProgramQuitCount(), 0);
  }
}

}  // namespace
