#include "server/client_connection.h"

#include "core/byte_reader.h"
#include "protocol/frame.h"
#include "protocol/server_build.h"
#include "server/lobby_server.h"
#include "server/server_log.h"

namespace {

std::chrono::steady_clock::duration Seconds(double s) {
  return std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::duration<double>(s));
}

}  // namespace

ClientConnection::ClientConnection(LobbyServer& server, asio::ip::tcp::socket socket, uint64_t id,
                                   std::string address, std::string peer)
    : server_(server),
      stream_(std::move(socket)),
      timer_(stream_.Socket().get_executor()),
      id_(id),
      address_(std::move(address)),
      peer_(std::move(peer)) {}

void ClientConnection::Start() {
  asio::error_code ignored;
  stream_.Socket().set_option(asio::ip::tcp::no_delay(true), ignored);
  ScheduleTimer();
  auto self = shared_from_this();
  stream_.Open(server_.Tls(), server_.Config().tlsRequire,
               [this, self](const asio::error_code& error, const std::string& refusal) { OnOpened(error, refusal); });
}

void ClientConnection::OnOpened(const asio::error_code& error, const std::string& refusal) {
  if (state_ == State::kClosing || state_ == State::kClosed) return;
  if (error == asio::error::eof) {
    Close("closed by the client");
  } else if (error) {
    Close("TLS handshake failed: " + error.message());
  } else if (!refusal.empty()) {
    Close(refusal);
  } else {
    ReadHeader();
  }
}

void ClientConnection::CloseOnReadError(const asio::error_code& error) {
  // A TLS client that leaves without its closing alert has left all the same.
  const bool left = error == asio::error::eof || error == asio::ssl::error::stream_truncated;
  Close(left ? "closed by the client" : "read error: " + error.message());
}

void ClientConnection::ReadHeader() {
  auto self = shared_from_this();
  stream_.Read(asio::buffer(header_), [this, self](const asio::error_code& error, size_t) {
    if (state_ == State::kClosing || state_ == State::kClosed) return;
    if (error) {
      CloseOnReadError(error);
      return;
    }
    const uint32_t type = LoadBe32(header_);
    const uint32_t padded = LoadBe32(header_ + 4);
    const uint32_t length = LoadBe32(header_ + 8);
    if (FrameCheck(padded, length) != kFrameOk) {
      Close(std::string("broken frame: ") + FrameFaultText(FrameCheck(padded, length)));
      return;
    }
    if (padded > kClientMaxPadded) {
      Close("oversized message of " + std::to_string(padded) + " bytes");
      return;
    }
    ReadBody(type, padded, length);
  });
}

void ClientConnection::ReadBody(uint32_t type, uint32_t padded, uint32_t length) {
  // One byte more, always 0, so a text at the end of the body still ends.
  body_.assign(padded + 1, 0);
  auto self = shared_from_this();
  stream_.Read(asio::buffer(body_.data(), padded),
               [this, self, type, length](const asio::error_code& error, size_t) {
                 if (state_ == State::kClosing || state_ == State::kClosed) return;
                 if (error) {
                   CloseOnReadError(error);
                   return;
                 }
                 body_[length] = 0;
                 if (type == kMessageEcho) {
                   OnEcho();
                 } else {
                   server_.OnMessage(self, type, body_.data(), length);
                 }
                 if (state_ != State::kClosing && state_ != State::kClosed) ReadHeader();
               });
}

void ClientConnection::OnEcho() {
  if (echoOutstanding_) {
    // The answer to ours.
    echoOutstanding_ = false;
    ScheduleTimer();
    return;
  }
  // A client's own echo is answered. Ours are only sent while none is
  // outstanding and answers to them are never answered, so two peers cannot
  // bounce echoes between them faster than the client sends its own.
  Send(kMessageEcho, {});
}

void ClientConnection::SetAdmitted(const std::string& user) {
  user_ = user;
  state_ = State::kAdmitted;
  admittedAt_ = Clock::now();
  echoSentAt_ = admittedAt_;
  echoOutstanding_ = false;
  ScheduleTimer();
}

void ClientConnection::ScheduleTimer() {
  const ServerConfig& config = server_.Config();
  Clock::time_point due;
  switch (state_) {
    case State::kWaitingRequest:
      due = Clock::now() + Seconds(config.requestTimeoutS);
      break;
    case State::kAdmitted:
      due = echoSentAt_ + Seconds(echoOutstanding_ ? config.echoTimeoutS : config.echoIntervalS);
      break;
    case State::kClosing:
      // A reader that will not take the last messages is not waited for long.
      due = Clock::now() + std::chrono::seconds(5);
      break;
    default:
      timer_.cancel();
      return;
  }
  timer_.expires_at(due);
  auto self = shared_from_this();
  timer_.async_wait([this, self](const asio::error_code& error) {
    if (!error) OnTimer();
  });
}

void ClientConnection::OnTimer() {
  switch (state_) {
    case State::kWaitingRequest:
      Close(stream_.Handshaking() ? "no TLS handshake in time" : "no access request in time");
      return;
    case State::kAdmitted:
      if (echoOutstanding_) {
        Close("echo time-out");
        return;
      }
      echoOutstanding_ = true;
      echoSentAt_ = Clock::now();
      Send(kMessageEcho, {});
      ScheduleTimer();
      return;
    case State::kClosing:
      Finish();
      return;
    default:
      return;
  }
}

void ClientConnection::Send(uint32_t type, std::span<const uint8_t> body) {
  if (state_ == State::kClosing || state_ == State::kClosed) return;
  if (pending_.size() + inFlight_.size() > server_.QueueCap()) {
    Close("send queue above " + std::to_string(server_.QueueCap()) + " bytes");
    return;
  }
  const size_t before = pending_.size();
  if (!FrameAppend(&pending_, type, body)) return;
  server_.CountSent(pending_.size() - before);
  Flush();
}

void ClientConnection::Flush() {
  if (writing_ || pending_.empty() || state_ == State::kClosed) return;
  inFlight_.swap(pending_);
  pending_.clear();
  writing_ = true;
  auto self = shared_from_this();
  stream_.Write(asio::buffer(inFlight_), [this, self](const asio::error_code& error, size_t) {
    writing_ = false;
    inFlight_.clear();
    if (state_ == State::kClosed) return;
    if (error) {
      Close("write error: " + error.message());
      return;
    }
    if (!pending_.empty()) {
      Flush();
    } else if (state_ == State::kClosing) {
      Finish();
    }
  });
}

void ClientConnection::CloseAfterSending(const std::string& reason) {
  if (state_ == State::kClosing || state_ == State::kClosed) return;
  closeReason_ = reason;
  state_ = State::kClosing;
  server_.OnLeaving(this);
  if (!writing_ && pending_.empty()) {
    Finish();
    return;
  }
  ScheduleTimer();
}

void ClientConnection::Close(const std::string& reason) {
  if (state_ == State::kClosed) return;
  if (state_ != State::kClosing) {
    closeReason_ = reason;
    state_ = State::kClosing;
    server_.OnLeaving(this);
  }
  Finish();
}

void ClientConnection::Finish() {
  if (state_ == State::kClosed) return;
  state_ = State::kClosed;
  timer_.cancel();
  stream_.Close();
  pending_.clear();
  pending_.shrink_to_fit();
  ServerLog("#%llu %s disconnected%s%s: %s", static_cast<unsigned long long>(id_), peer_.c_str(),
            user_.empty() ? "" : " user ", user_.c_str(), closeReason_.c_str());
  server_.OnClosed(this);
}
