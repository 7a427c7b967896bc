#include "lobby/account_rules.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr uint8_t kBackspace = 8;
constexpr uint32_t kUserNameLimit = 31;
constexpr uint32_t kPasswordMinLength = 4;
constexpr uint32_t kFullNameLimit = 127;

// The form's texts come from edit boxes, which have no fixed size; the
// lengths only need to be right up to the first value past each limit.
uint32_t TextLength(const char* text) {
  return text ? static_cast<uint32_t>(strnlen(text, 0xFFFFFFF)) : 0;
}

bool IsAsciiAlnum(unsigned char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

NewUserCheck Fail(int number, NewUserField select, NewUserClear clear, const char* format, int a = 0, int b = 0) {
  NewUserCheck r{};
  r.number = number;
  r.select = select;
  r.clear = clear;
  std::snprintf(r.message, sizeof r.message, format, a, b);
  return r;
}

}  // namespace

uint16_t IsValidUserName(const char* text) {
  if (!text || !*text) return 0;
  for (const char* p = text; *p; ++p) {
    if (!IsAsciiAlnum(static_cast<unsigned char>(*p))) return 0;
  }
  return 1;
}

uint16_t IsValidPassword(const char* text) {
  if (!text || !*text) return 0;
  for (const char* p = text; *p; ++p) {
    if (static_cast<unsigned char>(*p) > 127) return 0;
  }
  return 1;
}

NewUserCheck NewUserCheckEntries(const NewUserEntries& e) {
  using F = NewUserField;
  using C = NewUserClear;
  const uint32_t userName = TextLength(e.userName);
  const uint32_t fullName = TextLength(e.fullName);
  if (userName == 0) return Fail(1, F::kUserName, C::kNothing, "You must enter a user name.");
  if (userName > kUserNameLimit) {
    return Fail(2, F::kUserName, C::kNothing, "A user name must be less than %d characters.", 32);
  }
  if (e.passwordStars < kPasswordMinLength || e.passwordStars > kPasswordMaxLength) {
    if (e.passwordStars == 0) {
      return Fail(3, F::kPassword, C::kNothing, "You must enter a password for your account.");
    }
    return Fail(4, F::kPassword, C::kNothing,
                "A password must have at least %d characters and less than %d.", 4, 31);
  }
  if (e.reEnterStars == 0) {
    return Fail(5, F::kReEnter, C::kNothing, "You must re-enter your password for confirmation.");
  }
  if (fullName == 0) {
    return Fail(6, F::kFullName, C::kNothing, "You must enter your full name for account activation.");
  }
  if (fullName > kFullNameLimit) {
    return Fail(7, F::kFullName, C::kNothing, "Your full name must be less than %d characters.", 128);
  }
  if (!IsValidUserName(e.userName)) {
    return Fail(8, F::kUserName, C::kNothing,
                "Your user name contains an invalid character. Please enter a new name.");
  }
  // The buffers are read only within their size, whatever the stars say.
  char password[kPasswordSize];
  char reEntered[kPasswordSize];
  LoginFieldCopy(password, sizeof password, e.newPassword);
  LoginFieldCopy(reEntered, sizeof reEntered, e.reEnteredPassword);
  if (!IsValidPassword(password)) {
    return Fail(9, F::kPassword, C::kPassword,
                "Your password contains an invalid character. Please enter a new password.");
  }
  if (std::strcmp(password, reEntered) != 0) {
    return Fail(10, F::kPassword, C::kBothPasswords,
                "The passwords did not match. Please re-enter your password.");
  }
  return NewUserCheck{0, {}, F::kNone, C::kNothing};
}

void NewUserStore(LoginDetails* d, const NewUserEntries& e) {
  LoginDetailsSetUserName(d, e.userName);
  LoginDetailsSetPassword(d, e.newPassword);
  LoginDetailsSetFullName(d, e.fullName);
  LoginDetailsSetEmail(d, e.email);
  LoginDetailsSetPersonalInfo(d, e.personalInfo);
  d->newUser = 1;
}

PasswordFieldEdit PasswordBufferApply(char* buffer, PasswordFieldState field, uint8_t character) {
  // A buffer that somehow lost its NUL is cut at the last byte first.
  buffer[kPasswordSize - 1] = '\0';
  if (character == kBackspace) {
    std::memset(buffer, 0, kPasswordSize);
    return PasswordFieldEdit::kClear;
  }
  const uint32_t length = static_cast<uint32_t>(std::strlen(buffer));
  const bool selection = field.selectionStart < field.selectionEnd;
  if (!selection && field.length >= kPasswordMaxLength) return PasswordFieldEdit::kReject;

  // Positions come from the stars; past the buffer's text they mean its end.
  const uint32_t start = field.selectionStart < length ? field.selectionStart : length;
  uint32_t end = selection ? field.selectionEnd : field.selectionStart;
  if (end > length) end = length;
  if (end < start) end = start;
  // Replacing removes end - start characters and adds one.
  if (length - (end - start) + 1 > kPasswordMaxLength) return PasswordFieldEdit::kReject;

  // The tail from end with its NUL moves to start + 1.
  std::memmove(buffer + start + 1, buffer + end, length - end + 1);
  buffer[start] = static_cast<char>(character);
  return selection ? PasswordFieldEdit::kReplaceSelection : PasswordFieldEdit::kInsertAtCaret;
}
