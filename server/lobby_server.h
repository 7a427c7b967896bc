#pragma once
// The lobby server: accepts clients, admits them against the account store,
// announces the rooms, answers their requests and carries out the admin
// commands. Everything runs on one event-loop thread; password hashes run on
// the hash pool and account store calls on the store pool, and both come
// back as posted handlers.

#include <asio.hpp>
#include <asio/ssl/context.hpp>
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <memory>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "protocol/access_request.h"
#include "server/account_store.h"
#include "server/check_turns.h"
#include "server/config.h"
#include "server/hash_pool.h"
#include "server/lockout_rules.h"
#include "server/metrics.h"
#include "server/metrics_http.h"
#include "server/store_pool.h"

class AdminSocket;
class SharedState;
class ClientConnection;

struct RoomRuntime {
  RoomConfig config;  // state and players change at run time
  std::vector<uint8_t> set;  // the building image set, as in its file
};

class LobbyServer {
 public:
  LobbyServer(asio::io_context& io, ServerConfig config, std::unique_ptr<AccountStore> store);
  ~LobbyServer();
  LobbyServer(const LobbyServer&) = delete;
  LobbyServer& operator=(const LobbyServer&) = delete;

  // Reads the texts and the sets, opens the admin socket and listens. False
  // with error set when anything is missing or cannot be opened.
  bool Start(std::string* error);
  // Stops listening, drops the queued hashes and closes every connection
  // (admin ones too); the loop then runs dry once the hashes already
  // running have ended.
  void Stop();
  // The port listened on (the chosen one when the configuration said 0).
  uint16_t Port() const { return port_; }
  const ServerConfig& Config() const { return config_; }
  // The TLS settings, or nullptr when the server speaks plain only.
  asio::ssl::context* Tls() const { return tls_.get(); }
  // The unsent bytes a connection may hold: the configured cap plus every
  // building set, since a client without its game image files asks for all
  // of them at once.
  size_t QueueCap() const { return queueCap_; }

  // From the connections.
  void OnMessage(const std::shared_ptr<ClientConnection>& connection, uint32_t type, const uint8_t* body,
                 uint32_t length);
  // The connection starts closing: it no longer counts as online.
  void OnLeaving(ClientConnection* connection);
  // The connection is gone.
  void OnClosed(ClientConnection* connection);
  // A message of bytes (header and padding) queued for a client.
  void CountSent(size_t bytes) {
    metrics_.messagesOut.fetch_add(1, std::memory_order_relaxed);
    metrics_.bytesOut.fetch_add(bytes, std::memory_order_relaxed);
  }
  const Metrics& GetMetrics() const { return metrics_; }
  // The metrics endpoint's port, 0 when it is off.
  uint16_t MetricsPort() const;

  // One admin command (its words); the answer's first line is "ok" or
  // "error: ...".
  // Answered through reply on the loop thread, at once or once the
  // account store has answered.
  void AdminCommand(const std::vector<std::string>& words, std::function<void(std::string)> reply);

 private:
  void Accept();
  void OnAccessRequest(const std::shared_ptr<ClientConnection>& connection, const uint8_t* body, uint32_t length);
  // What a password check's store call found: the count of a wrong
  // password, or for the right one whether the account is locked.
  struct CheckAnswer {
    StoreResult stored = StoreResult::kFailed;
    LockoutOutcome outcome = LockoutOutcome::kCounted;
    bool locked = false;
    StoreResult cleared = StoreResult::kOk;
  };
  // Runs job on the store pool for a connection whose request is being
  // checked; when no answer has come after the store's time-out, the
  // client is refused with reason 6 (the answer, when it comes, still runs).
  void StoreCall(const std::shared_ptr<ClientConnection>& connection, const std::string& user, StorePool::Job job);
  void Register(const std::shared_ptr<ClientConnection>& connection, const AccessRequestFields& request);
  void HashRegistration(const std::shared_ptr<ClientConnection>& connection, const Account& account,
                        const std::string& password, StoreResult found);
  void FinishRegistration(const std::shared_ptr<ClientConnection>& connection, const Account& account);
  void LogIn(const std::shared_ptr<ClientConnection>& connection, const AccessRequestFields& request);
  void WaitForCheckTurn(const std::shared_ptr<ClientConnection>& connection, const Account& account,
                        const std::string& password);
  bool BeginCheck(const std::shared_ptr<ClientConnection>& connection, const std::string& name,
                  const std::string& hash, const std::string& password);
  bool HashCheck(const std::shared_ptr<ClientConnection>& connection, const std::string& name, const std::string& hash,
                 const std::string& password, StoreResult checked, bool locked);
  void FinishLogIn(const std::shared_ptr<ClientConnection>& connection, const std::string& name, bool matches);
  void AnswerCheck(const std::shared_ptr<ClientConnection>& connection, const std::string& name, bool matches,
                   const CheckAnswer& answer);
  // Deletes a batch of stale lock-out counts on the store pool when one
  // is due.
  void ForgetStaleLockouts();
  // Whether the lock-out read (checked, locked) lets the connection's
  // source try name's password; refused (4, or 2 or 6 when the account
  // cannot be read) when not.
  bool PassesLockout(const std::shared_ptr<ClientConnection>& connection, const std::string& name, StoreResult checked,
                     bool locked);
  void Deny(const std::shared_ptr<ClientConnection>& connection, const std::string& user, uint16_t reason,
            const char* why = nullptr);
  void Admit(const std::shared_ptr<ClientConnection>& connection, const std::string& name);
  bool LobbyFull(const std::string& name) const;
  void OnGameImageRequest(ClientConnection& connection, const uint8_t* body, uint32_t length);
  void SendRoom(ClientConnection& connection, const RoomRuntime& room, bool withInfo);
  void Broadcast(uint32_t type, std::span<const uint8_t> body);
  void BroadcastRoom(const RoomRuntime& room, bool withInfo);
  RoomRuntime* FindRoom(uint32_t id);
  std::string CommandRoom(const std::vector<std::string>& words);
  // A room's new state and count, broadcast to this server's clients.
  void ApplyRoom(RoomRuntime& room, RoomState state, uint32_t players);
  void Kick(const std::shared_ptr<ClientConnection>& connection);
  bool StartShared(std::string* error);
  std::string CommandUsers();
  void CountAdmission(ClientConnection* connection, uint16_t result);
  HashPool::Job Timed(HashPool::Job job);
  void CommandAccount(const std::string& verb, const std::string& name, std::function<void(std::string)> reply);

  asio::io_context& io_;
  ServerConfig config_;
  LockoutRules lockoutRules_;
  HashPool pool_;
  StorePool stores_;
  // The time-outs of store calls waiting for their answers.
  std::set<std::shared_ptr<asio::steady_timer>> storeWaits_;
  // One password check per account at a time.
  CheckTurns checkTurns_;
  // The connections with a hash queued or running: its ticket, and the
  // account (lower case) whose check turn it holds, empty for a
  // registration.
  struct PendingHash {
    uint64_t ticket;
    std::string account;
  };
  std::unordered_map<ClientConnection*, PendingHash> hashing_;
  // When the next pass over the stale lock-out counts may run, and
  // whether one is on the store pool now.
  int64_t forgetDueMs_ = 0;
  bool forgetting_ = false;
  asio::ip::tcp::acceptor acceptor_;
  asio::steady_timer acceptRetry_;
  std::unique_ptr<AdminSocket> admin_;
  std::unique_ptr<asio::ssl::context> tls_;
  // With PostgreSQL: what the servers on the database share.
  std::unique_ptr<SharedState> shared_;
  Metrics metrics_;
  std::unique_ptr<MetricsHttp> metricsHttp_;
  // Whether each connection's request is a registration, for the figures.
  std::unordered_map<ClientConnection*, bool> registering_;
  uint16_t port_ = 0;
  size_t queueCap_ = 0;
  bool stopped_ = false;
  // max_connections, or fewer when the open-file limit leaves room for fewer.
  uint32_t connectionCap_ = 0;
  // Accepting failed (out of descriptors, most likely) and waits a while
  // before it tries again; logged once until it works again.
  std::chrono::milliseconds acceptBackoff_{0};

  std::string welcome_;
  std::string disclaimer_;
  std::vector<RoomRuntime> rooms_;

  uint64_t nextId_ = 1;
  std::map<ClientConnection*, std::shared_ptr<ClientConnection>> connections_;
  std::unordered_map<std::string, uint32_t> perAddress_;
  // Building sets sent to each connection, by room: a set of up to 4 MiB
  // is sent a few times per connection at most.
  std::unordered_map<ClientConnection*, std::unordered_map<uint32_t, uint32_t>> setsSent_;
  // Admitted users by lower-case name.
  std::map<std::string, std::shared_ptr<ClientConnection>> online_;
};
