// TCP sockets on Qt: plain POSIX sockets watched by QSocketNotifier.
//
// Notifiers are level-triggered: a readable or writable socket is reported on
// every pass of the loop for as long as the condition holds. So the write
// notifier is on only while the portable side asks for it, the read notifier
// goes off at the end of the stream, and both go off while reports are held
// back; switching them on again reports what still holds.
//
// A TLS socket reads its bytes through the session, which may hold
// decrypted bytes the socket no longer shows: those are reported by a
// queued call for as long as the read notifier is on.

#include <QSocketNotifier>
#include <QTimer>

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <signal.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <map>
#include <memory>

#include "platform/qt/posix_tls.h"
#include "platform/qt/qt_callback_hold.h"
#include "platform/socket.h"

namespace {

struct QtSocket {
  int fd = -1;
  std::unique_ptr<QSocketNotifier> read;
  std::unique_ptr<QSocketNotifier> write;
  ssl_st* tls = nullptr;
  bool pendingQueued = false;  // a report of decrypted bytes is on its way
};

PlatformSocketHandler g_handler = nullptr;
std::map<PlatformSocket, std::unique_ptr<QtSocket>> g_sockets;
PlatformSocket g_nextSocket = 1;

QtSocket* Find(PlatformSocket socket) {
  auto it = g_sockets.find(socket);
  return it == g_sockets.end() ? nullptr : it->second.get();
}

void Report(PlatformSocket socket, uint32_t event) {
  if (g_handler) g_handler(socket, event);
}

void OnReadable(PlatformSocket socket);

// Decrypted bytes stay reported while reads are asked for, like bytes on a
// plain socket. A hold is waited out a tick at a time.
void QueuePendingReport(PlatformSocket socket, int delayMs) {
  QtSocket* s = Find(socket);
  if (!s || !s->tls || s->pendingQueued || !s->read->isEnabled() || !PosixTlsPending(s->tls)) return;
  s->pendingQueued = true;
  QTimer::singleShot(delayMs, [socket] {
    QtSocket* again = Find(socket);
    if (!again) return;
    again->pendingQueued = false;
    if (again->read->isEnabled()) OnReadable(socket);
  });
}

// What the read notifier stands for: bytes, nothing yet, or the end.
PosixTlsState ReadState(const QtSocket& s) {
  if (s.tls) return PosixTlsPeek(s.tls);
  char byte;
  const ssize_t n = recv(s.fd, &byte, 1, MSG_PEEK);
  if (n > 0) return PosixTlsState::kData;
  if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return PosixTlsState::kNothing;
  return PosixTlsState::kEnd;
}

// The read notifier stands for both read and close: a peek tells them apart,
// so the close is reported only once every byte has been read. Nothing is
// reported while a window is being shown; the level-triggered notifier
// reports the same condition again afterwards.
void OnReadable(PlatformSocket socket) {
  QtSocket* s = Find(socket);
  if (!s) return;
  if (QtCallbacksHeld()) {
    QueuePendingReport(socket, 10);
    return;
  }
  const PosixTlsState state = ReadState(*s);
  if (state == PosixTlsState::kData) {
    Report(socket, kPlatformSocketRead);
    // The reader may have left bytes in the session.
    QueuePendingReport(socket, 0);
    return;
  }
  if (state == PosixTlsState::kNothing) return;
  s->read->setEnabled(false);
  Report(socket, kPlatformSocketClose);
}

void OnWritable(PlatformSocket socket) {
  if (Find(socket) && !QtCallbacksHeld()) Report(socket, kPlatformSocketWrite);
}

}  // namespace

void PlatformSetSocketHandler(PlatformSocketHandler handler) { g_handler = handler; }

namespace {

// A connected, non-blocking socket to address:port, or -1.
int ConnectFd(uint32_t address, uint16_t port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  sockaddr_in to = {};
  to.sin_family = AF_INET;
  to.sin_port = htons(port);
  to.sin_addr.s_addr = htonl(address);
  int result;
  do {
    result = ::connect(fd, reinterpret_cast<const sockaddr*>(&to), sizeof to);
  } while (result != 0 && errno == EINTR);
  if (result != 0 || fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

PlatformSocket Register(int fd, ssl_st* tls) {
  const PlatformSocket id = g_nextSocket++;
  if (g_nextSocket == 0) g_nextSocket = 1;
  auto s = std::make_unique<QtSocket>();
  s->fd = fd;
  s->tls = tls;
  s->read = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
  s->write = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Write);
  s->read->setEnabled(false);
  s->write->setEnabled(false);
  QObject::connect(s->read.get(), &QSocketNotifier::activated, [id] { OnReadable(id); });
  QObject::connect(s->write.get(), &QSocketNotifier::activated, [id] { OnWritable(id); });
  g_sockets[id] = std::move(s);
  return id;
}

}  // namespace

PlatformSocket PlatformSocketConnect(uint32_t address, uint16_t port) {
  const int fd = ConnectFd(address, port);
  return fd < 0 ? 0 : Register(fd, nullptr);
}

PlatformSocket PlatformSocketConnectTls(uint32_t address, uint16_t port, const PlatformTlsCheck& check,
                                        PlatformTlsFault* fault) {
  // The library writes with plain send: a peer that went away must give an
  // error, not end the program. Started programs get the default back.
  signal(SIGPIPE, SIG_IGN);
  const int fd = ConnectFd(address, port);
  if (fd < 0) {
    *fault = PlatformTlsFault::kConnect;
    return 0;
  }
  ssl_st* tls = PosixTlsHandshake(fd, check, fault);
  if (!tls) {
    ::close(fd);
    return 0;
  }
  return Register(fd, tls);
}

bool PlatformSocketRequest(PlatformSocket socket, uint32_t events) {
  QtSocket* s = Find(socket);
  if (!s) return false;
  s->read->setEnabled((events & kPlatformSocketRead) != 0);
  s->write->setEnabled((events & kPlatformSocketWrite) != 0);
  QueuePendingReport(socket, 0);
  return true;
}

int32_t PlatformSocketRead(PlatformSocket socket, void* buffer, uint32_t count) {
  QtSocket* s = Find(socket);
  if (!s) return -1;
  if (count == 0) return 0;
  if (s->tls) return PosixTlsRead(s->tls, buffer, count);
  ssize_t n;
  do {
    n = recv(s->fd, buffer, count, 0);
  } while (n < 0 && errno == EINTR);
  if (n > 0) return static_cast<int32_t>(n);
  if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return 0;
  return -1;
}

int32_t PlatformSocketWrite(PlatformSocket socket, const void* bytes, uint32_t count) {
  QtSocket* s = Find(socket);
  if (!s) return -1;
  if (count == 0) return 0;
  if (s->tls) return PosixTlsWrite(s->tls, bytes, count);
  ssize_t n;
  do {
    // No SIGPIPE for a peer that went away: the error comes back instead.
    n = send(s->fd, bytes, count, MSG_NOSIGNAL);
  } while (n < 0 && errno == EINTR);
  if (n >= 0) return static_cast<int32_t>(n);
  if (errno == EAGAIN || errno == EWOULDBLOCK) return 0;
  return -1;
}

void PlatformSocketClose(PlatformSocket socket) {
  auto it = g_sockets.find(socket);
  if (it == g_sockets.end()) return;
  std::unique_ptr<QtSocket> s = std::move(it->second);
  g_sockets.erase(it);
  // The close may come from inside this socket's own notifier signal: switch
  // the notifiers off now and let Qt free them once that signal has returned.
  s->read->setEnabled(false);
  s->write->setEnabled(false);
  s->read.release()->deleteLater();
  s->write.release()->deleteLater();
  PosixTlsFree(s->tls);
  ::close(s->fd);
}
