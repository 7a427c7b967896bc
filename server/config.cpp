#include "server/config.h"

#define TOML_EXCEPTIONS 0
#include <arpa/inet.h>

#include <cctype>

#include <algorithm>
#include <filesystem>
#include <thread>
#include <set>
#include <string_view>
#include <toml++/toml.h>

#include "server/postgres_url.h"
#include "server/registration_rules.h"

namespace {

namespace fs = std::filesystem;

struct Reader {
  const toml::table* table;
  std::string section;
  std::string* error;

  std::string Key(const char* key) const { return section.empty() ? key : section + "." + key; }
  bool Fail(const char* key, const std::string& what) const {
    *error = Key(key) + ": " + what;
    return false;
  }

  bool Unsigned(const char* key, uint64_t max, uint64_t* out, bool required = false) const {
    const toml::node* node = table->get(key);
    if (!node) return required ? Fail(key, "missing") : true;
    const auto value = node->value<int64_t>();
    if (!node->is_integer() || !value) return Fail(key, "must be a whole number");
    if (*value < 0 || static_cast<uint64_t>(*value) > max) {
      return Fail(key, "must be between 0 and " + std::to_string(max));
    }
    *out = static_cast<uint64_t>(*value);
    return true;
  }
  template <typename T>
  bool Number(const char* key, T* out, bool required = false) const {
    uint64_t v = *out;
    if (!Unsigned(key, static_cast<uint64_t>(static_cast<T>(~T{0})), &v, required)) return false;
    *out = static_cast<T>(v);
    return true;
  }
  bool Seconds(const char* key, double* out) const {
    const toml::node* node = table->get(key);
    if (!node) return true;
    const auto value = node->value<double>();
    if (!(node->is_integer() || node->is_floating_point()) || !value) return Fail(key, "must be a number");
    if (!(*value > 0 && *value <= 86400)) return Fail(key, "must be above 0 and at most 86400 seconds");
    *out = *value;
    return true;
  }
  bool Text(const char* key, std::string* out, bool required = false) const {
    const toml::node* node = table->get(key);
    if (!node) return required ? Fail(key, "missing") : true;
    const auto value = node->value<std::string>();
    if (!node->is_string() || !value) return Fail(key, "must be a string");
    *out = *value;
    return true;
  }
};

// A key the server does not know is an error, so a misspelt key never
// leaves its default in force without a word.
bool OnlyKnown(const toml::table& table, const std::string& section, std::initializer_list<std::string_view> known,
               const char* what, std::string* error) {
  for (const auto& [key, node] : table) {
    if (std::find(known.begin(), known.end(), key.str()) != known.end()) continue;
    *error = (section.empty() ? "" : section + ".") + std::string(key.str()) + ": unknown " + what;
    return false;
  }
  return true;
}

std::string Resolve(const fs::path& base, const std::string& path) {
  if (path.empty()) return path;
  const fs::path p(path);
  return (p.is_absolute() ? p : base / p).lexically_normal().string();
}

bool ParseListen(const std::string& text, ServerConfig* c) {
  const size_t colon = text.rfind(':');
  if (colon == std::string::npos || colon == 0) return false;
  std::string host = text.substr(0, colon);
  const std::string port = text.substr(colon + 1);
  if (host.size() > 2 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);
  in6_addr any6;
  in_addr any4;
  if (inet_pton(AF_INET, host.c_str(), &any4) != 1 && inet_pton(AF_INET6, host.c_str(), &any6) != 1) return false;
  if (port.empty() || port.size() > 5 || port.find_first_not_of("0123456789") != std::string::npos) return false;
  const unsigned long value = std::stoul(port);
  if (value > 65535) return false;
  c->listenHost = host;
  c->listenPort = static_cast<uint16_t>(value);
  return true;
}

bool ReadServer(const Reader& r, ServerConfig* c) {
  if (!OnlyKnown(*r.table, r.section,
                 {"name", "lease_s", "listen", "data_dir", "max_players", "newest_client_version", "min_request_version",
                  "lockout_failures", "account_lockout_failures", "lockout_s", "max_pending_hashes",
                  "max_pending_hashes_per_address", "echo_interval_s", "echo_timeout_s", "request_timeout_s",
                  "max_connections", "max_connections_per_address", "max_queued_bytes", "hash_workers"},
                 "key", r.error)) {
    return false;
  }
  std::string listen = c->listenHost + ":" + std::to_string(c->listenPort);
  if (!r.Text("listen", &listen)) return false;
  if (!ParseListen(listen, c)) return r.Fail("listen", "must be ADDRESS:PORT with a numeric address");
  if (!r.Text("data_dir", &c->dataDir, true) || !r.Text("name", &c->serverName) || !r.Seconds("lease_s", &c->leaseS)) {
    return false;
  }
  if (c->serverName.size() > 100 || c->serverName.find_first_of("\t\n") != std::string::npos) {
    return r.Fail("name", "must be at most 100 characters, without tabs or line ends");
  }
  if (c->dataDir.empty()) return r.Fail("data_dir", "must not be empty");
  if (!r.Number("max_players", &c->maxPlayers) || !r.Number("newest_client_version", &c->newestClientVersion) ||
      !r.Number("min_request_version", &c->minRequestVersion) ||
      !r.Number("lockout_failures", &c->lockoutFailures) ||
      !r.Number("account_lockout_failures", &c->accountLockoutFailures) || !r.Seconds("lockout_s", &c->lockoutS) ||
      !r.Number("max_pending_hashes", &c->maxPendingHashes) ||
      !r.Number("max_pending_hashes_per_address", &c->maxPendingHashesPerAddress) ||
      !r.Seconds("echo_interval_s", &c->echoIntervalS) ||
      !r.Seconds("echo_timeout_s", &c->echoTimeoutS) || !r.Seconds("request_timeout_s", &c->requestTimeoutS) ||
      !r.Number("max_connections", &c->maxConnections) ||
      !r.Number("max_connections_per_address", &c->maxConnectionsPerAddress) ||
      !r.Number("max_queued_bytes", &c->maxQueuedBytes) || !r.Number("hash_workers", &c->hashWorkers)) {
    return false;
  }
  if (c->maxConnections == 0) return r.Fail("max_connections", "must be at least 1");
  if (c->maxConnectionsPerAddress == 0) return r.Fail("max_connections_per_address", "must be at least 1");
  if (c->maxQueuedBytes < 4096) return r.Fail("max_queued_bytes", "must be at least 4096");
  if (c->hashWorkers == 0 || c->hashWorkers > 64) return r.Fail("hash_workers", "must be between 1 and 64");
  if (c->maxPendingHashes == 0) return r.Fail("max_pending_hashes", "must be at least 1");
  if (c->maxPendingHashesPerAddress == 0) return r.Fail("max_pending_hashes_per_address", "must be at least 1");
  return true;
}

bool ReadAccounts(const Reader& r, ServerConfig* c) {
  std::string hash = "interactive", store = "sqlite";
  if (!r.Text("hash", &hash) || !r.Text("store", &store) || !r.Text("url", &c->databaseUrl) ||
      !r.Text("passfile", &c->databasePassfile) || !r.Number("workers", &c->storeWorkers) ||
      !r.Seconds("timeout_s", &c->storeTimeoutS)) {
    return false;
  }
  if (c->storeWorkers == 0 || c->storeWorkers > 32) return r.Fail("workers", "must be between 1 and 32");
  if (hash == "interactive") c->hash = HashStrength::kInteractive;
  else if (hash == "fast") c->hash = HashStrength::kFast;
  else return r.Fail("hash", "must be \"interactive\" or \"fast\"");
  if (store == "sqlite") c->store = StoreKind::kSqlite;
  else if (store == "postgresql") c->store = StoreKind::kPostgresql;
  else return r.Fail("store", "must be \"sqlite\" or \"postgresql\"");
  if (c->store == StoreKind::kSqlite) {
    if (!c->databaseUrl.empty()) return r.Fail("url", "is for store = \"postgresql\" only");
    if (!c->databasePassfile.empty()) return r.Fail("passfile", "is for store = \"postgresql\" only");
    return true;
  }
  if (c->databaseUrl.empty()) return r.Fail("url", "missing (store = \"postgresql\" needs it)");
  std::string why;
  if (!PostgresUrlCheck(c->databaseUrl, &why)) return r.Fail("url", why);
  return true;
}

bool IsPlainName(const std::string& s) {
  for (unsigned char ch : s) {
    if (!(std::isalnum(ch) || ch == '-' || ch == '_' || ch == '.')) return false;
  }
  return s != "." && s != "..";
}

bool ReadRoom(const Reader& r, RoomConfig* room) {
  if (!OnlyKnown(*r.table, r.section,
                 {"id", "name", "address", "port", "image_file", "image_version", "image_set", "state", "players"},
                 "key", r.error)) {
    return false;
  }
  std::string address, state = "open";
  if (!r.Number("id", &room->id, true) || !r.Text("name", &room->name, true) ||
      !r.Text("address", &address, true) || !r.Number("port", &room->port, true) ||
      !r.Text("image_file", &room->imageFile, true) || !r.Number("image_version", &room->imageVersion) ||
      !r.Text("image_set", &room->imageSet, true) || !r.Text("state", &state) ||
      !r.Number("players", &room->players)) {
    return false;
  }
  // The name becomes the game program's name on the client and the image
  // file name a file there: both must stay inside their directories.
  if (room->name.empty() || room->name.size() > 30) return r.Fail("name", "must be 1 to 30 characters");
  if (!IsPlainName(room->name)) return r.Fail("name", "may hold only letters, digits, '-', '_' and '.'");
  if (room->imageFile.empty() || room->imageFile.size() > 15) return r.Fail("image_file", "must be 1 to 15 characters");
  if (!IsPlainName(room->imageFile)) return r.Fail("image_file", "may hold only letters, digits, '-', '_' and '.'");
  in_addr a;
  if (inet_pton(AF_INET, address.c_str(), &a) != 1) return r.Fail("address", "must be a dotted IPv4 address");
  room->address = ntohl(a.s_addr);
  if (state == "open") room->state = RoomState::kOpen;
  else if (state == "full") room->state = RoomState::kFull;
  else if (state == "closed") room->state = RoomState::kClosed;
  else return r.Fail("state", "must be \"open\", \"full\" or \"closed\"");
  return true;
}

// The same rules as a registration from a client, so a seeded account is one
// a client could have made.
bool ReadSeedAccount(const Reader& r, SeedAccount* account) {
  if (!OnlyKnown(*r.table, r.section, {"user", "password", "full_name", "email", "info"}, "key", r.error)) return false;
  if (!r.Text("user", &account->name, true) || !r.Text("password", &account->password, true) ||
      !r.Text("full_name", &account->fullName, true) || !r.Text("email", &account->email) ||
      !r.Text("info", &account->personalInfo)) {
    return false;
  }
  if (!RegistrationNameValid(account->name.c_str()) || account->name.size() > 31) {
    return r.Fail("user", "must be 1 to 31 letters and digits");
  }
  const std::string& password = account->password;
  if (password.size() < 4 || password.size() > 31 ||
      std::any_of(password.begin(), password.end(), [](char ch) { return ch < 1; })) {
    return r.Fail("password", "must be 4 to 31 characters, each from 1 to 127");
  }
  if (account->fullName.empty() || account->fullName.size() > 127) return r.Fail("full_name", "must be 1 to 127 characters");
  if (account->email.size() > 127) return r.Fail("email", "must be at most 127 characters");
  if (account->personalInfo.size() > 1023) return r.Fail("info", "must be at most 1023 characters");
  return true;
}

// Calls read with a Reader for each table of the array of tables name
// ([[name]]), named "name[i]" in messages; an absent array reads nothing.
template <typename ReadOne>
bool ReadEachTable(const toml::table& root, const std::string& name, std::string* error, ReadOne read) {
  const toml::node* n = root.get(name);
  if (!n) return true;
  const toml::array* tables = n->as_array();
  if (!tables) return *error = name + ": must be an array of tables ([[" + name + "]])", false;
  for (size_t i = 0; i < tables->size(); ++i) {
    const toml::table* t = tables->get(i)->as_table();
    const std::string section = name + "[" + std::to_string(i) + "]";
    if (!t) return *error = section + ": must be a table", false;
    if (!read(Reader{t, section, error}, section)) return false;
  }
  return true;
}

}  // namespace

bool ConfigSetListen(const std::string& text, ServerConfig* config) { return ParseListen(text, config); }

uint32_t DefaultHashWorkers() {
  const unsigned cores = std::thread::hardware_concurrency();
  return std::clamp<uint32_t>(cores > 1 ? cores - 1 : 1, 1, 4);
}

bool ConfigLoad(const std::string& path, ServerConfig* config, std::string* error) {
  toml::parse_result parsed = toml::parse_file(path);
  if (!parsed) {
    const auto& e = parsed.error();
    // Line 0: the file itself could not be read.
    const auto line = e.source().begin.line;
    *error = (line ? "line " + std::to_string(line) + ": " : std::string()) + std::string(e.description());
    return false;
  }
  const toml::table& root = parsed.table();
  if (!OnlyKnown(root, "", {"server", "accounts", "metrics", "disclaimer", "welcome", "tls", "room", "account"}, "section",
                 error)) {
    return false;
  }
  std::error_code ec;
  const fs::path base = fs::absolute(fs::path(path), ec).parent_path();
  ServerConfig c;

  const toml::table* server = root["server"].as_table();
  if (!server) {
    *error = "server: missing section";
    return false;
  }
  if (!ReadServer(Reader{server, "server", error}, &c)) return false;
  c.dataDir = Resolve(base, c.dataDir);

  if (const toml::node* n = root.get("accounts")) {
    const toml::table* t = n->as_table();
    if (!t) return *error = "accounts: must be a section", false;
    Reader r{t, "accounts", error};
    if (!OnlyKnown(*t, r.section, {"hash", "store", "url", "passfile", "workers", "timeout_s"}, "key", error) || !ReadAccounts(r, &c)) {
      return false;
    }
    c.databasePassfile = Resolve(base, c.databasePassfile);
  }
  if (const toml::node* n = root.get("metrics")) {
    const toml::table* t = n->as_table();
    if (!t) return *error = "metrics: must be a section", false;
    Reader r{t, "metrics", error};
    std::string listen;
    if (!OnlyKnown(*t, r.section, {"listen"}, "key", error) || !r.Text("listen", &listen, true)) return false;
    ServerConfig where;
    if (!ParseListen(listen, &where)) return r.Fail("listen", "must be ADDRESS:PORT with a numeric address");
    c.metrics = true;
    c.metricsHost = where.listenHost;
    c.metricsPort = where.listenPort;
  }
  if (const toml::node* n = root.get("disclaimer")) {
    const toml::table* t = n->as_table();
    if (!t) return *error = "disclaimer: must be a section", false;
    Reader r{t, "disclaimer", error};
    if (!OnlyKnown(*t, r.section, {"version", "file"}, "key", error) || !r.Number("version", &c.disclaimerVersion) ||
        !r.Text("file", &c.disclaimerFile)) {
      return false;
    }
    c.disclaimerFile = Resolve(base, c.disclaimerFile);
  }
  if (const toml::node* n = root.get("welcome")) {
    const toml::table* t = n->as_table();
    if (!t) return *error = "welcome: must be a section", false;
    const Reader r{t, "welcome", error};
    if (!OnlyKnown(*t, r.section, {"file"}, "key", error) || !r.Text("file", &c.welcomeFile)) return false;
    c.welcomeFile = Resolve(base, c.welcomeFile);
  }
  if (const toml::node* n = root.get("tls")) {
    const toml::table* t = n->as_table();
    if (!t) return *error = "tls: must be a section", false;
    Reader r{t, "tls", error};
    if (!OnlyKnown(*t, r.section, {"cert", "key", "require"}, "key", error)) return false;
    if (!r.Text("cert", &c.tlsCert) || !r.Text("key", &c.tlsKey)) return false;
    if (const toml::node* require = t->get("require")) {
      if (!require->is_boolean()) return r.Fail("require", "must be true or false");
      c.tlsRequire = require->value_or(false);
    }
    if (c.tlsCert.empty() != c.tlsKey.empty()) return r.Fail(c.tlsCert.empty() ? "cert" : "key", "missing");
    if (c.tlsRequire && c.tlsCert.empty()) return r.Fail("require", "needs cert and key");
    c.tlsCert = Resolve(base, c.tlsCert);
    c.tlsKey = Resolve(base, c.tlsKey);
  }
  std::set<uint32_t> ids;
  const bool roomsRead = ReadEachTable(root, "room", error, [&](const Reader& r, const std::string& section) {
    RoomConfig room;
    if (!ReadRoom(r, &room)) return false;
    if (!ids.insert(room.id).second) return *error = section + ".id: " + std::to_string(room.id) + " is used twice", false;
    room.imageSet = Resolve(base, room.imageSet);
    c.rooms.push_back(std::move(room));
    return true;
  });
  if (!roomsRead) return false;
  const bool accountsRead = ReadEachTable(root, "account", error, [&](const Reader& r, const std::string&) {
    SeedAccount account;
    if (!ReadSeedAccount(r, &account)) return false;
    c.accounts.push_back(std::move(account));
    return true;
  });
  if (!accountsRead) return false;
  *config = std::move(c);
  return true;
}

std::string ConfigDatabasePath(const ServerConfig& config) {
  return (fs::path(config.dataDir) / "accounts.db").string();
}

std::string ConfigAdminSocketPath(const ServerConfig& config) {
  return (fs::path(config.dataDir) / "admin.sock").string();
}
