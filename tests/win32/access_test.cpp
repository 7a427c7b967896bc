// What a screen reader finds through Active Accessibility: a window named
// by its title (the system's standard client object answers that), and the items the program described as the client area's
// children with their names, roles, places and the focused one.

#include <gtest/gtest.h>

#include <windows.h>
#include <oleacc.h>
// windows.h names DrawState after one of its own functions.
#undef DrawState

#include <string>

#include "platform/access.h"
#include "platform/win32/win32_access.h"
#include "platform/win32/win32_window_record.h"
#include "platform/window.h"
#include "tests/support/toolkit_harness.h"

namespace {

struct Win32AccessTest : ::testing::Test {
  void SetUp() override {
    HarnessStart();
    CoInitialize(nullptr);
  }
  void TearDown() override {
    CoUninitialize();
    HarnessStop();
  }
};

std::string Narrow(BSTR text) {
  std::string out;
  for (UINT i = 0; text && i < SysStringLen(text); ++i) out.push_back(static_cast<char>(text[i]));
  SysFreeString(text);
  return out;
}

VARIANT Child(LONG id) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = id;
  return v;
}

TEST_F(Win32AccessTest, TheTitleNamesTheWindowAndTheItemsAreItsClientsChildren) {
  Window* w = HarnessOpenWindow(Rect{40, 40, 440, 340}, kWindowKindMain, nullptr, nullptr, true, false, "Salvind");
  ASSERT_NE(w, nullptr);
  const PlatformWindow handle = WindowGetHandle(w);
  const PlatformAccessItem items[] = {{{10, 20, 50, 60}, "chess, 3 players", kPlatformAccessItem},
                                      {{100, 20, 140, 60}, "go, Full", kPlatformAccessItem},
                                      {{300, 250, 330, 280}, "Welcome", kPlatformAccessButton}};
  PlatformWindowSetAccessItems(handle, items, 3);
  HarnessSetFocus(w);
  HarnessFlush();

  // Readers in other processes get it through WM_GETOBJECT, marshalled by
  // the system (not every implementation of the interfaces marshals it, so
  // the object is taken as the window answers with it).
  IAccessible* client = Win32ClientAccessible(static_cast<PlatformWindowRecord*>(handle));
  ASSERT_NE(client, nullptr);
  BSTR title = nullptr;
  ASSERT_EQ(client->get_accName(Child(CHILDID_SELF), &title), S_OK);
  EXPECT_EQ(Narrow(title), "Salvind");
  LONG count = 0;
  ASSERT_EQ(client->get_accChildCount(&count), S_OK);
  ASSERT_EQ(count, 3);
  const struct {
    const char* name;
    LONG role;
  } expected[] = {{"chess, 3 players", ROLE_SYSTEM_LISTITEM}, {"go, Full", ROLE_SYSTEM_LISTITEM},
                  {"Welcome", ROLE_SYSTEM_PUSHBUTTON}};
  for (LONG i = 1; i <= 3; ++i) {
    SCOPED_TRACE(i);
    BSTR name = nullptr;
    ASSERT_EQ(client->get_accName(Child(i), &name), S_OK);
    EXPECT_EQ(Narrow(name), expected[i - 1].name);
    VARIANT role;
    ASSERT_EQ(client->get_accRole(Child(i), &role), S_OK);
    EXPECT_EQ(role.lVal, expected[i - 1].role);
  }
  // The second item's place on the screen, and the item found there.
  int32_t ox = 0;
  int32_t oy = 0;
  PlatformWindowClientOrigin(handle, &ox, &oy);
  LONG left = 0, top = 0, width = 0, height = 0;
  ASSERT_EQ(client->accLocation(&left, &top, &width, &height, Child(2)), S_OK);
  EXPECT_EQ(left, ox + 100);
  EXPECT_EQ(top, oy + 20);
  EXPECT_EQ(width, 40);
  VARIANT at;
  ASSERT_EQ(client->accHitTest(ox + 120, oy + 30, &at), S_OK);
  EXPECT_EQ(at.lVal, 2);

  // The keys' current item is the reader's focus.
  PlatformWindowSetAccessFocus(handle, 2);
  VARIANT focus;
  ASSERT_EQ(client->get_accFocus(&focus), S_OK);
  EXPECT_EQ(focus.vt, VT_I4);
  EXPECT_EQ(focus.lVal, 3);
  VARIANT state;
  ASSERT_EQ(client->get_accState(Child(3), &state), S_OK);
  EXPECT_TRUE(state.lVal & STATE_SYSTEM_FOCUSED);
  client->Release();
  WindowDelete(w);
}

}  // namespace
