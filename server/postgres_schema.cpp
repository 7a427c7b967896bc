#include "server/postgres_schema.h"

#include <algorithm>
#include <string>

#include "server/postgres_connection.h"

namespace {

// Any number that is ours alone: the advisory lock the upgrade holds.
constexpr const char* kLock = "SELECT pg_advisory_xact_lock(7303616577)";

// The changes from one version to the next, in order; the database's
// version is how many of them it has. A change once released stays as it
// is; a new one is added at the end.
constexpr const char* kChanges[] = {
    // 1: accounts and the lock-out counts. Names are unique by name_key,
    // the name in lower case; the texts a client sends are bytes of its own
    // character set, kept as they came.
    "CREATE TABLE accounts ("
    " id bigserial PRIMARY KEY,"
    " name_key text NOT NULL UNIQUE,"
    " name text NOT NULL,"
    " password_hash text NOT NULL,"
    " full_name bytea NOT NULL,"
    " email bytea NOT NULL,"
    " personal_info bytea NOT NULL,"
    " locked boolean NOT NULL DEFAULT false,"
    " created timestamptz NOT NULL DEFAULT now());"
    // One row per account and source address, and one with the empty
    // source for the account over every source.
    "CREATE TABLE lockouts ("
    " account text NOT NULL,"
    " source text NOT NULL,"
    " failures integer NOT NULL,"
    " locks integer NOT NULL,"
    " locked_until bigint NOT NULL,"
    " PRIMARY KEY (account, source));",
    // 2: what the servers on one database share. Each server's lease, who
    // is online on which server, and the rooms' states and counts.
    "CREATE TABLE servers ("
    " name text PRIMARY KEY,"
    " lease_until timestamptz NOT NULL);"
    "CREATE TABLE presence ("
    " name_key text PRIMARY KEY,"
    " name text NOT NULL,"
    " server text NOT NULL,"
    " peer text NOT NULL,"
    " since timestamptz NOT NULL DEFAULT now());"
    "CREATE TABLE rooms ("
    " id bigint PRIMARY KEY,"
    " state integer NOT NULL,"
    " players bigint NOT NULL);",
    // 3: when each count's last wrong password was (ms since the epoch;
    // 0, long ago, for the counts from before), so that stale counts are
    // forgotten, and the index that finds them.
    "ALTER TABLE lockouts ADD COLUMN last_failure bigint NOT NULL DEFAULT 0;"
    "CREATE INDEX lockouts_quiet ON lockouts ((greatest(last_failure, locked_until)));",
};

constexpr int kVersion = static_cast<int>(sizeof kChanges / sizeof kChanges[0]);

}  // namespace

bool PostgresSchemaEnsure(PgConnection& db, std::string* error) { return PostgresSchemaUpgrade(db, kVersion, error); }

bool PostgresSchemaUpgrade(PgConnection& db, int upTo, std::string* error) {
  auto fail = [&](const std::string& what) {
    *error = what + ": " + db.Error();
    db.Exec("ROLLBACK");
    return false;
  };
  if (!db.Exec("BEGIN").Ok()) return fail("cannot begin");
  if (!db.Exec(kLock).Ok()) return fail("cannot take the schema lock");
  if (!db.Exec("CREATE TABLE IF NOT EXISTS orva_schema (version integer NOT NULL)").Ok()) {
    return fail("cannot make the version table");
  }
  PgResult version = db.Exec("SELECT version FROM orva_schema");
  if (!version.Ok()) return fail("cannot read the schema version");
  int have = 0;
  if (version.Rows() == 0) {
    if (!db.Exec("INSERT INTO orva_schema (version) VALUES (0)").Ok()) return fail("cannot write the schema version");
  } else {
    have = static_cast<int>(version.Integer(0, 0));
  }
  if (have > kVersion) {
    *error = "the database's schema is version " + std::to_string(have) + ", newer than this server's " +
             std::to_string(kVersion);
    db.Exec("ROLLBACK");
    return false;
  }
  const int want = std::clamp(upTo, have, kVersion);
  for (int v = have; v < want; ++v) {
    if (!db.Exec(kChanges[v]).Ok()) return fail("cannot upgrade the schema to version " + std::to_string(v + 1));
  }
  const std::string set = "UPDATE orva_schema SET version = " + std::to_string(want);
  if (!db.Exec(set.c_str()).Ok()) return fail("cannot write the schema version");
  if (!db.Exec("COMMIT").Ok()) return fail("cannot commit the schema");
  return true;
}
