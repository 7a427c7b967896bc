// The disclaimer step on the way to the login window: accepting writes the
// flag and nothing else, declining (by button, Escape or the close box) and
// a missing document end the program.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "lobby/disclaimer_document.h"
#include "lobby/disclaimer_window.h"
#include "lobby/login_window.h"
#include "platform/window.h"
#include "platform/testing.h"
#include "tests/lobby/screen_fixture.h"
#include "tests/support/toolkit_harness.h"
#include "toolkit/button.h"
#include "toolkit/edit_box.h"

namespace {

using DisclaimerTest = ScreenTest;

TEST_F(DisclaimerTest, AnAcceptedDocumentLetsTheLoginOpenAlone) {
  SetDisclaimerAccepted(1);
  ASSERT_TRUE(OpenLogin());
  EXPECT_EQ(g_disclaimerWindow.window, nullptr);
  EXPECT_EQ(WindowGetModal(), g_login.window);
}

TEST_F(DisclaimerTest, AcceptChangesOnlyTheFlagAndTheNextStartGoesStraightToTheLogin) {
  const std::vector<uint8_t> before = ReadFileBytes(DisclaimerPath());
  ASSERT_GE(before.size(), 20u);
  ASSERT_EQ(before[15], 0);
  ASSERT_TRUE(OpenLogin());
  ASSERT_NE(g_disclaimerWindow.window, nullptr);
  EXPECT_EQ(WindowGetModal(), g_disclaimerWindow.window);
  // The text shows from its beginning, with its own words.
  EXPECT_EQ(SelectionOf(g_disclaimerWindow.text), std::make_pair(0, 0));
  EXPECT_GT(EditBoxGetTextLength(g_disclaimerWindow.text), 100);

  HarnessSetFocus(g_disclaimerWindow.window);
  ASSERT_TRUE(HarnessType(13));  // Enter accepts
  HarnessFlush();
  HarnessAdvance(2);
  EXPECT_EQ(g_disclaimerWindow.window, nullptr);
  EXPECT_NE(g_login.window, nullptr);
  EXPECT_EQ(Quits(), 0);
  // The login window has the keyboard again.
  EXPECT_EQ(WindowGetModal(), g_login.window);
  HarnessTypeText("fay");
  HarnessFlush();
  EXPECT_EQ(TextOf(g_login.userName), "fay");

  std::vector<uint8_t> after = ReadFileBytes(DisclaimerPath());
  ASSERT_EQ(after.size(), before.size());
  EXPECT_EQ(std::vector<uint8_t>(after.begin() + 12, after.begin() + 16), (std::vector<uint8_t>{0, 0, 0, 1}));
  after[15] = 0;
  EXPECT_EQ(after, before);

  CloseLoginWindow();
  ASSERT_EQ(OpenLoginWindow(), 0);
  EXPECT_EQ(g_disclaimerWindow.window, nullptr);
}

enum class Refusal { kDeclineButton, kEscape, kCloseBox };

class DisclaimerRefusalTest : public ScreenTest, public ::testing::WithParamInterface<Refusal> {};

TEST_P(DisclaimerRefusalTest, EndsTheProgramAndLeavesTheDocument) {
  const std::vector<uint8_t> before = ReadFileBytes(DisclaimerPath());
  ASSERT_TRUE(OpenLogin());
  ASSERT_NE(g_disclaimerWindow.window, nullptr);
  switch (GetParam()) {
    case Refusal::kDeclineButton:
      ButtonPress(g_disclaimerWindow.decline);
      break;
    case Refusal::kEscape:
      HarnessSetFocus(g_disclaimerWindow.window);
      ASSERT_TRUE(HarnessType(27));
      break;
    case Refusal::kCloseBox:
      PlatformTestRequestClose(WindowGetHandle(g_disclaimerWindow.window));
      break;
  }
  HarnessAdvance(3);
  EXPECT_EQ(g_disclaimerWindow.window, nullptr);
  EXPECT_EQ(Quits(), 1);
  EXPECT_EQ(ReadFileBytes(DisclaimerPath()), before);
}

INSTANTIATE_TEST_SUITE_P(Ways, DisclaimerRefusalTest,
                         ::testing::Values(Refusal::kDeclineButton, Refusal::kEscape, Refusal::kCloseBox));

TEST_F(DisclaimerTest, AMissingDocumentEndsEveryStart) {
  std::remove(DisclaimerPath().c_str());
  ASSERT_TRUE(OpenLogin());
  ASSERT_EQ(AlertTexts().size(), 1u);
  EXPECT_EQ(AlertTexts()[0], "Disclaimer document not found. Exiting.");
  EXPECT_EQ(g_disclaimerWindow.window, nullptr);
  HarnessAdvance(2);
  EXPECT_EQ(Quits(), 1);
}

TEST_F(DisclaimerTest, AShortDocumentCountsAsMissing) {
  const std::vector<uint8_t> bytes = ReadFileBytes(DisclaimerPath());
  FILE* file = std::fopen(DisclaimerPath().c_str(), "wb");
  ASSERT_NE(file, nullptr);
  std::fwrite(bytes.data(), 1, 19, file);
  std::fclose(file);
  ASSERT_TRUE(OpenLogin());
  ASSERT_EQ(AlertTexts().size(), 1u);
  EXPECT_EQ(AlertTexts()[0], "Disclaimer document not found. Exiting.");
}

}  // namespace

TEST_F(DisclaimerTest, TabReachesTheTextWhichTheKeysScroll) {
  ASSERT_TRUE(OpenLogin());
  ASSERT_NE(g_disclaimerWindow.window, nullptr);
  HarnessFlush();
  // The text has the keyboard first.
  const PlatformWindow text = g_disclaimerWindow.text->handle;
  EXPECT_EQ(PlatformWindowFocus(), text);
  // From the window the keyboard goes round the text and the two buttons.
  HarnessSetFocus(g_disclaimerWindow.window);
  HarnessFlush();
  std::vector<PlatformWindow> seen;
  for (int i = 0; i < 4; ++i) {
    seen.push_back(PlatformWindowFocus());
    ASSERT_TRUE(HarnessType(9));
    HarnessFlush();
  }
  EXPECT_NE(std::find(seen.begin(), seen.end(), text), seen.end());
  while (PlatformWindowFocus() != text) {
    ASSERT_TRUE(HarnessType(9));
    HarnessFlush();
  }
  int32_t w = 0;
  int32_t h = 0;
  const std::vector<uint32_t> top = HarnessGrab(g_disclaimerWindow.window, &w, &h);
  // Each key moves the view; Home and Up come back to the first lines.
  struct Case {
    PlatformTestKey key;
    bool atTop;
  };
  std::vector<uint32_t> before = top;
  for (const Case c : {Case{kPlatformTestKeyPageDown, false}, Case{kPlatformTestKeyHome, true},
                       Case{kPlatformTestKeyDown, false}, Case{kPlatformTestKeyUp, true},
                       Case{kPlatformTestKeyEnd, false}, Case{kPlatformTestKeyPageUp, false}}) {
    SCOPED_TRACE(static_cast<int>(c.key));
    ASSERT_TRUE(PlatformTestPressKey(c.key, 0));
    HarnessFlush();
    const std::vector<uint32_t> now = HarnessGrab(g_disclaimerWindow.window, &w, &h);
    EXPECT_NE(now, before);
    if (c.atTop) {
      EXPECT_EQ(now, top);
    }
    before = now;
  }
  EXPECT_EQ(PlatformWindowFocus(), text);
}
