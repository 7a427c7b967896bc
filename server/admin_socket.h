#pragma once
// The admin socket: a Unix stream socket in the data directory, mode 0600,
// for orva-lobbyctl. One command per connection: its words, each ending in a
// NUL, then the end of the stream; the answer is text, then the end.

#include <asio.hpp>
#include <memory>
#include <string>
#include <vector>

class LobbyServer;
class AdminSession;

inline constexpr size_t kAdminCommandMaxBytes = 8192;
// A command and its answer take milliseconds; an admin client idle for this
// long is dropped, so none can keep the server from stopping.
inline constexpr std::chrono::seconds kAdminSessionTimeout{5};

class AdminSocket {
 public:
  AdminSocket(asio::io_context& io, LobbyServer& server);
  ~AdminSocket();
  // Binds at path. A socket file left by a server that is gone is replaced;
  // one that answers means another server runs on this data directory.
  bool Open(const std::string& path, std::string* error);
  // Stops accepting and ends every admin connection.
  void Close();

 private:
  void Accept();

  asio::io_context& io_;
  LobbyServer& server_;
  asio::local::stream_protocol::acceptor acceptor_;
  asio::steady_timer acceptRetry_;
  std::string path_;
  std::vector<std::weak_ptr<AdminSession>> sessions_;
};
