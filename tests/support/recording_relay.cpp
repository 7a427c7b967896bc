#include "tests/support/recording_relay.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int ConnectTo(uint16_t port) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in a = {};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = htons(port);
  if (fd >= 0 && connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) return fd;
  if (fd >= 0) close(fd);
  return -1;
}

bool SendAll(int fd, const uint8_t* bytes, size_t n) {
  while (n > 0) {
    const ssize_t sent = send(fd, bytes, n, MSG_NOSIGNAL);
    if (sent <= 0) return false;
    bytes += sent;
    n -= static_cast<size_t>(sent);
  }
  return true;
}

}  // namespace

RecordingRelay::RecordingRelay(uint16_t target) : target_(target) {
  listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in a = {};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof a;
  if (bind(listener_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || listen(listener_, 4) != 0 ||
      getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &length) != 0 || pipe(stop_) != 0) {
    return;
  }
  port_ = ntohs(a.sin_port);
  thread_ = std::thread([this] { Run(); });
}

RecordingRelay::~RecordingRelay() {
  if (stop_[1] >= 0) {
    const char byte = 0;
    (void)!write(stop_[1], &byte, 1);
  }
  if (thread_.joinable()) thread_.join();
  for (int fd : {listener_, stop_[0], stop_[1]}) {
    if (fd >= 0) close(fd);
  }
}

std::vector<uint8_t> RecordingRelay::FromClient() {
  std::lock_guard<std::mutex> lock(mutex_);
  return fromClient_;
}

std::vector<uint8_t> RecordingRelay::ClientRecordTypes() {
  const std::vector<uint8_t> bytes = FromClient();
  std::vector<uint8_t> types;
  size_t at = 0;
  while (at + 5 <= bytes.size()) {
    const size_t length = static_cast<size_t>(bytes[at + 3]) << 8 | bytes[at + 4];
    if (at + 5 + length > bytes.size()) break;
    types.push_back(bytes[at]);
    at += 5 + length;
  }
  return types;
}

void RecordingRelay::Run() {
  for (;;) {
    pollfd waiting[2] = {{listener_, POLLIN, 0}, {stop_[0], POLLIN, 0}};
    if (poll(waiting, 2, -1) < 0 || waiting[1].revents) return;
    const int client = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0) continue;
    const int server = ConnectTo(target_);
    bool open = server >= 0;
    while (open) {
      pollfd ends[3] = {{client, POLLIN, 0}, {server, POLLIN, 0}, {stop_[0], POLLIN, 0}};
      if (poll(ends, 3, -1) < 0 || ends[2].revents) {
        close(client);
        close(server);
        return;
      }
      uint8_t chunk[16384];
      for (int i = 0; i < 2 && open; ++i) {
        if (!ends[i].revents) continue;
        const ssize_t n = recv(ends[i].fd, chunk, sizeof chunk, 0);
        if (n <= 0) {
          open = false;
          break;
        }
        if (i == 0) {
          std::lock_guard<std::mutex> lock(mutex_);
          fromClient_.insert(fromClient_.end(), chunk, chunk + n);
        }
        open = SendAll(i == 0 ? server : client, chunk, static_cast<size_t>(n));
      }
    }
    close(client);
    if (server >= 0) close(server);
  }
}
