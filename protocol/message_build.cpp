#include "protocol/message_build.h"

#include <cstring>

#include "core/memory.h"
#include "protocol/messages.h"

namespace {

constexpr uint32_t kPersonalInfoMax = 1023;

// Copies at most fieldSize - 1 characters; the rest of the field stays 0.
void PutText(uint8_t* field, uint32_t fieldSize, const char* text) {
  if (!text) return;
  const size_t n = strnlen(text, fieldSize - 1);
  std::memcpy(field, text, n);
}

void PutHost32(uint8_t* p, uint32_t v) { std::memcpy(p, &v, 4); }
void PutHost16(uint8_t* p, uint16_t v) { std::memcpy(p, &v, 2); }

}  // namespace

uint8_t* AccessRequestBuild(const AccessRequestDetails* d, uint32_t* length) {
  const bool newUser = d->newUser != 0;
  const uint32_t personal = newUser && d->personalInfo
                                ? static_cast<uint32_t>(strnlen(d->personalInfo, kPersonalInfoMax))
                                : 0;
  const uint32_t size = newUser ? kAccessRequestNewUserLength + personal : kAccessRequestLogInLength;
  auto* body = static_cast<uint8_t*>(MemAllocZero(1, size));
  if (!body) return nullptr;
  PutHost32(body + 0, kAccessRequestSignature);
  PutHost32(body + 4, 1);
  PutText(body + 8, 32, d->userName);
  PutText(body + 40, 32, d->password);
  PutHost16(body + 72, kClientKind);
  PutHost16(body + 74, d->osKind);
  PutHost16(body + 76, newUser ? 1 : 0);
  if (newUser) {
    PutText(body + 78, 128, d->fullName);
    PutText(body + 206, 128, d->email);
    if (personal) std::memcpy(body + 334, d->personalInfo, personal);
  }
  AccessRequestConvert(body, size);
  *length = size;
  return body;
}

void GameImageRequestBuild(uint32_t roomId, uint8_t body[4]) {
  PutHost32(body, roomId);
  GameImageRequestConvert(body, 4);
}
