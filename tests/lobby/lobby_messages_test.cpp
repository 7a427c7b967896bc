// The client's reaction to the lobby server's messages, from a scripted peer
// on 127.0.0.1: every refusal, the grant with its version checks, the room
// messages, the welcome text, and bodies that do not hold their layout.

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "lobby/gate.h"
#include "lobby/lobby_window.h"
#include "lobby/login_window.h"
#include "lobby/new_user_window.h"
#include "lobby/room.h"
#include "lobby/status_window.h"
#include "lobby/welcome_window.h"
#include "protocol/messages.h"
#include "net/session.h"
#include "platform/window.h"
#include "tests/lobby/lobby_fixture.h"
#include "tests/net/net_test_support.h"
#include "tests/support/toolkit_harness.h"
#include "toolkit/edit_box.h"
#include "toolkit/window.h"
#include "windows/info_box.h"

namespace {

struct DeniedCase {
  uint16_t reason;
  const char* alert;  // nullptr: none
  bool quits;
  bool loginOpen;
  bool newUserOpen;
};

void PrintTo(const DeniedCase& c, std::ostream* os) { *os << "reason " << c.reason; }

const DeniedCase kDeniedCases[] = {
    {1, "This version of the software is too old. Please get a newer version and try again.", true, false, false},
    {2, "Username 'guest' not found. Please try again. Use 'New User' button if new user.", false, true, false},
    {3, "The password is incorrect. Please try again.", false, true, false},
    {4, "You have been locked out the system. Please contact the system administrator at support@orva.example.",
     true, false, false},
    {5, "User 'guest' already exists. Please enter a new user name.", false, true, true},
    {6, "Sorry, system is full right now. Please try again later.", true, false, false},
    {7, nullptr, false, false, false},
};

class AccessDeniedTest : public LobbyTest, public ::testing::WithParamInterface<DeniedCase> {};

TEST_P(AccessDeniedTest, EachReasonHasItsAlertAndWhatFollows) {
  const DeniedCase& c = GetParam();
  Send(kMessageAccessDenied, {0, static_cast<uint8_t>(c.reason)}, false);
  ASSERT_TRUE(PumpUntil([] { return g_session.connection == nullptr; }));
  HarnessAdvance(4);
  EXPECT_EQ(g_session.connection, nullptr);
  EXPECT_EQ(g_session.infoBox, nullptr);
  if (c.alert) {
    ASSERT_EQ(AlertTexts().size(), 1u);
    EXPECT_EQ(AlertTexts()[0], c.alert);
  } else {
    EXPECT_TRUE(AlertTexts().empty());
  }
  EXPECT_EQ(Quits(), c.quits ? 1 : 0);
  const bool loginShown = g_login.window && PlatformWindowIsShown(WindowGetHandle(g_login.window));
  EXPECT_EQ(loginShown, c.loginOpen);
  EXPECT_EQ(g_newUser.window != nullptr, c.newUserOpen);
  if (c.reason == 2) {
    EXPECT_EQ(SelectionOf(g_login.userName), (std::pair<int32_t, int32_t>{0, 5}));
  }
  if (c.reason == 3) {
    EXPECT_EQ(SelectionOf(g_login.password).first, 0);
  }
  if (c.reason == 5) {
    EXPECT_EQ(SelectionOf(g_newUser.userName).first, 0);
  }
  // The gate picture is back where the box was.
  EXPECT_NE(g_gate.picture, nullptr);
}

INSTANTIATE_TEST_SUITE_P(Reasons, AccessDeniedTest, ::testing::ValuesIn(kDeniedCases),
                         [](const auto& info) { return "Reason" + std::to_string(info.param.reason); });

using GrantTest = LobbyTest;

TEST_F(GrantTest, TheGateBecomesTheLobbyCentredWhereTheGateWas) {
  Grant();
  EXPECT_EQ(g_login.window, nullptr);
  EXPECT_EQ(g_session.infoBox, nullptr);
  EXPECT_EQ(g_gate.picture, nullptr);
  ASSERT_NE(g_gate.window, nullptr);
  Rect lobby;
  WindowGetRect(g_gate.window, &lobby);
  EXPECT_EQ(RectWidth(lobby), 640);
  EXPECT_EQ(RectHeight(lobby), 400);
  EXPECT_EQ(lobby.left + lobby.right, gateOuter.left + gateOuter.right);
  EXPECT_EQ(lobby.top + lobby.bottom, gateOuter.top + gateOuter.bottom);
  EXPECT_EQ(WindowGetProc(g_gate.window), &LobbyEventProc);
  EXPECT_EQ(g_gate.rect.left, 0);
  EXPECT_EQ(g_gate.rect.right, 640);
  for (auto [x, y] : {std::pair{0, 0}, std::pair{639, 399}, std::pair{321, 200}}) {
    EXPECT_EQ(HarnessBufferPixel(g_gate.window, x, y), TestMapPixel(x, y)) << x << "," << y;
  }
  EXPECT_TRUE(AlertTexts().empty());
  EXPECT_EQ(g_lobby.welcomeReceived, 0);
  ASSERT_NE(g_welcome.window, nullptr);
  EXPECT_FALSE(PlatformWindowIsShown(WindowGetHandle(g_welcome.window)));
}

struct VersionCase {
  uint32_t newest;
  uint32_t disclaimerAbove;  // the server's disclaimer version minus the local one
  bool warns;
  bool requests;
};

TEST_F(GrantTest, OutdatedClientWarningAndDisclaimerRequest) {
  const VersionCase cases[] = {
      {65792, 0, false, false},
      {65792, 1, false, true},
      {65793, 1, true, false},
  };
  for (const VersionCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.newest << " +" << c.disclaimerAbove);
    TearDown();
    SetUp();
    const uint32_t local = ReadFileBytes(DisclaimerPath())[3];
    Grant(c.newest, local + c.disclaimerAbove);
    const std::vector<std::string> warning = {
        "You are running an old version of the software. Please download the latest version as soon as possible."};
    EXPECT_EQ(AlertTexts(), c.warns ? warning : std::vector<std::string>{});
    bool requested = false;
    for (const PeerMessage& m : Received()) requested |= m.type == kMessageDisclaimerRequest && m.body.empty();
    EXPECT_EQ(requested, c.requests);
  }
}

TEST_F(GrantTest, AWelcomeTextBeforeTheLobbyIsDropped) {
  Send(kMessageWelcomeText, WelcomeTextBody("too early"));
  EXPECT_EQ(g_welcome.window, nullptr);
  Grant();
  EXPECT_EQ(g_lobby.welcomeReceived, 0);
  EXPECT_EQ(TextOf(g_welcome.text), "");
}

TEST_F(GrantTest, AWelcomeTextFillsAndShowsTheWelcomeWindowAndTheIcon) {
  Grant();
  Send(kMessageWelcomeText, WelcomeTextBody("Hello\nand welcome"));
  EXPECT_EQ(TextOf(g_welcome.text), "Hello\r\nand welcome");
  EXPECT_EQ(SelectionOf(g_welcome.text), (std::pair<int32_t, int32_t>{0, 0}));
  EXPECT_EQ(g_lobby.welcomeReceived, 1);
  EXPECT_TRUE(PlatformWindowIsShown(WindowGetHandle(g_welcome.window)));
  // The icon is drawn over the map at its corner.
  HarnessFlush();
  const Rect& icon = g_lobby.welcomeRect;
  EXPECT_EQ(icon.right, 580);
  EXPECT_EQ(icon.bottom, 360);
  EXPECT_NE(HarnessBufferPixel(g_gate.window, icon.left + 16, icon.top + 16), TestMapPixel(icon.left + 16, icon.top + 16));
  EXPECT_EQ(HarnessBufferPixel(g_gate.window, icon.left, icon.top), TestMapPixel(icon.left, icon.top));
}

using RoomMessagesTest = LobbyTest;

TEST_F(RoomMessagesTest, ARepeatedRoomInfoChangesNothing) {
  Grant();
  Received();
  Send(kMessageRoomInfo, RoomInfoBody(7, "chess", "chess.ogi", 1, 258, 80));
  Send(kMessageRoomInfo, RoomInfoBody(7, "dice", "dice.ogi", 9, 1, 2));
  ASSERT_EQ(RoomListGet()->count, 1);
  const Room* room = RoomOf(7);
  ASSERT_NE(room, nullptr);
  EXPECT_STREQ(room->name, "chess");
  EXPECT_STREQ(room->imageFile, "chess.ogi");
  EXPECT_EQ(room->address, 258u);
  EXPECT_EQ(room->port, 80);
  EXPECT_EQ(room->state, 0);
  const std::vector<PeerMessage> sent = Received();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].type, kMessageGameImageRequest);
  EXPECT_EQ(sent[0].body, (std::vector<uint8_t>{0, 0, 0, 7}));
}

TEST_F(RoomMessagesTest, TheAnyKeyIdIsARoomLikeAnyOther) {
  Grant();
  Send(kMessageRoomInfo, RoomInfoBody(1, "chess", "chess.ogi"));
  Send(kMessageRoomInfo, RoomInfoBody(0xFFFFFFFFu, "dice", "dice.ogi"));
  ASSERT_EQ(RoomListGet()->count, 2);
  Send(kMessageRoomStatus, RoomStatusBody(0xFFFFFFFFu, 4, 2));
  EXPECT_EQ(RoomOf(1)->state, 0);
  EXPECT_EQ(RoomOf(0xFFFFFFFFu)->state, 2);
}

TEST_F(RoomMessagesTest, StatusForAnUnknownRoomAndUnknownTypesAreIgnored) {
  Grant();
  Send(kMessageRoomInfo, RoomInfoBody(1, "chess", "chess.ogi"));
  Send(kMessageRoomStatus, RoomStatusBody(2, 5, 1));
  Send(200, {1, 2, 3, 4});
  Send(kMessageEntryList, {0, 0, 0, 0, 0, 0, 0, 0});
  EXPECT_EQ(RoomListGet()->count, 1);
  EXPECT_EQ(RoomOf(1)->players, 0u);
  EXPECT_TRUE(AlertTexts().empty());
  EXPECT_NE(g_session.connection, nullptr);
}

TEST_F(RoomMessagesTest, BodiesShorterThanTheirLayoutAreDropped) {
  Grant();
  std::vector<uint8_t> info = RoomInfoBody(3, "chess", "chess.ogi");
  info.resize(63);
  Send(kMessageRoomInfo, info);
  Send(kMessageRoomInfo, RoomInfoBody(4, "dice", "dice.ogi"));
  Send(kMessageRoomStatus, {0, 0, 0, 4, 0, 0, 0, 1, 0});
  Send(kMessageGameImage, {0, 0, 0});
  EXPECT_EQ(RoomOf(3), nullptr);
  ASSERT_NE(RoomOf(4), nullptr);
  EXPECT_EQ(RoomOf(4)->players, 0u);
  EXPECT_NE(g_session.connection, nullptr);
}

TEST_F(RoomMessagesTest, ARoomNameWithoutTerminatorIsCutToItsField) {
  Grant();
  std::vector<uint8_t> info = RoomInfoBody(5, std::string(40, 'n'), std::string(16, 'f'));
  Send(kMessageRoomInfo, info);
  const Room* room = RoomOf(5);
  ASSERT_NE(room, nullptr);
  EXPECT_EQ(std::string(room->name), std::string(30, 'n'));
  EXPECT_EQ(std::string(room->imageFile), std::string(15, 'f'));
}

TEST_F(RoomMessagesTest, StateThreeForTheHoveredRoomHidesTheStatusAndRemovesTheRoom) {
  Grant();
  Send(kMessageRoomInfo, RoomInfoBody(1, "chess", "chess.ogi"));
  Send(kMessageRoomStatus, RoomStatusBody(1, 2, 1));
  StatusWindowShowFor(RoomOf(1), Point{100, 100});
  ASSERT_TRUE(PlatformWindowIsShown(WindowGetHandle(g_status.window)));
  Send(kMessageRoomStatus, RoomStatusBody(1, 0, 3));
  EXPECT_EQ(RoomOf(1), nullptr);
  EXPECT_EQ(g_status.hovered, nullptr);
  EXPECT_FALSE(PlatformWindowIsShown(WindowGetHandle(g_status.window)));
  // A later status for it finds nothing.
  Send(kMessageRoomStatus, RoomStatusBody(1, 2, 1));
  EXPECT_EQ(RoomListGet()->count, 0);
}

TEST_F(RoomMessagesTest, ANewPlayerCountForTheHoveredRoomRepaintsOnlyTheStatusWindow) {
  Grant();
  Send(kMessageRoomInfo, RoomInfoBody(1, "chess", "chess.ogi"));
  Send(kMessageRoomStatus, RoomStatusBody(1, 1, 1));
  StatusWindowShowFor(RoomOf(1), Point{100, 100});
  HarnessFlush();
  Rect before;
  WindowGetRect(g_status.window, &before);
  int32_t w = 0;
  int32_t h = 0;
  const std::vector<uint32_t> oneBefore = HarnessGrab(g_status.window, &w, &h);
  const std::vector<uint32_t> mapBefore = HarnessGrabPresented(g_gate.window);

  Send(kMessageRoomStatus, RoomStatusBody(1, 5, 1));
  EXPECT_EQ(RoomOf(1)->players, 5u);
  const std::vector<uint32_t> oneAfter = HarnessGrab(g_status.window, &w, &h);
  EXPECT_NE(oneBefore, oneAfter);
  Rect after;
  WindowGetRect(g_status.window, &after);
  EXPECT_EQ(std::make_pair(after.left, after.right), std::make_pair(before.left, before.right));
  // Outside the status window the lobby was not presented anew.
  const std::vector<uint32_t> mapAfter = HarnessGrabPresented(g_gate.window);
  ASSERT_EQ(mapAfter.size(), mapBefore.size());
  ASSERT_EQ(mapAfter.size(), 640u * 400u);
  size_t differ = 0;
  for (int32_t y = 0; y < 400; ++y) {
    for (int32_t x = 0; x < 640; ++x) {
      const bool underStatus = x >= 101 && x < 101 + w && y >= 101 && y < 101 + h;
      if (!underStatus) differ += mapAfter[size_t(y) * 640 + x] != mapBefore[size_t(y) * 640 + x];
    }
  }
  EXPECT_EQ(differ, 0u);
}

TEST_F(RoomMessagesTest, AHundredRoomsAtOnceAreAllTaken) {
  Grant();
  Received();
  std::vector<uint8_t> stream;
  for (uint32_t id = 1; id <= 100; ++id) {
    const std::vector<uint8_t> frame = Frame(kMessageRoomInfo, RoomInfoBody(id, "chess", "chess.ogi"));
    stream.insert(stream.end(), frame.begin(), frame.end());
  }
  ASSERT_TRUE(SendAll(peer, stream));
  ASSERT_TRUE(PumpUntil([] { return RoomListGet()->count == 100; }));
  size_t requests = 0;
  PumpUntil([&] {
    for (const PeerMessage& m : Received()) requests += m.type == kMessageGameImageRequest;
    return requests == 100;
  });
  EXPECT_EQ(requests, 100u);
}

TEST_F(RoomMessagesTest, ClosingTheLobbyTearsEverythingDownAndQuits) {
  Grant();
  Send(kMessageRoomInfo, RoomInfoBody(1, "chess", "chess.ogi"));
  Send(kMessageWelcomeText, WelcomeTextBody("hi"));
  EventSend(g_gate.window, WindowGetProc(g_gate.window), EventClose, nullptr, nullptr, 0, 0, 0, 0);
  EXPECT_EQ(ProgramQuitCount(), 1);
  EXPECT_EQ(g_gate.window, nullptr);
  EXPECT_EQ(g_status.window, nullptr);
  EXPECT_EQ(g_welcome.window, nullptr);
  EXPECT_EQ(g_welcome.text, nullptr);
  EXPECT_EQ(g_lobby.map, nullptr);
  EXPECT_EQ(g_lobby.welcomeIcon, nullptr);
  EXPECT_EQ(g_lobby.sysOp, nullptr);
  EXPECT_EQ(g_session.connection, nullptr);
  EXPECT_EQ(RoomListGet(), nullptr);
  EXPECT_EQ(g_gate.timer, nullptr);
}

}  // namespace
