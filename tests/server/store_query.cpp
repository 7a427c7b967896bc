#include "tests/server/store_query.h"

#include <sqlite3.h>

namespace {

std::string SqliteQuery(const std::string& path, const std::string& sql, std::string* error) {
  sqlite3* db = nullptr;
  std::string value;
  auto first = [](void* out, int columns, char** values, char**) {
    if (columns > 0 && values[0]) *static_cast<std::string*>(out) = values[0];
    return 0;
  };
  char* message = nullptr;
  if (sqlite3_open(path.c_str(), &db) != SQLITE_OK || sqlite3_busy_timeout(db, 2000) != SQLITE_OK ||
      sqlite3_exec(db, sql.c_str(), first, &value, &message) != SQLITE_OK) {
    if (error) *error = message ? message : sqlite3_errmsg(db);
    value.clear();
  }
  sqlite3_free(message);
  sqlite3_close(db);
  return value;
}

}  // namespace

std::string StoreQuery(const ServerConfig& config, const PgTestDatabase* pg, const std::string& sql,
                       std::string* error) {
  if (config.store == StoreKind::kPostgresql) return pg ? pg->Query(sql, error) : std::string();
  return SqliteQuery(ConfigDatabasePath(config), sql, error);
}
