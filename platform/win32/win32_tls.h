#pragma once
// The client side of TLS on Windows: Schannel through SSPI on a connected
// socket. The handshake runs while the socket still blocks (bounded in
// time); afterwards records are decrypted into a buffer of plain bytes and
// written a record at a time on the non-blocking socket.

#include <winsock2.h>

#include <cstdint>
#include <memory>

#include "platform/socket.h"

class Win32Tls;
void Win32TlsFree(Win32Tls* tls);
struct Win32TlsDeleter {
  void operator()(Win32Tls* tls) const { Win32TlsFree(tls); }
};
using Win32TlsSession = std::unique_ptr<Win32Tls, Win32TlsDeleter>;

// The checked handshake on the blocking socket; nullptr when the server did
// not prove itself (the socket stays open).
Win32TlsSession Win32TlsHandshake(SOCKET handle, const PlatformTlsCheck& check);

enum class Win32TlsState { kData, kNothing, kEnd };

// Takes in what the socket holds and decrypts it: whether plain bytes wait.
Win32TlsState Win32TlsReadable(Win32Tls& tls, SOCKET handle);
// As PlatformSocketRead and PlatformSocketWrite.
int32_t Win32TlsRead(Win32Tls& tls, SOCKET handle, void* buffer, uint32_t count);
int32_t Win32TlsWrite(Win32Tls& tls, SOCKET handle, const void* bytes, uint32_t count);
// Sends what an earlier write left encrypted; false when the socket broke.
bool Win32TlsFlush(Win32Tls& tls, SOCKET handle);
