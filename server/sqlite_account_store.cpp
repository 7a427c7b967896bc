#include <sqlite3.h>

#include "server/account_store.h"

namespace {

constexpr const char* kSchema =
    "CREATE TABLE IF NOT EXISTS accounts ("
    " id INTEGER PRIMARY KEY,"
    " name TEXT NOT NULL UNIQUE COLLATE NOCASE,"
    " password_hash TEXT NOT NULL,"
    " full_name TEXT NOT NULL,"
    " email TEXT NOT NULL,"
    " personal_info TEXT NOT NULL,"
    " locked INTEGER NOT NULL DEFAULT 0,"
    " created INTEGER NOT NULL DEFAULT (strftime('%s','now')));"
    // The lock-out counts: one row per account and source address, and one
    // with the empty source for the account over every source.
    "CREATE TABLE IF NOT EXISTS lockouts ("
    " account TEXT NOT NULL COLLATE NOCASE,"
    " source TEXT NOT NULL,"
    " failures INTEGER NOT NULL,"
    " locks INTEGER NOT NULL,"
    " locked_until INTEGER NOT NULL,"
    " last_failure INTEGER NOT NULL DEFAULT 0,"
    " PRIMARY KEY (account, source))";

// Files made before counts were forgotten lack the time of the last
// failure; their counts read as long ago.
constexpr const char* kHasLastFailure =
    "SELECT count(*) FROM pragma_table_info('lockouts') WHERE name = 'last_failure'";
constexpr const char* kAddLastFailure = "ALTER TABLE lockouts ADD COLUMN last_failure INTEGER NOT NULL DEFAULT 0";
// Finds the stale counts without reading the whole table. The forget
// statement names the same expression, so that it is used.
constexpr const char* kQuietIndex =
    "CREATE INDEX IF NOT EXISTS lockouts_quiet ON lockouts (max(last_failure, locked_until))";

constexpr const char* kWholeAccount = "";

// One prepared statement, reset after every use.
class Statement {
 public:
  Statement() = default;
  ~Statement() { sqlite3_finalize(stmt_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;
  bool Prepare(sqlite3* db, const char* sql) { return sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr) == SQLITE_OK; }
  sqlite3_stmt* Get() { return stmt_; }
  void Text(int index, const std::string& s) { sqlite3_bind_text(stmt_, index, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT); }
  void Int(int index, int64_t v) { sqlite3_bind_int64(stmt_, index, v); }
  int Step() { return sqlite3_step(stmt_); }
  void Reset() {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
  }

 private:
  sqlite3_stmt* stmt_ = nullptr;
};

std::string Column(sqlite3_stmt* s, int i) {
  const unsigned char* t = sqlite3_column_text(s, i);
  return t ? std::string(reinterpret_cast<const char*>(t), static_cast<size_t>(sqlite3_column_bytes(s, i))) : std::string();
}

class SqliteAccountStore final : public AccountStore {
 public:
  // close_v2 waits for the statements, which are finalised after this body.
  ~SqliteAccountStore() override { sqlite3_close_v2(db_); }

  bool Open(const std::string& path, std::string* error) {
    if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK) {
      *error = "cannot open the account database " + path + ": " + (db_ ? sqlite3_errmsg(db_) : "out of memory");
      return false;
    }
    sqlite3_busy_timeout(db_, 2000);
    // WAL with full synchronisation: a registration that was answered is on
    // the disk even if the server is killed right after.
    const char* setup = "PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL;";
    if (sqlite3_exec(db_, setup, nullptr, nullptr, nullptr) != SQLITE_OK ||
        sqlite3_exec(db_, kSchema, nullptr, nullptr, nullptr) != SQLITE_OK || !Upgrade() ||
        sqlite3_exec(db_, kQuietIndex, nullptr, nullptr, nullptr) != SQLITE_OK ||
        !find_.Prepare(db_, "SELECT name, password_hash, full_name, email, personal_info, locked "
                            "FROM accounts WHERE name = ?1") ||
        !create_.Prepare(db_, "INSERT INTO accounts (name, password_hash, full_name, email, personal_info) "
                              "VALUES (?1, ?2, ?3, ?4, ?5)") ||
        !setLocked_.Prepare(db_, "UPDATE accounts SET locked = ?2 WHERE name = ?1") ||
        !lockedUntil_.Prepare(db_, "SELECT locked, (SELECT max(locked_until) FROM lockouts "
                                   "WHERE account = ?1 AND source IN (?2, '')) FROM accounts WHERE name = ?1") ||
        !readCount_.Prepare(db_, "SELECT failures, locks, locked_until, last_failure FROM lockouts "
                                 "WHERE account = ?1 AND source = ?2") ||
        !writeCount_.Prepare(db_, "INSERT OR REPLACE INTO lockouts "
                                  "(account, source, failures, locks, locked_until, last_failure) "
                                  "VALUES (?1, ?2, ?3, ?4, ?5, ?6)") ||
        !forget_.Prepare(db_, "DELETE FROM lockouts WHERE rowid IN (SELECT rowid FROM lockouts "
                              "WHERE max(last_failure, locked_until) < ?1 "
                              "ORDER BY max(last_failure, locked_until) LIMIT ?2)") ||
        !clearSource_.Prepare(db_, "DELETE FROM lockouts WHERE account = ?1 AND source IN (?2, '')") ||
        !clearAll_.Prepare(db_, "DELETE FROM lockouts WHERE account = ?1")) {
      *error = "cannot prepare the account database " + path + ": " + sqlite3_errmsg(db_);
      return false;
    }
    return true;
  }

  StoreResult Find(const std::string& name, Account* out) override {
    find_.Text(1, name);
    const int rc = find_.Step();
    StoreResult result = StoreResult::kFailed;
    if (rc == SQLITE_ROW) {
      sqlite3_stmt* s = find_.Get();
      out->name = Column(s, 0);
      out->passwordHash = Column(s, 1);
      out->fullName = Column(s, 2);
      out->email = Column(s, 3);
      out->personalInfo = Column(s, 4);
      out->locked = sqlite3_column_int64(s, 5) != 0;
      result = StoreResult::kOk;
    } else if (rc == SQLITE_DONE) {
      result = StoreResult::kNotFound;
    }
    find_.Reset();
    return result;
  }

  StoreResult Create(const Account& a) override {
    create_.Text(1, a.name);
    create_.Text(2, a.passwordHash);
    create_.Text(3, a.fullName);
    create_.Text(4, a.email);
    create_.Text(5, a.personalInfo);
    const int rc = create_.Step();
    const int extended = sqlite3_extended_errcode(db_);
    create_.Reset();
    if (rc == SQLITE_DONE) return StoreResult::kOk;
    return extended == SQLITE_CONSTRAINT_UNIQUE ? StoreResult::kExists : StoreResult::kFailed;
  }

  StoreResult SetLocked(const std::string& name, bool locked) override {
    if (!Exec("BEGIN IMMEDIATE")) return StoreResult::kFailed;
    const int64_t value = locked ? 1 : 0;
    StoreResult result = Update(setLocked_, name, &value);
    if (result == StoreResult::kOk && !locked && Update(clearAll_, name, nullptr) == StoreResult::kFailed) {
      result = StoreResult::kFailed;
    }
    return Finish(result);
  }

  StoreResult LockoutCheck(const std::string& name, const std::string& source, int64_t nowMs, bool* locked) override {
    lockedUntil_.Text(1, name);
    lockedUntil_.Text(2, source);
    const int rc = lockedUntil_.Step();
    if (rc == SQLITE_ROW) {
      sqlite3_stmt* s = lockedUntil_.Get();
      *locked = sqlite3_column_int64(s, 0) != 0 || sqlite3_column_int64(s, 1) > nowMs;  // NULL reads as 0
    }
    lockedUntil_.Reset();
    if (rc == SQLITE_ROW) return StoreResult::kOk;
    return rc == SQLITE_DONE ? StoreResult::kNotFound : StoreResult::kFailed;
  }

  StoreResult LockoutFailure(const std::string& name, const std::string& source, int64_t nowMs,
                             const LockoutRules& rules, LockoutOutcome* outcome) override {
    *outcome = LockoutOutcome::kCounted;
    if (!Exec("BEGIN IMMEDIATE")) return StoreResult::kFailed;
    bool addressLocked = false, accountLocked = false;
    const bool ok = CountFailure(name, source, rules.address, nowMs, &addressLocked) &&
                    CountFailure(name, kWholeAccount, rules.account, nowMs, &accountLocked);
    const StoreResult result = Finish(ok ? StoreResult::kOk : StoreResult::kFailed);
    if (result == StoreResult::kOk) *outcome = LockoutOutcomeOf(addressLocked, accountLocked);
    return result;
  }

  StoreResult LockoutSuccess(const std::string& name, const std::string& source) override {
    return Update(clearSource_, name, nullptr, &source) == StoreResult::kFailed ? StoreResult::kFailed
                                                                                 : StoreResult::kOk;
  }

  StoreResult LockoutForget(int64_t nowMs, uint32_t limit, uint32_t* forgotten) override {
    *forgotten = 0;
    forget_.Int(1, LockoutStaleBefore(nowMs));
    forget_.Int(2, limit);
    const int rc = forget_.Step();
    const int changes = sqlite3_changes(db_);
    forget_.Reset();
    if (rc != SQLITE_DONE) return StoreResult::kFailed;
    *forgotten = static_cast<uint32_t>(changes);
    return StoreResult::kOk;
  }

  StoreResult CheckWritable(std::string* error) override {
    // A file the server may not write is opened read-only without a word;
    // the version write then fails too, as does any write on a full disk.
    const bool readOnly = sqlite3_db_readonly(db_, "main") == 1;
    if (readOnly || !Exec("PRAGMA user_version = 1")) {
      *error = readOnly ? "opened read-only" : sqlite3_errmsg(db_);
      return StoreResult::kFailed;
    }
    return StoreResult::kOk;
  }

 private:
  bool Exec(const char* sql) { return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) == SQLITE_OK; }

  // kHasLastFailure's answer, -1 when it cannot be read.
  int64_t HasLastFailure() {
    Statement has;
    if (!has.Prepare(db_, kHasLastFailure) || has.Step() != SQLITE_ROW) return -1;
    return sqlite3_column_int64(has.Get(), 0);
  }

  // Adds what an older file lacks. A file that needs nothing is not
  // written, so that one opened read-only still opens (and CheckWritable
  // says why it cannot serve); servers opening the same file at once take
  // turns on the write lock and look again.
  bool Upgrade() {
    int64_t has = HasLastFailure();
    if (has != 0) return has > 0;
    if (!Exec("BEGIN IMMEDIATE")) return false;
    has = HasLastFailure();
    if (has == 0 && !Exec(kAddLastFailure)) has = -1;
    return Finish(has < 0 ? StoreResult::kFailed : StoreResult::kOk) == StoreResult::kOk;
  }

  // Commits after kOk or kNotFound, rolls back after kFailed.
  StoreResult Finish(StoreResult result) {
    if (result != StoreResult::kFailed && Exec("COMMIT")) return result;
    Exec("ROLLBACK");
    return StoreResult::kFailed;
  }

  // One more wrong password on the count of (name, source), inside the
  // caller's transaction.
  bool CountFailure(const std::string& name, const std::string& source, const LockoutRule& rule, int64_t nowMs,
                    bool* locked) {
    LockoutCount count;
    readCount_.Text(1, name);
    readCount_.Text(2, source);
    int rc = readCount_.Step();
    if (rc == SQLITE_ROW) {
      sqlite3_stmt* s = readCount_.Get();
      count.failures = static_cast<uint32_t>(sqlite3_column_int64(s, 0));
      count.locks = static_cast<uint32_t>(sqlite3_column_int64(s, 1));
      count.lockedUntilMs = sqlite3_column_int64(s, 2);
      count.lastFailureMs = sqlite3_column_int64(s, 3);
    }
    readCount_.Reset();
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) return false;
    *locked = LockoutCountFailure(&count, rule, nowMs);
    writeCount_.Text(1, name);
    writeCount_.Text(2, source);
    writeCount_.Int(3, count.failures);
    writeCount_.Int(4, count.locks);
    writeCount_.Int(5, count.lockedUntilMs);
    writeCount_.Int(6, count.lastFailureMs);
    rc = writeCount_.Step();
    writeCount_.Reset();
    return rc == SQLITE_DONE;
  }

  StoreResult Update(Statement& s, const std::string& name, const int64_t* second,
                     const std::string* secondText = nullptr) {
    s.Text(1, name);
    if (second) s.Int(2, *second);
    if (secondText) s.Text(2, *secondText);
    const int rc = s.Step();
    const bool found = sqlite3_changes(db_) > 0;
    s.Reset();
    if (rc != SQLITE_DONE) return StoreResult::kFailed;
    return found ? StoreResult::kOk : StoreResult::kNotFound;
  }

  sqlite3* db_ = nullptr;
  Statement find_, create_, setLocked_, lockedUntil_, readCount_, writeCount_, clearSource_, clearAll_, forget_;
};

}  // namespace

std::unique_ptr<AccountStore> SqliteAccountStoreOpen(const std::string& path, std::string* error) {
  auto store = std::make_unique<SqliteAccountStore>();
  if (!store->Open(path, error)) return nullptr;
  return store;
}
