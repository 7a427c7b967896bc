#pragma once
// The client's messages built (protocol/message_build.h) and queued on a
// connection.

#include <cstdint>

#include "core/types.h"
#include "protocol/message_build.h"

struct Connection;

// Build and queue on connection: 0 or an error code.
ErrorCode AccessRequestSend(Connection* connection, const AccessRequestDetails* details);
ErrorCode GameImageRequestSend(Connection* connection, uint32_t roomId);
ErrorCode DisclaimerRequestSend(Connection* connection);
