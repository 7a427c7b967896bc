// TCP sockets on Qt: plain POSIX sockets watched by QSocketNotifier.
//
// Notifiers are level-triggered: a readable or writable socket is reported on
// every pass of the loop for as long as the condition holds. So the write
// notifier is on only while the portable side asks for it, the read notifier
// goes off at the end of the stream, and both go off while reports are held
// back; switching them on again reports what still holds.

#include <QSocketNotifier>

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <map>
#include <memory>

#include "platform/qt/qt_callback_hold.h"
#include "platform/socket.h"

namespace {

struct QtSocket {
  int fd = -1;
  std::unique_ptr<QSocketNotifier> read;
  std::unique_ptr<QSocketNotifier> write;
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

// The read notifier stands for both read and close: a peek tells them apart,
// so the close is reported only once every byte has been read. Nothing is
// reported while a window is being shown; the level-triggered notifier
// reports the same condition again afterwards.
void OnReadable(PlatformSocket socket) {
  QtSocket* s = Find(socket);
  if (!s || QtCallbacksHeld()) return;
  char byte;
  const ssize_t n = recv(s->fd, &byte, 1, MSG_PEEK);
  if (n > 0) {
    Report(socket, kPlatformSocketRead);
    return;
  }
  if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return;
  s->read->setEnabled(false);
  Report(socket, kPlatformSocketClose);
}

void OnWritable(PlatformSocket socket) {
  if (Find(socket) && !QtCallbacksHeld()) Report(socket, kPlatformSocketWrite);
}

}  // namespace

void PlatformSetSocketHandler(PlatformSocketHandler handler) { g_handler = handler; }

PlatformSocket PlatformSocketConnect(uint32_t address, uint16_t port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return 0;
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
    return 0;
  }
  const PlatformSocket id = g_nextSocket++;
  if (g_nextSocket == 0) g_nextSocket = 1;
  auto s = std::make_unique<QtSocket>();
  s->fd = fd;
  s->read = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
  s->write = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Write);
  s->read->setEnabled(false);
  s->write->setEnabled(false);
  QObject::connect(s->read.get(), &QSocketNotifier::activated, [id] { OnReadable(id); });
  QObject::connect(s->write.get(), &QSocketNotifier::activated, [id] { OnWritable(id); });
  g_sockets[id] = std::move(s);
  return id;
}

bool PlatformSocketRequest(PlatformSocket socket, uint32_t events) {
  QtSocket* s = Find(socket);
  if (!s) return false;
  s->read->setEnabled((events & kPlatformSocketRead) != 0);
  s->write->setEnabled((events & kPlatformSocketWrite) != 0);
  return true;
}

int32_t PlatformSocketRead(PlatformSocket socket, void* buffer, uint32_t count) {
  QtSocket* s = Find(socket);
  if (!s) return -1;
  if (count == 0) return 0;
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
  ::close(s->fd);
}
