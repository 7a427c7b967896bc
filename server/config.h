#pragma once
// The lobby server's configuration, read from a TOML file. Every path in it
// is relative to the file's own directory and is stored resolved.

#include <cstdint>
#include <string>
#include <vector>

// One fewer than the processor count, at least 1 and at most 4.
uint32_t DefaultHashWorkers();

enum class HashStrength : uint8_t { kInteractive, kFast };

// Where accounts live: an SQLite file in the data directory (one server),
// or a PostgreSQL database that several servers share.
enum class StoreKind : uint8_t { kSqlite, kPostgresql };

enum class RoomState : uint16_t { kOpen = 1, kFull = 2, kClosed = 3 };

struct RoomConfig {
  uint32_t id = 0;
  std::string name;       // the game's name, 1 to 30 characters
  uint32_t address = 0;   // IPv4 as a number
  uint16_t port = 0;
  std::string imageFile;  // 1 to 15 characters
  uint32_t imageVersion = 0;
  std::string imageSet;   // path of the building image set
  RoomState state = RoomState::kOpen;
  uint32_t players = 0;
};

// An account made at start when no account of its name exists: how a demo
// lobby has a user to log in with from its first run.
struct SeedAccount {
  std::string name;  // 1 to 31 ASCII letters and digits
  std::string password;
  std::string fullName;
  std::string email;
  std::string personalInfo;
};

struct ServerConfig {
  // How the other servers on a shared database and the operator know this
  // one; empty: the host name and the port listened on.
  std::string serverName;
  // The lease on this server's place among them: renewed every third of it,
  // and a server that lets it run out is cleared with its users.
  double leaseS = 15;
  std::string listenHost = "127.0.0.1";
  // The metrics endpoint ([metrics] listen); off unless given.
  bool metrics = false;
  std::string metricsHost;
  uint16_t metricsPort = 0;
  uint16_t listenPort = 2000;  // 0: any free port
  std::string dataDir;
  uint32_t maxPlayers = 100;
  uint32_t newestClientVersion = 0x00010100u;
  uint32_t minRequestVersion = 1;
  // Wrong passwords from one source address that lock it out of the account
  // for lockoutS (doubling with each further lock); from all sources
  // together, accountLockoutFailures lock the account. 0: never lock.
  uint32_t lockoutFailures = 5;
  uint32_t accountLockoutFailures = 50;
  double lockoutS = 900;
  double echoIntervalS = 60;
  double echoTimeoutS = 120;
  // Caps against hostile clients.
  double requestTimeoutS = 30;          // time to the first AccessRequest
  uint32_t maxConnections = 1024;
  uint32_t maxConnectionsPerAddress = 16;
  uint32_t maxQueuedBytes = 256 * 1024;  // unsent bytes before a reader is dropped
  uint32_t maxPendingHashes = 64;        // password hashes queued or running
  uint32_t maxPendingHashesPerAddress = 4;
  // Hash threads; by default one core is left to the event loop.
  uint32_t hashWorkers = DefaultHashWorkers();
  HashStrength hash = HashStrength::kInteractive;
  StoreKind store = StoreKind::kSqlite;
  // PostgreSQL: a libpq connection string or URI without the password,
  // which comes from PGPASSWORD or the passfile.
  std::string databaseUrl;
  std::string databasePassfile;
  // Threads (each with its own connection) that make the store's calls,
  // and how long a log-in waits for one before it is refused as full.
  uint32_t storeWorkers = 2;
  double storeTimeoutS = 5;
  uint32_t disclaimerVersion = 0;
  std::string disclaimerFile;
  std::string welcomeFile;
  std::vector<RoomConfig> rooms;
  std::vector<SeedAccount> accounts;
  // TLS on the listening port when both are set (PEM files); plain clients
  // are refused when tlsRequire is set.
  std::string tlsCert;
  std::string tlsKey;
  bool tlsRequire = false;
};

// Reads and checks the file at path. On failure returns false and sets error
// to one line naming the key and what is wrong with it.
bool ConfigLoad(const std::string& path, ServerConfig* config, std::string* error);

// Replaces the listening address and port with text of the form
// ADDRESS:PORT (port 0: any free port); false when it is not of that form.
bool ConfigSetListen(const std::string& text, ServerConfig* config);

// The account database and the admin socket inside the data directory.
std::string ConfigDatabasePath(const ServerConfig& config);
std::string ConfigAdminSocketPath(const ServerConfig& config);
