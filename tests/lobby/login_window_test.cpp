// The login window: the fields and buttons as the user meets them, the
// password filter on a real field, the keys, and the corner presses.

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "lobby/gate.h"
#include "lobby/login_details.h"
#include "lobby/login_window.h"
#include "lobby/new_user_window.h"
#include "net/session.h"
#include "tests/lobby/screen_fixture.h"
#include "tests/support/toolkit_harness.h"
#include "toolkit/button.h"
#include "toolkit/edit_box.h"

namespace {

class LoginTest : public ScreenTest {
 protected:
  void SetUp() override {
    ScreenTest::SetUp();
    SetDisclaimerAccepted(1);
    ASSERT_TRUE(OpenLogin());
  }
  int32_t Stars() const { return EditBoxGetTextLength(g_login.password); }
  std::string Password() const { return g_loginDetails.password; }
};

TEST_F(LoginTest, OpensModalOverTheGateWithTheNameFocused) {
  EXPECT_EQ(WindowGetModal(), g_login.window);
  EXPECT_EQ(g_login.layout[kLoginRectWindow].right, 400);
  EXPECT_EQ(g_loginDetails.newUser, 0);
  // Typing goes to the user name field.
  HarnessTypeText("ann");
  HarnessFlush();
  EXPECT_EQ(TextOf(g_login.userName), "ann");
  // A second open only raises the same window.
  Window* first = g_login.window;
  EXPECT_EQ(OpenLoginWindow(), 0);
  EXPECT_EQ(g_login.window, first);
}

TEST_F(LoginTest, ConnectWithAnEmptyNameOnlyBeepsAndSelectsTheName) {
  ButtonPress(g_login.connect);
  HarnessFlush();
  EXPECT_EQ(g_session.connection, nullptr);
  EXPECT_EQ(g_session.infoBox, nullptr);
  EXPECT_EQ(WindowGetModal(), g_login.window);
  EXPECT_TRUE(AlertTexts().empty());
  EXPECT_EQ(SelectionOf(g_login.userName), std::make_pair(0, 0));
  EXPECT_EQ(g_loginDetails.userName[0], '\0');
}

TEST_F(LoginTest, PasswordFilterKeepsThePlainTextAndShowsStars) {
  TypeInto(g_login.password, "abcdefghijklmnopqrstuvwxyz01234");  // 31
  EXPECT_EQ(Stars(), 31);
  EXPECT_EQ(TextOf(g_login.password), std::string(31, '*'));
  EXPECT_EQ(Password(), "abcdefghijklmnopqrstuvwxyz01234");
  // The 32nd character is dropped (with a beep).
  HarnessTypeText("Z");
  HarnessFlush();
  EXPECT_EQ(Stars(), 31);
  EXPECT_EQ(Password().size(), 31u);

  // A selection of 3 becomes one star and one stored character.
  EditBoxSetSelection(g_login.password, 2, 5);
  HarnessTypeText("#");
  HarnessFlush();
  EXPECT_EQ(Stars(), 29);
  EXPECT_EQ(Password(), "ab#fghijklmnopqrstuvwxyz01234");
  EXPECT_EQ(SelectionOf(g_login.password), std::make_pair(3, 3));

  // Backspace in the middle empties field and buffer.
  EditBoxSetSelection(g_login.password, 10, 10);
  HarnessType(8);
  HarnessFlush();
  EXPECT_EQ(Stars(), 0);
  EXPECT_EQ(Password(), "");
  for (char c : g_loginDetails.password) EXPECT_EQ(c, '\0');
}

TEST_F(LoginTest, EscapePressesQuitAndEndsTheProgram) {
  EditBoxSetFocus(g_login.password);
  HarnessFlush();
  ASSERT_TRUE(HarnessType(27));
  HarnessFlush();
  EXPECT_EQ(WindowGetModal(), nullptr);
  HarnessAdvance(3);
  EXPECT_EQ(g_login.window, nullptr);  // the posted close deleted it
  EXPECT_EQ(Quits(), 1);
}

TEST_F(LoginTest, CornerPressesAddUpAcrossTheLoginAndNewUserWindows) {
  HarnessClick(g_login.window, 0, 0);
  HarnessClick(g_login.window, kCornerSquareSize - 1, kCornerSquareSize - 1);
  HarnessClick(g_login.window, kCornerSquareSize, 2);  // just outside
  HarnessFlush();
  EXPECT_EQ(g_login.cornerClicks, 2);

  ButtonPress(g_login.newUser);
  HarnessFlush();
  ASSERT_NE(g_newUser.window, nullptr);
  // The login window is held back while the new-user window is modal.
  HarnessClick(g_login.window, 1, 1);
  for (int i = 0; i < 3; ++i) HarnessClick(g_newUser.window, 3, 4);
  HarnessClick(g_newUser.window, 3, kCornerSquareSize);
  HarnessFlush();
  EXPECT_EQ(g_login.cornerClicks, kCornerRevealCount);
}

}  // namespace
