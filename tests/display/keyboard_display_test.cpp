// The whole road by keyboard on a real X server, against the real server
// and the real sample games: from the gate to a started game with not one
// pointer event (the pointer rests in a corner of the screen, away from
// every window, before the client starts).

#include <algorithm>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "lobby/login_window.h"
#include "tests/display/demo_server_fixture.h"

namespace {

class KeyboardRoad : public DemoServerScenario {
 protected:
  // Waits until window holds the X input focus.
  bool WaitForFocus(XWindowId window, std::chrono::milliseconds timeout = 5s) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < end) {
      if (x_.FocusedWindow() == window) return true;
      std::this_thread::sleep_for(50ms);
    }
    return false;
  }

  // Whether the focus mark rings the map rectangle rect: a black ring 3
  // pixels outside it and a white one 2 pixels outside it.
  bool MarkedAround(XWindowId lobby, const QRect& rect) {
    const QImage shot = x_.Screenshot();
    const QPoint at = x_.Area(lobby).topLeft();
    const QRect outer = rect.adjusted(-3, -3, 3, 3);
    const QRect inner = rect.adjusted(-2, -2, 2, 2);
    for (const QPoint p : {outer.topLeft(), outer.bottomRight(), QPoint(outer.left(), outer.center().y())}) {
      if ((shot.pixel(at + p) & 0xFFFFFF) != 0x000000) return false;
    }
    for (const QPoint p : {inner.topLeft(), inner.bottomRight(), QPoint(inner.center().x(), inner.top())}) {
      if ((shot.pixel(at + p) & 0xFFFFFF) != 0xFFFFFF) return false;
    }
    return true;
  }

  // From the start of the client to the lobby by keys alone: Enter on the
  // gate; in the disclaimer PageDown, Tab round to the text, Home, Enter;
  // in the login window a detour by Shift+Tab to "New User" and back; name,
  // Tab, password, Enter. The lobby with the keyboard, or 0 with a
  // failed test.
  XWindowId KeysToLobby(int port, const std::map<std::string, std::string>& environment = {}) {
    x_.MovePointer(1023, 767);
    StartClientOnServer(port, environment);
    if (HasFatalFailure()) return 0;
    const XWindowId gate = Window("Gate");
    if (!gate || !WaitForFocus(gate)) {
      ADD_FAILURE() << "the gate has the keyboard";
      return 0;
    }
    x_.PressKey("Return");

    // The disclaimer's text has the keyboard first: PageDown scrolls it; Tab
    // goes round the buttons and back to it, Home shows its beginning again.
    const XWindowId disclaimer = Window("Disclaimer Agreement", 5s);
    if (!disclaimer || !WaitForFocus(disclaimer)) return 0;
    const QRect area = x_.Area(disclaimer).translated(-x_.Area(disclaimer).topLeft());
    const QImage first = SettledPart(disclaimer, area);
    x_.PressKey("Next");
    EXPECT_NE(SettledPart(disclaimer, area), first) << "PageDown scrolls the text";
    Shot("disclaimer-page-down");
    for (int i = 0; i < 3; ++i) x_.PressKey("Tab");
    x_.PressKey("Home");
    EXPECT_EQ(WaitForPart(disclaimer, area, first), "") << "Tab comes round to the text; Home shows its beginning";
    x_.PressKey("Return");
    EXPECT_TRUE(x_.WaitUntilGone("Disclaimer Agreement", 5s)) << "Enter accepts";

    const XWindowId login = Window(kLoginTitleProtected, 5s);
    if (!login || !WaitForFocus(login)) return 0;
    // Shift+Tab walks back from the name round the buttons (Quit, then New
    // User); Space opens the New User window and Escape cancels it. The
    // login window has the keyboard again, on "New User" as native dialogs
    // leave it; Tab, Tab lead on by Quit to the name.
    desktop_.Chord({"Shift_L", "Tab"});
    desktop_.Chord({"Shift_L", "Tab"});
    x_.PressKey("space");
    const XWindowId newUser = Window("New User Information", 5s);
    if (!newUser || !WaitForFocus(newUser)) {
      ADD_FAILURE() << "Shift+Tab twice and Space open the New User window";
      return 0;
    }
    x_.PressKey("Escape");
    EXPECT_TRUE(x_.WaitUntilGone("New User Information", 5s)) << "Escape cancels it";
    if (!WaitForFocus(login)) {
      ADD_FAILURE() << "the login window has the keyboard again";
      return 0;
    }
    x_.PressKey("Tab");
    x_.PressKey("Tab");
    x_.Type("demo");
    x_.PressKey("Tab");
    x_.Type("orva");
    x_.PressKey("Return");

    // The lobby comes back to the front with the keyboard after the welcome
    // window.
    const XWindowId lobby = WaitForLobby(15s);
    if (!lobby) return 0;
    EXPECT_TRUE(WaitForServerLog("sent the building set of room", 6, 10s)) << ServerLog();
    if (!WaitForFocus(lobby, 10s)) {
      ADD_FAILURE() << "the lobby has the keyboard";
      return 0;
    }
    return lobby;
  }

  const DemoBuilding& Chess() const {
    return *std::find_if(buildings_.begin(), buildings_.end(), [](const DemoBuilding& b) { return b.game == "chess"; });
  }

  // The arrows walk the buildings until the chess hall wears the mark.
  bool ArrowsToChess(XWindowId lobby) {
    for (int i = 0; i < 8; ++i) {
      x_.PressKey("Right");
      for (int k = 0; k < 5; ++k) {
        std::this_thread::sleep_for(100ms);
        if (MarkedAround(lobby, Chess().rect)) return true;
      }
    }
    return false;
  }

  void CloseGameAndLobby(XWindowId lobby) {
    x_.RequestClose(x_.WaitForWindow("Orva:chess demo", 1s));
    EXPECT_TRUE(x_.WaitUntilGone("Orva:chess demo", 10s));
    x_.RequestClose(lobby);
    EXPECT_EQ(client_.WaitExit(10s), 0) << "signal " << client_.exitSignal();
  }
};

TEST_F(KeyboardRoad, FromTheGateToAStartedGameWithoutThePointer) {
  const int port = StartServer();
  ASSERT_NE(port, 0);
  StartX(WindowManager::kOpenbox);
  const XWindowId lobby = KeysToLobby(port);
  ASSERT_NE(lobby, 0u);
  ASSERT_TRUE(ArrowsToChess(lobby)) << "the arrows bring the mark to the chess hall";
  Shot("chess-marked");
  x_.PressKey("Return");
  ASSERT_NE(x_.WaitForWindow("Orva:chess demo", 15s), 0u) << "Enter starts the chess game";
  Shot("game");
  EXPECT_EQ(ServerLogCount("admitted user demo"), 1);
  CloseGameAndLobby(lobby);
}

// With reduced motion the map stands still, and the game starts without
// the enter animation: the chess hall shows one look from Enter to its game.
TEST_F(KeyboardRoad, ReducedMotionKeepsTheMapStillAndStartsTheGameAtOnce) {
  const int port = StartServer();
  ASSERT_NE(port, 0);
  StartX(WindowManager::kOpenbox);
  const XWindowId lobby = KeysToLobby(port, {{"SALVIND_REDUCED_MOTION", "1"}});
  ASSERT_NE(lobby, 0u);
  const QRect map(QPoint(0, 0), x_.Area(lobby).size());
  const QImage still = SettledPart(lobby, map);
  std::this_thread::sleep_for(1s);
  EXPECT_EQ(Part(x_.Screenshot(), lobby, map), still) << "nothing on the map moves over a second";
  Shot("still");

  ASSERT_TRUE(ArrowsToChess(lobby));
  // The upper half: the status window stands at the building's middle and
  // goes while the launch box holds the keyboard.
  const QRect& hall = Chess().rect;
  const QRect upper(hall.left(), hall.top(), hall.width(), hall.height() / 2 - 1);
  const QImage marked = SettledPart(lobby, upper);
  x_.PressKey("Return");
  std::vector<QImage> looks{marked};
  for (int i = 0; i < 300 && x_.WindowsTitled("Orva:chess demo").empty(); ++i) {
    const QImage look = Part(x_.Screenshot(), lobby, upper);
    if (look != looks.back()) looks.push_back(look);
  }
  ASSERT_NE(x_.WaitForWindow("Orva:chess demo", 15s), 0u) << "Enter starts the chess game";
  EXPECT_EQ(looks.size(), 1u) << "no enter animation played";
  Shot("game");
  CloseGameAndLobby(lobby);
}

}  // namespace
