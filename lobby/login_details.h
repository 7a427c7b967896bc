#pragma once
// LoginDetails: the one record through which the user's name, password and
// registration details travel from the login and new-user windows to the
// session, the message handling and the game launch.

#include <cstddef>
#include <cstdint>

#include "protocol/message_build.h"

inline constexpr size_t kUserNameSize = 32;       // at most 31 characters
inline constexpr size_t kPasswordSize = 32;       // at most 31
inline constexpr size_t kFullNameSize = 128;      // at most 127
inline constexpr size_t kEmailSize = 128;         // at most 127
inline constexpr size_t kPersonalInfoSize = 1024; // at most 1023

// Every text is NUL-terminated inside its array.
struct LoginDetails {
  char userName[kUserNameSize];
  char password[kPasswordSize];  // plain text, kept by the password filter
  uint16_t newUser;              // 1: the next access request registers
  char fullName[kFullNameSize];
  char email[kEmailSize];
  char personalInfo[kPersonalInfoSize];
};

// The program's instance, zero-filled at start.
extern LoginDetails g_loginDetails;

// Copies text into a field of size bytes: the whole text when it fits, else
// its first size - 1 characters; always NUL-terminated. nullptr empties it.
void LoginFieldCopy(char* field, size_t size, const char* text);

// The setters of each field, cutting as LoginFieldCopy does.
void LoginDetailsSetUserName(LoginDetails* details, const char* text);
void LoginDetailsSetPassword(LoginDetails* details, const char* text);
void LoginDetailsSetFullName(LoginDetails* details, const char* text);
void LoginDetailsSetEmail(LoginDetails* details, const char* text);
void LoginDetailsSetPersonalInfo(LoginDetails* details, const char* text);
// Zero-fills the record.
void LoginDetailsClear(LoginDetails* details);

// What the session hands to AccessRequestSend. The pointers refer into
// details, so it must outlive the result; the registration fields are set
// only when newUser is 1.
AccessRequestDetails LoginDetailsToAccessRequest(const LoginDetails* details, uint16_t osKind);
