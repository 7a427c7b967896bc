#include "core/text.h"

#include <gtest/gtest.h>

#include <string>

#include "core/memory.h"

namespace {

std::string Convert(const std::string& in) {
  char* out = TextToCrLf(in.c_str());
  std::string result = out ? out : "<null>";
  MemFree(out);
  return result;
}

TEST(TextToCrLf, EveryLineEndBecomesCrLf) {
  EXPECT_EQ(Convert("a\nb\rc\r\nd"), "a\r\nb\r\nc\r\nd");
  EXPECT_EQ(Convert(""), "");
  EXPECT_EQ(Convert("\r\r\n\n"), "\r\n\r\n\r\n");
  EXPECT_EQ(Convert("\n\n\n"), "\r\n\r\n\r\n");
  EXPECT_EQ(Convert("no ends"), "no ends");
  EXPECT_EQ(Convert("tail\r"), "tail\r\n");
}

TEST(TextToCrLf, LongTextsHaveNoSizeLimit) {
  // Beyond 64 KiB in and out: a 16-bit count would wrap here.
  const std::string in(70000, '\n');
  const std::string out = Convert(in);
  ASSERT_EQ(out.size(), 140000u);
  EXPECT_EQ(out.find_first_not_of("\r\n"), std::string::npos);
  EXPECT_EQ(out.substr(0, 4), "\r\n\r\n");
}

}  // namespace
