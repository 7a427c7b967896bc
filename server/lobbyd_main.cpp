// orva-lobbyd --config FILE: the lobby server.

#include <sys/stat.h>

#include <cerrno>
#include <asio.hpp>
#include <cstdio>
#include <cstring>
#include <string>

#include "server/account_store.h"
#include "server/config.h"
#include "server/lobby_server.h"
#include "server/password_hash.h"
#include "server/server_log.h"

namespace {

constexpr int kExitBadConfig = 2;

int Usage() {
  std::fprintf(stderr, "usage: orva-lobbyd --config FILE\n");
  return kExitBadConfig;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 || std::strcmp(argv[1], "--config") != 0) return Usage();
  ServerConfig config;
  std::string error;
  if (!ConfigLoad(argv[2], &config, &error)) {
    std::fprintf(stderr, "orva-lobbyd: %s: %s\n", argv[2], error.c_str());
    return kExitBadConfig;
  }
  if (!PasswordHashInit()) {
    std::fprintf(stderr, "orva-lobbyd: the password hash library cannot start\n");
    return 1;
  }
  asio::io_context io(1);
  // The data directory must exist before the database is opened in it.
  if (::mkdir(config.dataDir.c_str(), 0700) != 0 && errno != EEXIST) {
    std::fprintf(stderr, "orva-lobbyd: server.data_dir: %s: %s\n", config.dataDir.c_str(), std::strerror(errno));
    return kExitBadConfig;
  }
  std::unique_ptr<AccountStore> store = SqliteAccountStoreOpen(ConfigDatabasePath(config), &error);
  if (!store) {
    std::fprintf(stderr, "orva-lobbyd: %s\n", error.c_str());
    return kExitBadConfig;
  }
  LobbyServer server(io, std::move(config), std::move(store));
  if (!server.Start(&error)) {
    std::fprintf(stderr, "orva-lobbyd: %s\n", error.c_str());
    return kExitBadConfig;
  }
  asio::signal_set signals(io, SIGINT, SIGTERM);
  signals.async_wait([&](const asio::error_code& e, int number) {
    if (e) return;
    ServerLog("signal %d: stopping", number);
    server.Stop();
  });
  io.run();
  ServerLog("stopped");
  return 0;
}
