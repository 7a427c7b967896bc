// Both account stores through their interface, each store opened twice on
// the same data as two servers would: names unique in any case even when
// made at once, texts kept byte for byte, and lock-out counts that add up
// across the two.

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <thread>

#include "server/account_store.h"
#include "server/postgres_connection.h"
#include "server/postgres_schema.h"
#include "tests/server/lobby_fixture.h"
#include "tests/server/store_param.h"
#include "tests/server/store_query.h"

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

// Counts quiet for a day are forgotten: old failures no longer add up, a
// lock's doubling starts again, and they are deleted in bounded batches
// while fresh counts and locks stay.
TEST_P(AccountStores, CountsQuietForADayAreForgottenAndDeletedInBatches) {
  ASSERT_EQ(a_->Create(Named("otto")), StoreResult::kOk);
  const int64_t now = LockoutNowMs();
  const int64_t longAgo = now - 2 * kLockoutMaxMs;
  const LockoutRules rules{{5, 60000, true}, {0, 0, false}};
  auto fail = [&](AccountStore* store, const char* source, int64_t at, const LockoutRules& with, int times) {
    LockoutOutcome outcome = LockoutOutcome::kCounted;
    for (int i = 0; i < times; ++i) EXPECT_EQ(store->LockoutFailure("otto", source, at, with, &outcome), StoreResult::kOk);
    return outcome;
  };
  auto locked = [&](const char* source, int64_t at) {
    bool is = false;
    EXPECT_EQ(b_->LockoutCheck("otto", source, at, &is), StoreResult::kOk);
    return is;
  };
  // Ten addresses that guessed once, long ago: stale.
  for (int i = 0; i < 10; ++i) fail(a_.get(), ("10.0.1." + std::to_string(i)).c_str(), longAgo, rules, 1);
  // Four long-ago failures and one now do not lock.
  fail(a_.get(), "10.0.0.1", longAgo, rules, 4);
  EXPECT_EQ(fail(b_.get(), "10.0.0.1", now, rules, 1), LockoutOutcome::kCounted);
  // Two locks long ago; the next lock is the first one's length again.
  fail(a_.get(), "10.0.0.2", longAgo, rules, 5);
  fail(a_.get(), "10.0.0.2", longAgo + 120000, rules, 5);
  EXPECT_EQ(fail(b_.get(), "10.0.0.2", now, rules, 5), LockoutOutcome::kAddressLocked);
  EXPECT_FALSE(locked("10.0.0.2", now + 60001));
  // Last failure a day and an hour ago, but its lock ran out only 23 hours
  // ago: not stale, so its next lock still doubles.
  const LockoutRules hours{{1, 2 * 3600 * 1000LL, true}, {0, 0, false}};
  fail(a_.get(), "10.0.0.3", now - kLockoutMaxMs - 3600 * 1000LL, hours, 1);
  // Locked for a day two hours ago: still locked.
  const LockoutRules day{{1, kLockoutMaxMs, false}, {0, 0, false}};
  fail(a_.get(), "10.0.0.4", now - 2 * 3600 * 1000LL, day, 1);

  // The ten, four at a time, then none.
  uint32_t forgotten = 0;
  ASSERT_EQ(a_->LockoutForget(now, 4, &forgotten), StoreResult::kOk);
  EXPECT_EQ(forgotten, 4u);
  ASSERT_EQ(b_->LockoutForget(now, 100, &forgotten), StoreResult::kOk);
  EXPECT_EQ(forgotten, 6u);
  ASSERT_EQ(a_->LockoutForget(now, 100, &forgotten), StoreResult::kOk);
  EXPECT_EQ(forgotten, 0u);

  EXPECT_TRUE(locked("10.0.0.4", now));
  EXPECT_TRUE(locked("10.0.0.2", now));
  EXPECT_EQ(fail(a_.get(), "10.0.0.3", now, hours, 1), LockoutOutcome::kAddressLocked);
  EXPECT_TRUE(locked("10.0.0.3", now + 3 * 3600 * 1000LL)) << "the lock doubled to four hours";
  // The fresh count kept its one failure: four more lock.
  EXPECT_EQ(fail(a_.get(), "10.0.0.1", now, rules, 4), LockoutOutcome::kAddressLocked);
}

// A database as the server before this one left it: the time of the last
// failure is added (long ago for the counts already there), the index that
// finds stale counts made, and the counts work on.
class UpgradedStores : public ::testing::TestWithParam<StoreKind> {
 protected:
  void SetUp() override {
    config_ = TestConfig(dir_);
    std::filesystem::create_directories(config_.dataDir);
    USE_STORE(GetParam(), &config_, pg_);
  }
  // Runs sql on the database; false (a test failure) when it fails.
  bool Sql(const std::string& sql) {
    std::string error;
    StoreQuery(config_, pg_.get(), sql, &error);
    EXPECT_EQ(error, "") << sql;
    return error.empty();
  }
  TempDir dir_;
  ServerConfig config_;
  std::unique_ptr<PgTestDatabase> pg_;
};

INSTANTIATE_TEST_SUITE_P(BothStores, UpgradedStores, BOTH_STORES);

TEST_P(UpgradedStores, OlderLockoutTablesAreUpgradedInPlace) {
  const int64_t now = LockoutNowMs();
  if (GetParam() == StoreKind::kPostgresql) {
    PgConnection old(pg_->Url(), "", {}, [](PgConnection& db, std::string* error) {
      return PostgresSchemaUpgrade(db, 2, error);
    });
    std::string error;
    ASSERT_TRUE(old.Ready(&error)) << error;
    ASSERT_TRUE(Sql("INSERT INTO accounts (name_key, name, password_hash, full_name, email, personal_info) "
                    "VALUES ('olga', 'Olga', 'h', '', '', '')"));
  } else {
    ASSERT_TRUE(Sql("CREATE TABLE accounts (id INTEGER PRIMARY KEY, name TEXT NOT NULL UNIQUE COLLATE NOCASE,"
                    " password_hash TEXT NOT NULL, full_name TEXT NOT NULL, email TEXT NOT NULL,"
                    " personal_info TEXT NOT NULL, locked INTEGER NOT NULL DEFAULT 0,"
                    " created INTEGER NOT NULL DEFAULT (strftime('%s','now')));"
                    "CREATE TABLE lockouts (account TEXT NOT NULL COLLATE NOCASE, source TEXT NOT NULL,"
                    " failures INTEGER NOT NULL, locks INTEGER NOT NULL, locked_until INTEGER NOT NULL,"
                    " PRIMARY KEY (account, source));"
                    "INSERT INTO accounts (name, password_hash, full_name, email, personal_info)"
                    " VALUES ('Olga', 'h', '', '', '')"));
  }
  // Four failures from one address, one of them locked now.
  ASSERT_TRUE(Sql("INSERT INTO lockouts (account, source, failures, locks, locked_until) VALUES "
                  "('olga', '10.0.0.1', 4, 0, 0), ('olga', '', 4, 0, 0), "
                  "('olga', '10.0.0.2', 0, 1, " + std::to_string(now + 60000) + ")"));

  std::string error;
  std::unique_ptr<AccountStore> store = AccountStoreOpen(config_, &error);
  ASSERT_TRUE(store) << error;
  const bool postgres = GetParam() == StoreKind::kPostgresql;
  EXPECT_EQ(StoreQuery(config_, pg_.get(),
                       postgres ? "SELECT count(*) FROM pg_indexes WHERE indexname = 'lockouts_quiet'"
                                : "SELECT count(*) FROM sqlite_master WHERE name = 'lockouts_quiet'"),
            "1");
  if (postgres) {
    EXPECT_EQ(pg_->Query("SELECT version FROM orva_schema"), "3");
  }
  // A second open finds nothing to do.
  ASSERT_TRUE(AccountStoreOpen(config_, &error)) << error;

  bool locked = false;
  ASSERT_EQ(store->LockoutCheck("olga", "10.0.0.2", now, &locked), StoreResult::kOk);
  EXPECT_TRUE(locked);
  uint32_t forgotten = 0;
  ASSERT_EQ(store->LockoutForget(now, 100, &forgotten), StoreResult::kOk);
  EXPECT_EQ(forgotten, 2u) << "the unlocked counts from before, as long ago";
  const LockoutRules rules{{5, 60000, true}, {5, 60000, false}};
  LockoutOutcome outcome = LockoutOutcome::kCounted;
  for (int i = 0; i < 4; ++i) ASSERT_EQ(store->LockoutFailure("olga", "10.0.0.1", now, rules, &outcome), StoreResult::kOk);
  EXPECT_EQ(outcome, LockoutOutcome::kCounted);
  ASSERT_EQ(store->LockoutFailure("olga", "10.0.0.1", now, rules, &outcome), StoreResult::kOk);
  EXPECT_EQ(outcome, LockoutOutcome::kAccountLocked);
  EXPECT_EQ(StoreQuery(config_, pg_.get(), "SELECT last_failure FROM lockouts WHERE source = '10.0.0.1'"),
            std::to_string(now));
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
