#include "lobby/login_details.h"

#include <cstring>

LoginDetails g_loginDetails;

void LoginFieldCopy(char* field, size_t size, const char* text) {
  if (size == 0) return;
  const size_t n = text ? strnlen(text, size - 1) : 0;
  if (n > 0) std::memcpy(field, text, n);
  field[n] = '\0';
}

void LoginDetailsSetUserName(LoginDetails* d, const char* text) {
  LoginFieldCopy(d->userName, sizeof d->userName, text);
}
void LoginDetailsSetPassword(LoginDetails* d, const char* text) {
  LoginFieldCopy(d->password, sizeof d->password, text);
}
void LoginDetailsSetFullName(LoginDetails* d, const char* text) {
  LoginFieldCopy(d->fullName, sizeof d->fullName, text);
}
void LoginDetailsSetEmail(LoginDetails* d, const char* text) {
  LoginFieldCopy(d->email, sizeof d->email, text);
}
void LoginDetailsSetPersonalInfo(LoginDetails* d, const char* text) {
  LoginFieldCopy(d->personalInfo, sizeof d->personalInfo, text);
}

void LoginDetailsClear(LoginDetails* d) { std::memset(d, 0, sizeof *d); }

AccessRequestDetails LoginDetailsToAccessRequest(const LoginDetails* d, uint16_t osKind) {
  AccessRequestDetails r{};
  r.userName = d->userName;
  r.password = d->password;
  r.osKind = osKind;
  r.newUser = d->newUser ? 1 : 0;
  if (r.newUser) {
    r.fullName = d->fullName;
    r.email = d->email;
    r.personalInfo = d->personalInfo;
  }
  return r;
}
