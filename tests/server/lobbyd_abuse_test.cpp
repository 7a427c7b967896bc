// orva-lobbyd as a process under the abuse anyone who reaches its port can
// try without an account: floods of password hashes, guesses in parallel,
// lock-outs of other people, a store that cannot be written. Other client
// machines are other loopback addresses (127.0.0.2 and up).

#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "protocol/messages.h"
#include "tests/server/lobby_fixture.h"
#include "tests/server/lobbyd_process.h"

namespace {

std::string Interactive(std::string config) {
  config.replace(config.find("hash = \"fast\""), 13, "hash = \"interactive\"");
  return config;
}

std::string Seed(const std::string& user, const std::string& password) {
  return "[[account]]\nuser = \"" + user + "\"\npassword = \"" + password + "\"\nfull_name = \"Someone\"\n";
}

void Pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// The answer to one request from source: the message type, and the reason
// in *reason for a refusal.
uint32_t Ask(uint16_t port, const char* source, const std::string& user, const std::string& password,
             uint16_t* reason = nullptr, bool newUser = false) {
  TestClient c;
  if (!c.Connect(port, source)) return 0;
  return c.Login(user, password, newUser, reason);
}

uint16_t Reason(uint16_t port, const char* source, const std::string& user, const std::string& password) {
  uint16_t reason = 0;
  return Ask(port, source, user, password, &reason) == kMessageAccessDenied ? reason : 0;
}

// Registrations sent from 127.0.0.2 to 127.0.0.5 in turn, each connection
// closed right after its request.
void HungUpRegistrations(uint16_t port, int count, const std::string& prefix) {
  const char* sources[] = {"127.0.0.2", "127.0.0.3", "127.0.0.4", "127.0.0.5"};
  for (int i = 0; i < count; ++i) {
    TestClient c;
    ASSERT_TRUE(c.Connect(port, sources[i % 4]));
    ASSERT_TRUE(c.RequestAccess(prefix + std::to_string(i), "pass1", true));
  }
}

class LobbydAbuse : public ::testing::Test {
 protected:
  void SetUp() override { WriteTestFiles(dir_); }
  uint16_t Start(const std::string& config) {
    dir_.Write("lobby.toml", config);
    server_ = StartLobbyd(dir_);
    return ListeningPort(server_->Output());
  }
  TempDir dir_;
  std::unique_ptr<Process> server_;
};

TEST_F(LobbydAbuse, HashesOfClientsThatHungUpAreDroppedAndStoppingDoesNotWaitForThem) {
  // Caps this high leave only the dropping of abandoned hashes to keep the
  // queue short.
  const uint16_t port = Start(Interactive(ConfigText(
      "max_connections_per_address = 1000\nmax_pending_hashes = 1000\nmax_pending_hashes_per_address = 1000\n",
      Seed("real", "right1"))));
  HungUpRegistrations(port, 300, "flood");
  // Within a few hashes' time (the client's wait is 5 s), not after 300.
  TestClient real;
  ASSERT_TRUE(real.Connect(port));
  EXPECT_EQ(real.Login("real", "right1"), kMessageAccessGranted);
  EXPECT_EQ(server_->Output().find("registered user flood"), std::string::npos) << "an account was made for a client that left";

  HungUpRegistrations(port, 300, "again");
  Pause(300);  // the server has read them
  server_->Signal(SIGTERM);
  EXPECT_EQ(server_->Wait(2000), 0) << "SIGTERM waited for the queued hashes";
}

TEST_F(LobbydAbuse, HashesBeyondTheCapsAreRefusedAsFull) {
  const uint16_t port = Start(Interactive(
      ConfigText("max_pending_hashes = 3\nmax_pending_hashes_per_address = 2\nhash_workers = 1\n")));
  // Every request is sent before the first hash (tens of milliseconds) ends.
  const char* sources[] = {"127.0.0.2", "127.0.0.2", "127.0.0.2", "127.0.0.2", "127.0.0.3", "127.0.0.3"};
  std::vector<std::unique_ptr<TestClient>> clients;
  for (const char* source : sources) {
    clients.push_back(std::make_unique<TestClient>());
    ASSERT_TRUE(clients.back()->Connect(port, source));
  }
  for (size_t i = 0; i < clients.size(); ++i) ASSERT_TRUE(clients[i]->RequestAccess("cap" + std::to_string(i), "pass1", true));
  std::map<std::string, int> granted;
  int full = 0;
  for (size_t i = 0; i < clients.size(); ++i) {
    Frame f;
    ASSERT_TRUE(clients[i]->ReadSkippingEchoes(&f)) << i;
    if (f.type == kMessageAccessGranted) ++granted[sources[i]];
    if (DeniedReason(f) == 6) ++full;
  }
  EXPECT_EQ(granted["127.0.0.2"], 2) << "two per address";
  EXPECT_EQ(granted["127.0.0.3"], 1) << "three in all";
  EXPECT_EQ(full, 3);
}

TEST_F(LobbydAbuse, ParallelGuessesCannotOutrunTheLockOut) {
  const uint16_t port = Start(
      Interactive(ConfigText("lockout_failures = 5\nmax_connections_per_address = 64\n", Seed("vic", "right1"))));
  std::vector<std::unique_ptr<TestClient>> guesses;
  for (int i = 0; i < 15; ++i) {
    guesses.push_back(std::make_unique<TestClient>());
    ASSERT_TRUE(guesses.back()->Connect(port, "127.0.0.2"));
    ASSERT_TRUE(guesses.back()->RequestAccess("vic", "guess" + std::to_string(i)));
  }
  Pause(300);  // the right one comes after the wrong ones have been read
  TestClient right;
  ASSERT_TRUE(right.Connect(port, "127.0.0.2"));
  ASSERT_TRUE(right.RequestAccess("vic", "right1"));
  std::map<uint16_t, int> reasons;
  for (auto& c : guesses) {
    Frame f;
    ASSERT_TRUE(c->ReadSkippingEchoes(&f));
    ++reasons[DeniedReason(f)];
  }
  // The fifth wrong password locks and is answered like every later one.
  EXPECT_EQ(reasons[3], 4);
  EXPECT_EQ(reasons[4], 11);
  Frame f;
  ASSERT_TRUE(right.ReadSkippingEchoes(&f));
  EXPECT_EQ(DeniedReason(f), 4) << "the right password told apart";
  EXPECT_EQ(Ask(port, "127.0.0.3", "vic", "right1"), kMessageAccessGranted);
  EXPECT_EQ(server_->Output().find("locked"), server_->Output().rfind("locked")) << "the lock logged once";
}

TEST_F(LobbydAbuse, ALockOutHoldsForOneAddressAndLiftsAfterItsTime) {
  // Each wait is 300 ms past the time it waits for, and at least 1.7 s
  // before the time it must come before.
  const uint16_t port = Start(ConfigText("lockout_failures = 3\nlockout_s = 2\n", Seed("bea", "right1")));
  const char* guesser = "127.0.0.2";
  auto threeWrong = [&] {
    std::vector<uint16_t> got;
    for (int i = 0; i < 3; ++i) got.push_back(Reason(port, guesser, "bea", "wrong"));
    return got;
  };
  EXPECT_EQ(threeWrong(), (std::vector<uint16_t>{3, 3, 4}));
  EXPECT_EQ(Reason(port, guesser, "bea", "right1"), 4);
  EXPECT_EQ(Ask(port, "127.0.0.3", "bea", "right1"), kMessageAccessGranted) << "the owner elsewhere gets in";

  Pause(2300);
  // The lock has run out; the next one lasts twice as long.
  EXPECT_EQ(threeWrong(), (std::vector<uint16_t>{3, 3, 4}));
  Pause(2300);
  EXPECT_EQ(Reason(port, guesser, "bea", "right1"), 4) << "the second lock lasts 4 s";
  Pause(2000);
  EXPECT_EQ(Ask(port, guesser, "bea", "right1"), kMessageAccessGranted);

  // The administrator's lock holds until unlocked; unlocking clears every
  // count.
  EXPECT_EQ(Reason(port, guesser, "bea", "wrong"), 3);
  EXPECT_EQ(Reason(port, guesser, "bea", "wrong"), 3);
  std::string out;
  EXPECT_EQ(RunLobbyctl(dir_, {"lock", "bea"}, &out), 0) << out;
  Pause(2300);
  EXPECT_EQ(Reason(port, "127.0.0.3", "bea", "right1"), 4);
  EXPECT_EQ(RunLobbyctl(dir_, {"unlock", "bea"}, &out), 0) << out;
  EXPECT_EQ(Reason(port, guesser, "bea", "wrong"), 3) << "the count starts again after the unlock";
  EXPECT_EQ(Ask(port, "127.0.0.3", "bea", "right1"), kMessageAccessGranted);
}

TEST_F(LobbydAbuse, ManySourcesTogetherLockTheAccountForAWhile) {
  const uint16_t port = Start(
      ConfigText("lockout_failures = 3\naccount_lockout_failures = 4\nlockout_s = 1\n", Seed("cid", "right1")));
  EXPECT_EQ(Reason(port, "127.0.0.2", "cid", "wrong"), 3);
  EXPECT_EQ(Reason(port, "127.0.0.2", "cid", "wrong"), 3);
  EXPECT_EQ(Reason(port, "127.0.0.3", "cid", "wrong"), 3);
  EXPECT_EQ(Reason(port, "127.0.0.4", "cid", "wrong"), 4) << "the fourth in all";
  EXPECT_EQ(Reason(port, "127.0.0.5", "cid", "right1"), 4) << "the account itself is locked";
  Pause(1300);
  EXPECT_EQ(Ask(port, "127.0.0.5", "cid", "right1"), kMessageAccessGranted);
}

TEST_F(LobbydAbuse, AStoreThatCannotBeWrittenRefusesAndIsFoundAtStart) {
  const uint16_t port = Start(ConfigText("", Seed("dee", "right1")));
  {
    // Another process holds the database's write lock: a wrong password
    // cannot be counted, so it is refused as "try again later".
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(dir_.File("state/accounts.db").c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    EXPECT_EQ(Reason(port, "127.0.0.2", "dee", "wrong"), 6);
    EXPECT_TRUE(server_->WaitForOutput("cannot be counted")) << server_->Output();
    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(db);
  }
  EXPECT_EQ(Reason(port, "127.0.0.2", "dee", "wrong"), 3);
  server_->Signal(SIGTERM);
  ASSERT_EQ(server_->Wait(), 0);

  // A database the server may not write (run unprivileged when the test
  // runs as root) is found before anything listens.
  ASSERT_EQ(chmod(dir_.Path().c_str(), 0755), 0);
  ASSERT_EQ(chmod(dir_.File("state").c_str(), 0777), 0);
  ASSERT_EQ(chmod(dir_.File("state/accounts.db").c_str(), 0444), 0);
  Process readOnly({ORVA_LOBBYD, "--config", dir_.File("lobby.toml")}, {0, true});
  EXPECT_EQ(readOnly.Wait(), 2) << readOnly.Output();
  EXPECT_NE(readOnly.Output().find("accounts.db cannot be written"), std::string::npos) << readOnly.Output();
}

}  // namespace
