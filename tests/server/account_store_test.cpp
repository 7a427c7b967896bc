// Both account stores through their interface, each store opened twice on
// the same data as two servers would: names unique in any case even when
// made at once, texts kept byte for byte, and lock-out counts that add up
// across the two.

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <thread>

#include "server/account_store.h"
#include "tests/server/lobby_fixture.h"
#include "tests/server/store_param.h"

namespace {

class AccountStores : public ::testing::TestWithParam<StoreKind> {
 protected:
  void SetUp() override {
    config_ = TestConfig(dir_);
    std::filesystem::create_directories(config_.dataDir);
    USE_STORE(GetParam(), &config_, pg_);
    std::string error;
    a_ = AccountStoreOpen(config_, &error);
    ASSERT_TRUE(a_) << error;
    b_ = AccountStoreOpen(config_, &error);
    ASSERT_TRUE(b_) << error;
  }
  static Account Named(const std::string& name) {
    Account a;
    a.name = name;
    a.passwordHash = "$argon2id$stand-in";
    a.fullName = "Full Name";
    return a;
  }
  TempDir dir_;
  ServerConfig config_;
  std::unique_ptr<PgTestDatabase> pg_;
  std::unique_ptr<AccountStore> a_, b_;
};

INSTANTIATE_TEST_SUITE_P(BothStores, AccountStores, BOTH_STORES);

TEST_P(AccountStores, NamesAreUniqueInAnyCaseAndTextsKeepTheirBytes) {
  Account made = Named("Kim");
  made.fullName = std::string("K\xE9vin \x01\xFF", 9);  // bytes of the client's own character set
  made.email = "kim@example.org";
  made.personalInfo = std::string(1023, '\x80');
  ASSERT_EQ(a_->Create(made), StoreResult::kOk);
  EXPECT_EQ(b_->Create(Named("kIM")), StoreResult::kExists);
  Account found;
  ASSERT_EQ(b_->Find("KIM", &found), StoreResult::kOk);
  EXPECT_EQ(found.name, "Kim");
  EXPECT_EQ(found.fullName, made.fullName);
  EXPECT_EQ(found.email, made.email);
  EXPECT_EQ(found.personalInfo, made.personalInfo);
  EXPECT_FALSE(found.locked);
  // A name no registration could make is simply not found.
  EXPECT_EQ(a_->Find("k\xC3\xAFm", &found), StoreResult::kNotFound);
  EXPECT_EQ(a_->SetLocked("nobody", true), StoreResult::kNotFound);
}

TEST_P(AccountStores, TheSameNameMadeAtOnceThroughTwoStoresIsMadeOnce) {
  for (int round = 0; round < 20; ++round) {
    const std::string name = "racer" + std::to_string(round);
    std::string upper = name;
    upper[0] = 'R';
    std::atomic<int> go{0};
    StoreResult first = StoreResult::kFailed, second = StoreResult::kFailed;
    std::thread t([&] {
      ++go;
      while (go < 2) {
      }
      first = a_->Create(Named(name));
    });
    ++go;
    while (go < 2) {
    }
    second = b_->Create(Named(upper));
    t.join();
    EXPECT_TRUE((first == StoreResult::kOk && second == StoreResult::kExists) ||
                (first == StoreResult::kExists && second == StoreResult::kOk))
        << name << ": " << static_cast<int>(first) << " " << static_cast<int>(second);
  }
}

TEST_P(AccountStores, LockOutCountsAddUpAcrossStoresAndAreNeverLost) {
  ASSERT_EQ(a_->Create(Named("lena")), StoreResult::kOk);
  const int64_t now = LockoutNowMs();
  // 40 wrong passwords through the two stores at once against a limit of
  // 40: exactly one of them locks, which a lost count would miss.
  const LockoutRules rules{{40, 60000, true}, {1000, 60000, false}};
  std::atomic<int> locks{0}, failed{0};
  auto guess = [&](AccountStore* store) {
    for (int i = 0; i < 20; ++i) {
      LockoutOutcome outcome;
      if (store->LockoutFailure("Lena", "10.0.0.1", now, rules, &outcome) != StoreResult::kOk) ++failed;
      if (outcome == LockoutOutcome::kAddressLocked) ++locks;
    }
  };
  std::thread t(guess, a_.get());
  guess(b_.get());
  t.join();
  EXPECT_EQ(failed, 0);
  EXPECT_EQ(locks, 1);
  struct Case {
    const char* source;
    int64_t at;
    bool locked;
  };
  const Case cases[] = {
      {"10.0.0.1", now, true},           // the address that guessed
      {"10.0.0.2", now, false},          // another address
      {"10.0.0.1", now + 60001, false},  // after the lock's time
  };
  for (const Case& c : cases) {
    bool locked = !c.locked;
    ASSERT_EQ(b_->LockoutCheck("LENA", c.source, c.at, &locked), StoreResult::kOk);
    EXPECT_EQ(locked, c.locked) << c.source << " at +" << c.at - now;
  }
  // The administrator's lock and unlock through one store hold in the
  // other; unlocking clears the counts.
  ASSERT_EQ(a_->SetLocked("lena", true), StoreResult::kOk);
  bool locked = false;
  ASSERT_EQ(b_->LockoutCheck("lena", "10.0.0.2", now, &locked), StoreResult::kOk);
  EXPECT_TRUE(locked);
  ASSERT_EQ(b_->SetLocked("lena", false), StoreResult::kOk);
  ASSERT_EQ(a_->LockoutCheck("lena", "10.0.0.1", now, &locked), StoreResult::kOk);
  EXPECT_FALSE(locked);
  std::string error;
  EXPECT_EQ(a_->CheckWritable(&error), StoreResult::kOk) << error;
}

}  // namespace

namespace {

// The schema on a fresh database made by several servers starting at once,
// and a database newer than the server refused.
TEST(PostgresSchema, ServersStartingTogetherMakeItOnceAndANewerOneIsRefused) {
  PgTestDatabase pg;
  if (pg.Broken()) FAIL() << pg.SkipReason();
  if (pg.Url().empty()) GTEST_SKIP() << pg.SkipReason();
  std::vector<std::thread> starts;
  std::atomic<int> opened{0};
  for (int i = 0; i < 4; ++i) {
    starts.emplace_back([&] {
      std::string error;
      if (PostgresAccountStoreOpen(pg.Url(), "", &error)) ++opened;
      else ADD_FAILURE() << error;
    });
  }
  for (std::thread& t : starts) t.join();
  EXPECT_EQ(opened, 4);
  EXPECT_EQ(pg.Query("SELECT count(*) FROM orva_schema"), "1");
  EXPECT_NE(pg.Query("SELECT version FROM orva_schema"), "0");

  pg.Query("UPDATE orva_schema SET version = 99");
  std::string error;
  EXPECT_FALSE(PostgresAccountStoreOpen(pg.Url(), "", &error));
  EXPECT_NE(error.find("schema is version 99, newer than this server's"), std::string::npos) << error;
}

}  // namespace
