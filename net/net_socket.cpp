#include "net/net_socket.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "core/list.h"
#include "core/memory.h"
#include "net/error_text.h"
#include "net/net_transport.h"
#include "net/service.h"
#include "platform/dialog.h"
#include "shell/modal_pause.h"

namespace {

// Lookups that may fail in the life of the program before it gives up: the
// first try and six retries of the service's own name.
constexpr uint32_t kLookupRetries = 6;
// The queue never grows past this; a caller that outruns the network by this
// much has lost the connection anyway.
constexpr uint32_t kSendQueueLimit = 64u << 20;
// Bytes thrown away when a socket is connected or closed, at most.
constexpr uint32_t kDrainLimit = 1u << 20;

int32_t g_useCount = 0;
List* g_registry = nullptr;          // key: platform socket, data: NetSocket
NetSocket* g_pendingLookup = nullptr;
uintptr_t g_lookupSerial = 0;        // tells a stale answer from the current one
uint32_t g_lookupRetries = 0;        // never reset
uint16_t g_eventsEnabled = 1;

void Fatal(const std::string& text) {
  PlatformMessageBox(nullptr, "Orva", text.c_str());
  PlatformExitNow(1);
}

ListNode* RegistryNode(PlatformSocket socket) {
  return g_registry && socket ? ListFirst(g_registry, socket) : nullptr;
}

// Asks the platform for what this socket should report now: nothing while
// events are held back, else reads (and the close) and, while bytes wait,
// writes.
void RequestEvents(NetSocket* s) {
  if (!s->socket) return;
  uint32_t events = 0;
  if (g_eventsEnabled) {
    events = kPlatformSocketRead;
    if (s->queued) events |= kPlatformSocketWrite;
  }
  PlatformSocketRequest(s->socket, events);
}

void Drain(PlatformSocket socket) {
  uint8_t scratch[100];
  uint32_t total = 0;
  while (total < kDrainLimit) {
    const int32_t n = PlatformSocketRead(socket, scratch, sizeof scratch);
    if (n <= 0) break;
    total += static_cast<uint32_t>(n);
  }
}

void SetHost(NetSocket* s, const char* name) {
  std::snprintf(s->host, sizeof s->host, "%s", name ? name : "");
}

// The host the connect goes to, as the player knows it and as a TLS
// server's certificate must carry it: the name looked up, or the address
// given.
std::string HostName(const NetSocket* s) {
  if (s->host[0]) return s->host;
  char address[16];
  std::snprintf(address, sizeof address, "%u.%u.%u.%u", s->address >> 24, (s->address >> 16) & 0xFF,
                (s->address >> 8) & 0xFF, s->address & 0xFF);
  return address;
}

std::string ConnectFailure(const NetSocket* s) {
  return "Could not connect to " + HostName(s) + ".";
}

std::string IdentityText(const std::string& name) {
  return "The Orva server at " + name +
         " could not prove its identity. The connection was closed before anything was sent, your password "
         "included. If this keeps happening, please write to " +
         ServiceSupportEmail() + ".";
}

// The connect itself, TLS unless the transport says plain. 0 on failure,
// with *unproven set when the server was reached but did not prove itself
// (nothing queued has left then).
PlatformSocket ConnectSocket(const NetSocket* s, std::string* unproven) {
  if (!s->address) return 0;
  const NetTransport transport = NetTransportGet();
  if (!transport.tls) return PlatformSocketConnect(s->address, s->port);
  const std::string name = HostName(s);
  const PlatformTlsCheck check{name.c_str(), transport.extraCaFile.empty() ? nullptr : transport.extraCaFile.c_str(),
                               transport.pinned ? transport.pin : nullptr};
  PlatformTlsFault fault = PlatformTlsFault::kNone;
  const PlatformSocket socket = PlatformSocketConnectTls(s->address, s->port, check, &fault);
  if (!socket && fault == PlatformTlsFault::kIdentity) *unproven = name;
  return socket;
}

// Connects s to its address (already known). On failure the program ends;
// false tells a caller that survived the end (tests) to stop.
bool Connect(NetSocket* s) {
  std::string unproven;
  const PlatformSocket socket = ConnectSocket(s, &unproven);
  if (!socket) {
    Fatal(unproven.empty() ? ConnectFailure(s) : IdentityText(unproven));
    return false;
  }
  s->socket = socket;
  if (!ListInsert(g_registry, nullptr, socket, s, kListInsertFront)) {
    PlatformSocketClose(socket);
    s->socket = 0;
    Fatal(ConnectFailure(s));
    return false;
  }
  Drain(socket);
  RequestEvents(s);
  return true;
}

void OnLookup(uint32_t address, uintptr_t serial);

bool StartLookup(const char* name) {
  return PlatformLookupStart(name, &OnLookup, ++g_lookupSerial);
}

void OnLookup(uint32_t address, uintptr_t serial) {
  // An answer for a socket that was closed meanwhile, or superseded by a
  // newer lookup, has nobody to connect.
  if (serial != g_lookupSerial || !g_pendingLookup) return;
  NetSocket* s = g_pendingLookup;
  if (address) {
    g_pendingLookup = nullptr;
    s->address = address;
    Connect(s);
    return;
  }
  if (g_lookupRetries++ < kLookupRetries) {
    SetHost(s, ServiceDomain());
    if (StartLookup(ServiceDomain())) return;
    uint32_t found = 0;
    if (PlatformLookupNow(ServiceDomain(), &found)) {
      g_pendingLookup = nullptr;
      s->address = found;
      Connect(s);
      return;
    }
  }
  g_pendingLookup = nullptr;
  Fatal(std::string("Could not lookup ") + ServiceDomain() + " in DNS.");
}

void Flush(NetSocket* s) {
  if (!s->queued) return;
  const int32_t sent = PlatformSocketWrite(s->socket, s->sendBuffer, s->queued);
  if (sent > 0) {
    const uint32_t taken = static_cast<uint32_t>(sent);
    // The unsent tail moves to the front, ahead of anything queued later.
    std::memmove(s->sendBuffer, s->sendBuffer + taken, s->queued - taken);
    s->queued -= taken;
  }
  RequestEvents(s);
}

void OnSocketEvent(PlatformSocket socket, uint32_t event) {
  ListNode* node = RegistryNode(socket);
  if (!node || !g_eventsEnabled) {
    // Held back: switched off until NetSetEventsEnabled(1) asks again, when a
    // condition that still holds is reported anew. A socket nobody owns in the
    // registry stays silent.
    PlatformSocketRequest(socket, 0);
    return;
  }
  auto* s = static_cast<NetSocket*>(node->data);
  switch (event) {
    case kPlatformSocketRead:
      s->readCallback(s, s->userData);
      break;
    case kPlatformSocketClose:
      // Out of the registry first, so a callback that closes the socket does
      // not find it again.
      ListRemove(g_registry, node);
      s->closeCallback(s, s->userData);
      break;
    case kPlatformSocketWrite:
      Flush(s);
      break;
    default:
      break;
  }
}

// The switch that modal boxes turn off while their loop runs.
void PauseSwitch(int enabled) {
  NetSetEventsEnabled(enabled ? 1 : 0);
}

}  // namespace

int32_t NetStartup() {
  if (g_useCount == 0) {
    g_registry = ListNew(nullptr);
    if (!g_registry) return kErrorOutOfMemory;
    PlatformSetSocketHandler(&OnSocketEvent);
    ModalPauseRegister(&PauseSwitch);
  }
  return ++g_useCount;
}

void NetShutdown() {
  if (g_useCount <= 0) return;
  if (--g_useCount == 0) {
    ModalPauseUnregister(&PauseSwitch);
    ListDelete(g_registry);
    g_registry = nullptr;
    g_pendingLookup = nullptr;
  }
}

NetSocket* NetOpen(const char* hostName, uint32_t address, uint16_t port, NetCallback readCallback,
                   NetCallback closeCallback, UserData userData) {
  if (NetStartup() <= 0 || !g_registry) return nullptr;
  auto* s = static_cast<NetSocket*>(MemAllocZero(1, sizeof(NetSocket)));
  if (!s) {
    NetShutdown();
    return nullptr;
  }
  *s = NetSocket{0, readCallback, closeCallback, userData, nullptr, 0, 0, port, hostName ? 0 : address, {}};
  if (hostName) {
    SetHost(s, hostName);
    if (!StartLookup(hostName)) {
      MemFree(s);
      NetShutdown();
      return nullptr;
    }
    g_pendingLookup = s;
    return s;
  }
  if (!Connect(s)) {
    MemFree(s);
    NetShutdown();
    return nullptr;
  }
  return s;
}

void NetClose(NetSocket* s) {
  if (!s) return;
  if (g_pendingLookup == s) g_pendingLookup = nullptr;
  if (s->socket) {
    Drain(s->socket);
    PlatformSocketClose(s->socket);
    ListRemove(g_registry, RegistryNode(s->socket));
  }
  NetShutdown();
  MemFree(s->sendBuffer);
  MemFree(s);
}

uint32_t NetRead(NetSocket* s, void* buffer, uint32_t count) {
  if (!s || !s->socket) return 0;
  const int32_t n = PlatformSocketRead(s->socket, buffer, count);
  return n > 0 ? static_cast<uint32_t>(n) : 0;
}

ErrorCode NetWrite(NetSocket* s, const void* bytes, uint32_t count) {
  if (!s) return kErrorBadParameter;
  if (count == 0) return kErrorNone;
  if (count > kSendQueueLimit - s->queued) return kErrorOutOfMemory;
  const uint32_t needed = s->queued + count;
  if (needed > s->sendCapacity) {
    auto* grown = static_cast<uint8_t*>(MemRealloc(s->sendBuffer, needed));
    if (!grown) return kErrorOutOfMemory;
    s->sendBuffer = grown;
    s->sendCapacity = needed;
  }
  std::memcpy(s->sendBuffer + s->queued, bytes, count);
  s->queued = needed;
  RequestEvents(s);
  return kErrorNone;
}

uint16_t NetSetEventsEnabled(uint16_t enabled) {
  const uint16_t previous = g_eventsEnabled;
  g_eventsEnabled = enabled;
  if (g_registry && (previous != 0) != (enabled != 0)) {
    for (ListNode* node = g_registry->head; node; node = node->next) {
      RequestEvents(static_cast<NetSocket*>(node->data));
    }
  }
  return previous;
}
