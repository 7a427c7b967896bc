#include "lobby/account_rules.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(AccountRules, UserNameIsAsciiLettersAndDigitsOnly) {
  struct Case { const char* text; uint16_t valid; };
  const Case cases[] = {
      {"", 0}, {nullptr, 0}, {"abcXYZ019", 1}, {"a_b", 0}, {"a b", 0}, {"name!", 0},
      {"\xE9t\xE9", 0}, {"a\x7F", 0}, {"Z", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text ? c.text : "(null)");
    EXPECT_EQ(IsValidUserName(c.text), c.valid);
  }
}

TEST(AccountRules, PasswordIsAnyByteUpTo127) {
  struct Case { const char* text; uint16_t valid; };
  const Case cases[] = {
      {"", 0}, {nullptr, 0}, {"pa ss_!\t\x7F", 1}, {"\x01", 1}, {"ab\x80", 0}, {"\xFF", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text ? c.text : "(null)");
    EXPECT_EQ(IsValidPassword(c.text), c.valid);
  }
}

// A form that passes every check; each case spoils one part of it.
struct Form {
  std::string userName = "anna2";
  std::string password = "secret";
  std::string reEntered = "secret";
  int passwordStars = -1;  // -1: one per character of the buffer
  int reEnterStars = -1;
  std::string fullName = "Anna Berg";
  std::string email = "anna@example.org";
  std::string personalInfo = "likes chess";

  NewUserEntries Entries() const {
    return NewUserEntries{
        userName.c_str(),
        static_cast<uint32_t>(passwordStars < 0 ? password.size() : size_t(passwordStars)),
        static_cast<uint32_t>(reEnterStars < 0 ? reEntered.size() : size_t(reEnterStars)),
        fullName.c_str(),
        email.c_str(),
        personalInfo.c_str(),
        password.c_str(),
        reEntered.c_str(),
    };
  }
};

TEST(NewUserCheck, EachCheckGivesItsMessageFieldAndCleanup) {
  using F = NewUserField;
  using C = NewUserClear;
  struct Case {
    const char* name;
    Form form;
    int number;
    const char* message;
    F select;
    C clear;
  };
  auto with = [](auto change) {
    Form f;
    change(f);
    return f;
  };
  const Case cases[] = {
      {"every field empty", Form{"", "", "", -1, -1, "", "", ""}, 1, "You must enter a user name.",
       F::kUserName, C::kNothing},
      {"32-character name", with([](Form& f) { f.userName = std::string(32, 'a'); }), 2,
       "A user name must be less than 32 characters.", F::kUserName, C::kNothing},
      {"no password", with([](Form& f) { f.password = ""; }), 3,
       "You must enter a password for your account.", F::kPassword, C::kNothing},
      {"3-character password", with([](Form& f) { f.password = f.reEntered = "abc"; }), 4,
       "A password must have at least 4 characters and less than 31.", F::kPassword, C::kNothing},
      {"32 stars", with([](Form& f) { f.passwordStars = 32; }), 4,
       "A password must have at least 4 characters and less than 31.", F::kPassword, C::kNothing},
      {"nothing re-entered", with([](Form& f) { f.reEntered = ""; }), 5,
       "You must re-enter your password for confirmation.", F::kReEnter, C::kNothing},
      {"no full name", with([](Form& f) { f.fullName = ""; }), 6,
       "You must enter your full name for account activation.", F::kFullName, C::kNothing},
      {"128-character full name", with([](Form& f) { f.fullName = std::string(128, 'f'); }), 7,
       "Your full name must be less than 128 characters.", F::kFullName, C::kNothing},
      {"underscore in the name", with([](Form& f) { f.userName = "anna_2"; }), 8,
       "Your user name contains an invalid character. Please enter a new name.", F::kUserName,
       C::kNothing},
      {"byte above 127", with([](Form& f) { f.password = f.reEntered = "sec\xE9t"; }), 9,
       "Your password contains an invalid character. Please enter a new password.", F::kPassword,
       C::kPassword},
      // Stars without a buffer behind them (an edit that was no character).
      {"stars but empty buffer", with([](Form& f) { f.password = ""; f.passwordStars = 6; }), 9,
       "Your password contains an invalid character. Please enter a new password.", F::kPassword,
       C::kPassword},
      {"mismatch", with([](Form& f) { f.reEntered = "secreT"; }), 10,
       "The passwords did not match. Please re-enter your password.", F::kPassword,
       C::kBothPasswords},
      {"re-entered is a prefix", with([](Form& f) { f.reEntered = "secre"; }), 10,
       "The passwords did not match. Please re-enter your password.", F::kPassword,
       C::kBothPasswords},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const NewUserCheck r = NewUserCheckEntries(c.form.Entries());
    EXPECT_EQ(r.number, c.number);
    EXPECT_STREQ(r.message, c.message);
    EXPECT_EQ(r.select, c.select);
    EXPECT_EQ(r.clear, c.clear);
  }
}

TEST(NewUserCheck, LimitsThatPass) {
  struct Case { const char* name; Form form; };
  Form name31, password31, password4, fullName127, longEmail;
  name31.userName = std::string(31, 'n');
  password31.password = password31.reEntered = std::string(31, 'p');
  password4.password = password4.reEntered = "abcd";
  fullName127.fullName = std::string(127, 'f');
  // E-mail and personal information are never checked, only cut on storing.
  longEmail.email = std::string(200, 'e');
  longEmail.personalInfo = std::string(2000, 'i');
  const Case cases[] = {{"31-character name", name31}, {"31-character password", password31},
                        {"4-character password", password4}, {"127-character full name", fullName127},
                        {"long e-mail and info", longEmail}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const NewUserCheck r = NewUserCheckEntries(c.form.Entries());
    EXPECT_EQ(r.number, 0);
    EXPECT_STREQ(r.message, "");
    EXPECT_EQ(r.select, NewUserField::kNone);
  }
}

TEST(NewUserCheck, PasswordBufferIsReadNoFurtherThanItsSize) {
  // 40 bytes without a NUL in the first 32: only the first 31 count.
  const std::string longer(40, 'x');
  Form f;
  f.password = longer;
  f.reEntered = std::string(31, 'x');
  f.passwordStars = 31;
  EXPECT_EQ(NewUserCheckEntries(f.Entries()).number, 0);
}

TEST(NewUserStore, CopiesCutsAndMarksTheRegistration) {
  Form f;
  f.email = std::string(200, 'e');
  f.personalInfo = std::string(2000, 'i');
  f.fullName = std::string(127, 'f');
  LoginDetails d{};
  NewUserStore(&d, f.Entries());
  EXPECT_STREQ(d.userName, "anna2");
  EXPECT_STREQ(d.password, "secret");
  EXPECT_EQ(std::string(d.fullName), f.fullName);
  EXPECT_EQ(std::string(d.email), std::string(127, 'e'));
  EXPECT_EQ(std::string(d.personalInfo), std::string(1023, 'i'));
  EXPECT_EQ(d.newUser, 1);
}

}  // namespace
