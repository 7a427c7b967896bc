#include "protocol/messages.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/error_codes.h"
#include "core/memory.h"
#include "protocol/message_build.h"

namespace {

std::vector<uint8_t> Build(const AccessRequestDetails& d) {
  uint32_t length = 0;
  uint8_t* body = AccessRequestBuild(&d, &length);
  std::vector<uint8_t> out(body, body + length);
  MemFree(body);
  return out;
}

void Put(std::vector<uint8_t>& v, size_t offset, const std::string& s) {
  std::memcpy(v.data() + offset, s.data(), s.size());
}

TEST(AccessRequest, ALogInIsEightyBytesExactly) {
  const std::vector<uint8_t> expected = {
      0x70, 0x72, 0x6C, 0x72, 0x00, 0x00, 0x00, 0x01,              // "prlr", version 1
      'b', 'o', 'b', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,         // user name (32)
      0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
      's', 'e', 'c', 'r', 'e', 't', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // password (32)
      0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
      0x00, 0x03, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00,              // client 3, os 2, log in, unused
  };
  EXPECT_EQ(Build({"bob", "secret", 2, 0, "ignored", "ignored", "ignored"}), expected);

  // Over-long names are cut to 31 characters; the length never changes.
  const std::string longName(40, 'x');
  const std::vector<uint8_t> cut = Build({longName.c_str(), longName.c_str(), 2, 0, nullptr, nullptr, nullptr});
  ASSERT_EQ(cut.size(), 80u);
  EXPECT_EQ(cut[8 + 30], 'x');
  EXPECT_EQ(cut[8 + 31], 0);
  EXPECT_EQ(cut[40 + 31], 0);
}

TEST(AccessRequest, ANewUserWithTenCharactersOfPersonalInformationIs346Bytes) {
  std::vector<uint8_t> expected(346, 0);
  Put(expected, 0, "prlr");
  expected[7] = 1;
  Put(expected, 8, "newbie");
  Put(expected, 40, "pw");
  expected[73] = 3;
  expected[75] = 2;
  expected[77] = 1;
  Put(expected, 78, "New Bie");
  Put(expected, 206, "newbie@example.org");
  Put(expected, 334, "likes ches");  // 10 characters, the terminator at 344, one unused byte
  EXPECT_EQ(Build({"newbie", "pw", 2, 1, "New Bie", "newbie@example.org", "likes ches"}), expected);

  const std::vector<uint8_t> empty = Build({"a", "b", 2, 1, "c", "d", ""});
  EXPECT_EQ(empty.size(), 336u);
  EXPECT_TRUE(MessageBodyCheck(kMessageAccessRequest, empty.data(), 336));
  EXPECT_FALSE(MessageBodyCheck(kMessageAccessRequest, empty.data(), 335));
}

TEST(Catalogue, ConversionSwapsExactlyTheNumbersOfTheLayout) {
  std::vector<uint8_t> room(64, 0);
  const uint32_t id = 7, address = 0x0A000001, version = 3;
  const uint16_t port = 2300, spare = 9;
  std::memcpy(&room[0], &id, 4);
  std::memcpy(&room[4], &address, 4);
  std::memcpy(&room[8], &port, 2);
  std::memcpy(&room[10], &spare, 2);
  Put(room, 12, "Chess");
  Put(room, 44, "chess.ogi");
  std::memcpy(&room[60], &version, 4);
  const std::vector<uint8_t> host = room;
  ASSERT_EQ(RoomInfoConvert(room.data(), 64), 0);
  EXPECT_EQ(std::vector<uint8_t>(room.begin(), room.begin() + 12),
            (std::vector<uint8_t>{0, 0, 0, 7, 10, 0, 0, 1, 0x08, 0xFC, 0, 9}));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(&room[12])), "Chess");
  EXPECT_EQ(room[63], 3);
  ASSERT_EQ(RoomInfoConvert(room.data(), 64), 0);
  EXPECT_EQ(room, host);
  // Too short: nothing is touched.
  EXPECT_EQ(RoomInfoConvert(room.data(), 63), kErrorBadParameter);
  EXPECT_EQ(room, host);

  // WelcomeText converts its first number only.
  std::vector<uint8_t> welcome = {1, 2, 3, 4, 'h', 'i', 0};
  ASSERT_EQ(WelcomeTextConvert(welcome.data(), 7), 0);
  EXPECT_EQ(welcome, (std::vector<uint8_t>{2, 1, 3, 4, 'h', 'i', 0}));
}

TEST(Catalogue, EntryListConvertsHeadAndEntriesInTheDirectionsOrder) {
  // Wire order: two entries.
  std::vector<uint8_t> wire(8 + 2 * 72, 0);
  wire[3] = 0x11;
  wire[7] = 2;
  for (int e = 0; e < 2; ++e) {
    uint8_t* entry = &wire[8 + e * 72];
    entry[3] = static_cast<uint8_t>(0x20 + e);
    entry[4] = 'n';
    entry[5] = 'm';
    entry[69] = 0x44;
    entry[71] = 0x55;
  }
  std::vector<uint8_t> host = wire;
  ASSERT_EQ(EntryListConvert(host.data(), static_cast<uint32_t>(host.size()), kToHost), 0);
  uint32_t count;
  std::memcpy(&count, &host[4], 4);
  EXPECT_EQ(count, 2u);
  uint32_t second;
  std::memcpy(&second, &host[8 + 72], 4);
  EXPECT_EQ(second, 0x21u);
  EXPECT_EQ(host[8 + 72 + 68], 0x44);
  EXPECT_EQ(host[12], 'n');  // the 64 bytes stay as they are
  ASSERT_EQ(EntryListConvert(host.data(), static_cast<uint32_t>(host.size()), kToWire), 0);
  EXPECT_EQ(host, wire);

  // A count of 0 converts only the head.
  std::vector<uint8_t> none = {0, 0, 0, 1, 0, 0, 0, 0, 0xAB, 0xCD};
  ASSERT_EQ(EntryListConvert(none.data(), 10, kToHost), 0);
  EXPECT_EQ(none, (std::vector<uint8_t>{1, 0, 0, 0, 0, 0, 0, 0, 0xAB, 0xCD}));

  // A count whose entries do not fit is refused before anything changes.
  std::vector<uint8_t> lying = wire;
  lying[7] = 3;
  EXPECT_EQ(EntryListConvert(lying.data(), static_cast<uint32_t>(lying.size()), kToHost), kErrorBadParameter);
  lying[4] = 0xFF;  // a count so large that its size would overflow 32 bits
  EXPECT_EQ(EntryListConvert(lying.data(), static_cast<uint32_t>(lying.size()), kToHost), kErrorBadParameter);
  EXPECT_EQ(std::vector<uint8_t>(lying.begin() + 8, lying.end()), std::vector<uint8_t>(wire.begin() + 8, wire.end()));
}

TEST(Catalogue, BodiesShorterThanTheirLayoutFailTheCheck) {
  struct Case { uint32_t type; uint32_t length; bool ok; };
  const Case cases[] = {
      {kMessageWelcomeText, 3, false},   {kMessageWelcomeText, 4, true},
      {kMessageAccessDenied, 1, false},  {kMessageAccessDenied, 2, true},
      {kMessageDisclaimer, 7, false},    {kMessageDisclaimer, 8, true},
      {kMessageAccessGranted, 11, false}, {kMessageAccessGranted, 12, true},
      {kMessageRoomInfo, 63, false},     {kMessageRoomInfo, 64, true},
      {kMessageRoomStatus, 9, false},    {kMessageRoomStatus, 10, true},
      {kMessageGameImage, 3, false},     {kMessageGameImage, 4, true},
      {kMessageEntryList, 7, false},     {kMessageEntryList, 8, true},
      {kMessageAccessRequest, 79, false}, {kMessageAccessRequest, 80, true},
      {500, 0, true},  // unknown: nothing to read, dropped by its type
  };
  const std::vector<uint8_t> zeros(128, 0);
  for (const Case& c : cases) {
    EXPECT_EQ(MessageBodyCheck(c.type, zeros.data(), c.length), c.ok) << c.type << " " << c.length;
  }
  std::vector<uint8_t> entries(8 + 72, 0);
  entries[7] = 1;
  EXPECT_TRUE(MessageBodyCheck(kMessageEntryList, entries.data(), 80));
  EXPECT_FALSE(MessageBodyCheck(kMessageEntryList, entries.data(), 79));
}

TEST(Catalogue, TextsEndInsideTheirFieldAndTheBody) {
  const std::vector<uint8_t> body = {'a', 'b', 'c', 'd', 'e', 'f'};
  char out[16];
  EXPECT_FALSE(MessageCopyText(out, sizeof out, body.data(), 6, 1, 3));
  EXPECT_STREQ(out, "bcd");  // the field ends first
  EXPECT_FALSE(MessageCopyText(out, sizeof out, body.data(), 4, 2, 0));
  EXPECT_STREQ(out, "cd");  // the body ends first
  EXPECT_FALSE(MessageCopyText(out, sizeof out, body.data(), 6, 9, 0));
  EXPECT_STREQ(out, "");
  char small[3];
  const std::vector<uint8_t> ended = {'x', 'y', 'z', 'w', 0};
  EXPECT_TRUE(MessageCopyText(small, sizeof small, ended.data(), 5, 0, 0));
  EXPECT_STREQ(small, "xy");
}

}  // namespace
