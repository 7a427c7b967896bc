// The account store's calls run beside the event loop: a database that
// holds them up delays log-ins alone (refused with reason 6 after the
// store's time-out), and a database connection that was cut is made again
// at the next call.

#include <gtest/gtest.h>
#include <libpq-fe.h>
#include <unistd.h>

#include "protocol/messages.h"
#include "tests/server/lobby_fixture.h"
#include "tests/server/store_param.h"

namespace {

class SlowStore : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteTestFiles(dir_);
    config_ = TestConfig(dir_);
    config_.storeTimeoutS = 1;
    USE_STORE(StoreKind::kPostgresql, &config_, pg_);
    lobby_ = std::make_unique<TestLobby>(config_);
    ASSERT_TRUE(lobby_->Started());
  }
  TempDir dir_;
  ServerConfig config_;
  std::unique_ptr<PgTestDatabase> pg_;
  std::unique_ptr<TestLobby> lobby_;
};

TEST_F(SlowStore, AHeldUpDatabaseDelaysOnlyTheLogInsAndTheyAreRefusedAsFull) {
  TestClient admitted;
  ASSERT_TRUE(admitted.Connect(lobby_->Port()));
  ASSERT_TRUE(admitted.Admitted("olga", "pass1", true));

  // Another session holds the accounts table: every account call waits.
  PGconn* holder = PQconnectdb(pg_->Url().c_str());
  ASSERT_EQ(PQstatus(holder), CONNECTION_OK);
  PQclear(PQexec(holder, "BEGIN"));
  PGresult* locked = PQexec(holder, "LOCK TABLE accounts IN ACCESS EXCLUSIVE MODE");
  ASSERT_EQ(PQresultStatus(locked), PGRES_COMMAND_OK);
  PQclear(locked);

  TestClient waiting;
  ASSERT_TRUE(waiting.Connect(lobby_->Port()));
  ASSERT_TRUE(waiting.RequestAccess("olga", "pass1"));
  // Meanwhile the admitted client's echo and the admin socket are answered.
  ASSERT_TRUE(admitted.Send(kMessageEcho, {}));
  Frame f;
  ASSERT_TRUE(admitted.Read(&f, 3000));
  EXPECT_EQ(f.type, kMessageEcho);
  EXPECT_EQ(lobby_->Admin({"users"}).rfind("ok: 1 online", 0), 0u);
  ASSERT_TRUE(waiting.Read(&f, 5000));
  EXPECT_EQ(f.type, kMessageAccessDenied);
  EXPECT_EQ(DeniedReason(f), 6);

  PQclear(PQexec(holder, "COMMIT"));
  PQfinish(holder);
  TestClient after;
  ASSERT_TRUE(after.Connect(lobby_->Port()));
  EXPECT_TRUE(after.Admitted("olga", "pass1"));
}

TEST_F(SlowStore, ConnectionsCutByTheDatabaseAreMadeAgain) {
  {
    TestClient c;
    ASSERT_TRUE(c.Connect(lobby_->Port()));
    ASSERT_TRUE(c.Admitted("pavel", "pass1", true));
  }
  // What a database restart does to the server's connections.
  std::string error;
  pg_->Query("SELECT count(pg_terminate_backend(pid)) FROM pg_stat_activity "
             "WHERE datname = current_database() AND pid <> pg_backend_pid()",
             &error);
  ASSERT_EQ(error, "");
  // Every kind of call, each on whichever store connection takes it.
  for (int i = 0; i < 3; ++i) {
    TestClient c;
    ASSERT_TRUE(c.Connect(lobby_->Port()));
    EXPECT_TRUE(c.Admitted("pavel", "pass1")) << i;
    TestClient r;
    ASSERT_TRUE(r.Connect(lobby_->Port()));
    EXPECT_TRUE(r.Admitted("newcomer" + std::to_string(i), "pass1", true)) << i;
  }
  EXPECT_EQ(lobby_->Admin({"lock", "pavel"}), "ok\n");
}

// Two servers on the database whose connections are all cut: the shared
// state listens again and writes its users again, and a user moving
// between them still closes the older session.
TEST_F(SlowStore, SharedStateListensAgainAfterItsConnectionWasCut) {
  TempDir otherDir;
  WriteTestFiles(otherDir);
  ServerConfig other = TestConfig(otherDir);
  other.store = StoreKind::kPostgresql;
  other.databaseUrl = pg_->Url();
  other.serverName = "other";
  TestLobby second(other);
  ASSERT_TRUE(second.Started());
  {
    TestClient c;
    ASSERT_TRUE(c.Connect(lobby_->Port()));
    ASSERT_TRUE(c.Admitted("quinn", "pass1", true));
  }
  // A user who stays through the cut, whose presence was lost meanwhile
  // (as a write while the database was away would be).
  TestClient stays;
  ASSERT_TRUE(stays.Connect(lobby_->Port()));
  ASSERT_TRUE(stays.Admitted("rita", "pass1", true));
  std::string error;
  pg_->Query("DELETE FROM presence", &error);
  pg_->Query("SELECT count(pg_terminate_backend(pid)) FROM pg_stat_activity "
             "WHERE datname = current_database() AND pid <> pg_backend_pid()",
             &error);
  ASSERT_EQ(error, "");
  // The cut is noticed, the connection made again within a moment, and the
  // server's users written again.
  std::string users;
  for (int i = 0; i < 50 && users.rfind("ok: 1 online\nrita\t", 0) != 0; ++i) {
    users = second.Admin({"users"});
    if (users.rfind("ok: 1 online\nrita\t", 0) != 0) usleep(100000);
  }
  ASSERT_EQ(users.rfind("ok: 1 online\nrita\t", 0), 0u) << users;
  TestClient first;
  ASSERT_TRUE(first.Connect(lobby_->Port()));
  ASSERT_TRUE(first.Admitted("quinn", "pass1"));
  TestClient moved;
  ASSERT_TRUE(moved.Connect(second.Port()));
  ASSERT_TRUE(moved.Admitted("quinn", "pass1"));
  Frame f;
  ASSERT_TRUE(first.ReadSkippingEchoes(&f));
  EXPECT_EQ(f.type, kMessageServerAlert);
  EXPECT_TRUE(first.WaitClosed());
  const std::string after = second.Admin({"users"});
  EXPECT_EQ(after.rfind("ok: 2 online\nquinn\t", 0), 0u) << after;
}

}  // namespace
