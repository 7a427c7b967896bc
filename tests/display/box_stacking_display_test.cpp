// A box a person has to answer stands above the information box, which is
// kept on top of every other window, with and without a window manager.

#include <thread>

#include "tests/display/display_fixture.h"
#include "tests/display/scripted_peer.h"
#include "tests/display/x_desktop.h"

namespace {

class BoxStacking : public DisplayScenario, public ::testing::WithParamInterface<WindowManager> {};

// "Connect" with nothing listening: the connection's failure box opens while
// "Connecting ..." is still up, naming the host; answering it ends the
// program.
TEST_P(BoxStacking, TheConnectFailureBoxStandsAboveTheInformationBox) {
  RefusingPort nobody;
  ASSERT_NE(nobody.port(), 0);
  StartX(GetParam());
  StartClient({{"SALVIND_SERVER_HOST", "127.0.0.1"}, {"SALVIND_SERVER_PORT", std::to_string(nobody.port())}});
  const XWindowId login = ReachLoginWindow();
  ASSERT_NE(login, 0u);
  TypeLogIn(login, "bob_1", "secret7");

  const XWindowId box = Window("Orva");
  ASSERT_NE(box, 0u);
  const std::vector<XWindowId> infoBoxes = x_.WindowsTitled("Salvind");
  ASSERT_EQ(infoBoxes.size(), 1u) << "the information box is up while the box is";
  Shot("box-over-information-box");
  EXPECT_GT(x_.StackingIndex(box), x_.StackingIndex(infoBoxes.front()))
      << "the box stands below the information box";

  // It names the host that was tried, not the built-in one.
  ClickIn(box, 1, 1);
  XDesktop desktop;
  ASSERT_TRUE(desktop.Open(x_.display()));
  desktop.ClearClipboard();
  desktop.Chord({"Control_L", "c"});
  EXPECT_EQ(desktop.ClipboardText(2s), "Could not connect to 127.0.0.1.");
  x_.PressKey("Return");
  EXPECT_EQ(client_.WaitExit(10s), 1) << "signal " << client_.exitSignal();
}

// A server alert while "Requesting access ..." is up: the alert box (also
// titled "Salvind") stands above the information box.
TEST_P(BoxStacking, AServerAlertBoxStandsAboveTheInformationBox) {
  ScriptedPeer peer;
  ASSERT_NE(peer.port(), 0);
  StartX(GetParam());
  StartClient({{"SALVIND_SERVER_HOST", "127.0.0.1"}, {"SALVIND_SERVER_PORT", std::to_string(peer.port())}});
  const XWindowId login = ReachLoginWindow();
  ASSERT_NE(login, 0u);
  TypeLogIn(login, "bob_1", "secret7");
  ASSERT_FALSE(peer.WaitForBytes(12, 10s).empty()) << "no access request";
  const XWindowId infoBox = Window("Salvind");
  ASSERT_NE(infoBox, 0u);

  ASSERT_TRUE(peer.Send(ServerAlertFrame("The lobby closes in five minutes.")));

  XWindowId alertBox = 0;
  const auto end = std::chrono::steady_clock::now() + 10s;
  while (!alertBox && std::chrono::steady_clock::now() < end) {
    for (const XWindowId w : x_.WindowsTitled("Salvind")) {
      if (w != infoBox) alertBox = w;
    }
    if (!alertBox) std::this_thread::sleep_for(50ms);
  }
  ASSERT_NE(alertBox, 0u) << "no alert box";
  Shot("alert-box-over-information-box");
  EXPECT_GT(x_.StackingIndex(alertBox), x_.StackingIndex(infoBox)) << "the alert box stands below the information box";
}

INSTANTIATE_TEST_SUITE_P(Managers, BoxStacking, ::testing::Values(WindowManager::kOpenbox, WindowManager::kNone),
                         [](const auto& info) {
                           return std::string(info.param == WindowManager::kOpenbox ? "Openbox" : "NoManager");
                         });

}  // namespace
