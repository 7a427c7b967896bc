// The switches that modal boxes turn off around their loop.

#include "shell/modal_pause.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string g_calls;
void SwitchA(int enabled) { g_calls += enabled ? "A1 " : "A0 "; }
void SwitchB(int enabled) { g_calls += enabled ? "B1 " : "B0 "; }

struct ModalPauseTest : ::testing::Test {
  void SetUp() override { g_calls.clear(); }
  void TearDown() override {
    ModalPauseUnregister(&SwitchA);
    ModalPauseUnregister(&SwitchB);
  }
};

TEST_F(ModalPauseTest, EverySwitchIsOffForThePauseAndOnAfterIt) {
  ASSERT_TRUE(ModalPauseRegister(&SwitchA));
  ASSERT_TRUE(ModalPauseRegister(&SwitchA));  // once is enough
  ASSERT_TRUE(ModalPauseRegister(&SwitchB));
  {
    ModalPause pause;
    g_calls += "| ";
  }
  EXPECT_EQ(g_calls, "A0 B0 | A1 B1 ");
}

TEST_F(ModalPauseTest, ANestedPauseOnlyCounts) {
  ModalPauseRegister(&SwitchA);
  ModalPauseBegin();
  ModalPauseBegin();
  ModalPauseEnd();
  g_calls += "| ";
  ModalPauseEnd();
  ModalPauseEnd();  // unmatched: ignored
  EXPECT_EQ(g_calls, "A0 | A1 ");
}

TEST_F(ModalPauseTest, SwitchesThatComeOrGoDuringAPauseEndAsTheyWere) {
  ModalPauseRegister(&SwitchA);
  ModalPauseBegin();
  ModalPauseRegister(&SwitchB);    // a layer starting under an open box
  ModalPauseUnregister(&SwitchA);  // a layer stopping under it
  ModalPauseEnd();
  EXPECT_EQ(g_calls, "A0 B0 A1 B1 ");
  g_calls.clear();
  ModalPauseUnregister(&SwitchB);
  { ModalPause pause; }
  EXPECT_EQ(g_calls, "");
}

}  // namespace
