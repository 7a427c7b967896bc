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
    " failures INTEGER NOT NULL DEFAULT 0,"
    " locked INTEGER NOT NULL DEFAULT 0,"
    " created INTEGER NOT NULL DEFAULT (strftime('%s','now')))";

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
        sqlite3_exec(db_, kSchema, nullptr, nullptr, nullptr) != SQLITE_OK ||
        !find_.Prepare(db_, "SELECT name, password_hash, full_name, email, personal_info, failures, locked "
                            "FROM accounts WHERE name = ?1") ||
        !create_.Prepare(db_, "INSERT INTO accounts (name, password_hash, full_name, email, personal_info) "
                              "VALUES (?1, ?2, ?3, ?4, ?5)") ||
        !failure_.Prepare(db_, "UPDATE accounts SET failures = failures + 1 WHERE name = ?1") ||
        !lockAt_.Prepare(db_, "UPDATE accounts SET locked = 1 WHERE name = ?1 AND ?2 > 0 AND failures >= ?2 "
                              "RETURNING locked") ||
        !reset_.Prepare(db_, "UPDATE accounts SET failures = 0 WHERE name = ?1") ||
        !setLocked_.Prepare(db_, "UPDATE accounts SET locked = ?2, failures = CASE WHEN ?2 = 0 THEN 0 ELSE failures END "
                                 "WHERE name = ?1")) {
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
      out->failures = static_cast<uint32_t>(sqlite3_column_int64(s, 5));
      out->locked = sqlite3_column_int64(s, 6) != 0;
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

  StoreResult RecordFailure(const std::string& name, uint32_t lockAt, bool* locked) override {
    *locked = false;
    if (!Exec("BEGIN IMMEDIATE")) return StoreResult::kFailed;
    failure_.Text(1, name);
    bool ok = failure_.Step() == SQLITE_DONE;
    const bool found = sqlite3_changes(db_) > 0;
    failure_.Reset();
    if (ok && found) {
      lockAt_.Text(1, name);
      lockAt_.Int(2, lockAt);
      int rc;
      while ((rc = lockAt_.Step()) == SQLITE_ROW) *locked = true;
      ok = rc == SQLITE_DONE;
      lockAt_.Reset();
    }
    if (!ok) {
      Exec("ROLLBACK");
      return StoreResult::kFailed;
    }
    if (!Exec("COMMIT")) return StoreResult::kFailed;
    return found ? StoreResult::kOk : StoreResult::kNotFound;
  }

  StoreResult ResetFailures(const std::string& name) override { return Update(reset_, name, nullptr); }

  StoreResult SetLocked(const std::string& name, bool locked) override {
    const int64_t value = locked ? 1 : 0;
    return Update(setLocked_, name, &value);
  }

 private:
  bool Exec(const char* sql) { return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) == SQLITE_OK; }

  StoreResult Update(Statement& s, const std::string& name, const int64_t* second) {
    s.Text(1, name);
    if (second) s.Int(2, *second);
    const int rc = s.Step();
    const bool found = sqlite3_changes(db_) > 0;
    s.Reset();
    if (rc != SQLITE_DONE) return StoreResult::kFailed;
    return found ? StoreResult::kOk : StoreResult::kNotFound;
  }

  sqlite3* db_ = nullptr;
  Statement find_, create_, failure_, lockAt_, reset_, setLocked_;
};

}  // namespace

std::unique_ptr<AccountStore> SqliteAccountStoreOpen(const std::string& path, std::string* error) {
  auto store = std::make_unique<SqliteAccountStore>();
  if (!store->Open(path, error)) return nullptr;
  return store;
}
