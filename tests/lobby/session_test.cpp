// The session's connecting half against a peer on 127.0.0.1: what "Connect"
// sends for a log-in and for a registration, messages taken off the queue,
// and the end of the run when the server goes away.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "lobby/gate.h"
#include "lobby/login_details.h"
#include "lobby/login_window.h"
#include "lobby/new_user_window.h"
#include "net/connection.h"
#include "net/session.h"
#include "net/session_endpoint.h"
#include "protocol/frame.h"
#include "protocol/messages.h"
#include "tests/lobby/screen_fixture.h"
#include "tests/net/net_test_support.h"
#include "tests/support/toolkit_harness.h"
#include "toolkit/button.h"
#include "toolkit/edit_box.h"

namespace {

uint32_t Word(const std::vector<uint8_t>& b, size_t at) {
  return uint32_t{b[at]} << 24 | uint32_t{b[at + 1]} << 16 | uint32_t{b[at + 2]} << 8 | b[at + 3];
}

std::string TextAt(const std::vector<uint8_t>& b, size_t at, size_t size) {
  std::string s;
  for (size_t i = at; i < at + size && i < b.size() && b[i]; ++i) s += static_cast<char>(b[i]);
  return s;
}

class SessionTest : public ScreenTest {
 protected:
  void SetUp() override {
    ScreenTest::SetUp();
    SetDisclaimerAccepted(1);
    // The endpoint override is how the session is pointed at the peer.
    setenv(kServerHostVariable, "127.0.0.1", 1);
    setenv(kServerPortVariable, std::to_string(listener.Port()).c_str(), 1);
    ASSERT_TRUE(OpenLogin());
  }
  void TearDown() override {
    if (peer >= 0) PeerClose(peer);
    unsetenv(kServerHostVariable);
    unsetenv(kServerPortVariable);
    ScreenTest::TearDown();
  }
  // The frame the peer receives: header and padded body.
  std::vector<uint8_t> Receive(uint32_t bodyLength) {
    peer = listener.Accept();
    EXPECT_GE(peer, 0);
    if (peer < 0) return {};
    return ReceiveExactly(peer, 12 + ((bodyLength + 3) & ~3u));
  }

  TestListener listener;
  int peer = -1;
};

TEST_F(SessionTest, ALogInSendsAn80ByteAccessRequestWithTheNameCutTo31) {
  const std::string name40 = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMN";
  TypeInto(g_login.userName, name40.c_str());
  TypeInto(g_login.password, "secret");
  ASSERT_TRUE(HarnessType(13));  // Enter presses "Connect"
  HarnessFlush();
  EXPECT_EQ(std::string(g_loginDetails.userName), name40.substr(0, 31));
  ASSERT_NE(g_session.connection, nullptr);
  EXPECT_NE(g_session.infoBox, nullptr);
  EXPECT_EQ(WindowGetModal(), nullptr);  // the login window waits, hidden

  const std::vector<uint8_t> frame = Receive(80);
  ASSERT_EQ(frame.size(), 92u);
  EXPECT_EQ(Word(frame, 0), uint32_t{kMessageAccessRequest});
  EXPECT_EQ(Word(frame, 4), 80u);
  EXPECT_EQ(Word(frame, 8), 80u);
  const std::vector<uint8_t> body(frame.begin() + 12, frame.end());
  EXPECT_EQ(Word(body, 0), kAccessRequestSignature);
  EXPECT_EQ(TextAt(body, 8, 32), name40.substr(0, 31));
  EXPECT_EQ(TextAt(body, 40, 32), "secret");
  EXPECT_EQ(body[76] << 8 | body[77], 0);  // not a registration
  EXPECT_TRUE(AlertTexts().empty());
}

TEST_F(SessionTest, ARegistrationWithTenCharactersOfInformationSends346Bytes) {
  ButtonPress(g_login.newUser);
  HarnessFlush();
  EditBoxSetText(g_newUser.userName, "carol7");
  TypeInto(g_newUser.password, "pa55word");
  TypeInto(g_newUser.reEnter, "pa55word");
  EditBoxSetText(g_newUser.fullName, "Carol Jones");
  EditBoxSetText(g_newUser.email, "carol@example.org");
  EditBoxSetText(g_newUser.personalInfo, "0123456789");
  ButtonPress(g_newUser.ok);
  HarnessFlush();
  ASSERT_TRUE(AlertTexts().empty());
  ASSERT_EQ(OpenLoginWindow(), 0);
  ButtonPress(g_login.connect);
  HarnessFlush();

  const std::vector<uint8_t> frame = Receive(346);
  ASSERT_EQ(frame.size(), 12u + 348u);
  EXPECT_EQ(Word(frame, 8), 346u);
  const std::vector<uint8_t> body(frame.begin() + 12, frame.end());
  EXPECT_EQ(TextAt(body, 8, 32), "carol7");
  EXPECT_EQ(TextAt(body, 40, 32), "pa55word");
  EXPECT_EQ(body[76] << 8 | body[77], 1);
  EXPECT_EQ(TextAt(body, 78, 128), "Carol Jones");
  EXPECT_EQ(TextAt(body, 206, 128), "carol@example.org");
  EXPECT_EQ(TextAt(body, 334, 12), "0123456789");
}

TEST_F(SessionTest, QueuedMessagesAreTakenOffTheQueue) {
  TypeInto(g_login.userName, "dave");
  ButtonPress(g_login.connect);
  HarnessFlush();
  ASSERT_EQ(Receive(80).size(), 92u);
  // The echo is answered only after the two messages before it were read.
  // A room status before any lobby finds no room; the unknown type is freed.
  std::vector<uint8_t> stream = Frame(kMessageRoomStatus, {0, 0, 0, 1, 0, 0, 0, 2, 0, 1});
  for (const auto& more : {Frame(200, Bytes("unknown type")), Frame(kMessageEcho, {})}) {
    stream.insert(stream.end(), more.begin(), more.end());
  }
  ASSERT_TRUE(SendAll(peer, stream));
  const std::vector<uint8_t> echo = ReceiveExactly(peer, 12);
  ASSERT_EQ(echo.size(), 12u);
  EXPECT_EQ(Word(echo, 0), kMessageEcho);
  ASSERT_NE(g_session.connection, nullptr);
  EXPECT_EQ(g_session.connection->queue->count, 0);
  EXPECT_TRUE(AlertTexts().empty());
}

TEST_F(SessionTest, ALostConnectionBeforeAnyAnswerSaysSoAndEndsTheRun) {
  TypeInto(g_login.userName, "erin");
  ButtonPress(g_login.connect);
  HarnessFlush();
  ASSERT_EQ(Receive(80).size(), 92u);
  PeerClose(peer);
  peer = -1;
  ASSERT_TRUE(PumpUntil([] { return ProgramQuitCount() > 0; }));
  ASSERT_EQ(AlertTexts().size(), 1u);
  EXPECT_EQ(AlertTexts()[0], "Connection to the Orva server has been terminated. Exiting.");
  EXPECT_EQ(ProgramQuitCount(), 1);
  EXPECT_EQ(g_session.connection, nullptr);
  EXPECT_EQ(g_session.infoBox, nullptr);
  EXPECT_EQ(g_login.window, nullptr);
  EXPECT_EQ(g_gate.window, nullptr);
  EXPECT_EQ(g_gate.picture, nullptr);
  EXPECT_EQ(g_gate.timer, nullptr);
}

// A server that says why it hangs up (another log-in, a kick) sends its
// alert first: the box that ends the program waits until the alert box was
// read and closed, so the reason is never hidden under it.
TEST_F(SessionTest, TheEndOfTheRunWaitsUntilTheServersLastAlertIsClosed) {
  TypeInto(g_login.userName, "fay");
  ButtonPress(g_login.connect);
  HarnessFlush();
  ASSERT_EQ(Receive(80).size(), 92u);
  std::vector<uint8_t> body = {0, 0};
  const std::vector<uint8_t> text = Bytes("You have been logged in from another place.");
  body.insert(body.end(), text.begin(), text.end());
  body.push_back(0);
  ASSERT_TRUE(SendAll(peer, Frame(kMessageServerAlert, body)));
  PeerClose(peer);
  peer = -1;
  ASSERT_TRUE(PumpUntil([] { return g_session.connection && !g_session.connection->socket; }));
  HarnessAdvance(20);
  EXPECT_TRUE(AlertTexts().empty()) << "the end waits for the alert box";
  EXPECT_EQ(ProgramQuitCount(), 0);
  Window* alertBox = WindowGetModal();
  ASSERT_NE(alertBox, nullptr);
  ASSERT_NE(alertBox->defaultButton, nullptr);

  ButtonPress(alertBox->defaultButton);
  HarnessAdvance(2);  // the box's posted close
  ASSERT_TRUE(PumpUntil([] { return ProgramQuitCount() > 0; }));
  ASSERT_EQ(AlertTexts().size(), 1u);
  EXPECT_EQ(AlertTexts()[0], "Connection to the Orva server has been terminated. Exiting.");
  EXPECT_EQ(g_gate.window, nullptr);
}

}  // namespace
