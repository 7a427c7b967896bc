// The accounts in a PostgreSQL database that several servers share: one
// connection per store, prepared statements, one transaction per change.

#include <cctype>

#include "server/account_store.h"
#include "server/postgres_connection.h"
#include "server/postgres_schema.h"

namespace {

constexpr const char* kWholeAccount = "";

// The key a name is unique by. Registered names are ASCII letters and
// digits, so a name with any other byte cannot be an account's.
bool NameKey(const std::string& name, std::string* key) {
  key->clear();
  for (char c : name) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x20 || b >= 0x7F) return false;
    key->push_back(static_cast<char>(std::tolower(b)));
  }
  return !key->empty();
}

std::vector<PgStatement> Statements() {
  return {
      {"find", "SELECT name, password_hash, full_name, email, personal_info, locked FROM accounts WHERE name_key = $1"},
      {"create", "INSERT INTO accounts (name_key, name, password_hash, full_name, email, personal_info) "
                 "VALUES ($1, $2, $3, $4, $5, $6)"},
      {"set_locked", "UPDATE accounts SET locked = $2 WHERE name_key = $1"},
      {"clear_all", "DELETE FROM lockouts WHERE account = $1"},
      {"check", "SELECT a.locked, coalesce((SELECT max(locked_until) FROM lockouts "
                "WHERE account = $1 AND source IN ($2, '')), 0) FROM accounts a WHERE a.name_key = $1"},
      // The account's row is the lock every server takes before it counts.
      {"hold", "SELECT 1 FROM accounts WHERE name_key = $1 FOR UPDATE"},
      {"read_count", "SELECT failures, locks, locked_until, last_failure FROM lockouts "
                     "WHERE account = $1 AND source = $2"},
      {"write_count", "INSERT INTO lockouts (account, source, failures, locks, locked_until, last_failure) "
                      "VALUES ($1, $2, $3, $4, $5, $6) ON CONFLICT (account, source) DO UPDATE SET "
                      "failures = excluded.failures, locks = excluded.locks, locked_until = excluded.locked_until, "
                      "last_failure = excluded.last_failure"},
      // The oldest stale counts, found through the lockouts_quiet index by
      // its own expression. A count another server wrote meanwhile is
      // looked at again before it goes, and stays.
      {"forget", "DELETE FROM lockouts WHERE ctid = ANY(ARRAY(SELECT ctid FROM lockouts "
                 "WHERE greatest(last_failure, locked_until) < $1 "
                 "ORDER BY greatest(last_failure, locked_until) LIMIT $2)) "
                 "AND greatest(last_failure, locked_until) < $1"},
      {"clear_source", "DELETE FROM lockouts WHERE account = $1 AND source IN ($2, '')"},
  };
}

class PostgresAccountStore final : public AccountStore {
 public:
  // The schema is checked at every connect: a database that came back
  // from a restore may be an older one.
  PostgresAccountStore(const std::string& url, const std::string& passfile)
      : db_(url, passfile, Statements(), PostgresSchemaEnsure) {}

  bool Open(std::string* error) { return db_.Ready(error); }

  StoreResult Find(const std::string& name, Account* out) override {
    std::string key;
    if (!NameKey(name, &key)) return StoreResult::kNotFound;
    if (!Ready()) return StoreResult::kFailed;
    PgResult r = Read("find", {{key}});
    if (!r.Ok()) return StoreResult::kFailed;
    if (r.Rows() == 0) return StoreResult::kNotFound;
    out->name = r.Text(0, 0);
    out->passwordHash = r.Text(0, 1);
    out->fullName = r.Bytes(0, 2);
    out->email = r.Bytes(0, 3);
    out->personalInfo = r.Bytes(0, 4);
    out->locked = r.Flag(0, 5);
    return StoreResult::kOk;
  }

  StoreResult Create(const Account& a) override {
    std::string key;
    if (!NameKey(a.name, &key) || !Begin()) return StoreResult::kFailed;
    // Two servers making the same name at once meet at the unique key, and
    // one of them is told it exists.
    PgResult r = db_.Run("create", {{key}, {a.name}, {a.passwordHash}, {a.fullName, true}, {a.email, true},
                                    {a.personalInfo, true}});
    if (r.Ok()) return Finish(StoreResult::kOk);
    Finish(StoreResult::kFailed);
    return r.State() == "23505" ? StoreResult::kExists : StoreResult::kFailed;
  }

  StoreResult SetLocked(const std::string& name, bool locked) override {
    std::string key;
    if (!NameKey(name, &key)) return StoreResult::kNotFound;
    if (!Begin()) return StoreResult::kFailed;
    PgResult set = db_.Run("set_locked", {{key}, {locked ? "true" : "false"}});
    StoreResult result = !set.Ok() ? StoreResult::kFailed : set.Affected() > 0 ? StoreResult::kOk : StoreResult::kNotFound;
    if (result == StoreResult::kOk && !locked && !db_.Run("clear_all", {{key}}).Ok()) result = StoreResult::kFailed;
    return Finish(result);
  }

  StoreResult LockoutCheck(const std::string& name, const std::string& source, int64_t nowMs, bool* locked) override {
    std::string key;
    if (!NameKey(name, &key)) return StoreResult::kNotFound;
    if (!Ready()) return StoreResult::kFailed;
    PgResult r = Read("check", {{key}, {source}});
    if (!r.Ok()) return StoreResult::kFailed;
    if (r.Rows() == 0) return StoreResult::kNotFound;
    *locked = r.Flag(0, 0) || r.Integer(0, 1) > nowMs;
    return StoreResult::kOk;
  }

  StoreResult LockoutFailure(const std::string& name, const std::string& source, int64_t nowMs,
                             const LockoutRules& rules, LockoutOutcome* outcome) override {
    *outcome = LockoutOutcome::kCounted;
    std::string key;
    if (!NameKey(name, &key)) return StoreResult::kNotFound;
    if (!Begin()) return StoreResult::kFailed;
    bool addressLocked = false, accountLocked = false;
    const bool ok = db_.Run("hold", {{key}}).Ok() && CountFailure(key, source, rules.address, nowMs, &addressLocked) &&
                    CountFailure(key, kWholeAccount, rules.account, nowMs, &accountLocked);
    const StoreResult result = Finish(ok ? StoreResult::kOk : StoreResult::kFailed);
    if (result == StoreResult::kOk) *outcome = LockoutOutcomeOf(addressLocked, accountLocked);
    return result;
  }

  StoreResult LockoutSuccess(const std::string& name, const std::string& source) override {
    std::string key;
    if (!NameKey(name, &key)) return StoreResult::kOk;
    if (!Ready()) return StoreResult::kFailed;
    return Read("clear_source", {{key}, {source}}).Ok() ? StoreResult::kOk : StoreResult::kFailed;
  }

  StoreResult LockoutForget(int64_t nowMs, uint32_t limit, uint32_t* forgotten) override {
    *forgotten = 0;
    PgResult r = Read("forget", {{std::to_string(LockoutStaleBefore(nowMs))}, {std::to_string(limit)}});
    if (!r.Ok()) return StoreResult::kFailed;
    *forgotten = static_cast<uint32_t>(r.Affected());
    return StoreResult::kOk;
  }

  StoreResult CheckWritable(std::string* error) override {
    // A standby, or a role that may only read, fails this write.
    if (!db_.Ready(error)) return StoreResult::kFailed;
    if (!db_.Exec("BEGIN").Ok() || !db_.Exec("UPDATE orva_schema SET version = version").Ok()) {
      *error = db_.Error();
      db_.Exec("ROLLBACK");
      return StoreResult::kFailed;
    }
    db_.Exec("ROLLBACK");
    return StoreResult::kOk;
  }

 private:
  bool Ready() {
    std::string ignored;
    return db_.Ready(&ignored);
  }
  // A statement that may run twice (a read, or a delete that clears): when
  // the connection was lost it is made again and the statement run once
  // more, so the first call after the database came back is answered.
  // Changes that count or create are never run twice.
  PgResult Read(const char* statement, const std::vector<PgParam>& params) {
    if (!Ready()) return PgResult();
    PgResult r = db_.Run(statement, params);
    if (r.Ok() || PQstatus(db_.Get()) != CONNECTION_BAD || !Ready()) return r;
    return db_.Run(statement, params);
  }
  // Nothing has run when BEGIN fails, so it is tried again on a new
  // connection when the old one was lost.
  bool Begin() {
    if (!Ready()) return false;
    if (db_.Exec("BEGIN").Ok()) return true;
    return PQstatus(db_.Get()) == CONNECTION_BAD && Ready() && db_.Exec("BEGIN").Ok();
  }
  // Commits after kOk or kNotFound, rolls back after kFailed.
  StoreResult Finish(StoreResult result) {
    if (result != StoreResult::kFailed && db_.Exec("COMMIT").Ok()) return result;
    db_.Exec("ROLLBACK");
    return StoreResult::kFailed;
  }

  bool CountFailure(const std::string& key, const std::string& source, const LockoutRule& rule, int64_t nowMs,
                    bool* locked) {
    PgResult read = db_.Run("read_count", {{key}, {source}});
    if (!read.Ok()) return false;
    LockoutCount count;
    if (read.Rows() > 0) {
      count.failures = static_cast<uint32_t>(read.Integer(0, 0));
      count.locks = static_cast<uint32_t>(read.Integer(0, 1));
      count.lockedUntilMs = read.Integer(0, 2);
      count.lastFailureMs = read.Integer(0, 3);
    }
    *locked = LockoutCountFailure(&count, rule, nowMs);
    return db_
        .Run("write_count", {{key}, {source}, {std::to_string(count.failures)}, {std::to_string(count.locks)},
                             {std::to_string(count.lockedUntilMs)}, {std::to_string(count.lastFailureMs)}})
        .Ok();
  }

  PgConnection db_;
};

}  // namespace

std::unique_ptr<AccountStore> PostgresAccountStoreOpen(const std::string& url, const std::string& passfile,
                                                       std::string* error) {
  auto store = std::make_unique<PostgresAccountStore>(url, passfile);
  if (!store->Open(error)) {
    *error = "cannot open the account database: " + *error;
    return nullptr;
  }
  return store;
}
