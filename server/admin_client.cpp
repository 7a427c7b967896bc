#include "server/admin_client.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "server/admin_socket.h"

namespace {

constexpr int kTimeoutMs = 10000;
constexpr size_t kAnswerMaxBytes = 1 << 20;

bool WaitFor(int fd, short events) {
  pollfd p = {fd, events, 0};
  return poll(&p, 1, kTimeoutMs) == 1;
}

}  // namespace

bool AdminRequest(const std::string& socketPath, const std::vector<std::string>& words, std::string* answer) {
  answer->clear();
  sockaddr_un address = {};
  address.sun_family = AF_UNIX;
  if (socketPath.size() >= sizeof address.sun_path) {
    *answer = "socket path too long: " + socketPath;
    return false;
  }
  std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
  std::string command;
  for (const std::string& w : words) {
    if (w.find('\0') != std::string::npos) {
      *answer = "a word holds a NUL";
      return false;
    }
    command += w;
    command.push_back('\0');
  }
  if (command.size() > kAdminCommandMaxBytes) {
    *answer = "command too long";
    return false;
  }
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0 || connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    *answer = "cannot reach the server at " + socketPath + ": " + std::strerror(errno);
    if (fd >= 0) close(fd);
    return false;
  }
  bool ok = true;
  for (size_t sent = 0; ok && sent < command.size();) {
    const ssize_t n = WaitFor(fd, POLLOUT) ? send(fd, command.data() + sent, command.size() - sent, MSG_NOSIGNAL) : -1;
    if (n <= 0) ok = false;
    else sent += static_cast<size_t>(n);
  }
  shutdown(fd, SHUT_WR);
  char chunk[4096];
  while (ok) {
    if (!WaitFor(fd, POLLIN)) {
      ok = false;
      break;
    }
    const ssize_t n = recv(fd, chunk, sizeof chunk, 0);
    if (n < 0) ok = false;
    if (n <= 0) break;
    if (answer->size() + static_cast<size_t>(n) > kAnswerMaxBytes) ok = false;
    else answer->append(chunk, static_cast<size_t>(n));
  }
  close(fd);
  if (!ok) *answer = "no answer from the server at " + socketPath;
  return ok;
}
