// The program's handler of EventQuit takes down the screens that may still
// be there, each only if it exists, before it quits.

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

#include "app/program.h"
#include "lobby/gate.h"
#include "lobby/login_window.h"
#include "lobby/new_user_window.h"
#include "net/session.h"
#include "tests/lobby/screen_fixture.h"
#include "tests/support/toolkit_harness.h"
#include "toolkit/button.h"
#include "toolkit/edit_box.h"
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

// Runs action once a real box is open, from inside its loop; gives up after
// a bounded number of looks.
void WhenABoxIsOpen(std::function<void(QMessageBox*)> action, int looksLeft = 200) {
  QTimer::singleShot(5, [action, looksLeft] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      action(box);
    } else if (looksLeft > 0) {
      WhenABoxIsOpen(action, looksLeft - 1);
    }
  });
}

// A quit earlier in this process leaves Qt refusing to run any loop, a box's
// included; an application loop that starts and ends at once clears that.
void ClearEarlierQuit() {
  QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
  QCoreApplication::exec();
}

// The desktop logs out while a check's message is up: the termination
// request arrives inside the box's loop and the tick delivers the quit,
// which takes the new-user window down. The box it owns is left alone.
TEST_F(ProgramExit, QuitWhileACheckMessageIsOpenLeavesTheBoxAlone) {
  SetDisclaimerAccepted(1);
  ASSERT_TRUE(OpenLogin());
  ButtonPress(g_login.newUser);
  HarnessFlush();
  ASSERT_NE(g_newUser.window, nullptr);
  EditBoxSetFocus(g_newUser.userName);
  HarnessFlush();
  HarnessTypeText("bob_1");

  ClearEarlierQuit();
  EventSetProgramHandler(&ProgramExitHandler);
  PlatformSetMessageBoxHook(nullptr);
  bool boxSeen = false;
  WhenABoxIsOpen([&boxSeen](QMessageBox* box) {
    boxSeen = true;
    EventPost(nullptr, nullptr, EventQuit, nullptr, nullptr, 0, 0, 0, 0);
    for (int tick = 0; tick < 10 && g_newUser.window; ++tick) PlatformManualClockAdvance(1);
    EXPECT_EQ(g_newUser.window, nullptr);
    // The quit may have ended the box's loop already; otherwise answer it.
    if (QApplication::activeModalWidget() == box) box->button(QMessageBox::Ok)->click();
  });
  ASSERT_TRUE(HarnessType(13));
  HarnessFlush();
  EXPECT_TRUE(boxSeen);
  EXPECT_EQ(g_login.window, nullptr);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

}  // namespace
