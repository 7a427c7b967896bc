// The way in by real input: the gate opens the disclaimer on a first start,
// "Accept" leads to the login window, and Enter sends the access request.

#include "tests/display/access_request_frame.h"
#include "tests/display/display_fixture.h"
#include "tests/display/scripted_peer.h"

namespace {

TEST_F(DisplayScenario, AFirstStartShowsTheDisclaimerAndEnterInTheLoginWindowSendsTheAccessRequest) {
  ScriptedPeer peer;
  ASSERT_NE(peer.port(), 0);
  StartX(WindowManager::kOpenbox);
  StartClient({{"SALVIND_SERVER_HOST", "127.0.0.1"}, {"SALVIND_SERVER_PORT", std::to_string(peer.port())}});

  const XWindowId login = ReachLoginWindow();
  ASSERT_NE(login, 0u);
  TypeLogIn(login, "bob_1", "secret7");

  const std::vector<uint8_t> expected = AccessRequestFrame("bob_1", "secret7");
  ASSERT_FALSE(expected.empty());
  const std::vector<uint8_t>& received = peer.WaitForBytes(expected.size(), 10s);
  Shot("request-sent");
  EXPECT_EQ(received, expected);
}

}  // namespace
