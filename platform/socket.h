#pragma once
// TCP sockets and host lookup. Everything is non-blocking except the connect;
// readiness and lookup answers arrive on the program's thread, one at a time.

#include <cstdint>

// A connected socket, named by a small number that is never 0.
using PlatformSocket = uint32_t;

// Readiness a socket reports to the socket handler.
enum : uint32_t {
  kPlatformSocketRead = 1,    // bytes are waiting
  kPlatformSocketWrite = 2,   // the socket can take bytes
  kPlatformSocketClose = 32,  // the peer closed (or the stream broke) and nothing is left to read
};

// Called on the program's thread for every readiness of every socket.
using PlatformSocketHandler = void (*)(PlatformSocket socket, uint32_t event);

// Installs the one socket handler (nullptr: readiness is dropped).
void PlatformSetSocketHandler(PlatformSocketHandler handler);

// Makes an IPv4 stream socket and connects it to address:port (host order),
// blocking until it is connected or refused. Returns the socket with nothing
// requested (see PlatformSocketRequest), or 0 on failure.
PlatformSocket PlatformSocketConnect(uint32_t address, uint16_t port);

// What a protected connection checks of the server's certificate.
struct PlatformTlsCheck {
  // The name the certificate must carry: the host name connected to, or the
  // dotted address when there was none.
  const char* hostName;
  // nullptr, or one more PEM certificate trusted beside the system's own.
  const char* extraCaFile;
  // nullptr, or 32 bytes: the SHA-256 of the server's public key (DER). It
  // then stands in for the chain of trust; the name is still checked.
  const uint8_t* pin;
};

enum class PlatformTlsFault : uint32_t {
  kNone,
  kConnect,   // no TCP connection: as PlatformSocketConnect's failure
  kIdentity,  // connected, but no TLS handshake with a server that proves
              // itself: its certificate, its name, or a server without TLS
};

// As PlatformSocketConnect, then a TLS 1.2 or 1.3 handshake, also blocking
// (bounded in time), checked as check says. Nothing but the handshake has
// been sent when it fails. The socket then keeps the plain socket's
// contract: reads and writes carry the protected stream's bytes, and
// readiness is reported for them (also for bytes already decrypted).
// 0 on failure, with *fault set.
PlatformSocket PlatformSocketConnectTls(uint32_t address, uint16_t port, const PlatformTlsCheck& check,
                                        PlatformTlsFault* fault);

// Chooses what the socket reports, a mask of kPlatformSocketRead (which also
// brings kPlatformSocketClose) and kPlatformSocketWrite; 0 holds everything
// back. Reports are level-triggered: a condition that still holds is reported
// again after each return to the loop. After a close report, read stays off
// until requested again. Returns false for an unknown socket.
bool PlatformSocketRequest(PlatformSocket socket, uint32_t events);

// Reads up to count bytes without waiting. Returns the bytes read, 0 when
// nothing is waiting, -1 at the end of the stream or on an error.
int32_t PlatformSocketRead(PlatformSocket socket, void* buffer, uint32_t count);

// Sends up to count bytes without waiting. Returns the bytes taken (possibly
// fewer than count), 0 when the socket cannot take any now, -1 on an error.
int32_t PlatformSocketWrite(PlatformSocket socket, const void* bytes, uint32_t count);

// Closes the socket; nothing more is reported for it. 0 is ignored.
void PlatformSocketClose(PlatformSocket socket);

// Answer of a host lookup: the first IPv4 address in host order, 0 when the
// name was not found.
using PlatformLookupCallback = void (*)(uint32_t address, uintptr_t userData);

// Starts looking name up; callback runs once, later, on the program's thread.
// false when the lookup cannot be started (callback never runs).
bool PlatformLookupStart(const char* name, PlatformLookupCallback callback, uintptr_t userData);

// Looks name up and waits for the answer. true with *address (host order) set
// on success.
bool PlatformLookupNow(const char* name, uint32_t* address);
