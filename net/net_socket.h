#pragma once
// The socket layer: event-driven TCP sockets on the program's one thread.
// A socket is opened with a host name (looked up in the background, connected
// when the answer comes) or with an address (connected at once); readable
// data and the peer's close come back through callbacks, and outgoing bytes
// wait in a send queue until the socket can take them.

#include <cstdint>

#include "core/types.h"
#include "platform/socket.h"

struct NetSocket;
using NetCallback = void (*)(NetSocket* socket, UserData userData);

struct NetSocket {
  PlatformSocket socket;     // 0 until connected
  NetCallback readCallback;  // data can be read
  NetCallback closeCallback; // the peer closed; called once
  UserData userData;
  uint8_t* sendBuffer;       // queued outgoing bytes, oldest first
  uint32_t sendCapacity;
  uint32_t queued;
  uint16_t port;             // host order
  uint32_t address;          // IPv4, host order; 0 until known
  char host[256];            // the name last looked up, for the failure message; empty with an address
};

// Makes the layer ready on first use and counts uses. Returns the new use
// count, or an error code (2 without memory).
int32_t NetStartup();
// Takes one use back; the last one forgets the socket registry.
void NetShutdown();

// Opens a socket to hostName (may be nullptr: address is used) and port.
// With a host name it returns at once and connects when the lookup answers;
// with an address it is connected before it returns. nullptr when the lookup
// cannot be started or memory is exhausted. A lookup that keeps failing or a
// connect that fails ends the program (code 1) after a message box.
NetSocket* NetOpen(const char* hostName, uint32_t address, uint16_t port, NetCallback readCallback,
                   NetCallback closeCallback, UserData userData);
// Closes socket and frees it; none of its callbacks runs afterwards.
void NetClose(NetSocket* socket);
// Reads up to count bytes that are waiting. 0 when nothing is waiting, after
// the peer's close and on any error.
uint32_t NetRead(NetSocket* socket, void* buffer, uint32_t count);
// Queues count bytes behind what is already queued; they leave in order when
// the socket can take them. 0, or 2 when memory is exhausted (nothing queued).
ErrorCode NetWrite(NetSocket* socket, const void* bytes, uint32_t count);
// Sets whether socket events are acted on and returns the previous value.
// While 0 (a modal box is open) events are held back; setting it back
// reports again what still holds.
uint16_t NetSetEventsEnabled(uint16_t enabled);
