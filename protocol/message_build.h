#pragma once
// The messages the client sends, built in host order and converted to wire
// order, ready to be framed.

#include <cstdint>

#include "core/types.h"

struct AccessRequestDetails {
  const char* userName;      // at most 31 characters are sent
  const char* password;      // at most 31
  uint16_t osKind;
  uint16_t newUser;          // 0 log in, 1 register with the fields below
  const char* fullName;      // at most 127 (new user only)
  const char* email;         // at most 127 (new user only)
  const char* personalInfo;  // at most 1023 (new user only)
};

inline constexpr uint32_t kAccessRequestSignature = 0x70726C72u;  // "prlr" on the wire
inline constexpr uint16_t kClientKind = 3;

// A new AccessRequest body in wire order (80 bytes for a log-in, 336 + n for a
// new user with n characters of personal information); every unused byte is
// 0. Stores the length; free with MemFree. nullptr when memory is exhausted.
uint8_t* AccessRequestBuild(const AccessRequestDetails* details, uint32_t* length);
// Fills the 4-byte GameImageRequest body in wire order.
void GameImageRequestBuild(uint32_t roomId, uint8_t body[4]);

