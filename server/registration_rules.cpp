#include "server/registration_rules.h"

#include <cstring>

namespace {
bool AsciiAlnum(unsigned char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }
}  // namespace

bool RegistrationNameValid(const char* name) {
  const size_t n = strnlen(name, kUserNameFieldSize);
  if (n == 0 || n > kUserNameFieldSize - 1) return false;
  for (size_t i = 0; i < n; ++i) {
    if (!AsciiAlnum(static_cast<unsigned char>(name[i]))) return false;
  }
  return true;
}

bool RegistrationValid(const AccessRequestFields& r) {
  if (!RegistrationNameValid(r.userName)) return false;
  const size_t password = strnlen(r.password, kPasswordFieldSize);
  if (password < 4 || password > kPasswordFieldSize - 1) return false;
  for (size_t i = 0; i < password; ++i) {
    if (static_cast<unsigned char>(r.password[i]) > 127) return false;
  }
  const size_t fullName = strnlen(r.fullName, kFullNameFieldSize);
  return fullName >= 1 && fullName <= kFullNameFieldSize - 1;
}
