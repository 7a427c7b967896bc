// What reaches the fields of the login and new-user windows: characters the
// program cannot hold are refused, password fields change only through the
// password buffer, a modal window holds the characters of the windows below
// back, and a failed check hands its field the keys.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lobby/disclaimer_window.h"
#include "lobby/login_details.h"
#include "lobby/login_window.h"
#include "lobby/new_user_window.h"
#include "platform/testing.h"
#include "tests/lobby/screen_fixture.h"
#include "tests/support/toolkit_harness.h"
#include "toolkit/button.h"
#include "toolkit/edit_box.h"
#include "toolkit/window.h"

namespace {

int g_beeps = 0;

class TypedInputTest : public ScreenTest {
 protected:
  void SetUp() override {
    ScreenTest::SetUp();
    g_beeps = 0;
    PlatformSetBeepHook([] { ++g_beeps; });
  }
  void TearDown() override {
    PlatformSetBeepHook(nullptr);
    ScreenTest::TearDown();
  }
  void OpenAcceptedLogin() {
    SetDisclaimerAccepted(1);
    ASSERT_TRUE(OpenLogin());
  }
  // Types text into the focused field: ASCII runs as single characters, each
  // other character (UTF-8) as the text of one key, as a keyboard of another
  // language makes it.
  static void TypeMixed(const std::string& text) {
    for (size_t i = 0; i < text.size();) {
      const auto c = static_cast<unsigned char>(text[i]);
      size_t n = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
      if (n == 1) {
        HarnessType(c);
      } else {
        PlatformTestTypeText(text.substr(i, n).c_str(), 0);
      }
      i += n;
    }
    HarnessFlush();
  }
  static void Focus(EditBox* box) {
    EditBoxSetFocus(box);
    HarnessFlush();
  }
  static void MiddleClick(EditBox* box) {
    const PlatformRect r = PlatformWindowOuterOnScreen(box->handle);
    PlatformTestMouseButton((r.left + r.right) / 2, (r.top + r.bottom) / 2, kPlatformTestMiddleClick, 0);
    HarnessFlush();
  }
  static bool ContextMenuOpens(EditBox* box) {
    const PlatformRect r = PlatformWindowOuterOnScreen(box->handle);
    return PlatformTestContextMenu((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  }
};

TEST_F(TypedInputTest, PasswordFieldsRefuseCharactersOutsideTheSet) {
  OpenAcceptedLogin();
  struct Case {
    const char* typed;
    const char* stored;
    int beeps;
  } cases[] = {
      {"ab\xE2\x82\xAC" "cd", "abcd", 1},     // the euro sign
      {"\xD0\xB6x\xE4\xB8\xAD", "x", 2},      // Cyrillic zhe, CJK
      {"caf\xC3\xA9", "caf\xE9", 0},           // Latin-1 goes in as its byte
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    Focus(g_login.password);
    HarnessType(8);
    g_beeps = 0;
    TypeMixed(c.typed);
    EXPECT_EQ(std::string(g_loginDetails.password), c.stored);
    EXPECT_EQ(TextOf(g_login.password), std::string(std::string(c.stored).size(), '*'));
    EXPECT_EQ(g_beeps, c.beeps);
  }
}

TEST_F(TypedInputTest, PasswordFieldsTakeNoPasteDropMenuOrDelete) {
  OpenAcceptedLogin();
  Focus(g_login.password);
  HarnessTypeText("abcdef");
  HarnessFlush();
  PlatformTestSetClipboard("hunter2");

  // The paste key, the middle button and the context menu change nothing.
  PlatformTestPressKey(kPlatformTestKeyPaste, 0);
  HarnessFlush();
  MiddleClick(g_login.password);
  EXPECT_FALSE(ContextMenuOpens(g_login.password));
  EXPECT_EQ(TextOf(g_login.password), "******");
  EXPECT_EQ(std::string(g_loginDetails.password), "abcdef");

  // Delete would take stars and leave the characters: refused.
  Focus(g_login.password);
  PlatformTestPressKey(kPlatformTestKeyEnd, 0);
  for (int i = 0; i < 3; ++i) PlatformTestPressKey(kPlatformTestKeyLeft, 0);
  g_beeps = 0;
  PlatformTestPressKey(kPlatformTestKeyDelete, 0);
  PlatformTestPressKey(kPlatformTestKeyDelete, 0);
  HarnessFlush();
  EXPECT_EQ(TextOf(g_login.password), "******");
  EXPECT_EQ(SelectionOf(g_login.password), std::make_pair(3, 3));
  EXPECT_EQ(g_beeps, 2);
  // Typing on at the caret still goes through the buffer.
  HarnessTypeText("X");
  HarnessFlush();
  EXPECT_EQ(std::string(g_loginDetails.password), "abcXdef");
  EXPECT_EQ(TextOf(g_login.password), "*******");
}

TEST_F(TypedInputTest, RegisteringWithAnEuroSignCountsOnlyWhatWasTaken) {
  OpenAcceptedLogin();
  ButtonPress(g_login.newUser);
  HarnessFlush();
  ASSERT_NE(g_newUser.window, nullptr);
  EditBoxSetText(g_newUser.userName, "bob");
  EditBoxSetText(g_newUser.fullName, "Bob");
  Focus(g_newUser.password);
  TypeMixed("abc\xE2\x82\xAC");
  Focus(g_newUser.reEnter);
  TypeMixed("abc\xE2\x82\xAC");
  ButtonPress(g_newUser.ok);
  HarnessFlush();
  ASSERT_EQ(AlertTexts().size(), 1u);
  EXPECT_EQ(AlertTexts()[0], "A password must have at least 4 characters and less than 31.");
  EXPECT_EQ(g_loginDetails.newUser, 0);
}

TEST_F(TypedInputTest, OtherFieldsRefuseWhatTheProgramCannotHoldAndPasteTheRest) {
  OpenAcceptedLogin();
  Focus(g_login.userName);
  TypeMixed("b\xE2\x82\xAC" "ob");
  EXPECT_EQ(TextOf(g_login.userName), "bob");
  EXPECT_EQ(g_beeps, 1);

  // A paste the program can hold goes in; one it cannot is refused whole.
  PlatformTestSetClipboard("by");
  PlatformTestPressKey(kPlatformTestKeyPaste, 0);
  HarnessFlush();
  EXPECT_EQ(TextOf(g_login.userName), "bobby");
  PlatformTestSetClipboard("\xE4\xB8\xAD" "x");
  PlatformTestPressKey(kPlatformTestKeyPaste, 0);
  HarnessFlush();
  EXPECT_EQ(TextOf(g_login.userName), "bobby");
  EXPECT_EQ(g_beeps, 2);

  // A multi-line box alike: lines go in, text it cannot hold not even as "?".
  Window* notes = HarnessOpenWindow(Rect{0, 0, 300, 200}, kWindowKindMain, nullptr, nullptr);
  ASSERT_NE(notes, nullptr);
  EditBox* box = EditBoxNew();
  const Rect area{10, 10, 290, 190};
  ASSERT_EQ(EditBoxInit(box, notes, &area, nullptr, nullptr, 1, 0, 1, 1, nullptr, 0), 0);
  Focus(box);
  PlatformTestSetClipboard("one\ntwo");
  PlatformTestPressKey(kPlatformTestKeyPaste, 0);
  HarnessFlush();
  EXPECT_EQ(TextOf(box), "one\r\ntwo");
  PlatformTestSetClipboard("\n\xE2\x82\xAC" "5");
  PlatformTestPressKey(kPlatformTestKeyPaste, 0);
  HarnessFlush();
  EXPECT_EQ(TextOf(box), "one\r\ntwo");
  EXPECT_EQ(g_beeps, 3);
  EditBoxDelete(box);
  WindowDelete(notes);
}

// The disclaimer is up over the login window and moved aside: the login
// window's name field takes no characters, no editing key and no click.
TEST_F(TypedInputTest, AModalWindowHoldsBackCharactersOfTheWindowsBelow) {
  ASSERT_TRUE(OpenLogin());
  ASSERT_NE(g_disclaimerWindow.window, nullptr);
  ASSERT_EQ(WindowGetModal(), g_disclaimerWindow.window);
  WindowMoveTo(g_disclaimerWindow.window, 3000, 3000);
  HarnessFlush();
  EditBoxSetText(g_login.userName, "ann");
  Focus(g_login.userName);
  HarnessTypeText("xyz");
  PlatformTestPressKey(kPlatformTestKeyDelete, 0);
  PlatformTestPressKey(kPlatformTestKeyHome, 0);
  PlatformTestPressKey(kPlatformTestKeyDelete, 0);
  PlatformTestSetClipboard("zz");
  PlatformTestPressKey(kPlatformTestKeyPaste, 0);
  HarnessFlush();
  EXPECT_EQ(TextOf(g_login.userName), "ann");
  EXPECT_FALSE(ContextMenuOpens(g_login.userName));

  // Once accepted, the same field types again.
  ButtonPress(g_disclaimerWindow.accept);
  HarnessAdvance(2);
  Focus(g_login.userName);
  HarnessTypeText("e");
  HarnessFlush();
  EXPECT_EQ(TextOf(g_login.userName), "anne");
}

TEST_F(TypedInputTest, AFailedCheckHandsItsFieldTheKeys) {
  OpenAcceptedLogin();
  ButtonPress(g_login.newUser);
  HarnessFlush();
  ASSERT_NE(g_newUser.window, nullptr);
  Focus(g_newUser.userName);
  HarnessTypeText("bob_1");
  ASSERT_TRUE(HarnessType(13));  // no password yet: check 3
  HarnessFlush();
  ASSERT_EQ(AlertTexts().size(), 1u);
  HarnessTypeText("abc");
  HarnessFlush();
  EXPECT_EQ(TextOf(g_newUser.userName), "bob_1");
  EXPECT_EQ(std::string(g_newUser.newPassword), "abc");
  EXPECT_EQ(TextOf(g_newUser.password), "***");

  // The login window's own selections do the same.
  HarnessType(27);
  HarnessAdvance(2);
  ASSERT_EQ(OpenLoginWindow(), 0);
  Focus(g_login.password);
  SelectLoginUserName();
  HarnessFlush();
  HarnessTypeText("eve");
  HarnessFlush();
  EXPECT_EQ(TextOf(g_login.userName), "eve");
}

// Tab, Tab from the name reaches "Connect", which Space would press: the
// focused button looks different from itself unfocused.
TEST_F(TypedInputTest, TheFocusedButtonIsMarked) {
  OpenAcceptedLogin();
  const PlatformRect r = PlatformWindowOuterOnScreen(g_login.connect->handle);
  int32_t ox = 0;
  int32_t oy = 0;
  PlatformWindowClientOrigin(g_login.window->handle, &ox, &oy);
  const auto connectPixels = [&] {
    int32_t width = 0;
    int32_t height = 0;
    HarnessFlush();
    const std::vector<uint32_t> shown = HarnessGrab(g_login.window, &width, &height);
    std::vector<uint32_t> area;
    for (int32_t y = r.top - oy; y < r.bottom - oy; ++y) {
      for (int32_t x = r.left - ox; x < r.right - ox; ++x) area.push_back(shown[static_cast<size_t>(y) * width + x]);
    }
    return area;
  };
  Focus(g_login.userName);
  const std::vector<uint32_t> unfocused = connectPixels();
  HarnessType(9);
  HarnessType(9);
  EXPECT_EQ(PlatformWindowFocus(), g_login.connect->handle);
  EXPECT_NE(connectPixels(), unfocused);
  HarnessType(9);
  EXPECT_EQ(connectPixels(), unfocused);
}

}  // namespace
