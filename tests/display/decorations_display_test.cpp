// Decorations follow each window's kind: no window of ours can be resized or
// maximised, only the gate (a main window) and the system's message boxes
// have a close box and a system menu, and only the gate can be minimised.

#include <algorithm>
#include <thread>

#include "tests/display/display_fixture.h"
#include "tests/display/scripted_peer.h"

namespace {

// _MOTIF_WM_HINTS bits.
constexpr long kHintFunctions = 1, kHintDecorations = 2;
constexpr long kFuncResize = 2, kFuncMinimise = 8, kFuncMaximise = 16, kFuncClose = 32;
constexpr long kDecorResizeHandle = 4, kDecorMenu = 16, kDecorMinimise = 32, kDecorMaximise = 64;

enum Kind {
  kMain,        // caption, minimise box, system menu
  kDialog,      // caption only
  kMessageBox,  // the system's box: caption and system menu
};

class Decorations : public DisplayScenario {
 protected:
  void Expect(XWindowId window, Kind kind, const char* what) {
    SCOPED_TRACE(what);
    EXPECT_TRUE(x_.SizeIsFixed(window));
    const std::vector<long> hints = x_.MotifHints(window);
    ASSERT_EQ(hints.size(), 3u) << "no Motif hints";
    ASSERT_EQ(hints[0] & (kHintFunctions | kHintDecorations), kHintFunctions | kHintDecorations)
        << "functions and decorations both given";
    const long functions = hints[1];
    const long decorations = hints[2];
    EXPECT_EQ(functions & (kFuncResize | kFuncMaximise), 0) << "functions " << functions;
    EXPECT_EQ(decorations & (kDecorResizeHandle | kDecorMaximise), 0) << "decorations " << decorations;
    const bool menu = kind != kDialog;
    const bool minimise = kind == kMain;
    EXPECT_EQ((functions & kFuncClose) != 0, menu) << "close, functions " << functions;
    EXPECT_EQ((decorations & kDecorMenu) != 0, menu) << "system menu, decorations " << decorations;
    EXPECT_EQ((functions & kFuncMinimise) != 0, minimise) << "minimise, functions " << functions;
    EXPECT_EQ((decorations & kDecorMinimise) != 0, minimise) << "minimise, decorations " << decorations;
    // What the window manager makes of it.
    for (const std::string& action : x_.AllowedActions(window)) {
      EXPECT_TRUE(action.find("MAXIMIZE") == std::string::npos && action != "_NET_WM_ACTION_RESIZE") << action;
    }
  }
};

TEST_F(Decorations, EveryWindowKindOfTheWayInHasItsOwnDecorations) {
  ScriptedPeer peer;
  ASSERT_NE(peer.port(), 0);
  StartX(WindowManager::kOpenbox);
  StartClient({{"SALVIND_SERVER_HOST", "127.0.0.1"}, {"SALVIND_SERVER_PORT", std::to_string(peer.port())}});

  const XWindowId splash = Window("Orva");
  ASSERT_NE(splash, 0u);
  Expect(splash, kDialog, "the splash");
  const XWindowId login = ReachLoginWindow();
  ASSERT_NE(login, 0u);
  Expect(Window("Gate"), kMain, "the gate");
  Expect(login, kDialog, "the login window");
  TypeLogIn(login, "bob_1", "secret7");
  ASSERT_FALSE(peer.WaitForBytes(12, 10s).empty()) << "no access request";
  const XWindowId infoBox = Window("Salvind");
  ASSERT_NE(infoBox, 0u);
  Expect(infoBox, kDialog, "the information box");

  ASSERT_TRUE(peer.Send(ServerAlertFrame("Maintenance at noon.")));
  XWindowId alertBox = 0;
  for (int i = 0; i < 200 && !alertBox; ++i) {
    for (const XWindowId w : x_.WindowsTitled("Salvind")) {
      if (w != infoBox) alertBox = w;
    }
    if (!alertBox) std::this_thread::sleep_for(50ms);
  }
  ASSERT_NE(alertBox, 0u) << "no alert box";
  Expect(alertBox, kDialog, "the alert box");
  Shot("alert-box");
}

TEST_F(Decorations, TheSystemsMessageBoxHasACloseBoxButNoMaximiseBox) {
  RefusingPort nobody;
  ASSERT_NE(nobody.port(), 0);
  StartX(WindowManager::kOpenbox);
  StartClient({{"SALVIND_SERVER_HOST", "127.0.0.1"}, {"SALVIND_SERVER_PORT", std::to_string(nobody.port())}});
  const XWindowId login = ReachLoginWindow();
  ASSERT_NE(login, 0u);
  TypeLogIn(login, "bob_1", "secret7");
  const XWindowId box = Window("Orva");
  ASSERT_NE(box, 0u);
  Expect(box, kMessageBox, "the connection's failure box");
}

}  // namespace
