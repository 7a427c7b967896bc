// The lobby server's handling of one client's byte stream: the frame reader
// of a ClientConnection, the AccessRequest and its admission, and whatever
// an admitted client sends after it. The client's bytes come through a
// socket pair inside the process, never the network; the server itself is
// made once per process, with an account store in memory, the fast hash
// strength, and its demo texts and one building set in a scratch folder.
// The seeds log in as "player" with "secret", so what follows them runs
// after admission. The server offers TLS beside plain, so the first byte
// decides: 0x00 is the protocol, 0x16 a TLS handshake (the library's own
// handshake parser behind it), anything else is closed.

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <asio.hpp>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>

#include "core/byte_reader.h"
#include "fuzz/support/fuzz_check.h"
#include "fuzz/support/scratch_file.h"
#include "fuzz/support/tls_identity.h"
#include "server/account_store.h"
#include "server/client_connection.h"
#include "server/config.h"
#include "server/lobby_server.h"
#include "server/password_hash.h"
#include "server/server_log.h"

namespace {

// Accounts in a map, by lower-case name, as the SQLite store keys them, and
// their lock-out counts by account and source.
class MemoryStore : public AccountStore {
 public:
  StoreResult Find(const std::string& name, Account* out) override {
    auto it = accounts_.find(Key(name));
    if (it == accounts_.end()) return StoreResult::kNotFound;
    *out = it->second;
    return StoreResult::kOk;
  }
  StoreResult Create(const Account& account) override {
    return accounts_.emplace(Key(account.name), account).second ? StoreResult::kOk : StoreResult::kExists;
  }
  StoreResult SetLocked(const std::string& name, bool locked) override {
    auto it = accounts_.find(Key(name));
    if (it == accounts_.end()) return StoreResult::kNotFound;
    it->second.locked = locked;
    for (auto count = counts_.begin(); !locked && count != counts_.end();) {
      count = count->first.first == it->first ? counts_.erase(count) : std::next(count);
    }
    return StoreResult::kOk;
  }
  StoreResult LockoutCheck(const std::string& name, const std::string& source, int64_t nowMs, bool* locked) override {
    auto it = accounts_.find(Key(name));
    if (it == accounts_.end()) return StoreResult::kNotFound;
    *locked = it->second.locked || LockoutActive(counts_[{Key(name), source}], nowMs) ||
              LockoutActive(counts_[{Key(name), ""}], nowMs);
    return StoreResult::kOk;
  }
  StoreResult LockoutFailure(const std::string& name, const std::string& source, int64_t nowMs,
                             const LockoutRules& rules, LockoutOutcome* outcome) override {
    const bool address = LockoutCountFailure(&counts_[{Key(name), source}], rules.address, nowMs);
    const bool account = LockoutCountFailure(&counts_[{Key(name), ""}], rules.account, nowMs);
    *outcome = account   ? LockoutOutcome::kAccountLocked
               : address ? LockoutOutcome::kAddressLocked
                         : LockoutOutcome::kCounted;
    return StoreResult::kOk;
  }
  StoreResult LockoutSuccess(const std::string& name, const std::string& source) override {
    counts_.erase({Key(name), source});
    counts_.erase({Key(name), ""});
    return StoreResult::kOk;
  }
  StoreResult LockoutForget(int64_t nowMs, uint32_t limit, uint32_t* forgotten) override {
    *forgotten = 0;
    for (auto count = counts_.begin(); count != counts_.end() && *forgotten < limit;) {
      const bool stale = LockoutStale(count->second, nowMs);
      *forgotten += stale ? 1 : 0;
      count = stale ? counts_.erase(count) : std::next(count);
    }
    return StoreResult::kOk;
  }
  StoreResult CheckWritable(std::string*) override { return StoreResult::kOk; }
  // Back to the one account the seeds log in with.
  void Reset(const Account& player) {
    accounts_.clear();
    counts_.clear();
    accounts_.emplace(Key(player.name), player);
  }

 private:
  static std::string Key(std::string name) {
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return name;
  }
  std::map<std::string, Account> accounts_;
  std::map<std::pair<std::string, std::string>, LockoutCount> counts_;  // by account and source
};

bool WriteFile(const std::string& path, const std::string& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

// A building set's header with nothing behind it: the server only passes
// sets on.
std::string SmallSet() {
  std::string set(24, '\0');
  const uint8_t rect[8] = {0, 10, 0, 10, 0, 50, 0, 40};
  set.replace(4, 8, reinterpret_cast<const char*>(rect), 8);
  return set;
}

struct Server {
  asio::io_context io;
  MemoryStore* store = nullptr;
  Account player;
  std::unique_ptr<LobbyServer> server;
  uint64_t nextId = 1;
};

Server* Make() {
  // SALVIND_FUZZ_LOG=1 shows what the server made of each input.
  ServerLogSetEnabled(std::getenv("SALVIND_FUZZ_LOG") != nullptr);
  FUZZ_CHECK(PasswordHashInit());
  const std::string folder = ScratchFolder();
  FUZZ_CHECK(WriteFile(folder + "/welcome.txt", "Welcome.\n") && WriteFile(folder + "/disclaimer.txt", "Be fair.\n") &&
             WriteFile(folder + "/chess.set", SmallSet()));
  ServerConfig config;
  config.listenHost = "127.0.0.1";
  config.listenPort = 0;  // the listener is never used: clients come through socket pairs
  config.dataDir = folder;
  config.hash = HashStrength::kFast;
  config.hashWorkers = 1;
  // One account worker, which is handed the memory store: a second would
  // open the configured store of its own.
  config.storeWorkers = 1;
  config.maxPlayers = 4;
  config.disclaimerVersion = 2;
  config.welcomeFile = folder + "/welcome.txt";
  config.disclaimerFile = folder + "/disclaimer.txt";
  RoomConfig room;
  room.id = 1;
  room.name = "chess";
  room.address = 0x7F000001u;
  room.port = 3001;
  room.imageFile = "chess.ogi";
  room.imageVersion = 1;
  room.imageSet = folder + "/chess.set";
  config.rooms.push_back(room);
  config.tlsCert = folder + "/cert.pem";
  config.tlsKey = folder + "/key.pem";
  FUZZ_CHECK(TlsIdentityWrite(config.tlsCert, config.tlsKey));

  auto* s = new Server;
  s->player.name = "player";
  s->player.passwordHash = PasswordHashMake("secret", HashStrength::kFast);
  FUZZ_CHECK(!s->player.passwordHash.empty());
  auto store = std::make_unique<MemoryStore>();
  s->store = store.get();
  s->server = std::make_unique<LobbyServer>(s->io, config, std::move(store));
  std::string error;
  if (!s->server->Start(&error)) {
    std::fprintf(stderr, "the server does not start: %s\n", error.c_str());
    std::abort();
  }
  return s;
}

Server& TheServer() {
  static Server* server = Make();
  return *server;
}

// Reads and drops what the server sent, so its writes never wait.
void Drain(int fd) {
  char scratch[4096];
  while (recv(fd, scratch, sizeof scratch, MSG_DONTWAIT) > 0) {
  }
}

bool Closed(const ClientConnection& c) { return c.GetState() == ClientConnection::State::kClosed; }

void SendAll(Server& s, const ClientConnection& connection, int fd, const uint8_t* data, size_t size) {
  size_t sent = 0;
  while (sent < size && !Closed(connection)) {
    const ssize_t n = send(fd, data + sent, size - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n > 0) {
      sent += static_cast<size_t>(n);
    } else {
      Drain(fd);
      s.io.run_one_for(std::chrono::milliseconds(1));
    }
  }
}

// Runs what is ready, then waits (a few milliseconds with the fast hash)
// while a request is being checked on the hash worker.
void Settle(Server& s, const ClientConnection& connection, int fd) {
  while (s.io.poll() > 0) Drain(fd);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (connection.GetState() == ClientConnection::State::kVerifying) {
    FUZZ_CHECK(std::chrono::steady_clock::now() < deadline);
    s.io.run_one_for(std::chrono::milliseconds(1));
    Drain(fd);
  }
  while (s.io.poll() > 0) Drain(fd);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 64 * 1024) return 0;
  Server& s = TheServer();
  s.store->Reset(s.player);

  int pair[2];
  FUZZ_CHECK(socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) == 0);
  const int client = pair[1];
  asio::ip::tcp::socket socket(s.io);
  asio::error_code ec;
  socket.assign(asio::ip::tcp::v4(), pair[0], ec);
  FUZZ_CHECK(!ec);
  auto connection = std::make_shared<ClientConnection>(*s.server, std::move(socket), s.nextId++, "fuzz", "fuzz");
  connection->Start();

  // Frame by frame, as a client that waits for the answer to its request:
  // after each frame the server takes it in and finishes checking a request
  // before the next one comes. A header that announces more than the input
  // holds sends the rest at once.
  size_t position = 0;
  while (position < size && !Closed(*connection)) {
    size_t end = size;
    if (size - position >= 12) end = position + 12 + std::min<size_t>(LoadBe32(data + position + 4), size);
    end = std::min(end, size);
    SendAll(s, *connection, client, data + position, end - position);
    position = end;
    Settle(s, *connection, client);
  }
  shutdown(client, SHUT_WR);
  // Until the server has closed the connection. Bounded: a connection
  // still open after it is a hang.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!Closed(*connection)) {
    FUZZ_CHECK(std::chrono::steady_clock::now() < deadline);
    Drain(client);
    s.io.run_one_for(std::chrono::milliseconds(2));
  }
  // Handlers still queued for the closed connection finish now.
  s.io.poll();
  Drain(client);
  close(client);
  return 0;
}
