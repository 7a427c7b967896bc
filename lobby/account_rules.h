#pragma once
// The rules of an account's fields: the checks of the new-user form's "OK"
// and the plain-text side of the password fields. No windows here: the
// windows show what these decide.

#include <cstddef>
#include <cstdint>

#include "lobby/login_details.h"

// 1 when text is non-empty and holds ASCII letters and digits only, else 0.
uint16_t IsValidUserName(const char* text);
// 1 when text is non-empty and every byte is at most 127, else 0.
uint16_t IsValidPassword(const char* text);

// The field whose whole text the window selects after a failed check.
enum class NewUserField : uint8_t { kNone, kUserName, kPassword, kReEnter, kFullName };
// What the window empties (field and its plain-text buffer) before selecting.
enum class NewUserClear : uint8_t { kNothing, kPassword, kBothPasswords };

// The new-user form as typed. Texts may be nullptr (empty). The star counts
// are the password fields' own lengths; the buffers are the plain texts the
// password filter kept (kPasswordSize bytes each, read no further).
struct NewUserEntries {
  const char* userName;
  uint32_t passwordStars;
  uint32_t reEnterStars;
  const char* fullName;
  const char* email;
  const char* personalInfo;
  const char* newPassword;
  const char* reEnteredPassword;
};

struct NewUserCheck {
  int number;          // 0 when every check passes, else the failed check, 1 to 10
  char message[128];   // the alert's text; empty when number is 0
  NewUserField select;
  NewUserClear clear;
};

// Runs the ten checks of "OK" in their order and reports the first failure.
NewUserCheck NewUserCheckEntries(const NewUserEntries& entries);
// After every check passed: copies the entries into details (user name cut
// to 31 characters, full name and e-mail to 127, personal information to
// 1023, the password from its buffer) and sets newUser to 1.
void NewUserStore(LoginDetails* details, const NewUserEntries& entries);

// The password filter's decision for one character, to be done to the field.
enum class PasswordFieldEdit : uint8_t {
  kClear,             // empty the field (Backspace)
  kReplaceSelection,  // put one "*" in place of the selection
  kInsertAtCaret,     // put one "*" at the caret
  kReject,            // beep; the field stays as it is
};

// The password field as the filter sees it: its star count and selection
// (start == end: the caret).
struct PasswordFieldState {
  uint32_t length;
  uint32_t selectionStart;
  uint32_t selectionEnd;
};

inline constexpr uint32_t kPasswordMaxLength = 31;

// Applies one typed character to the plain-text buffer (kPasswordSize bytes)
// and says what the field must do. The stars and the buffer can differ after
// edits that were not characters; positions past the buffer's text then act
// at its end, and a buffer already holding 31 characters takes no more, so
// every write stays inside the buffer and keeps its NUL.
PasswordFieldEdit PasswordBufferApply(char* buffer, PasswordFieldState field, uint8_t character);
