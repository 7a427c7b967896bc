// Three orva-lobbyd processes on one PostgreSQL database: accounts made on
// one are used on another, a user who moves closes the older session,
// orva-lobbyctl on any server reaches the clients of all, a server killed
// outright is cleared with its users, and the rooms outlive a restart.

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <array>
#include <string>

#include "core/byte_reader.h"
#include "protocol/messages.h"
#include "tests/server/lobby_fixture.h"
#include "tests/server/lobbyd_process.h"
#include "tests/server/store_param.h"

namespace {

class LobbydCluster : public ::testing::Test {
 protected:
  void SetUp() override {
    pg_ = std::make_unique<PgTestDatabase>();
    if (pg_->Broken()) FAIL() << pg_->SkipReason();
    if (pg_->Url().empty()) GTEST_SKIP() << pg_->SkipReason();
    for (size_t i = 0; i < dirs_.size(); ++i) {
      WriteTestFiles(dirs_[i]);
      std::string text = ConfigText("name = \"s" + std::to_string(i + 1) + "\"\nlease_s = 2");
      const std::string hash = "hash = \"fast\"\n";
      text.insert(text.find(hash) + hash.size(), "store = \"postgresql\"\nurl = \"" + pg_->Url() + "\"\n");
      dirs_[i].Write("lobby.toml", text);
    }
  }
  void Start(size_t i) {
    servers_[i] = StartLobbyd(dirs_[i]);
    ports_[i] = ListeningPort(servers_[i]->Output());
    ASSERT_NE(ports_[i], 0) << servers_[i]->Output();
  }
  std::string Ctl(size_t i, const std::vector<std::string>& words) {
    std::string out;
    EXPECT_EQ(RunLobbyctl(dirs_[i], words, &out), 0) << out;
    return out;
  }
  // The next frame of type, skipping the others.
  static bool Next(TestClient& c, uint32_t type, Frame* f) {
    while (c.ReadSkippingEchoes(f)) {
      if (f->type == type) return true;
    }
    return false;
  }
  static std::string Text(const Frame& f) { return std::string(f.body.begin(), f.body.end()); }

  std::unique_ptr<PgTestDatabase> pg_;
  std::array<TempDir, 3> dirs_;
  std::array<std::unique_ptr<Process>, 3> servers_;
  std::array<uint16_t, 3> ports_{};
};

TEST_F(LobbydCluster, ThreeServersShareUsersRoomsAndTheAdministrator) {
  for (size_t i = 0; i < 3; ++i) ASSERT_NO_FATAL_FAILURE(Start(i));
  TestClient first, watch2, watch3;
  ASSERT_TRUE(first.Connect(ports_[0]));
  ASSERT_TRUE(first.Admitted("mover", "pass1", true));
  ASSERT_TRUE(watch2.Connect(ports_[1]));
  ASSERT_TRUE(watch2.Admitted("watchtwo", "pass1", true));
  ASSERT_TRUE(watch3.Connect(ports_[2]));
  ASSERT_TRUE(watch3.Admitted("watchthree", "pass1", true));

  // Registered on s1, logged in on s2: the session on s1 is told and closed.
  TestClient moved;
  ASSERT_TRUE(moved.Connect(ports_[1]));
  ASSERT_TRUE(moved.Admitted("MOVER", "pass1"));
  Frame f;
  ASSERT_TRUE(Next(first, kMessageServerAlert, &f));
  EXPECT_NE(Text(f).find("You have been logged in from another place."), std::string::npos);
  EXPECT_TRUE(first.WaitClosed());
  // A name taken on one server is taken on all.
  TestClient taken;
  ASSERT_TRUE(taken.Connect(ports_[2]));
  uint16_t reason = 0;
  EXPECT_EQ(taken.Login("Mover", "pass2", true, &reason), kMessageAccessDenied);
  EXPECT_EQ(reason, 5);

  const std::string users = Ctl(2, {"users"});
  EXPECT_EQ(users.rfind("ok: 3 online\n", 0), 0u) << users;
  for (const char* line : {"mover\t", "watchtwo\t", "watchthree\t"}) EXPECT_NE(users.find(line), std::string::npos) << users;
  EXPECT_NE(users.find("s\ts2\n"), std::string::npos) << users;
  EXPECT_NE(users.find("s\ts3\n"), std::string::npos) << users;

  // A room change and an alert through s1 reach the clients of s2 and s3.
  EXPECT_EQ(Ctl(0, {"room", "1", "players", "7"}), "ok\n");
  EXPECT_EQ(Ctl(0, {"alert", "Maintenance at noon"}), "ok: sent to 3 users\n");
  for (TestClient* c : {&watch2, &watch3, &moved}) {
    ASSERT_TRUE(Next(*c, kMessageRoomStatus, &f));
    EXPECT_EQ(LoadBe32(f.body.data()), 1u);
    EXPECT_EQ(LoadBe32(f.body.data() + 4), 7u);
    ASSERT_TRUE(Next(*c, kMessageServerAlert, &f));
    EXPECT_NE(Text(f).find("Maintenance at noon"), std::string::npos);
  }
  // A kick through s2 of a user on s3.
  EXPECT_EQ(Ctl(1, {"kick", "watchthree"}), "ok\n");
  ASSERT_TRUE(Next(watch3, kMessageServerAlert, &f));
  EXPECT_NE(Text(f).find("disconnected by the system administrator"), std::string::npos);
  EXPECT_TRUE(watch3.WaitClosed());

  // The same name registered on two servers at once: one admission, one
  // reason 5.
  for (int round = 0; round < 5; ++round) {
    const std::string name = "twin" + std::to_string(round);
    TestClient a, b;
    ASSERT_TRUE(a.Connect(ports_[0]));
    ASSERT_TRUE(b.Connect(ports_[1]));
    ASSERT_TRUE(a.RequestAccess(name, "pass1", true));
    ASSERT_TRUE(b.RequestAccess(name, "pass1", true));
    Frame fa, fb;
    ASSERT_TRUE(a.ReadSkippingEchoes(&fa));
    ASSERT_TRUE(b.ReadSkippingEchoes(&fb));
    const bool aIn = fa.type == kMessageAccessGranted, bIn = fb.type == kMessageAccessGranted;
    EXPECT_NE(aIn, bIn) << name;
    EXPECT_EQ(DeniedReason(aIn ? fb : fa), 5) << name;
  }

  // s3 killed outright with a user on it: cleared within its lease.
  TestClient victim;
  ASSERT_TRUE(victim.Connect(ports_[2])) << servers_[2]->Output();
  ASSERT_TRUE(victim.Admitted("victim", "pass1", true)) << servers_[2]->Output();
  EXPECT_NE(Ctl(0, {"users"}).find("victim\t"), std::string::npos);
  servers_[2]->Signal(SIGKILL);
  servers_[2]->Wait();
  bool cleared = false;
  for (int i = 0; i < 100 && !cleared; ++i) {
    cleared = Ctl(0, {"users"}).find("victim\t") == std::string::npos;
    if (!cleared) usleep(100000);
  }
  EXPECT_TRUE(cleared) << Ctl(0, {"users"});

  // The room's count outlives a restart of every server.
  EXPECT_EQ(Ctl(1, {"room", "1", "full"}), "ok\n");
  for (size_t i = 0; i < 2; ++i) {
    servers_[i]->Signal(SIGTERM);
    EXPECT_EQ(servers_[i]->Wait(), 0);
  }
  ASSERT_NO_FATAL_FAILURE(Start(0));
  TestClient back;
  ASSERT_TRUE(back.Connect(ports_[0]));
  ASSERT_TRUE(back.RequestAccess("victim", "pass1"));
  ASSERT_TRUE(Next(back, kMessageRoomStatus, &f));
  EXPECT_EQ(LoadBe32(f.body.data() + 4), 7u);
  EXPECT_EQ(LoadBe16(f.body.data() + 8), static_cast<uint16_t>(RoomState::kFull));
}

}  // namespace
