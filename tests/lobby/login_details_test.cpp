#include "lobby/login_details.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/byte_reader.h"
#include "core/memory.h"

namespace {

struct Built {
  explicit Built(const LoginDetails& d) {
    const AccessRequestDetails r = LoginDetailsToAccessRequest(&d, 2);
    body = AccessRequestBuild(&r, &length);
  }
  ~Built() { MemFree(body); }
  std::string Text(size_t offset, size_t size) const {
    return std::string(FieldText({body + offset, size}));
  }
  uint8_t* body = nullptr;
  uint32_t length = 0;
};

TEST(LoginDetails, FieldsKeepAtMostTheirSizeLessOne) {
  LoginDetails d{};
  const std::string forty(40, 'u');
  LoginDetailsSetUserName(&d, forty.c_str());
  EXPECT_EQ(std::string(d.userName), std::string(31, 'u'));
  LoginDetailsSetUserName(&d, "short");
  EXPECT_STREQ(d.userName, "short");
  LoginDetailsSetPassword(&d, std::string(31, 'p').c_str());
  EXPECT_EQ(std::strlen(d.password), 31u);
  LoginDetailsSetFullName(&d, std::string(128, 'f').c_str());
  EXPECT_EQ(std::strlen(d.fullName), 127u);
  LoginDetailsSetEmail(&d, std::string(200, 'e').c_str());
  EXPECT_EQ(std::string(d.email), std::string(127, 'e'));
  LoginDetailsSetPersonalInfo(&d, std::string(2000, 'i').c_str());
  EXPECT_EQ(std::string(d.personalInfo), std::string(1023, 'i'));
  LoginDetailsSetEmail(&d, nullptr);
  EXPECT_STREQ(d.email, "");
}

TEST(LoginDetails, FortyCharacterNameIsSentAsItsFirst31InAnEightyByteLogIn) {
  LoginDetails d{};
  LoginDetailsSetUserName(&d, std::string(40, 'n').c_str());
  LoginDetailsSetPassword(&d, "secret");
  // Registration fields are not sent for a log-in, whatever they hold.
  LoginDetailsSetPersonalInfo(&d, "ignored");
  Built b(d);
  ASSERT_NE(b.body, nullptr);
  EXPECT_EQ(b.length, 80u);
  EXPECT_EQ(b.Text(8, 32), std::string(31, 'n'));
  EXPECT_EQ(b.Text(40, 32), "secret");
  EXPECT_EQ(LoadBe16(b.body + 74), 2);
  EXPECT_EQ(LoadBe16(b.body + 76), 0);
}

TEST(LoginDetails, RegistrationCarriesTheDetails) {
  LoginDetails d{};
  LoginDetailsSetUserName(&d, "anna");
  LoginDetailsSetPassword(&d, "pass1");
  LoginDetailsSetFullName(&d, "Anna Berg");
  LoginDetailsSetEmail(&d, "anna@example.org");
  LoginDetailsSetPersonalInfo(&d, "0123456789");
  d.newUser = 1;
  Built b(d);
  ASSERT_NE(b.body, nullptr);
  EXPECT_EQ(b.length, 346u);
  EXPECT_EQ(LoadBe16(b.body + 76), 1);
  EXPECT_EQ(b.Text(78, 128), "Anna Berg");
  EXPECT_EQ(b.Text(206, 128), "anna@example.org");
  EXPECT_EQ(b.Text(334, 12), "0123456789");
}

}  // namespace
