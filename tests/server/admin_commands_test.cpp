// orva-lobbyctl's commands through the admin socket, each seen by a
// connected client.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>

#include "core/byte_reader.h"
#include "protocol/messages.h"
#include "tests/server/lobby_fixture.h"
#include "tests/server/store_param.h"

namespace {

class AdminCommands : public ::testing::TestWithParam<StoreKind> {
 protected:
  void SetUp() override {
    WriteTestFiles(dir_);
    config_ = TestConfig(dir_);
    USE_STORE(GetParam(), &config_, pg_);
    lobby_ = std::make_unique<TestLobby>(config_);
    ASSERT_TRUE(lobby_->Started());
    ASSERT_TRUE(client_.Connect(lobby_->Port()));
    ASSERT_TRUE(client_.Admitted("watcher", "pass1", true));
  }
  Frame Next() {
    Frame f;
    EXPECT_TRUE(client_.ReadSkippingEchoes(&f));
    return f;
  }
  // The RoomStatus of a room: id, players, state.
  static std::tuple<uint32_t, uint32_t, uint16_t> Status(const Frame& f) {
    if (f.type != kMessageRoomStatus || f.body.size() != 10) return {0, 0, 0};
    return {LoadBe32(f.body.data()), LoadBe32(f.body.data() + 4), LoadBe16(f.body.data() + 8)};
  }
  TempDir dir_;
  ServerConfig config_;
  std::unique_ptr<PgTestDatabase> pg_;
  std::unique_ptr<TestLobby> lobby_;
  TestClient client_;
};

INSTANTIATE_TEST_SUITE_P(BothStores, AdminCommands, BOTH_STORES);

TEST_P(AdminCommands, TheSocketIsTheOwnersAlone) {
  struct stat st;
  ASSERT_EQ(stat(ConfigAdminSocketPath(config_).c_str(), &st), 0);
  EXPECT_TRUE(S_ISSOCK(st.st_mode));
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_P(AdminCommands, AlertReachesEveryAdmittedClient) {
  EXPECT_EQ(lobby_->Admin({"alert", "Maintenance at noon.\nBack soon."}), "ok: sent to 1 users\n");
  const Frame f = Next();
  ASSERT_EQ(f.type, kMessageServerAlert);
  const std::string expected = std::string("\0\0Maintenance at noon.\nBack soon.", 33) + '\0';
  EXPECT_EQ(std::string(f.body.begin(), f.body.end()), expected);
}

TEST_P(AdminCommands, RoomStatesAndPlayersAreBroadcast) {
  EXPECT_EQ(lobby_->Admin({"room", "1", "players", "12"}), "ok\n");
  EXPECT_EQ(Status(Next()), std::make_tuple(1u, 12u, uint16_t{1}));
  EXPECT_EQ(lobby_->Admin({"room", "1", "full"}), "ok\n");
  EXPECT_EQ(Status(Next()), std::make_tuple(1u, 12u, uint16_t{2}));
  EXPECT_EQ(lobby_->Admin({"room", "1", "close"}), "ok\n");
  EXPECT_EQ(Status(Next()), std::make_tuple(1u, 12u, uint16_t{3}));

  // Reopening the closed room 2 announces it again, info first.
  EXPECT_EQ(lobby_->Admin({"room", "2", "open"}), "ok\n");
  Frame info = Next();
  ASSERT_EQ(info.type, kMessageRoomInfo);
  EXPECT_EQ(LoadBe32(info.body.data()), 2u);
  EXPECT_EQ(Status(Next()), std::make_tuple(2u, 0u, uint16_t{1}));

  // A newcomer sees rooms 2 and 9 only.
  TestClient late;
  ASSERT_TRUE(late.Connect(lobby_->Port()));
  ASSERT_EQ(late.Login("late", "pass1", true), kMessageAccessGranted);
  std::vector<uint32_t> announced;
  Frame f;
  while (late.ReadSkippingEchoes(&f) && f.type != kMessageWelcomeText) {
    if (f.type == kMessageRoomInfo) announced.push_back(LoadBe32(f.body.data()));
  }
  EXPECT_EQ(announced, (std::vector<uint32_t>{2, 9}));

  for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{
           {"room", "5", "open"}, {"room", "x", "open"}, {"room", "1", "ajar"}, {"room", "1", "players", "-1"},
           {"dance"}, {}}) {
    EXPECT_EQ(lobby_->Admin(bad).rfind("error:", 0), 0u);
  }
}

TEST_P(AdminCommands, UsersLockUnlockAndKick) {
  const std::string users = lobby_->Admin({"users"});
  EXPECT_EQ(users.rfind("ok: 1 online\nwatcher\t127.0.0.1:", 0), 0u) << users;

  EXPECT_EQ(lobby_->Admin({"lock", "watcher"}), "ok\n");
  TestClient other;
  ASSERT_TRUE(other.Connect(lobby_->Port()));
  uint16_t reason = 0;
  EXPECT_EQ(other.Login("watcher", "pass1", false, &reason), kMessageAccessDenied);
  EXPECT_EQ(reason, 4);
  EXPECT_EQ(lobby_->Admin({"unlock", "watcher"}), "ok\n");
  EXPECT_EQ(lobby_->Admin({"lock", "nobody"}), "error: no user nobody\n");

  EXPECT_EQ(lobby_->Admin({"kick", "WATCHER"}), "ok\n");
  const Frame f = Next();
  EXPECT_EQ(f.type, kMessageServerAlert);
  EXPECT_TRUE(client_.WaitClosed());
  EXPECT_EQ(lobby_->Admin({"users"}), "ok: 0 online\n");
  EXPECT_EQ(lobby_->Admin({"kick", "watcher"}), "error: watcher is not online\n");
}

}  // namespace
