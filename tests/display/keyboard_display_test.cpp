// The whole road by keyboard on a real X server, against the real server
// and the real sample games: from the gate to a started game with not one
// pointer event (the pointer rests in a corner of the screen, away from
// every window, before the client starts).

#include <algorithm>
#include <thread>

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
};

TEST_F(KeyboardRoad, FromTheGateToAStartedGameWithoutThePointer) {
  const int port = StartServer();
  ASSERT_NE(port, 0);
  StartX(WindowManager::kOpenbox);
  x_.MovePointer(1023, 767);
  StartClientOnServer(port);
  ASSERT_FALSE(HasFatalFailure());

  // The splash goes by itself; Enter on the gate opens the way in.
  const XWindowId gate = Window("Gate");
  ASSERT_NE(gate, 0u);
  ASSERT_TRUE(WaitForFocus(gate)) << "the gate has the keyboard";
  x_.PressKey("Return");

  // The disclaimer's text has the keyboard first: PageDown scrolls it; Tab
  // goes round the buttons and back to it, Home shows its beginning again.
  const XWindowId disclaimer = Window("Disclaimer Agreement", 5s);
  ASSERT_NE(disclaimer, 0u);
  ASSERT_TRUE(WaitForFocus(disclaimer));
  const QRect text = x_.Area(disclaimer).translated(-x_.Area(disclaimer).topLeft());
  const QImage first = SettledPart(disclaimer, text);
  x_.PressKey("Next");
  const QImage scrolled = SettledPart(disclaimer, text);
  EXPECT_NE(scrolled, first) << "PageDown scrolls the text";
  Shot("disclaimer-page-down");
  for (int i = 0; i < 3; ++i) x_.PressKey("Tab");
  x_.PressKey("Home");
  EXPECT_EQ(WaitForPart(disclaimer, text, first), "") << "Tab comes round to the text; Home shows its beginning";
  x_.PressKey("Return");
  ASSERT_TRUE(x_.WaitUntilGone("Disclaimer Agreement", 5s)) << "Enter accepts";

  // The login window: name, Tab, password, Enter.
  const XWindowId login = Window("Login", 5s);
  ASSERT_NE(login, 0u);
  ASSERT_TRUE(WaitForFocus(login));
  x_.Type("demo");
  x_.PressKey("Tab");
  x_.Type("orva");
  x_.PressKey("Return");

  // The lobby comes back to the front with the keyboard after the welcome
  // window; the arrows walk the buildings until the chess hall wears the
  // mark, and Enter starts its game.
  const XWindowId lobby = WaitForLobby(15s);
  ASSERT_NE(lobby, 0u);
  EXPECT_TRUE(WaitForServerLog("sent the building set of room", 6, 10s)) << ServerLog();
  ASSERT_TRUE(WaitForFocus(lobby, 10s)) << "the lobby has the keyboard";
  const DemoBuilding& chess =
      *std::find_if(buildings_.begin(), buildings_.end(), [](const DemoBuilding& b) { return b.game == "chess"; });
  bool marked = false;
  for (int i = 0; i < 8 && !marked; ++i) {
    x_.PressKey("Right");
    for (int k = 0; k < 5 && !marked; ++k) {
      std::this_thread::sleep_for(100ms);
      marked = MarkedAround(lobby, chess.rect);
    }
  }
  ASSERT_TRUE(marked) << "the arrows bring the mark to the chess hall";
  Shot("chess-marked");
  x_.PressKey("Return");
  ASSERT_NE(x_.WaitForWindow("Orva:chess demo", 15s), 0u) << "Enter starts the chess game";
  Shot("game");
  EXPECT_EQ(ServerLogCount("admitted user demo"), 1);

  x_.RequestClose(x_.WaitForWindow("Orva:chess demo", 1s));
  EXPECT_TRUE(x_.WaitUntilGone("Orva:chess demo", 10s));
  x_.RequestClose(lobby);
  EXPECT_EQ(client_.WaitExit(10s), 0) << "signal " << client_.exitSignal();
}

}  // namespace
