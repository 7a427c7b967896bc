// TCP sockets on Win32: Windows Sockets with WSAAsyncSelect.
//
// The system's messages only wake us: what is reported is decided by looking
// at the socket (a peek for read and close, a zero-time select for write), so
// reports are level-triggered as the seam says. After each report a condition
// that still holds is posted again, and asking for an event again posts it,
// so a box that held reports back sees them anew. The close is reported only
// once every byte has been read, and read goes off after it.
//
// A condition is reported once per pass of the loop, as on the other
// backend: while our own follow-up for it waits in the queue, the system's
// messages for the same condition only wake us to what that follow-up will
// report anyway. Without this, the system's FD_READ and our follow-up would
// both be served in one pass, and a reader taking one message per report
// would take two.
//
// A TLS socket (win32_tls.h) reads by decrypting what the socket holds into
// its own buffer: "readable" then means plain bytes wait there, and what
// still waits is posted again like a condition of the socket.

#include <algorithm>
#include <map>
#include <memory>

#include "platform/socket.h"
#include "platform/win32/win32_callback_hold.h"
#include "platform/win32/win32_net_window.h"
#include "platform/win32/win32_tls.h"

namespace {

struct Win32Socket {
  SOCKET handle = INVALID_SOCKET;
  uint32_t requested = 0;  // kPlatformSocketRead / kPlatformSocketWrite
  uint32_t posted = 0;     // our follow-ups waiting in the queue, same bits
  bool peerClosed = false; // FD_CLOSE seen: the system says nothing more about reads
  std::shared_ptr<Win32Tls> tls;  // set for a TLS socket (shared: the record is copied)
};

PlatformSocketHandler g_handler = nullptr;
std::map<PlatformSocket, Win32Socket> g_sockets;
PlatformSocket g_nextSocket = 1;
bool g_heldBack = false;  // a report was left out while a window was being shown

Win32Socket* Find(PlatformSocket socket) {
  auto it = g_sockets.find(socket);
  return it == g_sockets.end() ? nullptr : &it->second;
}

PlatformSocket FindByHandle(SOCKET handle) {
  for (const auto& [id, s] : g_sockets) {
    if (s.handle == handle) return id;
  }
  return 0;
}

void Report(PlatformSocket socket, uint32_t event) {
  if (g_handler) g_handler(socket, event);
}

// Queues one follow-up for the condition, unless one is queued already.
void PostAgain(PlatformSocket socket, uint32_t event) {
  Win32Socket* s = Find(socket);
  HWND window = Win32NetWindow();
  if (!s || (s->posted & event) || !window) return;
  if (PostMessageA(window, kWin32SocketAgainMessage, socket, event)) s->posted |= event;
}

bool Writable(SOCKET handle) {
  fd_set set;
  FD_ZERO(&set);
  FD_SET(handle, &set);
  timeval zero = {0, 0};
  return select(0, nullptr, &set, nullptr, &zero) == 1;
}

// 1 when bytes are waiting, 0 at the end of the stream or on an error, -1
// when nothing is waiting yet.
int Readable(const Win32Socket& s) {
  if (s.tls) {
    const Win32TlsState state = Win32TlsReadable(*s.tls, s.handle);
    return state == Win32TlsState::kData ? 1 : state == Win32TlsState::kNothing ? -1 : 0;
  }
  const SOCKET handle = s.handle;
  char byte;
  const int n = recv(handle, &byte, 1, MSG_PEEK);
  if (n > 0) return 1;
  if (n < 0 && WSAGetLastError() == WSAEWOULDBLOCK) return -1;
  return 0;
}

void ServiceRead(PlatformSocket socket) {
  Win32Socket* s = Find(socket);
  if (!s || !(s->requested & kPlatformSocketRead)) return;
  if (Win32CallbacksHeld()) {
    // Asked for again once the window is shown.
    g_heldBack = true;
    return;
  }
  const int readable = Readable(*s);
  if (readable < 0) return;
  if (readable == 0) {
    s->requested &= ~kPlatformSocketRead;
    Report(socket, kPlatformSocketClose);
    return;
  }
  Report(socket, kPlatformSocketRead);
  // The system posts the next FD_READ only after a recv, and none after the
  // peer closed: what still holds is asked for here, for the next pass.
  s = Find(socket);
  if (s && (s->requested & kPlatformSocketRead) && (s->peerClosed || Readable(*s) > 0)) {
    PostAgain(socket, kPlatformSocketRead);
  }
}

void ServiceWrite(PlatformSocket socket) {
  Win32Socket* s = Find(socket);
  if (!s || !(s->requested & kPlatformSocketWrite)) return;
  if (Win32CallbacksHeld()) {
    g_heldBack = true;
    return;
  }
  if (!Writable(s->handle)) return;
  Report(socket, kPlatformSocketWrite);
  s = Find(socket);
  if (s && (s->requested & kPlatformSocketWrite) && Writable(s->handle)) {
    PostAgain(socket, kPlatformSocketWrite);
  }
}

}  // namespace

void Win32SocketOnMessage(WPARAM wParam, LPARAM lParam) {
  const PlatformSocket socket = FindByHandle(static_cast<SOCKET>(wParam));
  Win32Socket* s = Find(socket);
  if (!s) return;
  const WORD event = WSAGETSELECTEVENT(lParam);
  if (event & FD_CLOSE) s->peerClosed = true;
  // Room again for a record an earlier write could not finish.
  if ((event & FD_WRITE) && s->tls) Win32TlsFlush(*s->tls, s->handle);
  const bool readQueued = s->posted & kPlatformSocketRead;
  const bool writeQueued = s->posted & kPlatformSocketWrite;
  if ((event & (FD_READ | FD_CLOSE)) && !readQueued) ServiceRead(socket);
  if ((event & FD_WRITE) && !writeQueued) ServiceWrite(socket);
}

void Win32SocketOnAgain(WPARAM wParam, LPARAM lParam) {
  const auto socket = static_cast<PlatformSocket>(wParam);
  const auto event = static_cast<uint32_t>(lParam);
  Win32Socket* s = Find(socket);
  if (!s) return;
  s->posted &= ~event;
  if (event == kPlatformSocketRead) ServiceRead(socket);
  if (event == kPlatformSocketWrite) ServiceWrite(socket);
}

void Win32SocketsReportAgain() {
  if (!g_heldBack) return;
  g_heldBack = false;
  for (const auto& [id, s] : g_sockets) {
    if (s.requested & kPlatformSocketRead) PostAgain(id, kPlatformSocketRead);
    if (s.requested & kPlatformSocketWrite) PostAgain(id, kPlatformSocketWrite);
  }
}

void Win32SocketCloseAll() {
  for (auto& [id, s] : g_sockets) closesocket(s.handle);
  g_sockets.clear();
}

void PlatformSetSocketHandler(PlatformSocketHandler handler) { g_handler = handler; }

namespace {

// A connected, still blocking socket to address:port, or INVALID_SOCKET.
SOCKET ConnectHandle(uint32_t address, uint16_t port) {
  if (!Win32NetWindow()) return INVALID_SOCKET;
  const SOCKET handle = ::socket(AF_INET, SOCK_STREAM, 0);
  if (handle == INVALID_SOCKET) return INVALID_SOCKET;
  // Game programs we start must not inherit the connection.
  SetHandleInformation(reinterpret_cast<HANDLE>(handle), HANDLE_FLAG_INHERIT, 0);
  sockaddr_in to = {};
  to.sin_family = AF_INET;
  to.sin_port = htons(port);
  to.sin_addr.s_addr = htonl(address);
  if (::connect(handle, reinterpret_cast<const sockaddr*>(&to), sizeof to) != 0) {
    closesocket(handle);
    return INVALID_SOCKET;
  }
  return handle;
}

// Asks for the socket's events and registers it; 0 (and the socket closed)
// on failure.
PlatformSocket Register(SOCKET handle) {
  // Every event is always asked for (so none is lost); what is reported
  // is what the program requested. This also makes the socket non-blocking.
  if (WSAAsyncSelect(handle, Win32NetWindow(), kWin32SocketMessage, FD_READ | FD_WRITE | FD_CLOSE) != 0) {
    closesocket(handle);
    return 0;
  }
  const PlatformSocket id = g_nextSocket++;
  if (g_nextSocket == 0) g_nextSocket = 1;
  g_sockets[id] = Win32Socket{handle, 0, 0, false, nullptr};
  return id;
}

}  // namespace

PlatformSocket PlatformSocketConnect(uint32_t address, uint16_t port) {
  const SOCKET handle = ConnectHandle(address, port);
  return handle == INVALID_SOCKET ? 0 : Register(handle);
}

bool PlatformSocketRequest(PlatformSocket socket, uint32_t events) {
  Win32Socket* s = Find(socket);
  if (!s) return false;
  const uint32_t added = events & ~s->requested;
  s->requested = events & (kPlatformSocketRead | kPlatformSocketWrite);
  if (added & kPlatformSocketRead) PostAgain(socket, kPlatformSocketRead);
  if (added & kPlatformSocketWrite) PostAgain(socket, kPlatformSocketWrite);
  return true;
}

int32_t PlatformSocketRead(PlatformSocket socket, void* buffer, uint32_t count) {
  Win32Socket* s = Find(socket);
  if (!s) return -1;
  if (count == 0) return 0;
  if (s->tls) return Win32TlsRead(*s->tls, s->handle, buffer, count);
  const int n = recv(s->handle, static_cast<char*>(buffer),
                     static_cast<int>(std::min<uint32_t>(count, 0x7FFFFFFF)), 0);
  if (n > 0) return n;
  if (n < 0 && WSAGetLastError() == WSAEWOULDBLOCK) return 0;
  return -1;
}

int32_t PlatformSocketWrite(PlatformSocket socket, const void* bytes, uint32_t count) {
  Win32Socket* s = Find(socket);
  if (!s) return -1;
  if (count == 0) return 0;
  if (s->tls) return Win32TlsWrite(*s->tls, s->handle, bytes, count);
  // The system announces room again only after a send that would block, so
  // a short send is followed by another until one would.
  const char* p = static_cast<const char*>(bytes);
  uint32_t sent = 0;
  while (sent < count) {
    const int n = send(s->handle, p + sent, static_cast<int>(std::min<uint32_t>(count - sent, 0x7FFFFFFF)), 0);
    if (n > 0) {
      sent += static_cast<uint32_t>(n);
      continue;
    }
    if (n < 0 && WSAGetLastError() != WSAEWOULDBLOCK && sent == 0) return -1;
    break;
  }
  return static_cast<int32_t>(sent);
}

void PlatformSocketClose(PlatformSocket socket) {
  auto it = g_sockets.find(socket);
  if (it == g_sockets.end()) return;
  const SOCKET handle = it->second.handle;
  g_sockets.erase(it);
  WSAAsyncSelect(handle, Win32NetWindow(), 0, 0);
  closesocket(handle);
}

PlatformSocket PlatformSocketConnectTls(uint32_t address, uint16_t port, const PlatformTlsCheck& check,
                                        PlatformTlsFault* fault) {
  const SOCKET handle = ConnectHandle(address, port);
  if (handle == INVALID_SOCKET) {
    *fault = PlatformTlsFault::kConnect;
    return 0;
  }
  // The handshake runs while the socket still blocks.
  Win32TlsSession tls = Win32TlsHandshake(handle, check);
  if (!tls) {
    closesocket(handle);
    *fault = PlatformTlsFault::kIdentity;
    return 0;
  }
  const PlatformSocket id = Register(handle);
  if (!id) {
    *fault = PlatformTlsFault::kConnect;
    return 0;
  }
  g_sockets[id].tls = std::shared_ptr<Win32Tls>(tls.release(), Win32TlsDeleter());
  *fault = PlatformTlsFault::kNone;
  return id;
}
