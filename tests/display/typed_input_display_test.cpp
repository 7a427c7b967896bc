// What typed and pasted input reaches on a real X server, by real keys and
// buttons: a password field shows stars and nothing else and changes only
// through the password it sends; a modal window holds back the characters
// of the windows below it; a failed new-user check hands its field the keys.

#include <thread>

#include "tests/display/access_request_frame.h"
#include "tests/display/display_fixture.h"
#include "tests/display/scripted_peer.h"
#include "tests/display/x_desktop.h"
#include "tests/display/x_selection_owner.h"

namespace {

// Login layout (assets/layouts/login.rects), drawing-area coordinates.
constexpr QRect kLoginArea(0, 0, 400, 260);
constexpr QRect kUserNameField(QPoint(170, 94), QPoint(349, 117));
constexpr QPoint kUserName(170 + 20, 94 + 12);
// Past the end of any text typed in the tests: a paste there goes at the end.
constexpr QPoint kUserNameEnd(350 - 12, 94 + 12);
constexpr QPoint kPasswordEnd(350 - 12, 128 + 12);
constexpr QPoint kNewUserButton(152 + 48, 204 + 14);
constexpr QPoint kConnectButton(40 + 48, 204 + 14);
// New user layout (newuser.rects): the user name field.
constexpr QPoint kNewUserName(140 + 20, 16 + 12);

class TypedInputOnDisplay : public DisplayScenario {
 protected:
  void SetUp() override {
    DisplayScenario::SetUp();
    ASSERT_NE(peer_.port(), 0);
    StartX(WindowManager::kOpenbox);
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(desktop_.Open(x_.display()));
    StartClient({{"SALVIND_SERVER_HOST", "127.0.0.1"}, {"SALVIND_SERVER_PORT", std::to_string(peer_.port())}});
  }

  // The window's part once the input sent so far has been taken (the screen
  // has stopped changing) shows picture, the caret in either of its looks.
  std::string Shows(XWindowId window, const QRect& part, const QImage& picture) {
    SettledPart(window, part);
    return WaitForPart(window, part, picture);
  }

  // Waits until the window has the keyboard, as a person waits to see it
  // active before typing on; false after the bound.
  bool HasKeyboard(XWindowId window) {
    for (int i = 0; i < 60 && x_.FocusedWindow() != window; ++i) std::this_thread::sleep_for(50ms);
    return x_.FocusedWindow() == window;
  }

  // Waits for the alert box the new-user window's check opens; its text,
  // copied as a person would (Ctrl+C), or empty with a failed test.
  std::string CheckMessage() {
    const XWindowId box = Window("Salvind", 5s);
    if (!box) return {};
    EXPECT_TRUE(HasKeyboard(box)) << "the check's box takes the keyboard";
    desktop_.ClearClipboard();
    desktop_.Chord({"Control_L", "c"});
    return desktop_.ClipboardText(2s);
  }

  // Presses "OK" in the check's box with Enter; the window under it then
  // has the keyboard again.
  void AnswerCheck(XWindowId under) {
    x_.PressKey("Return");
    EXPECT_TRUE(x_.WaitUntilGone("Salvind", 5s)) << "Enter answers the check's box";
    EXPECT_TRUE(HasKeyboard(under)) << "the keyboard goes back to the window of the check";
  }

  // The access request the peer received once it is as long as expected.
  void ExpectRequest(const std::vector<uint8_t>& expected) {
    ASSERT_FALSE(expected.empty());
    const std::vector<uint8_t>& received = peer_.WaitForBytes(expected.size(), 10s);
    Shot("request-sent");
    EXPECT_EQ(received, expected) << "sent " << AccessRequestNames(received) << ", expected "
                                  << AccessRequestNames(expected);
  }

  ScriptedPeer peer_;
  XDesktop desktop_;
};

// Another program has copied "zed" (Ctrl+V) and selected "kay" (the middle
// button). Both pastes work in the user name field, so the password field
// has them offered and refuses them, and opens no menu; Delete would take
// stars and leave their characters, so it is refused too; the euro sign, a
// Cyrillic and a CJK letter are not in the program's character set and
// never show.
TEST_F(TypedInputOnDisplay, APasswordFieldShowsOnlyTheStarsOfThePasswordItSends) {
  const XWindowId login = ReachLoginWindow();
  ASSERT_NE(login, 0u);
  XSelectionOwner copied;
  ASSERT_TRUE(copied.Start(x_.display(), "zed", "kay"));

  ClickIn(login, kUserName.x(), kUserName.y());
  x_.Type("bob");
  desktop_.Chord({"Control_L", "v"});
  ClickIn(login, kUserNameEnd.x(), kUserNameEnd.y(), 2);
  x_.PressKey("Tab");
  x_.Type("abcd");
  const QImage fourStars = SettledPart(login, kLoginArea);
  x_.Type("ef");
  const QImage sixStars = SettledPart(login, kLoginArea);
  ASSERT_TRUE(fourStars != sixStars) << "typing shows in the password field";

  for (int i = 0; i < 3; ++i) x_.PressKey("Left");
  x_.PressKey("Delete");
  x_.PressKey("Delete");
  x_.PressKey("End");
  EXPECT_EQ(Shows(login, kLoginArea, sixStars), "") << "Delete takes no star away";

  desktop_.Chord({"Control_L", "v"});
  ClickIn(login, kPasswordEnd.x(), kPasswordEnd.y(), 2);
  // Its menu would paste too: the right button opens none.
  ClickIn(login, kPasswordEnd.x(), kPasswordEnd.y(), 3);
  EXPECT_EQ(Shows(login, kLoginArea, sixStars), "") << "no paste and no menu show in the password field";
  EXPECT_TRUE(copied.OwnsBoth()) << "both pastes were offered the other program's texts";
  Shot("paste-refused");
  DocsShot("password_paste_refused.png", x_.FramedArea(login));

  // Backspace empties the field; then only a, b, c and d are taken.
  x_.PressKey("BackSpace");
  x_.Type("ab\u20ACc\u0436d\u4E2D");
  EXPECT_EQ(Shows(login, kLoginArea, fourStars), "") << "the euro sign, zhe and zhong do not show";
  Shot("foreign-refused");
  DocsShot("password_nonlatin_refused.png", x_.FramedArea(login));

  x_.PressKey("Return");
  ExpectRequest(AccessRequestFrame("bobzedkay", "abcd"));
}

// The disclaimer is up, moved aside by its title bar; a click on the login
// window brings the disclaimer back in front, and what is typed at the login
// window is held back like the click itself until the disclaimer has been
// accepted.
TEST_F(TypedInputOnDisplay, AModalDisclaimerHoldsBackWhatIsTypedIntoTheLoginWindow) {
  const XWindowId disclaimer = ReachDisclaimer();
  ASSERT_NE(disclaimer, 0u);
  const XWindowId login = Window("Login");
  ASSERT_NE(login, 0u);

  // Down until its frame's top is below the user name field.
  const QRect framed = x_.FramedArea(disclaimer);
  const QRect area = x_.Area(disclaimer);
  const QPoint titleBar(framed.center().x(), (framed.top() + area.top()) / 2);
  const int down = x_.Area(login).top() + kUserNameField.bottom() + 8 - framed.top();
  x_.Drag(titleBar, titleBar + QPoint(0, down));
  for (int i = 0; i < 40 && x_.Area(disclaimer).top() == area.top(); ++i) std::this_thread::sleep_for(50ms);
  ASSERT_GE(x_.FramedArea(disclaimer).top(), x_.Area(login).top() + kUserNameField.bottom())
      << "the disclaimer moved aside";

  // The window manager raises the held-back window a click lands on; the
  // disclaimer comes back in front of it, with the keyboard.
  ClickIn(login, kUserName.x(), kUserName.y());
  EXPECT_TRUE(HasKeyboard(disclaimer)) << "the click brought the disclaimer forward";
  // Given the keyboard all the same, as a task bar would, the login window
  // takes no characters, and the first one brings the disclaimer forward.
  // (The window manager may still be settling the disclaimer's activation:
  // asked again until it is done.)
  for (int i = 0; i < 15 && x_.FocusedWindow() != login; ++i) {
    desktop_.Activate(login);
    std::this_thread::sleep_for(200ms);
  }
  ASSERT_TRUE(HasKeyboard(login)) << "the window manager gave the login window the keyboard";
  // Inside the frame, which shows the focus, and right of the caret.
  const QRect textArea = kUserNameField.adjusted(12, 3, -3, -3);
  const QImage empty = SettledPart(login, textArea);
  x_.Type("xyz");
  EXPECT_EQ(Shows(login, textArea, empty), "") << "nothing typed shows in the held-back field";
  EXPECT_TRUE(HasKeyboard(disclaimer)) << "typing brought the disclaimer forward";
  Shot("typed-while-held");

  ASSERT_NE(AcceptDisclaimer(disclaimer), 0u);
  ClickIn(login, kUserName.x(), kUserName.y());
  x_.Type("ann");
  x_.PressKey("Tab");
  x_.Type("pw12");
  x_.PressKey("Return");
  ExpectRequest(AccessRequestFrame("ann", "pw12"));
}

// Enter with only a user name typed fails the password check, and a user
// name with an underscore the name check: each time the named field takes
// the keys, with its text selected, so the next characters replace it.
TEST_F(TypedInputOnDisplay, AFailedNewUserCheckHandsTheNamedFieldTheKeys) {
  const XWindowId login = ReachLoginWindow();
  ASSERT_NE(login, 0u);
  ClickIn(login, kNewUserButton.x(), kNewUserButton.y());
  const XWindowId newUser = Window("New User Information");
  ASSERT_NE(newUser, 0u);

  ClickIn(newUser, kNewUserName.x(), kNewUserName.y());
  x_.Type("bob_1");
  x_.PressKey("Return");
  EXPECT_EQ(CheckMessage(), "You must enter a password for your account.");
  AnswerCheck(newUser);
  x_.Type("abcd");
  x_.PressKey("Tab");
  x_.Type("abcd");
  x_.PressKey("Tab");
  x_.Type("Bob");
  x_.PressKey("Return");
  EXPECT_EQ(CheckMessage(), "Your user name contains an invalid character. Please enter a new name.");
  AnswerCheck(newUser);
  x_.Type("bob1");
  Shot("new-user-mended");
  x_.PressKey("Return");
  EXPECT_TRUE(x_.WaitUntilGone("New User Information", 5s)) << "\"OK\" takes the entries";

  ClickIn(login, kConnectButton.x(), kConnectButton.y());
  ExpectRequest(RegistrationFrame("bob1", "abcd", "Bob"));
}

}  // namespace
