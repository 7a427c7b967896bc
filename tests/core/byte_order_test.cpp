#include "core/byte_order.h"

#include <gtest/gtest.h>

#include "core/byte_reader.h"
#include "core/memory.h"

namespace {

TEST(ByteOrder, SwapsAreTheirOwnInverse) {
  uint32_t u32 = 0x11223344;
  Swap32(&u32);
  EXPECT_EQ(u32, 0x44332211u);
  Swap32(&u32);
  EXPECT_EQ(u32, 0x11223344u);
  int16_t i16 = -2;  // FF FE
  Swap16(&i16);
  EXPECT_EQ(static_cast<uint16_t>(i16), 0xFEFFu);
  uint16_t u16 = 0x0102;
  Swap16(&u16);
  EXPECT_EQ(u16, 0x0201u);
}

TEST(ByteReader, ReadsBigEndianAndFailsAtTheEnd) {
  const uint8_t bytes[] = {0x12, 0x34, 0x56, 0x78, 0xFF, 0xFE, 0x01};
  ByteReader r(bytes);
  uint32_t u32 = 0;
  int16_t i16 = 0;
  uint16_t u16 = 7;
  EXPECT_TRUE(r.U32(&u32));
  EXPECT_EQ(u32, 0x12345678u);
  EXPECT_TRUE(r.I16(&i16));
  EXPECT_EQ(i16, -2);
  EXPECT_FALSE(r.U16(&u16)) << "one byte left";
  EXPECT_EQ(u16, 7) << "a failed read leaves its output alone";
  EXPECT_TRUE(r.Failed());
  uint8_t b = 0;
  EXPECT_FALSE(r.U8(&b)) << "a failed reader stays failed";
}

TEST(ByteReader, FieldTextEndsInsideItsField) {
  const uint8_t withNul[] = {'a', 'b', 0, 'c'};
  const uint8_t full[] = {'x', 'y', 'z'};
  EXPECT_EQ(FieldText(withNul), "ab");
  EXPECT_EQ(FieldText(full), "xyz");
}

TEST(Memory, ZeroedAllocationRefusesAnOverflowingProduct) {
  void* block = MemAllocZero(SIZE_MAX / 2, 4);
  EXPECT_EQ(block, nullptr);
  auto* zeros = static_cast<uint8_t*>(MemAllocZero(4, 4));
  ASSERT_NE(zeros, nullptr);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(zeros[i], 0);
  MemFree(zeros);
  MemFree(nullptr);
}

}  // namespace
