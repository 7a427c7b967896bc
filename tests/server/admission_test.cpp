// Admission against the real server: the exact messages and their order,
// every refusal, registration rules, lock-out, the full lobby, the older
// session, the disclaimer and building set answers.

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <thread>

#include "core/byte_reader.h"
#include "protocol/messages.h"
#include "tests/server/lobby_fixture.h"
#include "tests/server/store_param.h"
#include "tests/server/store_query.h"

namespace {

std::vector<uint8_t> Be32(uint32_t v) {
  return {static_cast<uint8_t>(v >> 24), static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 8),
          static_cast<uint8_t>(v)};
}

std::vector<uint8_t> Cat(std::initializer_list<std::vector<uint8_t>> parts) {
  std::vector<uint8_t> out;
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

std::vector<uint8_t> Text(const std::string& s, size_t field) {
  std::vector<uint8_t> out(field, 0);
  std::memcpy(out.data(), s.data(), s.size());
  return out;
}

std::vector<uint8_t> RoomInfoBytes(uint32_t id, uint32_t address, uint16_t port, const std::string& name,
                                   const std::string& file, uint32_t version) {
  return Cat({Be32(id), Be32(address), {static_cast<uint8_t>(port >> 8), static_cast<uint8_t>(port), 0, 0},
              Text(name, 32), Text(file, 16), Be32(version)});
}

std::vector<uint8_t> RoomStatusBytes(uint32_t id, uint32_t players, uint16_t state) {
  return Cat({Be32(id), Be32(players), {0, static_cast<uint8_t>(state)}});
}

class Admission : public ::testing::TestWithParam<StoreKind> {
 protected:
  void SetUp() override {
    WriteTestFiles(dir_);
    config_ = TestConfig(dir_);
    USE_STORE(GetParam(), &config_, pg_);
  }
  void StartLobby() {
    lobby_ = std::make_unique<TestLobby>(config_);
    ASSERT_TRUE(lobby_->Started());
  }
  TempDir dir_;
  ServerConfig config_;
  std::unique_ptr<PgTestDatabase> pg_;
  std::unique_ptr<TestLobby> lobby_;
};

INSTANTIATE_TEST_SUITE_P(BothStores, Admission, BOTH_STORES);

TEST_P(Admission, RegistrationIsAnsweredWithTheWholeLobbyInOrder) {
  StartLobby();
  TestClient c;
  ASSERT_TRUE(c.Connect(lobby_->Port()));
  ASSERT_TRUE(c.RequestAccess("alice", "secret1", true));
  const std::vector<std::pair<uint32_t, std::vector<uint8_t>>> expected = {
      {kMessageAccessGranted, Cat({Be32(0), Be32(kNewestClientVersion), Be32(kDisclaimerVersion)})},
      {kMessageRoomInfo, RoomInfoBytes(1, 0x7F000001u, 2101, "chess", "chess.ogi", 3)},
      {kMessageRoomStatus, RoomStatusBytes(1, 4, 1)},
      // Room 2 is closed: not announced.
      {kMessageRoomInfo, RoomInfoBytes(9, 0xC0A80101u, 2109, "go", "go.ogi", 2)},
      {kMessageRoomStatus, RoomStatusBytes(9, 2, 2)},
      {kMessageWelcomeText, Cat({{0, 0, 0, 0}, Text(kWelcomeText, std::strlen(kWelcomeText) + 1)})},
  };
  for (const auto& [type, body] : expected) {
    Frame f;
    ASSERT_TRUE(c.Read(&f)) << MessageName(type);
    EXPECT_EQ(f.type, type);
    EXPECT_EQ(f.body, body) << MessageName(type);
  }
  // A log-in afterwards, with the name in another letter case, gets the same.
  TestClient again;
  ASSERT_TRUE(again.Connect(lobby_->Port()));
  EXPECT_TRUE(again.Admitted("ALICE", "secret1"));
}

TEST_P(Admission, DisclaimerAndBuildingSetsAreAnsweredByteForByte) {
  StartLobby();
  TestClient c;
  ASSERT_TRUE(c.Connect(lobby_->Port()));
  ASSERT_TRUE(c.Admitted("bob", "pass", true));

  ASSERT_TRUE(c.Send(kMessageDisclaimerRequest, {}));
  Frame f;
  ASSERT_TRUE(c.ReadSkippingEchoes(&f));
  EXPECT_EQ(f.type, kMessageDisclaimer);
  EXPECT_EQ(f.body, Cat({Be32(kDisclaimerVersion), Be32(0), Text(kDisclaimerText, std::strlen(kDisclaimerText) + 1)}));

  // An unknown room is ignored: the next answer is the one for room 9.
  ASSERT_TRUE(c.Send(kMessageGameImageRequest, Be32(77)));
  ASSERT_TRUE(c.Send(kMessageGameImageRequest, Be32(9)));
  ASSERT_TRUE(c.ReadSkippingEchoes(&f));
  EXPECT_EQ(f.type, kMessageGameImage);
  EXPECT_EQ(f.body, Cat({Be32(9), TestSet(300, 200, 400, 300, 3)}));
  ASSERT_TRUE(c.Send(kMessageGameImageRequest, Be32(1)));
  ASSERT_TRUE(c.ReadSkippingEchoes(&f));
  EXPECT_EQ(f.body, Cat({Be32(1), TestSet(10, 20, 110, 120, 40)}));
}

TEST_P(Admission, EveryRefusalReason) {
  config_.minRequestVersion = 1;
  config_.maxPlayers = 2;
  StartLobby();
  TestClient first, second;
  ASSERT_TRUE(first.Connect(lobby_->Port()));
  ASSERT_TRUE(first.Admitted("carol", "pass1", true));

  struct Case {
    const char* what;
    const char* name;
    const char* password;
    bool newUser;
    uint16_t reason;
  };
  const Case cases[] = {
      {"unknown user", "nobody", "pass1", false, 2},
      {"wrong password", "carol", "wrong", false, 3},
      {"name taken in another case", "CAROL", "pass2", true, 5},
  };
  for (const Case& k : cases) {
    TestClient c;
    ASSERT_TRUE(c.Connect(lobby_->Port()));
    uint16_t reason = 0;
    EXPECT_EQ(c.Login(k.name, k.password, k.newUser, &reason), kMessageAccessDenied) << k.what;
    EXPECT_EQ(reason, k.reason) << k.what;
    EXPECT_TRUE(c.WaitClosed()) << k.what;
  }

  // Full at max_players: the second user gets in, a third is refused, and a
  // registration is refused before any account is made.
  ASSERT_TRUE(second.Connect(lobby_->Port()));
  ASSERT_TRUE(second.Admitted("dave", "pass1", true));
  TestClient third;
  ASSERT_TRUE(third.Connect(lobby_->Port()));
  uint16_t reason = 0;
  EXPECT_EQ(third.Login("erin", "pass1", true, &reason), kMessageAccessDenied);
  EXPECT_EQ(reason, 6);
  // A user already online replaces the older session instead of counting twice.
  TestClient carolAgain;
  ASSERT_TRUE(carolAgain.Connect(lobby_->Port()));
  EXPECT_TRUE(carolAgain.Admitted("carol", "pass1"));
  Frame f;
  ASSERT_TRUE(first.ReadSkippingEchoes(&f));
  EXPECT_EQ(f.type, kMessageServerAlert);
  EXPECT_TRUE(first.WaitClosed());
  EXPECT_NE(lobby_->Admin({"users"}).find("carol"), std::string::npos);

  TestClient unknownAfterFull;
  ASSERT_TRUE(unknownAfterFull.Connect(lobby_->Port()));
  EXPECT_EQ(unknownAfterFull.Login("erin", "pass1", false, &reason), kMessageAccessDenied);
  EXPECT_EQ(reason, 2) << "the refused registration left no account";
}

TEST_P(Admission, AnOldClientVersionIsRefusedWithReasonOne) {
  config_.minRequestVersion = 2;
  StartLobby();
  TestClient c;
  ASSERT_TRUE(c.Connect(lobby_->Port()));
  uint16_t reason = 0;
  EXPECT_EQ(c.Login("frank", "pass1", true, &reason), kMessageAccessDenied);
  EXPECT_EQ(reason, 1);
}

// The limit's own failure is answered like every one after it, so the
// answers never tell whether the limit was reached by a wrong guess.
TEST_P(Admission, WrongPasswordsLockTheirAddressOutUntilUnlocked) {
  config_.lockoutFailures = 3;
  StartLobby();
  {
    TestClient c;
    ASSERT_TRUE(c.Connect(lobby_->Port()));
    ASSERT_TRUE(c.Admitted("gina", "right1", true));
  }
  const uint16_t expected[] = {3, 3, 4, 4, 4};
  for (uint16_t want : expected) {
    TestClient c;
    ASSERT_TRUE(c.Connect(lobby_->Port()));
    uint16_t reason = 0;
    EXPECT_EQ(c.Login("gina", "wrong", false, &reason), kMessageAccessDenied);
    EXPECT_EQ(reason, want);
  }
  TestClient locked;
  ASSERT_TRUE(locked.Connect(lobby_->Port()));
  uint16_t reason = 0;
  EXPECT_EQ(locked.Login("gina", "right1", false, &reason), kMessageAccessDenied);
  EXPECT_EQ(reason, 4) << "even the right password";

  EXPECT_EQ(lobby_->Admin({"unlock", "gina"}), "ok\n");
  TestClient back;
  ASSERT_TRUE(back.Connect(lobby_->Port()));
  EXPECT_TRUE(back.Admitted("gina", "right1"));
  // The count starts again after the unlock: two more wrong ones do not lock.
  for (int i = 0; i < 2; ++i) {
    TestClient c;
    ASSERT_TRUE(c.Connect(lobby_->Port()));
    EXPECT_EQ(c.Login("gina", "wrong", false, &reason), kMessageAccessDenied);
    EXPECT_EQ(reason, 3);
  }
}

// Wrong passwords from ever new addresses do not fill the store: a counted
// one has the counts quiet for a day deleted, on the store's worker.
TEST_P(Admission, AWrongPasswordHasCountsQuietForADayDeleted) {
  StartLobby();
  {
    TestClient c;
    ASSERT_TRUE(c.Connect(lobby_->Port()));
    ASSERT_TRUE(c.Admitted("hugo", "right1", true));
  }
  {
    std::string error;
    std::unique_ptr<AccountStore> store = AccountStoreOpen(config_, &error);
    ASSERT_TRUE(store) << error;
    const LockoutRules rules{{5, 60000, true}, {50, 60000, false}};
    LockoutOutcome outcome;
    for (int i = 0; i < 20; ++i) {
      ASSERT_EQ(store->LockoutFailure("hugo", "10.9.0." + std::to_string(i), LockoutNowMs() - 2 * kLockoutMaxMs,
                                      rules, &outcome),
                StoreResult::kOk);
    }
  }
  auto rows = [&] { return StoreQuery(config_, pg_.get(), "SELECT count(*) FROM lockouts"); };
  ASSERT_EQ(rows(), "21");
  TestClient c;
  ASSERT_TRUE(c.Connect(lobby_->Port()));
  uint16_t reason = 0;
  EXPECT_EQ(c.Login("hugo", "wrong", false, &reason), kMessageAccessDenied);
  EXPECT_EQ(reason, 3);
  // This address's count and the account's, both fresh, are what is left.
  for (int i = 0; i < 100 && rows() != "2"; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(rows(), "2");
}

TEST_P(Admission, InvalidRegistrationDataClosesTheConnectionUnanswered) {
  StartLobby();
  struct Case {
    const char* what;
    std::string name, password, fullName;
  };
  const Case cases[] = {
      {"name with an underscore", "bad_name", "pass1", "Full"},
      {"short password", "henry", "abc", "Full"},
      {"password byte above 127", "henry", "p\xC3\xA4ss", "Full"},
      {"empty full name", "henry", "pass1", ""},
      {"empty name", "", "pass1", "Full"},
  };
  for (const Case& k : cases) {
    TestClient c;
    ASSERT_TRUE(c.Connect(lobby_->Port()));
    ASSERT_TRUE(c.RequestAccess(k.name, k.password, true, k.fullName));
    Frame f;
    EXPECT_FALSE(c.Read(&f, 3000)) << k.what << ": got message " << f.type;
  }
  TestClient c;
  ASSERT_TRUE(c.Connect(lobby_->Port()));
  uint16_t reason = 0;
  EXPECT_EQ(c.Login("henry", "pass1", false, &reason), kMessageAccessDenied);
  EXPECT_EQ(reason, 2);
}

TEST_P(Admission, AccountsSurviveARestartAndTheDatabaseHoldsNoPassword) {
  const std::string password = "Zq7unique";
  StartLobby();
  {
    TestClient c;
    ASSERT_TRUE(c.Connect(lobby_->Port()));
    ASSERT_TRUE(c.Admitted("ivy", password, true));
  }
  lobby_.reset();
  if (pg_) {
    const std::string stored = pg_->Query("SELECT name || ' ' || password_hash FROM accounts");
    EXPECT_EQ(stored.rfind("ivy $argon2id$", 0), 0u) << stored;
    EXPECT_EQ(stored.find(password), std::string::npos);
  }
  for (const char* file : {"state/accounts.db", "state/accounts.db-wal"}) {
    std::FILE* f = std::fopen(dir_.File(file).c_str(), "rb");
    if (!f) continue;
    std::string bytes;
    char chunk[4096];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) bytes.append(chunk, n);
    std::fclose(f);
    EXPECT_NE(bytes.find("ivy"), std::string::npos) << file;
    EXPECT_EQ(bytes.find(password), std::string::npos) << file;
    if (std::string(file) == "state/accounts.db") {
      EXPECT_NE(bytes.find("$argon2id$"), std::string::npos);
    }
  }
  StartLobby();
  TestClient c;
  ASSERT_TRUE(c.Connect(lobby_->Port()));
  EXPECT_TRUE(c.Admitted("ivy", password));
}

TEST_P(Admission, EchoesComeEveryIntervalAndASilentClientIsDropped) {
  config_.echoIntervalS = 0.2;
  config_.echoTimeoutS = 0.4;
  StartLobby();
  TestClient answering, silent;
  ASSERT_TRUE(answering.Connect(lobby_->Port()));
  ASSERT_TRUE(answering.Admitted("jack", "pass1", true));
  ASSERT_TRUE(silent.Connect(lobby_->Port()));
  ASSERT_TRUE(silent.Admitted("kate", "pass1", true));
  Frame f;
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(answering.Read(&f));
    EXPECT_EQ(f.type, kMessageEcho);
    EXPECT_TRUE(f.body.empty());
    ASSERT_TRUE(answering.Send(kMessageEcho, {}));
  }
  ASSERT_TRUE(silent.Read(&f));
  EXPECT_EQ(f.type, kMessageEcho);
  EXPECT_TRUE(silent.WaitClosed());
  // The one that answers is still served.
  ASSERT_TRUE(answering.Send(kMessageDisclaimerRequest, {}));
  ASSERT_TRUE(answering.ReadSkippingEchoes(&f));
  EXPECT_EQ(f.type, kMessageDisclaimer);
}

}  // namespace
