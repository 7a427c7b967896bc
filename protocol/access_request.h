#pragma once
// Reading an AccessRequest that came from a client. The body is checked
// against its layout, and every text must end inside its field, before
// anything is handed on: a request that fails either is not a request.

#include <cstdint>

inline constexpr uint32_t kUserNameFieldSize = 32;
inline constexpr uint32_t kPasswordFieldSize = 32;
inline constexpr uint32_t kFullNameFieldSize = 128;
inline constexpr uint32_t kEmailFieldSize = 128;
inline constexpr uint32_t kPersonalInfoFieldSize = 1024;  // at most 1023 characters

struct AccessRequestFields {
  uint32_t signature;
  uint32_t version;
  uint16_t clientKind;
  uint16_t osKind;
  uint16_t newUser;  // 1: register with the three texts below; they are empty otherwise
  char userName[kUserNameFieldSize];
  char password[kPasswordFieldSize];
  char fullName[kFullNameFieldSize];
  char email[kEmailFieldSize];
  char personalInfo[kPersonalInfoFieldSize];
};

enum AccessRequestParseResult : int {
  kAccessRequestOk = 0,
  kAccessRequestShort,         // shorter than its layout
  kAccessRequestUnterminated,  // a text without its NUL inside the field and the body
  kAccessRequestTooLong,       // personal information above 1023 characters
};

// Fills out from a wire-order body of length bytes; out is all zero unless
// the result is kAccessRequestOk.
AccessRequestParseResult AccessRequestParse(const uint8_t* body, uint32_t length, AccessRequestFields* out);
