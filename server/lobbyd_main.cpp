// orva-lobbyd --config FILE: the lobby server. --version and --help answer alone.

#include <sys/stat.h>

#include <cerrno>
#include <asio.hpp>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>

#include "server/account_store.h"
#include "server/config.h"
#include "server/descriptor_limit.h"
#include "server/lobby_server.h"
#include "server/password_hash.h"
#include "server/program_info.h"
#include "server/server_log.h"

namespace {

constexpr int kExitBadConfig = 2;

int Usage() {
  std::fprintf(stderr, "usage: orva-lobbyd --config FILE [--listen ADDRESS:PORT] [--tls CERT KEY]\n");
  return kExitBadConfig;
}

constexpr char kHelp[] =
    "usage: orva-lobbyd --config FILE [--listen ADDRESS:PORT] [--tls CERT KEY]\n"
    "The Orva lobby server.\n"
    "\n"
    "Options:\n"
    "  --config FILE            the configuration (TOML); its relative paths are\n"
    "                           relative to its own folder\n"
    "  --listen ADDRESS:PORT    listen there instead of the configuration's\n"
    "                           [server] listen; port 0 takes any free port\n"
    "  --tls CERT KEY           take TLS with these PEM files (relative to the\n"
    "                           current folder) instead of the configuration's [tls]\n"
    "  --help                   print this help and exit\n"
    "  --version                print the version and exit\n";

// Makes the configuration's seeded accounts that do not exist yet. An
// account that exists is left as it is, whatever its password is now.
bool SeedAccounts(const ServerConfig& config, AccountStore* store) {
  for (const SeedAccount& seed : config.accounts) {
    Account existing;
    const StoreResult found = store->Find(seed.name, &existing);
    if (found == StoreResult::kOk) continue;
    if (found != StoreResult::kNotFound) return false;
    Account account;
    account.name = seed.name;
    account.passwordHash = PasswordHashMake(seed.password, config.hash);
    account.fullName = seed.fullName;
    account.email = seed.email;
    account.personalInfo = seed.personalInfo;
    if (account.passwordHash.empty() || store->Create(account) != StoreResult::kOk) return false;
    ServerLog("account %s made from the configuration", seed.name.c_str());
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (ProgramInfoAnswer(argc, argv, "orva-lobbyd", kHelp)) return 0;
  if (argc < 3 || std::strcmp(argv[1], "--config") != 0) return Usage();
  ServerConfig config;
  std::string error;
  if (!ConfigLoad(argv[2], &config, &error)) {
    std::fprintf(stderr, "orva-lobbyd: %s: %s\n", argv[2], error.c_str());
    return kExitBadConfig;
  }
  // The options after the configuration override it.
  for (int i = 3; i < argc;) {
    if (std::strcmp(argv[i], "--listen") == 0 && i + 1 < argc) {
      if (!ConfigSetListen(argv[i + 1], &config)) {
        std::fprintf(stderr, "orva-lobbyd: --listen: must be ADDRESS:PORT with a numeric address\n");
        return kExitBadConfig;
      }
      i += 2;
    } else if (std::strcmp(argv[i], "--tls") == 0 && i + 2 < argc) {
      // The files are relative to the current directory, as paths given on
      // a command line are.
      config.tlsCert = argv[i + 1];
      config.tlsKey = argv[i + 2];
      i += 3;
    } else {
      return Usage();
    }
  }
  if (!PasswordHashInit()) {
    std::fprintf(stderr, "orva-lobbyd: the password hash library cannot start\n");
    return 1;
  }
  // Raised before the server counts the connections it has room for; said
  // once it runs, since a start that fails says one line only.
  uint64_t descriptorsBefore = 0, descriptors = 0;
  DescriptorLimitRaise(&descriptorsBefore, &descriptors);
  asio::io_context io(1);
  // The data directory must exist before the database is opened in it.
  if (::mkdir(config.dataDir.c_str(), 0700) != 0 && errno != EEXIST) {
    std::fprintf(stderr, "orva-lobbyd: server.data_dir: %s: %s\n", config.dataDir.c_str(), std::strerror(errno));
    return kExitBadConfig;
  }
  std::unique_ptr<AccountStore> store = AccountStoreOpen(config, &error);
  if (!store) {
    std::fprintf(stderr, "orva-lobbyd: %s\n", error.c_str());
    return kExitBadConfig;
  }
  // Were the store not writable, wrong passwords would go uncounted.
  if (store->CheckWritable(&error) != StoreResult::kOk) {
    const std::string where =
        config.store == StoreKind::kPostgresql ? std::string("in PostgreSQL") : ConfigDatabasePath(config);
    std::fprintf(stderr, "orva-lobbyd: the account database %s cannot be written: %s\n", where.c_str(),
                 error.c_str());
    return kExitBadConfig;
  }
  if (!SeedAccounts(config, store.get())) {
    std::fprintf(stderr, "orva-lobbyd: the configuration's accounts cannot be made\n");
    return 1;
  }
  LobbyServer server(io, std::move(config), std::move(store));
  if (!server.Start(&error)) {
    std::fprintf(stderr, "orva-lobbyd: %s\n", error.c_str());
    return kExitBadConfig;
  }
  if (descriptors != descriptorsBefore) {
    ServerLog("open-file limit raised from %llu to %llu", static_cast<unsigned long long>(descriptorsBefore),
              static_cast<unsigned long long>(descriptors));
  }
  // SIGHUP, which a closed terminal or a log rotation sends, is ignored:
  // the log is standard error, with nothing to reopen.
  asio::signal_set signals(io, SIGINT, SIGTERM, SIGHUP);
  std::function<void(const asio::error_code&, int)> onSignal = [&](const asio::error_code& e, int number) {
    if (e) return;
    if (number == SIGHUP) {
      ServerLog("signal %d: ignored", number);
      signals.async_wait(onSignal);
      return;
    }
    ServerLog("signal %d: stopping", number);
    server.Stop();
  };
  signals.async_wait(onSignal);
  io.run();
  ServerLog("stopped");
  return 0;
}
