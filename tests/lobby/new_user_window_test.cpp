// The new-user window: the ten checks of "OK" as the user meets them, what
// a registration leaves in the login window, and "Cancel".

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "lobby/login_details.h"
#include "lobby/login_window.h"
#include "lobby/new_user_window.h"
#include "tests/lobby/screen_fixture.h"
#include "tests/support/toolkit_harness.h"
#include "toolkit/button.h"
#include "toolkit/edit_box.h"

namespace {

class NewUserTest : public ScreenTest {
 protected:
  void SetUp() override {
    ScreenTest::SetUp();
    SetDisclaimerAccepted(1);
    ASSERT_TRUE(OpenLogin());
    ButtonPress(g_login.newUser);
    HarnessFlush();
    ASSERT_NE(g_newUser.window, nullptr);
  }
  // Plain fields are set directly; the password fields are typed, since only
  // typing passes through the password filter.
  void Fill(const std::string& name, const std::string& password, const std::string& reEnter,
            const std::string& fullName, const std::string& email = "", const std::string& info = "") {
    EditBoxSetText(g_newUser.userName, name.c_str());
    TypeInto(g_newUser.password, password.c_str());
    TypeInto(g_newUser.reEnter, reEnter.c_str());
    EditBoxSetText(g_newUser.fullName, fullName.c_str());
    EditBoxSetText(g_newUser.email, email.c_str());
    EditBoxSetText(g_newUser.personalInfo, info.c_str());
  }
  void PressOk() {
    ButtonPress(g_newUser.ok);
    HarnessFlush();
  }
};

struct CheckCase {
  const char* what;
  std::string name, password, reEnter, fullName;
  const char* message;
  EditBox* NewUserWindowScreen::*selected;
  bool passwordEmptied;
  bool reEnterEmptied;
};

const std::string kName31(31, 'n');
const std::string kFull127(127, 'f');

const CheckCase kChecks[] = {
    {"all empty", "", "", "", "", "You must enter a user name.", &NewUserWindowScreen::userName, false, false},
    {"name of 32", std::string(32, 'n'), "pass", "pass", "Ann", "A user name must be less than 32 characters.",
     &NewUserWindowScreen::userName, false, false},
    {"no password", "ann", "", "", "Ann", "You must enter a password for your account.",
     &NewUserWindowScreen::password, false, false},
    {"password of 3", "ann", "abc", "abc", "Ann", "A password must have at least 4 characters and less than 31.",
     &NewUserWindowScreen::password, false, false},
    {"no re-entry", "ann", "abcd", "", "Ann", "You must re-enter your password for confirmation.",
     &NewUserWindowScreen::reEnter, false, false},
    {"no full name", "ann", "abcd", "abcd", "", "You must enter your full name for account activation.",
     &NewUserWindowScreen::fullName, false, false},
    {"full name of 128", "ann", "abcd", "abcd", std::string(128, 'f'),
     "Your full name must be less than 128 characters.", &NewUserWindowScreen::fullName, false, false},
    {"underscore in name", "ann_1", "abcd", "abcd", "Ann",
     "Your user name contains an invalid character. Please enter a new name.", &NewUserWindowScreen::userName,
     false, false},
    {"byte above 127 in password", "ann1", "abc\xE9", "abc\xE9", "Ann",
     "Your password contains an invalid character. Please enter a new password.",
     &NewUserWindowScreen::password, true, false},
    {"passwords differ", "ann1", "abcd", "abce", "Ann",
     "The passwords did not match. Please re-enter your password.", &NewUserWindowScreen::password, true, true},
};

TEST_F(NewUserTest, EachFailedCheckSaysWhyAndSelectsItsField) {
  for (const CheckCase& c : kChecks) {
    SCOPED_TRACE(c.what);
    // A fresh form for each case: empty both password fields first.
    for (EditBox* box : {g_newUser.password, g_newUser.reEnter}) {
      EditBoxSetFocus(box);
      HarnessFlush();
      HarnessType(8);
    }
    AlertTexts().clear();
    Fill(c.name, c.password, c.reEnter, c.fullName);
    PressOk();
    ASSERT_EQ(AlertTexts().size(), 1u);
    EXPECT_EQ(AlertTexts()[0], c.message);
    EditBox* selected = g_newUser.*c.selected;
    EXPECT_EQ(SelectionOf(selected), std::make_pair(0, EditBoxGetTextLength(selected)));
    EXPECT_EQ(EditBoxGetTextLength(g_newUser.password) == 0, c.passwordEmptied || c.password.empty());
    EXPECT_EQ(g_newUser.newPassword[0] == '\0', c.passwordEmptied || c.password.empty());
    EXPECT_EQ(EditBoxGetTextLength(g_newUser.reEnter) == 0, c.reEnterEmptied || c.reEnter.empty());
    EXPECT_EQ(g_newUser.reEnteredPassword[0] == '\0', c.reEnterEmptied || c.reEnter.empty());
    // The window stays, modal, and nothing reached the login details.
    EXPECT_EQ(WindowGetModal(), g_newUser.window);
    EXPECT_EQ(g_loginDetails.newUser, 0);
  }
}

TEST_F(NewUserTest, APassingFormIsStoredAndShownReadOnlyInTheLoginWindow) {
  const std::string email(200, 'e');
  const std::string info(2000, 'i');
  Fill(kName31, std::string(31, 'p'), std::string(31, 'p'), kFull127, email, info);
  PressOk();
  EXPECT_TRUE(AlertTexts().empty());
  EXPECT_EQ(g_loginDetails.newUser, 1);
  EXPECT_EQ(std::string(g_loginDetails.userName), kName31);
  EXPECT_EQ(std::string(g_loginDetails.password), std::string(31, 'p'));
  EXPECT_EQ(std::string(g_loginDetails.fullName), kFull127);
  EXPECT_EQ(std::string(g_loginDetails.email), email.substr(0, 127));
  EXPECT_EQ(std::string(g_loginDetails.personalInfo), info.substr(0, 1023));
  EXPECT_EQ(WindowGetModal(), nullptr);
  HarnessAdvance(2);
  EXPECT_NE(g_newUser.window, nullptr);  // hidden, kept

  EXPECT_EQ(TextOf(g_login.userName), kName31);
  EXPECT_EQ(TextOf(g_login.password), std::string(31, '*'));
  // Neither field takes typing any more, and the stored password stays.
  TypeInto(g_login.userName, "x");
  TypeInto(g_login.password, "y");
  EXPECT_EQ(TextOf(g_login.userName), kName31);
  EXPECT_EQ(TextOf(g_login.password), std::string(31, '*'));
  EXPECT_EQ(std::string(g_loginDetails.password), std::string(31, 'p'));
}

TEST_F(NewUserTest, CancelKeepsEveryEntryForTheNextOpen) {
  Fill("bob", "secret", "secre", "Bob Smith", "bob@example.org", "likes chess");
  Window* window = g_newUser.window;
  ButtonPress(g_newUser.cancel);
  HarnessAdvance(2);
  EXPECT_EQ(WindowGetModal(), nullptr);
  EXPECT_EQ(g_loginDetails.newUser, 0);

  ASSERT_EQ(OpenLoginWindow(), 0);
  ButtonPress(g_login.newUser);
  HarnessFlush();
  EXPECT_EQ(g_newUser.window, window);
  EXPECT_EQ(WindowGetModal(), window);
  EXPECT_EQ(TextOf(g_newUser.userName), "bob");
  EXPECT_EQ(TextOf(g_newUser.password), "******");
  EXPECT_EQ(std::string(g_newUser.newPassword), "secret");
  EXPECT_EQ(std::string(g_newUser.reEnteredPassword), "secre");
  EXPECT_EQ(TextOf(g_newUser.fullName), "Bob Smith");
  EXPECT_EQ(TextOf(g_newUser.personalInfo), "likes chess");
}

// A player whose registration was refused, and who then means to log in to
// an account of their own, cancels the new-user window: the login window
// takes typing again and holds what it held before registration began, so
// "Connect" logs in instead of registering again. The new-user window keeps
// its entries, and its "OK" registers again.
TEST_F(NewUserTest, CancelLeavesRegistrationModeWithTheLoginEntriesOfBefore) {
  ButtonPress(g_newUser.cancel);
  HarnessAdvance(2);
  ASSERT_EQ(OpenLoginWindow(), 0);
  TypeInto(g_login.userName, "demo");
  TypeInto(g_login.password, "orva");

  ButtonPress(g_login.newUser);
  HarnessFlush();
  Fill("DEMO", "secret1", "secret1", "Demo Player");
  PressOk();
  ASSERT_EQ(g_loginDetails.newUser, 1);
  ASSERT_EQ(TextOf(g_login.userName), "DEMO");
  // The server refuses the name: both windows again, and a second "OK"
  // with another name stays in registration mode.
  ASSERT_EQ(OpenLoginWindow(), 0);
  ASSERT_EQ(OpenNewUserWindow(), 0);
  SelectNewUserName();
  TypeInto(g_newUser.userName, "DEMO2");
  PressOk();
  ASSERT_EQ(TextOf(g_login.userName), "DEMO2");
  ASSERT_EQ(OpenLoginWindow(), 0);
  ASSERT_EQ(OpenNewUserWindow(), 0);

  ButtonPress(g_newUser.cancel);
  HarnessAdvance(2);
  EXPECT_EQ(g_loginDetails.newUser, 0);
  EXPECT_EQ(TextOf(g_login.userName), "demo");
  EXPECT_EQ(TextOf(g_login.password), "****");
  EXPECT_EQ(std::string(g_loginDetails.password), "orva");
  // The login window comes forward again, as a click on the gate brings it.
  ASSERT_EQ(OpenLoginWindow(), 0);
  EditBoxSetSelection(g_login.userName, 0, 32000);
  TypeInto(g_login.userName, "ann");
  EXPECT_EQ(TextOf(g_login.userName), "ann") << "the user name takes typing again";
  EditBoxSetSelection(g_login.password, 0, 32000);
  TypeInto(g_login.password, "pw");
  EXPECT_EQ(TextOf(g_login.password), "**");
  EXPECT_EQ(std::string(g_loginDetails.password), "pw") << "the password goes through its filter again";

  ButtonPress(g_login.newUser);
  HarnessFlush();
  EXPECT_EQ(TextOf(g_newUser.userName), "DEMO2");
  EXPECT_EQ(std::string(g_newUser.newPassword), "secret1");
  PressOk();
  EXPECT_EQ(g_loginDetails.newUser, 1);
  EXPECT_EQ(TextOf(g_login.userName), "DEMO2");
  EXPECT_EQ(std::string(g_loginDetails.password), "secret1");
  // A cancel now gives back what the login window held this time.
  ASSERT_EQ(OpenNewUserWindow(), 0);
  ButtonPress(g_newUser.cancel);
  HarnessAdvance(2);
  EXPECT_EQ(TextOf(g_login.userName), "ann");
  EXPECT_EQ(std::string(g_loginDetails.password), "pw");
}

TEST_F(NewUserTest, EscapeCancelsAndEnterPressesOk) {
  EditBoxSetFocus(g_newUser.fullName);
  HarnessFlush();
  ASSERT_TRUE(HarnessType(13));
  HarnessFlush();
  ASSERT_EQ(AlertTexts().size(), 1u);
  EXPECT_EQ(AlertTexts()[0], "You must enter a user name.");
  ASSERT_TRUE(HarnessType(27));
  HarnessFlush();
  EXPECT_EQ(WindowGetModal(), nullptr);
}

}  // namespace
