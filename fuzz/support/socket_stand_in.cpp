#include "fuzz/support/socket_stand_in.h"

#include <algorithm>
#include <cstring>

#include "core/memory.h"
#include "fuzz/support/fuzz_check.h"
#include "net/net_socket.h"
#include "windows/alert_box.h"

SocketFeed& Feed() {
  static SocketFeed feed;
  return feed;
}

NetSocket* NetOpen(const char*, uint32_t address, uint16_t port, NetCallback readCallback,
                   NetCallback closeCallback, UserData userData) {
  auto* s = static_cast<NetSocket*>(MemAllocZero(1, sizeof(NetSocket)));
  if (!s) return nullptr;
  s->readCallback = readCallback;
  s->closeCallback = closeCallback;
  s->userData = userData;
  s->address = address;
  s->port = port;
  ++Feed().openSockets;
  return s;
}

void NetClose(NetSocket* socket) {
  if (!socket) return;
  --Feed().openSockets;
  MemFree(socket);
}

uint32_t NetRead(NetSocket* socket, void* buffer, uint32_t count) {
  FUZZ_CHECK(socket != nullptr);
  SocketFeed& f = Feed();
  const size_t n = std::min<size_t>(count, f.waiting - f.position);
  if (n) std::memcpy(buffer, f.data + f.position, n);
  f.position += n;
  return static_cast<uint32_t>(n);
}

ErrorCode NetWrite(NetSocket* socket, const void* bytes, uint32_t count) {
  FUZZ_CHECK(socket != nullptr);
  const auto* b = static_cast<const uint8_t*>(bytes);
  Feed().written.insert(Feed().written.end(), b, b + count);
  return 0;
}

ErrorCode AlertBoxShow(const char* text, const Rect*, Window*) {
  FUZZ_CHECK(text != nullptr);
  Feed().alertTexts.emplace_back(text);
  return 0;
}
