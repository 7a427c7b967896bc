#pragma once
// One client's TCP connection: reads whole frames with the hardened rules
// (a broken or oversized frame ends this connection and nothing else),
// writes framed messages through a capped queue, and keeps the time-outs:
// the first request, then the echo cycle.

#include <asio.hpp>
#include <chrono>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "server/client_stream.h"

class LobbyServer;

// The largest padded body a client sends legitimately: a registration with
// 1023 characters of personal information.
inline constexpr uint32_t kClientMaxPadded = 1360;

class ClientConnection : public std::enable_shared_from_this<ClientConnection> {
 public:
  enum class State { kWaitingRequest, kVerifying, kAdmitted, kClosing, kClosed };
  using Clock = std::chrono::steady_clock;

  ClientConnection(LobbyServer& server, asio::ip::tcp::socket socket, uint64_t id, std::string address,
                   std::string peer);
  // Starts the request time-out, tells TLS from plain (when the server
  // offers TLS), then reads.
  void Start();
  // Frames and queues one message. A reader that lets more than the cap of
  // unsent bytes pile up is dropped instead.
  void Send(uint32_t type, std::span<const uint8_t> body);
  // Ends the connection now; reason goes to the log.
  void Close(const std::string& reason);
  // Stops reading, sends what is queued, then ends the connection.
  void CloseAfterSending(const std::string& reason);
  // Admission done: the echo cycle begins.
  void SetAdmitted(const std::string& user);
  void SetVerifying() { state_ = State::kVerifying; }

  State GetState() const { return state_; }
  uint64_t Id() const { return id_; }
  const std::string& Address() const { return address_; }
  const std::string& Peer() const { return peer_; }
  const std::string& User() const { return user_; }
  Clock::time_point AdmittedAt() const { return admittedAt_; }
  bool Tls() const { return stream_.Tls(); }

 private:
  void OnOpened(const asio::error_code& error, const std::string& refusal);
  void ReadHeader();
  void CloseOnReadError(const asio::error_code& error);
  void ReadBody(uint32_t type, uint32_t padded, uint32_t length);
  void OnEcho();
  void ScheduleTimer();
  void OnTimer();
  void Flush();
  void Finish();

  LobbyServer& server_;
  ClientStream stream_;
  asio::steady_timer timer_;
  uint64_t id_;
  std::string address_;  // the peer's address alone, for the per-address cap
  std::string peer_;     // address and port, for the log
  std::string user_;
  State state_ = State::kWaitingRequest;
  std::string closeReason_;
  Clock::time_point admittedAt_{};

  uint8_t header_[12] = {};
  std::vector<uint8_t> body_;

  std::vector<uint8_t> pending_;   // framed, not yet handed to the socket
  std::vector<uint8_t> inFlight_;  // being written
  bool writing_ = false;

  bool echoOutstanding_ = false;
  Clock::time_point echoSentAt_{};
};
