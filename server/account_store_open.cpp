#include "server/account_store.h"
#include "server/config.h"

std::unique_ptr<AccountStore> AccountStoreOpen(const ServerConfig& config, std::string* error) {
  if (config.store == StoreKind::kPostgresql) {
    return PostgresAccountStoreOpen(config.databaseUrl, config.databasePassfile, error);
  }
  return SqliteAccountStoreOpen(ConfigDatabasePath(config), error);
}
