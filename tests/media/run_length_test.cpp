#include "media/run_length.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

struct DecodeCase {
  const char* name;
  Bytes code;
  size_t room;
  Bytes expected;
};

TEST(RunLengthDecode, TableOfRows) {
  const DecodeCase cases[] = {
      {"literal then run", {0x03, 0x0A, 0x0B, 0x0C, 0x83, 0x07}, 16, {0x0A, 0x0B, 0x0C, 0x07, 0x07, 0x07}},
      {"empty literal and empty run write nothing", {0x00, 0x80, 0x55, 0x02, 0x01, 0x02}, 16, {0x01, 0x02}},
      {"empty row", {}, 16, {}},
      {"longest run", {0xFF, 0x09}, 200, Bytes(127, 0x09)},
      {"run cut at the row's end", {0x85, 0x01, 0x83, 0x02}, 6, {1, 1, 1, 1, 1, 2}},
      {"literal cut at the row's end", {0x04, 1, 2, 3, 4}, 3, {1, 2, 3}},
      {"literal cut by the code's end", {0x05, 1, 2}, 16, {1, 2}},
      {"run without its value byte", {0x01, 9, 0x84}, 16, {9}},
  };
  for (const DecodeCase& c : cases) {
    SCOPED_TRACE(c.name);
    // A guard past the row shows any write beyond it.
    Bytes out(c.room + 8, 0xEE);
    const size_t n = RunLengthDecode(c.code, {out.data(), c.room});
    EXPECT_EQ(n, c.expected.size());
    EXPECT_EQ(Bytes(out.begin(), out.begin() + static_cast<long>(n)), c.expected);
    for (size_t i = c.room; i < out.size(); ++i) ASSERT_EQ(out[i], 0xEE) << "wrote past the row at " << i;
  }
}

TEST(RunLengthEncode, RoundTripsAndUsesRunsWherTheyPay) {
  std::mt19937 rng(5);
  for (int trial = 0; trial < 200; ++trial) {
    Bytes row(static_cast<size_t>(rng() % 700));
    // Short alphabets make runs of every length, long ones make literals.
    const unsigned alphabet = 1 + rng() % 6;
    for (uint8_t& b : row) b = static_cast<uint8_t>(rng() % alphabet * 40);
    Bytes code;
    RunLengthEncode(row, &code);
    Bytes back(row.size() + 4, 0);
    ASSERT_EQ(RunLengthDecode(code, back), row.size());
    back.resize(row.size());
    ASSERT_EQ(back, row);
    // Never worse than all literals.
    ASSERT_LE(code.size(), row.size() + (row.size() + 126) / 127);
  }
  Bytes flat(300, 7);
  Bytes code;
  RunLengthEncode(flat, &code);
  EXPECT_EQ(code, (Bytes{0xFF, 7, 0xFF, 7, 0xAE, 7}));
  code.clear();
  RunLengthEncode(Bytes{1, 2, 3, 4}, &code);
  EXPECT_EQ(code, (Bytes{4, 1, 2, 3, 4}));
}

}  // namespace
