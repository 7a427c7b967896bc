// A player who makes one mistake gets out of it, against the real lobby
// server on a real X server: a mistyped name mended and the password typed
// again after Tab, the game asked for started although a game whose name
// begins with it runs, the reason for the end of the run read before the
// box that ends it, and a refused registration cancelled to log in to an
// existing account.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <thread>

#include "tests/display/access_request_frame.h"
#include "lobby/login_window.h"
#include "tests/display/demo_server_fixture.h"

namespace {

namespace fs = std::filesystem;

// "Cancel" of the new user window (newuser.rects).
constexpr QPoint kCancelButton(336 + 44, 326 + 14);
// A point inside the alert box's text.
constexpr QPoint kAlertText(20, 20);

constexpr const char* kTerminated = "Connection to the Orva server has been terminated. Exiting.";
constexpr const char* kAnotherPlace = "You have been logged in from another place.";

// Another copy of the client somewhere else, logging in with the same
// account: a plain connection that sends the access request and stays open.
class OtherPlace {
 public:
  ~OtherPlace() {
    if (fd_ >= 0) close(fd_);
  }
  bool LogIn(int port, const char* user, const char* password) {
    fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0) return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) return false;
    const std::vector<uint8_t> frame = AccessRequestFrame(user, password);
    return send(fd_, frame.data(), frame.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(frame.size());
  }

 private:
  int fd_ = -1;
};

class SecondChance : public DemoServerScenario {
 protected:
  // Boxes titled "Salvind" other than the lobby.
  std::vector<XWindowId> Boxes(XWindowId lobby) {
    std::vector<XWindowId> boxes = x_.WindowsTitled("Salvind");
    boxes.erase(std::remove(boxes.begin(), boxes.end(), lobby), boxes.end());
    return boxes;
  }
};

TEST_F(SecondChance, AMendedNameGetsInTheGameAskedForStartsAndTheReasonForTheEndIsRead) {
  const int port = StartServer();
  ASSERT_NE(port, 0);
  StartX(WindowManager::kOpenbox);
  ASSERT_FALSE(HasFatalFailure());
  // A game whose name begins with "go" is already running.
  const std::string gomoku = stageDir_ + "/games/gomoku";
  fs::copy_file(stageDir_ + "/games/go", gomoku);
  ChildProcess otherGame;
  ASSERT_TRUE(otherGame.Start({gomoku, "demo", "2130706433", "2199"},
                              EnvironmentWith({{"DISPLAY", x_.display()}, {"QT_QPA_PLATFORM", "xcb"}}), stageDir_,
                              runDir_ + "/gomoku.log"));
  const XWindowId gomokuWindow = x_.WaitForWindow("Orva:gomoku demo", 10s);
  ASSERT_NE(gomokuWindow, 0u);
  StartClientOnServer(port);
  ASSERT_FALSE(HasFatalFailure());
  XWindowId login = WayToLogin(Start::kFirst);
  ASSERT_NE(login, 0u);

  // A mistyped name is refused; the login window comes back with the name
  // selected. The mended name, Tab, the password typed again: Tab selected
  // the stars, so the password replaces the one typed before.
  TypeLogIn(login, "demoo", "orva");
  EXPECT_TRUE(WaitForServerLog("refused user demoo: reason 2", 1, 10s)) << ServerLog();
  ASSERT_NE(BoxSaying("Username 'demoo' not found.", 0, 10s), 0u);
  x_.PressKey("Return");
  login = Window(kLoginTitleProtected, 5s);
  ASSERT_NE(login, 0u);
  x_.Type("demo");
  x_.PressKey("Tab");
  x_.Type("orva");
  Shot("password-typed-again");
  x_.PressKey("Return");
  const XWindowId lobby = WaitForLobby(15s);
  ASSERT_NE(lobby, 0u) << ServerLog();
  EXPECT_EQ(ServerLogCount("admitted user demo over TLS\n"), 1);
  EXPECT_EQ(ServerLogCount("refused user demo:"), 0) << ServerLog();

  // "go" starts its own game: the gomoku window is not taken for it.
  const DemoBuilding& go = Building("go");
  desktop_.Activate(lobby);
  for (int i = 0; i < 50 && x_.StackingIndex(lobby) < x_.StackingIndex(gomokuWindow); ++i) {
    std::this_thread::sleep_for(100ms);
  }
  ASSERT_TRUE(WaitForServerLog("sent the building set of room", 6, 10s)) << ServerLog();
  const QPoint onGo = x_.Area(lobby).topLeft() + go.inside;
  x_.Click(onGo.x(), onGo.y());
  x_.Click(onGo.x(), onGo.y());
  const XWindowId goGame = x_.WaitForWindow("Orva:go demo", 20s);
  Shot("go-started");
  EXPECT_NE(goGame, 0u) << "the go game starts";
  EXPECT_EQ(GameProcesses("go").size(), 1u);
  if (goGame) x_.RequestClose(goGame);
  otherGame.Stop();
  EXPECT_TRUE(x_.WaitUntilGone("Orva:go demo", 10s));
  EXPECT_TRUE(x_.WaitUntilGone("Orva:gomoku demo", 10s));

  // The same account logs in from another place: the server says so and
  // hangs up. Its alert stands alone; the box that ends the run waits.
  desktop_.Activate(lobby);
  OtherPlace other;
  ASSERT_TRUE(other.LogIn(port, "demo", "orva"));
  EXPECT_TRUE(WaitForServerLog("disconnected user demo: logged in from another place", 1, 10s)) << ServerLog();
  const XWindowId alertBox = WaitForBox(lobby, 10s);
  ASSERT_NE(alertBox, 0u);
  std::this_thread::sleep_for(1500ms);
  EXPECT_EQ(Boxes(lobby).size(), 1u) << "only the server's alert box stands";
  Shot("reason");
  DocsShot("reason_before_end.png", x_.FramedArea(lobby).united(x_.FramedArea(alertBox)));
  // Shift+Tab twice leads back into the text (by the button, the one other
  // control), which a reader selects whole and copies.
  desktop_.Activate(alertBox);
  std::this_thread::sleep_for(200ms);
  ClickIn(alertBox, kAlertText.x(), kAlertText.y());
  desktop_.Chord({"Shift_L", "Tab"});
  desktop_.Chord({"Shift_L", "Tab"});
  desktop_.ClearClipboard();
  desktop_.Chord({"Control_L", "a"});
  desktop_.Chord({"Control_L", "c"});
  EXPECT_EQ(desktop_.ClipboardText(2s), kAnotherPlace);

  // Once it is closed the run ends, saying so.
  x_.PressKey("Return");
  const XWindowId ending = BoxSaying(kTerminated, lobby, 10s);
  ASSERT_NE(ending, 0u);
  Shot("terminated");
  DocsShot("terminated_after_reason.png", x_.FramedArea(lobby).united(x_.FramedArea(ending)));
  EXPECT_EQ(Boxes(lobby).size(), 1u) << "the alert box has gone";
  desktop_.Activate(ending);
  x_.PressKey("Return");
  EXPECT_EQ(client_.WaitExit(10s), 0) << "signal " << client_.exitSignal();
}

TEST_F(SecondChance, ACancelledRegistrationLeavesTheLoginWindowAsItWasAndTheAccountLogsIn) {
  int port = 0;
  XWindowId login = LoginWindowOnServer(&port);
  ASSERT_NE(login, 0u);

  // The player's own account is typed, then "New User" registers the same
  // name, which the server refuses.
  ClickIn(login, kUserNameField.x(), kUserNameField.y());
  x_.Type("demo");
  x_.PressKey("Tab");
  x_.Type("orva");
  ClickIn(login, kNewUserButton.x(), kNewUserButton.y());
  XWindowId newUser = Window("New User Information");
  ASSERT_NE(newUser, 0u);
  ClickIn(newUser, kNewUserNameField.x(), kNewUserNameField.y());
  for (const char* text : {"DEMO", "secret1", "secret1", "Demo Player"}) {
    x_.Type(text);
    x_.PressKey("Tab");
  }
  x_.PressKey("Return");
  ASSERT_TRUE(x_.WaitUntilGone("New User Information", 5s));
  ClickIn(login, kConnectButton.x(), kConnectButton.y());
  EXPECT_TRUE(WaitForServerLog("refused user DEMO: reason 5", 1, 10s)) << ServerLog();
  ASSERT_NE(BoxSaying("User 'DEMO' already exists. Please enter a new user name.", 0, 10s), 0u);
  x_.PressKey("Return");

  // "Cancel": the login window holds what it held before "New User", and
  // takes typing again.
  newUser = Window("New User Information", 5s);
  ASSERT_NE(newUser, 0u);
  ClickIn(newUser, kCancelButton.x(), kCancelButton.y());
  ASSERT_TRUE(x_.WaitUntilGone("New User Information", 5s));
  login = Window(kLoginTitleProtected, 5s);
  ASSERT_NE(login, 0u);
  EXPECT_EQ(CopiedText(login, Select::kAll, kUserNameField), "demo");
  Shot("registration-cancelled");
  DocsShot("registration_cancelled.png", x_.FramedArea(x_.WaitForWindow("Gate", 1s)).united(x_.FramedArea(login)));
  x_.PressKey("End");
  x_.Type("x");
  EXPECT_EQ(CopiedText(login, Select::kAll), "demox") << "the user name takes typing again";
  x_.PressKey("End");
  x_.PressKey("BackSpace");

  // "Connect" logs in with the password typed before, not as a registration.
  ClickIn(login, kConnectButton.x(), kConnectButton.y());
  const XWindowId lobby = WaitForLobby(15s);
  ASSERT_NE(lobby, 0u) << ServerLog();
  EXPECT_EQ(ServerLogCount("admitted user demo over TLS\n"), 1);
  EXPECT_EQ(ServerLogCount("reason 5"), 1) << ServerLog();
  EXPECT_EQ(ServerLogCount("registered user"), 0);
  x_.RequestClose(lobby);
  EXPECT_EQ(client_.WaitExit(10s), 0) << "signal " << client_.exitSignal();
}

}  // namespace
