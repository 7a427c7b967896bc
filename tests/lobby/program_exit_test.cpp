// The program's handler of EventQuit takes down the screens that may still
// be there, each only if it exists, before it quits.

#include <gtest/gtest.h>

#include "app/program.h"
#include "lobby/gate.h"
#include "lobby/login_window.h"
#include "lobby/new_user_window.h"
#include "net/session.h"
#include "tests/lobby/screen_fixture.h"
#include "tests/support/toolkit_harness.h"
#include "toolkit/button.h"
#include "windows/info_box.h"

namespace {

using ProgramExit = ScreenTest;

TEST_F(ProgramExit, OtherEventsAreIgnored) {
  ASSERT_TRUE(OpenGate());
  Event idle{};
  idle.type = EventIdle;
  EXPECT_EQ(ProgramExitHandler(nullptr, &idle), 0);
  EXPECT_NE(g_gate.timer, nullptr);
}

TEST_F(ProgramExit, QuitDeletesTheGateTimerTheDialogsAndTheSessionBox) {
  SetDisclaimerAccepted(1);
  ASSERT_TRUE(OpenLogin());
  ButtonPress(g_login.newUser);
  HarnessFlush();
  ASSERT_NE(g_newUser.window, nullptr);
  g_session.infoBox = InfoBoxNew();
  ASSERT_NE(g_session.infoBox, nullptr);
  ASSERT_EQ(InfoBoxInit(g_session.infoBox, g_gate.window, "Connecting to the Orva server ...", 300, 0, 0), 0);

  Event quit{};
  quit.type = EventQuit;
  EXPECT_EQ(ProgramExitHandler(nullptr, &quit), 1);
  EXPECT_EQ(g_gate.timer, nullptr);
  EXPECT_EQ(g_login.window, nullptr);
  EXPECT_EQ(g_newUser.window, nullptr);
  EXPECT_EQ(g_session.infoBox, nullptr);
  EXPECT_NE(g_gate.window, nullptr);  // the gate goes with the program
}

}  // namespace
