#pragma once
// The session: the client's one conversation with the lobby server. It
// connects and asks for access on "Connect", receives the connection's
// events, and tears the run down when the connection is lost.

#include <cstdint>

#include "core/types.h"

struct Connection;
struct InfoBox;

struct SessionState {
  Connection* connection;  // nullptr before the first connect, after a refusal and after teardown
  InfoBox* infoBox;        // the progress box, nullptr when not shown
};
extern SessionState g_session;

// Shows "Connecting to the Orva server ...", opens the connection to the
// endpoint of SessionEndpointGet and queues the AccessRequest built from
// g_loginDetails; the request leaves once the connection is made. 0, or an
// error code after its alert (the caller then ends the program).
ErrorCode SessionConnect();
// The connection's event callback: a queued message, or the server closing
// the connection (the program then says so and ends).
void SessionOnEvent(Connection* connection, int16_t event);
// Takes the oldest queued message, acts on it by type and frees it. A body
// shorter than its type's layout is dropped like a type the client does not
// know.
void SessionHandleMessage();
// Tears down the lobby run, each part only if it exists, and quits.
void SessionShutdown();
