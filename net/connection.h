#pragma once
// A connection turns the byte stream of one socket into whole messages and
// back. Received application messages are queued and announced through one
// event callback; the echo and the server's alert are handled here.

#include <cstdint>

#include "core/list.h"
#include "core/types.h"
#include "net/net_socket.h"

struct Message {
  uint32_t type;          // host order
  uint32_t paddedLength;  // host order
  uint32_t length;        // host order
  // paddedLength bytes as received (numbers still big-endian), followed by
  // one more byte; body[length] is always 0, so a text that runs to the end of
  // the body still ends. nullptr when paddedLength is 0.
  uint8_t* body;
};

struct Connection;

enum : int16_t {
  kConnectionMessageQueued = 0,
  kConnectionClosed = 1,  // by the peer
};
using ConnectionEventCallback = void (*)(Connection* connection, int16_t event);

enum : uint16_t {
  kGetMessagePeek = 1,    // leave the message queued
  kGetMessageOfType = 2,  // only a message of the type in *type
};

struct Connection {
  NetSocket* socket;  // nullptr once closed
  List* queue;        // key: type, data: Message; oldest first
  ConnectionEventCallback eventCallback;
  uint16_t readState;
  uint32_t stageCount;  // bytes read in the current stage
  Message* message;     // in progress
  uint8_t field[4];     // the header field being read
  uint32_t skip;        // body bytes still to throw away (a broken frame)
};

// An empty connection, or nullptr when memory is exhausted.
Connection* ConnectionNew();
// Opens the socket (see NetOpen) and remembers callback. 0, or 1003 when the
// socket cannot be opened.
ErrorCode ConnectionOpen(Connection* connection, const char* hostName, uint32_t address, uint16_t port,
                         ConnectionEventCallback callback);
// Closes the socket if it is still open, frees every queued message, the one
// in progress and the connection. nullptr is ignored.
void ConnectionDestroy(Connection* connection);
// Queues one whole message: header, length bytes of data (already in wire
// order; may be nullptr when length is 0) and the padding. 0, or 2 when
// memory is exhausted.
ErrorCode ConnectionSend(Connection* connection, uint32_t type, const void* data, uint32_t length);
// The oldest queued message (with kGetMessageOfType: of type *type). Stores
// its type and length and returns its body, which the caller frees with
// MemFree unless kGetMessagePeek leaves it queued. nullptr when there is no
// such message (nothing written) and for a message without a body.
uint8_t* ConnectionGetMessage(Connection* connection, uint32_t* type, uint32_t* length, uint16_t flags);

// The socket's callbacks.
void ConnectionOnRead(NetSocket* socket, UserData connection);
void ConnectionOnClose(NetSocket* socket, UserData connection);
