#pragma once
// A peer for the network tests: a listening socket on 127.0.0.1 with an
// ephemeral port and the accepted end, plain POSIX sockets (Windows Sockets
// on Windows). Every wait pumps the program's loop a bounded number of times.

#ifdef _WIN32
#include <winsock2.h>
#include <windows.h>
// windows.h names DrawState after one of its own functions.
#undef DrawState
using socklen_t = int;
inline constexpr int MSG_NOSIGNAL = 0;
// The socket layer may not have started Windows Sockets yet when a test
// makes its listener.
inline void PeerStartup() {
  static const bool started = [] {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  (void)started;
}
inline void PeerPause() { Sleep(1); }
inline void PeerClose(int fd) { closesocket(static_cast<SOCKET>(fd)); }
inline void PeerSetNonBlocking(int fd) {
  u_long on = 1;
  ioctlsocket(static_cast<SOCKET>(fd), FIONBIO, &on);
}
inline int PeerAccept(int fd) {
  const SOCKET s = accept(static_cast<SOCKET>(fd), nullptr, nullptr);
  if (s == INVALID_SOCKET) return -1;
  PeerSetNonBlocking(static_cast<int>(s));
  return static_cast<int>(s);
}
#else
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
inline void PeerStartup() {}
inline void PeerPause() { poll(nullptr, 0, 1); }
inline void PeerClose(int fd) { close(fd); }
inline void PeerSetNonBlocking(int fd) { fcntl(fd, F_SETFL, O_NONBLOCK); }
inline int PeerAccept(int fd) { return accept4(fd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK); }
#endif

#include <cstdint>
#include <string>
#include <vector>

#include "platform/loop.h"

inline constexpr uint32_t kLoopback = 0x7F000001u;

// Pumps the loop until done() holds; false when it never did. Each round
// also yields the processor for a moment so that a lookup thread can answer.
template <typename Done>
bool PumpUntil(Done done, int rounds = 3000) {
  for (int i = 0; i < rounds; ++i) {
    if (done()) return true;
    PlatformPumpOnce();
    PeerPause();
  }
  return done();
}

inline void PumpRounds(int rounds) {
  for (int i = 0; i < rounds; ++i) PlatformPumpOnce();
}

class TestListener {
 public:
  // receiveBuffer > 0 makes accepted sockets take little, to force partial sends.
  explicit TestListener(int receiveBuffer = 0) {
    PeerStartup();
    fd_ = static_cast<int>(socket(AF_INET, SOCK_STREAM, 0));
    if (receiveBuffer > 0) {
      setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&receiveBuffer), sizeof receiveBuffer);
    }
    sockaddr_in a = {};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(kLoopback);
    bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a);
    listen(fd_, 4);
    socklen_t n = sizeof a;
    getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &n);
    port_ = ntohs(a.sin_port);
    PeerSetNonBlocking(fd_);
  }
  ~TestListener() { PeerClose(fd_); }
  TestListener(const TestListener&) = delete;
  TestListener& operator=(const TestListener&) = delete;

  uint16_t Port() const { return port_; }
  // The accepted end (non-blocking), or -1 when nobody connected.
  int Accept(int rounds = 3000) {
    int peer = -1;
    PumpUntil([&] { return (peer = PeerAccept(fd_)) >= 0; },
              rounds);
    return peer;
  }

 private:
  int fd_ = -1;
  uint16_t port_ = 0;
};

// A port on which nobody listens.
inline uint16_t ClosedPort() {
  TestListener probe;
  return probe.Port();
}

inline bool SendAll(int fd, const std::vector<uint8_t>& bytes) {
  size_t sent = 0;
  for (int i = 0; i < 10000 && sent < bytes.size(); ++i) {
    const auto n = send(fd, reinterpret_cast<const char*>(bytes.data()) + sent,
                        static_cast<int>(bytes.size() - sent), MSG_NOSIGNAL);
    if (n > 0) sent += static_cast<size_t>(n);
    else PeerPause();
  }
  return sent == bytes.size();
}

// Reads until count bytes have come (pumping the loop meanwhile).
inline std::vector<uint8_t> ReceiveExactly(int fd, size_t count, int rounds = 3000) {
  std::vector<uint8_t> got;
  PumpUntil(
      [&] {
        uint8_t buffer[65536];
        for (;;) {
          const size_t want = count - got.size() < sizeof buffer ? count - got.size() : sizeof buffer;
          if (want == 0) break;
          const auto n = recv(fd, reinterpret_cast<char*>(buffer), static_cast<int>(want), 0);
          if (n <= 0) break;
          got.insert(got.end(), buffer, buffer + n);
        }
        return got.size() >= count;
      },
      rounds);
  return got;
}

// Everything that is waiting right now.
inline std::vector<uint8_t> ReceiveWaiting(int fd) {
  std::vector<uint8_t> got;
  uint8_t buffer[4096];
  int n;
  while ((n = static_cast<int>(recv(fd, reinterpret_cast<char*>(buffer), sizeof buffer, 0))) > 0) {
    got.insert(got.end(), buffer, buffer + n);
  }
  return got;
}

// One framed message as the wire carries it.
inline std::vector<uint8_t> Frame(uint32_t type, const std::vector<uint8_t>& body, int32_t padded = -1,
                                  int32_t length = -1) {
  const uint32_t l = length < 0 ? static_cast<uint32_t>(body.size()) : static_cast<uint32_t>(length);
  const uint32_t p = padded < 0 ? (static_cast<uint32_t>(body.size()) + 3u) & ~3u : static_cast<uint32_t>(padded);
  std::vector<uint8_t> out;
  for (uint32_t v : {type, p, l}) {
    for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<uint8_t>(v >> s));
  }
  out.insert(out.end(), body.begin(), body.end());
  if (padded < 0) out.resize(12 + p, 0);
  return out;
}

inline std::vector<uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

// What the seam's modal boxes and immediate exit were asked to do.
struct SeamRecord {
  std::vector<std::string> titles;
  std::vector<std::string> texts;
  std::vector<int> exitCodes;
};
SeamRecord& Seam();
void InstallSeamHooks();
void RemoveSeamHooks();
