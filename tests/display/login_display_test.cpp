// The way in by real input: the gate opens the disclaimer on a first start,
// "Accept" leads to the login window, and Enter sends the access request.

#include <cstring>

#include "core/memory.h"
#include "protocol/frame.h"
#include "protocol/message_build.h"
#include "protocol/messages.h"
#include "shell/os_services.h"
#include "tests/display/display_fixture.h"
#include "tests/display/scripted_peer.h"

namespace {

std::vector<uint8_t> BigEndian(std::initializer_list<uint32_t> values) {
  std::vector<uint8_t> bytes;
  for (const uint32_t v : values) {
    for (int shift = 24; shift >= 0; shift -= 8) bytes.push_back(static_cast<uint8_t>(v >> shift));
  }
  return bytes;
}

// The frame a log-in as user with password puts on the wire.
std::vector<uint8_t> AccessRequestFrame(const char* user, const char* password) {
  AccessRequestDetails details{};
  details.userName = user;
  details.password = password;
  details.osKind = OsKind();
  uint32_t length = 0;
  uint8_t* body = AccessRequestBuild(&details, &length);
  if (!body) return {};
  std::vector<uint8_t> frame = BigEndian({kMessageAccessRequest, FramePadded(length), length});
  frame.insert(frame.end(), body, body + length);
  frame.resize(kFrameHeaderSize + FramePadded(length), 0);
  MemFree(body);
  return frame;
}

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
