#include "server/lobby_server.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "core/byte_reader.h"
#include "protocol/frame.h"
#include "protocol/server_build.h"
#include "server/address_key.h"
#include "server/admin_socket.h"
#include "server/client_connection.h"
#include "server/descriptor_limit.h"
#include "server/file_read.h"
#include "server/server_log.h"
#include "server/tls_context.h"
#include "server/shared_state.h"

namespace {

// A set goes out in one GameImage message, whose padded body stays under
// the framing's limit with the room id in front.
constexpr size_t kSetMaxBytes = kFrameMaxPadded - 8;
constexpr size_t kSetHeaderBytes = 24;
constexpr size_t kTextMaxBytes = 256 * 1024;
// A client asks for a room's set when it lacks the room's game image file,
// or when the file is broken; more than this is a flood.
constexpr uint32_t kSetsPerRoomPerConnection = 3;
// Log-ins of one account that may wait for the check before theirs.
constexpr size_t kChecksWaitingPerAccount = 32;

int64_t Milliseconds(double seconds) { return static_cast<int64_t>(seconds * 1000.0); }

bool ReadText(const std::string& path, const char* key, std::string* out, std::string* error) {
  if (path.empty()) return true;
  std::vector<uint8_t> bytes;
  if (!FileReadAll(path, kTextMaxBytes, &bytes, error)) {
    *error = std::string(key) + ": " + *error;
    return false;
  }
  out->assign(bytes.begin(), bytes.end());
  return true;
}

}  // namespace

LobbyServer::LobbyServer(asio::io_context& io, ServerConfig config, std::unique_ptr<AccountStore> store)
    : io_(io),
      config_(std::move(config)),
      lockoutRules_{{config_.lockoutFailures, Milliseconds(config_.lockoutS), true},
                    {config_.accountLockoutFailures, Milliseconds(config_.lockoutS), false}},
      pool_(config_.hashWorkers, {config_.maxPendingHashes, config_.maxPendingHashesPerAddress},
            [this](HashPool::Answer answer) { asio::post(io_, std::move(answer)); }),
      stores_(
          config_.storeWorkers,
          [config = config_](std::string* error) { return AccountStoreOpen(config, error); }, std::move(store),
          [this](StorePool::Answer answer) { asio::post(io_, std::move(answer)); }),
      checkTurns_(kChecksWaitingPerAccount),
      acceptor_(io),
      acceptRetry_(io) {}

LobbyServer::~LobbyServer() = default;

bool LobbyServer::Start(std::string* error) {
  if (!ReadText(config_.welcomeFile, "welcome.file", &welcome_, error) ||
      !ReadText(config_.disclaimerFile, "disclaimer.file", &disclaimer_, error)) {
    return false;
  }
  for (size_t i = 0; i < config_.rooms.size(); ++i) {
    RoomRuntime room{config_.rooms[i], {}};
    const std::string key = "room[" + std::to_string(i) + "].image_set";
    if (!FileReadAll(room.config.imageSet, kSetMaxBytes, &room.set, error)) {
      *error = key + ": " + *error;
      return false;
    }
    if (room.set.size() < kSetHeaderBytes) {
      *error = key + ": " + room.config.imageSet + " is shorter than a building image set header";
      return false;
    }
    rooms_.push_back(std::move(room));
  }
  queueCap_ = config_.maxQueuedBytes;
  for (const RoomRuntime& room : rooms_) queueCap_ += room.set.size() + 64;
  if (!config_.tlsCert.empty()) {
    tls_ = TlsContextMake(config_.tlsCert, config_.tlsKey, error);
    if (!tls_) return false;
  }
  if (mkdir(config_.dataDir.c_str(), 0700) != 0 && errno != EEXIST) {
    *error = "server.data_dir: " + config_.dataDir + ": " + std::strerror(errno);
    return false;
  }
  admin_ = std::make_unique<AdminSocket>(io_, *this);
  if (!admin_->Open(ConfigAdminSocketPath(config_), error)) return false;

  asio::error_code ec;
  const asio::ip::address address = asio::ip::make_address(config_.listenHost, ec);
  if (ec) {
    *error = "server.listen: " + config_.listenHost + ": " + ec.message();
    return false;
  }
  const asio::ip::tcp::endpoint endpoint(address, config_.listenPort);
  acceptor_.open(endpoint.protocol(), ec);
  if (!ec) acceptor_.set_option(asio::ip::tcp::acceptor::reuse_address(true), ec);
  if (!ec) acceptor_.bind(endpoint, ec);
  if (!ec) acceptor_.listen(asio::socket_base::max_listen_connections, ec);
  if (ec) {
    *error = "server.listen: cannot listen on " + config_.listenHost + ":" + std::to_string(config_.listenPort) +
             ": " + ec.message();
    return false;
  }
  port_ = acceptor_.local_endpoint(ec).port();
  if (config_.serverName.empty()) {
    char host[256] = {};
    gethostname(host, sizeof host - 1);
    config_.serverName = std::string(host) + ":" + std::to_string(port_);
  }
  if (config_.store == StoreKind::kPostgresql && !StartShared(error)) return false;
  if (config_.metrics) {
    metricsHttp_ = std::make_unique<MetricsHttp>(metrics_, config_.serverName);
    if (!metricsHttp_->Start(config_.metricsHost, config_.metricsPort, error)) return false;
    ServerLog("metrics on http://%s:%u/metrics", config_.metricsHost.c_str(), metricsHttp_->Port());
  }
  ServerLog("listening on %s:%u with %zu rooms", config_.listenHost.c_str(), port_, rooms_.size());
  const uint64_t descriptors = DescriptorLimit();
  connectionCap_ = DescriptorConnectionCap(descriptors, config_.maxConnections);
  if (connectionCap_ < config_.maxConnections) {
    ServerLog("the open-file limit of %llu leaves room for %u connections (max_connections is %u)",
              static_cast<unsigned long long>(descriptors), connectionCap_, config_.maxConnections);
  }
  if (tls_) ServerLog("TLS with %s, %s", config_.tlsCert.c_str(), config_.tlsRequire ? "required" : "plain also taken");
  Accept();
  return true;
}

void LobbyServer::Stop() {
  if (stopped_) return;
  stopped_ = true;
  asio::error_code ignored;
  acceptor_.close(ignored);
  acceptRetry_.cancel();
  if (admin_) admin_->Close();
  // This server's users leave the shared presence at once.
  shared_.reset();
  if (metricsHttp_) metricsHttp_->Stop();
  // Queued hashes are dropped: stopping never waits for them.
  pool_.DropQueued();
  hashing_.clear();
  stores_.DropQueued();
  for (const auto& timer : storeWaits_) timer->cancel();
  storeWaits_.clear();
  // Closing removes the connection from the map, so walk a copy.
  const auto connections = connections_;
  for (const auto& [raw, connection] : connections) connection->Close("server stopping");
}

void LobbyServer::Accept() {
  acceptor_.async_accept([this](const asio::error_code& error, asio::ip::tcp::socket socket) {
    if (stopped_) return;
    if (error) {
      // Out of descriptors, most likely: the connections already open go on
      // being served while accepting waits, longer after each failure.
      if (acceptBackoff_.count() == 0) {
        ServerLog("accept failed: %s; trying again in a while", error.message().c_str());
      }
      acceptBackoff_ = std::min<std::chrono::milliseconds>(std::max(acceptBackoff_ * 2, std::chrono::milliseconds(50)),
                                                           std::chrono::seconds(1));
      acceptRetry_.expires_after(acceptBackoff_);
      acceptRetry_.async_wait([this](const asio::error_code& e) {
        if (!e && !stopped_) Accept();
      });
      return;
    }
    if (acceptBackoff_.count() != 0) {
      ServerLog("accepting again");
      acceptBackoff_ = std::chrono::milliseconds(0);
    }
    asio::error_code ec;
    const asio::ip::tcp::endpoint remote = socket.remote_endpoint(ec);
    const std::string address = ec ? std::string("?") : AddressKey(remote.address());
    const std::string peer = ec ? address : remote.address().to_string() + ":" + std::to_string(remote.port());
    uint32_t& fromAddress = perAddress_[address];
    if (connections_.size() >= connectionCap_ || fromAddress >= config_.maxConnectionsPerAddress) {
      ServerLog("%s refused: %s", peer.c_str(),
                connections_.size() >= connectionCap_ ? "too many connections" : "too many connections from its address");
      if (fromAddress == 0) perAddress_.erase(address);
      socket.close(ec);
    } else {
      ++fromAddress;
      const uint64_t id = nextId_++;
      auto connection = std::make_shared<ClientConnection>(*this, std::move(socket), id, address, peer);
      connections_.emplace(connection.get(), connection);
      metrics_.connections.fetch_add(1);
      ServerLog("#%llu %s connected", static_cast<unsigned long long>(id), peer.c_str());
      connection->Start();
    }
    Accept();
  });
}

void LobbyServer::OnMessage(const std::shared_ptr<ClientConnection>& connection, uint32_t type, const uint8_t* body,
                            uint32_t length) {
  metrics_.messagesIn.fetch_add(1, std::memory_order_relaxed);
  metrics_.bytesIn.fetch_add(kFrameHeaderSize + length, std::memory_order_relaxed);
  const ClientConnection::State state = connection->GetState();
  if (state == ClientConnection::State::kWaitingRequest) {
    if (type != kMessageAccessRequest) {
      connection->Close("message " + std::to_string(type) + " before admission");
      return;
    }
    OnAccessRequest(connection, body, length);
    return;
  }
  if (state == ClientConnection::State::kVerifying) {
    connection->Close("message " + std::to_string(type) + " while its request is checked");
    return;
  }
  if (state != ClientConnection::State::kAdmitted) return;
  if (!MessageBodyCheck(type, body, length)) {
    connection->Close("short body of message " + std::to_string(type));
    return;
  }
  switch (type) {
    case kMessageDisclaimerRequest: {
      const std::vector<uint8_t> answer = DisclaimerBuild(config_.disclaimerVersion, disclaimer_);
      connection->Send(kMessageDisclaimer, answer);
      return;
    }
    case kMessageGameImageRequest:
      OnGameImageRequest(*connection, body, length);
      return;
    default:
      // Whatever else an admitted client sends (within the caps) is ignored.
      return;
  }
}

void LobbyServer::OnGameImageRequest(ClientConnection& connection, const uint8_t* body, uint32_t) {
  const RoomRuntime* room = FindRoom(LoadBe32(body));
  if (!room) return;
  uint32_t& sent = setsSent_[&connection][room->config.id];
  if (sent == kSetsPerRoomPerConnection) {
    connection.Close("asked for the building set of room " + std::to_string(room->config.id) + " too often");
    return;
  }
  ++sent;
  metrics_.setsSent.fetch_add(1);
  const std::vector<uint8_t> answer = GameImageBuild(room->config.id, room->set);
  connection.Send(kMessageGameImage, answer);
  // One line per set sent tells an operator (and the end-to-end tests) which
  // clients read their buildings from their own cache and which asked.
  ServerLog("#%llu sent the building set of room %u", static_cast<unsigned long long>(connection.Id()),
            room->config.id);
}

void LobbyServer::OnLeaving(ClientConnection* connection) {
  // A hash its client no longer waits for is dropped unless it runs already
  // (a password check that runs is still counted).
  auto pending = hashing_.find(connection);
  if (pending != hashing_.end() && pool_.Cancel(pending->second.ticket)) {
    const std::string account = pending->second.account;
    hashing_.erase(pending);
    if (!account.empty()) checkTurns_.Leave(account);
    metrics_.hashesPending.fetch_sub(1);
  }
  if (connection->User().empty()) return;
  std::string key = connection->User();
  for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  auto it = online_.find(key);
  if (it != online_.end() && it->second.get() == connection) {
    online_.erase(it);
    metrics_.admitted = static_cast<int64_t>(online_.size());
    if (shared_) shared_->Left(connection->User());
  }
}

bool LobbyServer::StartShared(std::string* error) {
  auto onLoop = [this](std::function<void()> f) { asio::post(io_, std::move(f)); };
  SharedState::Handlers handlers;
  handlers.loggedInElsewhere = [this](const std::string& key) {
    auto it = online_.find(key);
    if (it == online_.end()) return;
    std::shared_ptr<ClientConnection> previous = it->second;
    previous->Send(kMessageServerAlert, ServerAlertBuild("You have been logged in from another place."));
    previous->CloseAfterSending("logged in from another place");
  };
  handlers.alert = [this](const std::string& text) { Broadcast(kMessageServerAlert, ServerAlertBuild(text)); };
  handlers.kick = [this](const std::string& key) {
    auto it = online_.find(key);
    if (it == online_.end()) return;
    Kick(it->second);
    ServerLog("admin: kicked %s from another server", key.c_str());
  };
  handlers.online = [this] {
    std::vector<std::pair<std::string, std::string>> users;
    for (const auto& [key, connection] : online_) users.emplace_back(connection->User(), connection->Peer());
    return users;
  };
  handlers.room = [this](uint32_t id, RoomState state, uint32_t players) {
    if (RoomRuntime* room = FindRoom(id)) ApplyRoom(*room, state, players);
  };
  shared_ = std::make_unique<SharedState>(config_, std::move(handlers), onLoop);
  std::vector<RoomConfig*> rooms;
  for (RoomRuntime& room : rooms_) rooms.push_back(&room.config);
  if (!shared_->Start(rooms, error)) {
    *error = "the shared state cannot be started: " + *error;
    shared_.reset();
    return false;
  }
  ServerLog("sharing presence and rooms as server %s", config_.serverName.c_str());
  return true;
}

void LobbyServer::OnClosed(ClientConnection* connection) {
  auto count = perAddress_.find(connection->Address());
  if (count != perAddress_.end() && --count->second == 0) perAddress_.erase(count);
  setsSent_.erase(connection);
  registering_.erase(connection);
  if (connections_.erase(connection)) metrics_.connections.fetch_sub(1);
}

RoomRuntime* LobbyServer::FindRoom(uint32_t id) {
  for (RoomRuntime& room : rooms_) {
    if (room.config.id == id) return &room;
  }
  return nullptr;
}

void LobbyServer::SendRoom(ClientConnection& connection, const RoomRuntime& room, bool withInfo) {
  const RoomConfig& c = room.config;
  if (withInfo) {
    uint8_t info[kRoomInfoLength];
    RoomInfoBuild({c.id, c.address, c.port, 0, c.name, c.imageFile, c.imageVersion}, info);
    connection.Send(kMessageRoomInfo, info);
  }
  uint8_t status[kRoomStatusLength];
  RoomStatusBuild(c.id, c.players, static_cast<uint16_t>(c.state), status);
  connection.Send(kMessageRoomStatus, status);
}

void LobbyServer::Broadcast(uint32_t type, std::span<const uint8_t> body) {
  // Sending may drop a slow reader, which leaves the map: walk a copy.
  const auto online = online_;
  for (const auto& [name, connection] : online) connection->Send(type, body);
}

void LobbyServer::BroadcastRoom(const RoomRuntime& room, bool withInfo) {
  const auto online = online_;
  for (const auto& [name, connection] : online) SendRoom(*connection, room, withInfo);
}

uint16_t LobbyServer::MetricsPort() const { return metricsHttp_ ? metricsHttp_->Port() : 0; }
