#include "net/message_send.h"

#include "core/error_codes.h"
#include "core/memory.h"
#include "net/connection.h"
#include "protocol/messages.h"

ErrorCode AccessRequestSend(Connection* connection, const AccessRequestDetails* details) {
  uint32_t length = 0;
  uint8_t* body = AccessRequestBuild(details, &length);
  if (!body) return kErrorOutOfMemory;
  const ErrorCode result = ConnectionSend(connection, kMessageAccessRequest, body, length);
  MemFree(body);
  return result;
}

ErrorCode GameImageRequestSend(Connection* connection, uint32_t roomId) {
  uint8_t body[4];
  GameImageRequestBuild(roomId, body);
  return ConnectionSend(connection, kMessageGameImageRequest, body, sizeof body);
}

ErrorCode DisclaimerRequestSend(Connection* connection) {
  return ConnectionSend(connection, kMessageDisclaimerRequest, nullptr, 0);
}
