#include "server/admin_socket.h"

#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

#include "server/lobby_server.h"
#include "server/server_log.h"

using Local = asio::local::stream_protocol;

// One admin client: reads its command up to the cap, answers, ends; or is
// ended by its time-out or by the server stopping.
class AdminSession : public std::enable_shared_from_this<AdminSession> {
 public:
  AdminSession(Local::socket socket, LobbyServer& server)
      : socket_(std::move(socket)), timer_(socket_.get_executor()), server_(server) {}

  void Start() {
    timer_.expires_after(kAdminSessionTimeout);
    auto self = shared_from_this();
    timer_.async_wait([this, self](const asio::error_code& error) {
      if (!error) End();
    });
    Read();
  }

  void End() {
    asio::error_code ignored;
    timer_.cancel();
    socket_.shutdown(Local::socket::shutdown_both, ignored);
    socket_.close(ignored);
  }

 private:
  void Read() {
    auto self = shared_from_this();
    socket_.async_read_some(asio::buffer(chunk_), [this, self](const asio::error_code& error, size_t n) {
      if (!error) {
        if (command_.size() + n > kAdminCommandMaxBytes) {
          Answer("error: command too long\n");
          return;
        }
        command_.insert(command_.end(), chunk_, chunk_ + n);
        Read();
        return;
      }
      if (error != asio::error::eof) return;
      std::vector<std::string> words;
      size_t start = 0;
      for (size_t i = 0; i < command_.size(); ++i) {
        if (command_[i] == '\0') {
          words.emplace_back(command_.begin() + static_cast<std::ptrdiff_t>(start),
                             command_.begin() + static_cast<std::ptrdiff_t>(i));
          start = i + 1;
        }
      }
      if (start != command_.size()) {
        Answer("error: malformed command\n");
        return;
      }
      server_.AdminCommand(words, [this, self](std::string answer) { Answer(std::move(answer)); });
    });
  }

  void Answer(std::string text) {
    answer_ = std::move(text);
    auto self = shared_from_this();
    asio::async_write(socket_, asio::buffer(answer_), [this, self](const asio::error_code&, size_t) { End(); });
  }

  Local::socket socket_;
  asio::steady_timer timer_;
  LobbyServer& server_;
  char chunk_[1024];
  std::vector<char> command_;
  std::string answer_;
};

AdminSocket::AdminSocket(asio::io_context& io, LobbyServer& server)
    : io_(io), server_(server), acceptor_(io), acceptRetry_(io) {}

AdminSocket::~AdminSocket() { Close(); }

bool AdminSocket::Open(const std::string& path, std::string* error) {
  // A socket's address holds a path of at most this many bytes; the
  // endpoint would throw on a longer one.
  const size_t limit = sizeof(sockaddr_un::sun_path) - 1;
  if (path.size() > limit) {
    *error = "admin socket " + path + ": the path is longer than " + std::to_string(limit) +
             " bytes; choose a data_dir nearer the root";
    return false;
  }
  asio::error_code ec;
  {
    Local::socket probe(io_);
    probe.connect(Local::endpoint(path), ec);
    if (!ec) {
      *error = "another server answers on " + path;
      return false;
    }
  }
  ::unlink(path.c_str());
  acceptor_.open(Local(), ec);
  if (!ec) acceptor_.bind(Local::endpoint(path), ec);
  if (!ec && ::chmod(path.c_str(), 0600) != 0) ec = asio::error_code(errno, asio::system_category());
  if (!ec) acceptor_.listen(16, ec);
  if (ec) {
    *error = "admin socket " + path + ": " + ec.message();
    return false;
  }
  path_ = path;
  Accept();
  return true;
}

void AdminSocket::Close() {
  if (path_.empty()) return;
  asio::error_code ignored;
  acceptor_.close(ignored);
  acceptRetry_.cancel();
  ::unlink(path_.c_str());
  path_.clear();
  for (const std::weak_ptr<AdminSession>& weak : sessions_) {
    if (std::shared_ptr<AdminSession> session = weak.lock()) session->End();
  }
  sessions_.clear();
}

void AdminSocket::Accept() {
  acceptor_.async_accept([this](const asio::error_code& error, Local::socket socket) {
    if (path_.empty()) return;
    if (error) {
      // Out of descriptors, most likely: try again in a moment rather than
      // spin, or give up for good.
      ServerLog("admin accept failed: %s", error.message().c_str());
      acceptRetry_.expires_after(std::chrono::milliseconds(250));
      acceptRetry_.async_wait([this](const asio::error_code& e) {
        if (!e && !path_.empty()) Accept();
      });
      return;
    }
    std::erase_if(sessions_, [](const std::weak_ptr<AdminSession>& weak) { return weak.expired(); });
    auto session = std::make_shared<AdminSession>(std::move(socket), server_);
    sessions_.push_back(session);
    session->Start();
    Accept();
  });
}
