#pragma once
// The client side of TLS on a connected, non-blocking POSIX socket, with
// OpenSSL: the checked handshake and the non-blocking reads and writes the
// socket seam's contract asks for.

#include <cstdint>

#include "platform/socket.h"

struct ssl_st;

// The handshake on fd, waiting for it at most a bounded time. The session,
// or nullptr with *fault set (kIdentity) when the server did not prove
// itself; fd stays open either way.
ssl_st* PosixTlsHandshake(int fd, const PlatformTlsCheck& check, PlatformTlsFault* fault);

enum class PosixTlsState { kData, kNothing, kEnd };
// Whether bytes of the stream can be read now, without taking any.
PosixTlsState PosixTlsPeek(ssl_st* tls);
// Decrypted bytes waiting inside the session, which the socket never shows.
bool PosixTlsPending(ssl_st* tls);
// As PlatformSocketRead and PlatformSocketWrite.
int32_t PosixTlsRead(ssl_st* tls, void* buffer, uint32_t count);
int32_t PosixTlsWrite(ssl_st* tls, const void* bytes, uint32_t count);
// Sends the closing alert if it can without waiting, then frees the session.
void PosixTlsFree(ssl_st* tls);
