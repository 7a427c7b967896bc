#include "tests/display/scripted_peer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// A TCP socket bound to 127.0.0.1 on a port the system picks.
int BindLoopback(uint16_t* port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof address;
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
    close(fd);
    return -1;
  }
  *port = ntohs(address.sin_port);
  return fd;
}

}  // namespace

ScriptedPeer::ScriptedPeer() {
  listener_ = BindLoopback(&port_);
  if (listener_ >= 0 && listen(listener_, 1) != 0) {
    close(listener_);
    listener_ = -1;
  }
  if (listener_ < 0) port_ = 0;
}

ScriptedPeer::~ScriptedPeer() {
  if (connection_ >= 0) close(connection_);
  if (listener_ >= 0) close(listener_);
}

const std::vector<uint8_t>& ScriptedPeer::WaitForBytes(size_t count, std::chrono::milliseconds timeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (received_.size() < count && listener_ >= 0) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
    if (left.count() <= 0) break;
    pollfd p{connection_ >= 0 ? connection_ : listener_, POLLIN, 0};
    if (poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
    if (connection_ < 0) {
      connection_ = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
      continue;
    }
    uint8_t buffer[4096];
    const ssize_t n = recv(connection_, buffer, sizeof buffer, 0);
    if (n <= 0) break;  // the client closed; nothing more will come
    received_.insert(received_.end(), buffer, buffer + n);
  }
  return received_;
}

bool ScriptedPeer::Send(const std::vector<uint8_t>& bytes) {
  size_t sent = 0;
  while (connection_ >= 0 && sent < bytes.size()) {
    const ssize_t n = ::send(connection_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) return false;
    sent += static_cast<size_t>(n);
  }
  return sent == bytes.size();
}

std::vector<uint8_t> ServerAlertFrame(const std::string& text) {
  const auto length = static_cast<uint32_t>(2 + text.size() + 1);
  const uint32_t padded = (length + 3) & ~3u;
  std::vector<uint8_t> frame;
  for (const uint32_t v : {0xFFFFFFFFu, padded, length}) {
    for (int shift = 24; shift >= 0; shift -= 8) frame.push_back(static_cast<uint8_t>(v >> shift));
  }
  frame.push_back(0);
  frame.push_back(0);
  frame.insert(frame.end(), text.begin(), text.end());
  frame.resize(12 + padded, 0);
  return frame;
}

RefusingPort::RefusingPort() { socket_ = BindLoopback(&port_); }

RefusingPort::~RefusingPort() {
  if (socket_ >= 0) close(socket_);
}
