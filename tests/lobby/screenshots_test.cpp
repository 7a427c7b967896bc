// Screenshots of the screens for people to look at: the gate, the
// disclaimer, the login and the new user windows as a first start shows
// them. Written to SALVIND_SCREENSHOT_DIR (docs/screenshots in the
// repository), or beside the test when it is unset.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "lobby/disclaimer_window.h"
#include "lobby/gate.h"
#include "lobby/login_details.h"
#include "lobby/login_window.h"
#include "lobby/new_user_window.h"
#include "platform/testing.h"
#include "tests/lobby/screen_fixture.h"
#include "tests/support/toolkit_harness.h"
#include "toolkit/button.h"
#include "toolkit/edit_box.h"

namespace {

std::string ShotPath(const char* name) {
  const char* dir = std::getenv("SALVIND_SCREENSHOT_DIR");
  const std::filesystem::path base = dir && *dir ? std::filesystem::path(dir) : std::filesystem::path(SALVIND_TEST_DIR);
  std::filesystem::create_directories(base);
  return (base / name).string();
}

using Screenshots = ScreenTest;

TEST_F(Screenshots, FirstStart) {
  ASSERT_TRUE(OpenGate());
  HarnessAdvance(1);
  EXPECT_TRUE(HarnessSavePng(g_gate.window, ShotPath("gate.png")));

  HarnessClick(g_gate.window, 10, 10);
  HarnessFlush();
  ASSERT_NE(g_disclaimerWindow.window, nullptr);
  HarnessAdvance(1);
  EXPECT_TRUE(HarnessSavePng(g_disclaimerWindow.window, ShotPath("disclaimer.png")));

  ButtonPress(g_disclaimerWindow.accept);
  HarnessAdvance(2);
  ASSERT_NE(g_login.window, nullptr);
  TypeInto(g_login.userName, "player1");
  TypeInto(g_login.password, "secret");
  EXPECT_EQ(TextOf(g_login.userName), "player1");
  EXPECT_EQ(TextOf(g_login.password), "******");
  EXPECT_TRUE(HarnessSavePng(g_login.window, ShotPath("login.png")));

  ButtonPress(g_login.newUser);
  HarnessFlush();
  ASSERT_NE(g_newUser.window, nullptr);
  EditBoxSetText(g_newUser.userName, "player1");
  TypeInto(g_newUser.password, "secret");
  TypeInto(g_newUser.reEnter, "secret");
  EditBoxSetText(g_newUser.fullName, "Pat Player");
  EditBoxSetText(g_newUser.email, "pat@example.org");
  EditBoxSetText(g_newUser.personalInfo, "Chess on weekday evenings,\r\ncards on Sundays.");
  HarnessAdvance(1);
  EXPECT_TRUE(HarnessSavePng(g_newUser.window, ShotPath("newuser.png")));
}

// Beside the test only: the pictures of these refusals in docs/screenshots
// come from the real display (tests/display), and this case must not
// overwrite them when the docs' pictures are made again.
std::string LocalShotPath(const char* name) {
  std::filesystem::create_directories(SALVIND_TEST_DIR);
  return (std::filesystem::path(SALVIND_TEST_DIR) / name).string();
}

// The password field after a paste and a text of another alphabet were
// refused: the stars of what was typed before, nothing in clear.
TEST_F(Screenshots, PasswordRefusals) {
  SetDisclaimerAccepted(1);
  ASSERT_TRUE(OpenLogin());
  TypeInto(g_login.userName, "player1");
  TypeInto(g_login.password, "sec");
  PlatformTestSetClipboard("hunter2");
  PlatformTestPressKey(kPlatformTestKeyPaste, 0);
  HarnessFlush();
  EXPECT_EQ(TextOf(g_login.password), "***");
  EXPECT_TRUE(HarnessSavePng(g_login.window, LocalShotPath("password_paste_refused.png")));
  PlatformTestTypeText("\xD0\xB6\xE4\xB8\xAD\xE2\x82\xAC", 0);
  HarnessFlush();
  EXPECT_EQ(TextOf(g_login.password), "***");
  EXPECT_EQ(std::string(g_loginDetails.password), "sec");
  EXPECT_TRUE(HarnessSavePng(g_login.window, LocalShotPath("password_nonlatin_refused.png")));
}

}  // namespace
