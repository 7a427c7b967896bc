// The server's side of the catalogue: reading a client's AccessRequest and
// framing the server's answers.

#include "protocol/access_request.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/byte_reader.h"
#include "core/memory.h"
#include "protocol/frame.h"
#include "protocol/message_build.h"
#include "protocol/server_build.h"

namespace {

std::vector<uint8_t> Request(const std::string& info, bool newUser = true) {
  AccessRequestDetails d = {"ann", "pw12", 2, static_cast<uint16_t>(newUser), "Ann Example", "ann@example.org",
                            info.c_str()};
  uint32_t length = 0;
  uint8_t* body = AccessRequestBuild(&d, &length);
  std::vector<uint8_t> out(body, body + length);
  MemFree(body);
  return out;
}

TEST(AccessRequestParse, ReadsWhatTheClientBuilds) {
  for (bool newUser : {false, true}) {
    const std::vector<uint8_t> body = Request("Plays go.", newUser);
    AccessRequestFields f;
    ASSERT_EQ(AccessRequestParse(body.data(), static_cast<uint32_t>(body.size()), &f), kAccessRequestOk);
    EXPECT_EQ(f.signature, kAccessRequestSignature);
    EXPECT_EQ(f.version, 1u);
    EXPECT_EQ(f.clientKind, 3);
    EXPECT_EQ(f.osKind, 2);
    EXPECT_EQ(f.newUser, newUser ? 1 : 0);
    EXPECT_STREQ(f.userName, "ann");
    EXPECT_STREQ(f.password, "pw12");
    EXPECT_STREQ(f.fullName, newUser ? "Ann Example" : "");
    EXPECT_STREQ(f.personalInfo, newUser ? "Plays go." : "");
  }
  const std::vector<uint8_t> longest = Request(std::string(1023, 'i'));
  AccessRequestFields f;
  EXPECT_EQ(AccessRequestParse(longest.data(), static_cast<uint32_t>(longest.size()), &f), kAccessRequestOk);
  EXPECT_EQ(std::strlen(f.personalInfo), 1023u);
}

TEST(AccessRequestParse, RefusesShortUnterminatedAndOverlongBodies) {
  struct Case {
    const char* what;
    std::vector<uint8_t> body;
    AccessRequestParseResult expected;
  };
  std::vector<uint8_t> noNulName = Request("", false);
  std::memset(noNulName.data() + 8, 'a', 32);
  std::vector<uint8_t> noNulInfo = Request("abc");
  noNulInfo.resize(337);  // "abc" without its terminator
  std::vector<uint8_t> overlong = Request("");
  overlong.resize(334);
  overlong.insert(overlong.end(), 1030, 'x');
  overlong.push_back(0);
  std::vector<uint8_t> claimsNewUser = Request("", false);
  StoreBe16(claimsNewUser.data() + 76, 1);
  const Case cases[] = {
      {"empty", {}, kAccessRequestShort},
      {"79 bytes", std::vector<uint8_t>(79, 0), kAccessRequestShort},
      {"registration in a log-in's length", claimsNewUser, kAccessRequestShort},
      {"user name without NUL", noNulName, kAccessRequestUnterminated},
      {"personal information without NUL", noNulInfo, kAccessRequestUnterminated},
      {"personal information above 1023", overlong, kAccessRequestTooLong},
  };
  for (const Case& k : cases) {
    AccessRequestFields f;
    EXPECT_EQ(AccessRequestParse(k.body.data(), static_cast<uint32_t>(k.body.size()), &f), k.expected) << k.what;
    EXPECT_EQ(f.userName[0], 0) << k.what;
  }
}

TEST(ServerBuild, AnswersConvertBackThroughTheCatalogue) {
  uint8_t info[kRoomInfoLength];
  RoomInfoBuild({5, 0x01020304u, 2101, 0, std::string(40, 'g'), "file-name-too-long.ogi", 9}, info);
  ASSERT_EQ(RoomInfoConvert(info, sizeof info), 0);
  uint32_t id, address, version;
  uint16_t port;
  std::memcpy(&id, info, 4);
  std::memcpy(&address, info + 4, 4);
  std::memcpy(&port, info + 8, 2);
  std::memcpy(&version, info + 60, 4);
  EXPECT_EQ(id, 5u);
  EXPECT_EQ(address, 0x01020304u);
  EXPECT_EQ(port, 2101);
  EXPECT_EQ(version, 9u);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(info + 12)), std::string(30, 'g'));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(info + 44)), "file-name-too-l");

  const std::vector<uint8_t> alert = ServerAlertBuild(std::string("cut\0here", 8));
  EXPECT_EQ(alert, (std::vector<uint8_t>{0, 0, 'c', 'u', 't', 0}));

  std::vector<uint8_t> frames;
  ASSERT_TRUE(FrameAppend(&frames, 66, alert));
  ASSERT_TRUE(FrameAppend(&frames, kMessageEcho, {}));
  ASSERT_EQ(frames.size(), 12u + 8 + 12);
  EXPECT_EQ(LoadBe32(frames.data() + 4), 8u);
  EXPECT_EQ(LoadBe32(frames.data() + 8), 6u);
  EXPECT_EQ(LoadBe32(frames.data() + 20), kMessageEcho);
  EXPECT_EQ(FrameCheck(LoadBe32(frames.data() + 24), LoadBe32(frames.data() + 28)), kFrameOk);
}

}  // namespace
