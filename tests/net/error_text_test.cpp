#include "net/error_text.h"

#include <gtest/gtest.h>

namespace {

TEST(ErrorTexts, CodesIndexOneTableOfTexts) {
  EXPECT_STREQ(ErrorText(0), "No error.");
  EXPECT_STREQ(ErrorText(2), "Out of memory.");
  EXPECT_STREQ(ErrorText(13), "Resource not found.");
  EXPECT_STREQ(ErrorText(15), "Bad parameter.");
  EXPECT_STREQ(ErrorText(1000), "An unknown network error occurred.");
  EXPECT_STREQ(ErrorText(1003), "Local network problem.");
  EXPECT_STREQ(ErrorText(1006), "Server ID not found.");
  EXPECT_STREQ(ErrorText(2000), "Windows system error.");
  EXPECT_STREQ(ErrorText(2001), "Generic Windows system error.");
  for (ErrorCode code : {-1, 16, 999, 1007, 1999, 2002, 1 << 30}) EXPECT_EQ(ErrorText(code), nullptr) << code;
}

}  // namespace
