// Host lookup on Win32: WSAAsyncGetHostByName answers at the network window.
// The answer's buffer is ours; the host entry in it is read only as far as
// it says it is an IPv4 address of four bytes.

#include <cstring>
#include <map>
#include <memory>

#include "platform/socket.h"
#include "platform/testing.h"
#include "platform/win32/win32_callback_hold.h"
#include "platform/win32/win32_net_window.h"

namespace {

struct Lookup {
  PlatformLookupCallback callback = nullptr;
  uintptr_t userData = 0;
  uint32_t hookAnswer = 0;
  std::unique_ptr<char[]> buffer;
};

PlatformLookupHook g_lookupHook = nullptr;
std::map<uintptr_t, Lookup> g_lookups;  // by the system's task handle
std::map<uintptr_t, Lookup> g_hooked;   // by our own number
uintptr_t g_nextHooked = 1;

uint32_t FirstIpv4(const hostent* host) {
  if (!host || host->h_addrtype != AF_INET || host->h_length != 4 || !host->h_addr_list) return 0;
  for (char** entry = host->h_addr_list; *entry; ++entry) {
    uint32_t network = 0;
    std::memcpy(&network, *entry, 4);
    const uint32_t address = ntohl(network);
    if (address != 0) return address;
  }
  return 0;
}

}  // namespace

void PlatformSetLookupHook(PlatformLookupHook hook) { g_lookupHook = hook; }

void Win32LookupOnMessage(WPARAM wParam, LPARAM lParam) {
  auto it = g_lookups.find(static_cast<uintptr_t>(wParam));
  if (it == g_lookups.end()) return;
  Lookup lookup = std::move(it->second);
  g_lookups.erase(it);
  const uint32_t address =
      WSAGETASYNCERROR(lParam) == 0 ? FirstIpv4(reinterpret_cast<const hostent*>(lookup.buffer.get())) : 0;
  const PlatformLookupCallback callback = lookup.callback;
  const uintptr_t userData = lookup.userData;
  Win32CallOrDefer([callback, userData, address] { callback(address, userData); });
}

void Win32LookupOnHook(WPARAM wParam) {
  auto it = g_hooked.find(static_cast<uintptr_t>(wParam));
  if (it == g_hooked.end()) return;
  const PlatformLookupCallback callback = it->second.callback;
  const uintptr_t userData = it->second.userData;
  const uint32_t address = it->second.hookAnswer;
  g_hooked.erase(it);
  Win32CallOrDefer([callback, userData, address] { callback(address, userData); });
}

void Win32LookupCancelAll() {
  for (const auto& [task, lookup] : g_lookups) {
    if (lookup.buffer) WSACancelAsyncRequest(reinterpret_cast<HANDLE>(task));
  }
  g_lookups.clear();
  g_hooked.clear();
}

bool PlatformLookupStart(const char* name, PlatformLookupCallback callback, uintptr_t userData) {
  HWND window = Win32NetWindow();
  if (!name || !*name || !callback || !window) return false;
  Lookup lookup;
  lookup.callback = callback;
  lookup.userData = userData;
  if (g_lookupHook) {
    // Hooked lookups still answer later, from the loop.
    lookup.hookAnswer = g_lookupHook(name);
    const uintptr_t number = g_nextHooked++;
    g_hooked[number] = std::move(lookup);
    PostMessageA(window, kWin32LookupHookMessage, number, 0);
    return true;
  }
  lookup.buffer = std::make_unique<char[]>(MAXGETHOSTSTRUCT);
  HANDLE task = WSAAsyncGetHostByName(window, kWin32LookupMessage, name, lookup.buffer.get(),
                                      MAXGETHOSTSTRUCT);
  if (!task) return false;
  g_lookups[reinterpret_cast<uintptr_t>(task)] = std::move(lookup);
  return true;
}

bool PlatformLookupNow(const char* name, uint32_t* address) {
  if (!name || !*name) return false;
  uint32_t found = 0;
  if (g_lookupHook) {
    found = g_lookupHook(name);
  } else if (Win32NetWindow()) {
    found = FirstIpv4(gethostbyname(name));
  }
  if (found == 0) return false;
  *address = found;
  return true;
}
