// The toolkit's windows as the system sees them: class, styles, drawing-area
// size, what reaches the screen, and the native controls with their subclass.

#include <gtest/gtest.h>

#include <windows.h>
// windows.h names DrawState after one of its own functions.
#undef DrawState

#include <string>
#include <vector>

#include "core/memory.h"
#include "tests/support/toolkit_harness.h"
#include "toolkit/button.h"
#include "toolkit/draw.h"
#include "toolkit/edit_box.h"
#include "toolkit/window.h"

namespace {

HWND Hwnd(const Window* window) {
  // Found through the system: the shown window of our class whose drawing
  // area starts where the platform says this window's does.
  HWND found = nullptr;
  struct Search {
    const Window* window;
    HWND* found;
  } search{window, &found};
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND hwnd, LPARAM lParam) -> BOOL {
        auto* s = reinterpret_cast<Search*>(lParam);
        POINT origin = {0, 0};
        ClientToScreen(hwnd, &origin);
        int32_t x = 0;
        int32_t y = 0;
        PlatformWindowClientOrigin(s->window->handle, &x, &y);
        char name[64];
        GetClassNameA(hwnd, name, sizeof name);
        if (std::string(name) == "OrvaGraphicsWindowClass" && origin.x == x && origin.y == y &&
            IsWindowVisible(hwnd)) {
          *s->found = hwnd;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return found;
}

struct Win32WindowTest : ::testing::Test {
  void SetUp() override { HarnessStart(); }
  void TearDown() override { HarnessStop(); }
};

}  // namespace

TEST_F(Win32WindowTest, KindsHaveTheirStylesAndTheDrawingAreaTheAskedSize) {
  struct Case {
    uint16_t kind;
    DWORD style;
    DWORD exStyleBit;
  };
  const Case cases[] = {
      {kWindowKindMain, WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_CAPTION | WS_MINIMIZEBOX | WS_SYSMENU, 0},
      {kWindowKindDialog, WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_CAPTION, WS_EX_DLGMODALFRAME},
      {kWindowKindPlain, WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0},
  };
  int16_t left = 40;
  for (const Case& c : cases) {
    const Rect rect{left, 60, static_cast<int16_t>(left + 160), 60 + 90};
    Window* w = HarnessOpenWindow(rect, c.kind, nullptr, nullptr);
    ASSERT_NE(w, nullptr);
    left += 220;
    HWND hwnd = Hwnd(w);
    ASSERT_NE(hwnd, nullptr) << c.kind;
    const DWORD style = static_cast<DWORD>(GetWindowLongPtrA(hwnd, GWL_STYLE));
    const DWORD exStyle = static_cast<DWORD>(GetWindowLongPtrA(hwnd, GWL_EXSTYLE));
    EXPECT_EQ(style & ~(WS_VISIBLE | WS_DISABLED), c.style) << c.kind;
    EXPECT_EQ(exStyle & WS_EX_DLGMODALFRAME, c.exStyleBit) << c.kind;
    RECT client;
    GetClientRect(hwnd, &client);
    EXPECT_EQ(client.right, 160) << c.kind;
    EXPECT_EQ(client.bottom, 90) << c.kind;
  }
}

TEST_F(Win32WindowTest, TheBufferReachesTheScreenPixelForPixel) {
  Window* w = HarnessOpenWindow(Rect{80, 80, 80 + 64, 80 + 48}, kWindowKindMain, nullptr, nullptr);
  ASSERT_NE(w, nullptr);
  // A pattern with distinct red, green and blue in every pixel, so a swapped
  // channel or a row upside down shows.
  for (int32_t y = 0; y < 48; ++y) {
    for (int32_t x = 0; x < 64; ++x) {
      w->buffer.pixels[static_cast<size_t>(y) * w->buffer.width + x] =
          (static_cast<uint32_t>(x * 4) << 16) | (static_cast<uint32_t>(y * 5) << 8) | 0x30u;
    }
  }
  const PlatformRect all{0, 0, 64, 48};
  PlatformWindowPresent(w->handle, all);
  HarnessFlush();
  const std::vector<uint32_t> shown = HarnessGrabPresented(w);
  ASSERT_EQ(shown.size(), 64u * 48u);
  int wrong = 0;
  for (int32_t y = 0; y < 48; ++y) {
    for (int32_t x = 0; x < 64; ++x) {
      wrong += shown[static_cast<size_t>(y) * 64 + x] != w->buffer.pixels[static_cast<size_t>(y) * w->buffer.width + x];
    }
  }
  EXPECT_EQ(wrong, 0);

  // A rectangle off the vertical centre shows its own rows and nothing else
  // changes (the system counts a DIB's source rows from the bottom).
  const PlatformRect part{40, 5, 60, 15};
  for (int32_t y = part.top; y < part.bottom; ++y) {
    for (int32_t x = part.left; x < part.right; ++x) w->buffer.pixels[static_cast<size_t>(y) * w->buffer.width + x] = 0x00FF00FFu;
  }
  PlatformWindowPresent(w->handle, part);
  const std::vector<uint32_t> after = HarnessGrabPresented(w);
  ASSERT_EQ(after.size(), 64u * 48u);
  wrong = 0;
  for (int32_t y = 0; y < 48; ++y) {
    for (int32_t x = 0; x < 64; ++x) {
      wrong += after[static_cast<size_t>(y) * 64 + x] != w->buffer.pixels[static_cast<size_t>(y) * w->buffer.width + x];
    }
  }
  EXPECT_EQ(wrong, 0);
}

TEST_F(Win32WindowTest, ControlsAreNativeAndTheKeyFilterStandsInFront) {
  EventLog log;
  Window* w = HarnessOpenWindow(Rect{100, 100, 400, 260}, kWindowKindMain, nullptr, &log);
  ASSERT_NE(w, nullptr);
  EditBox* box = EditBoxNew();
  const Rect r{10, 10, 210, 34};
  ASSERT_EQ(EditBoxInit(box, w, &r, "ab", nullptr, 0, 0, 0, 1, nullptr, 0), 0);
  Button* button = ButtonNew();
  const Rect br{10, 60, 90, 84};
  int clicks = 0;
  ASSERT_EQ(ButtonInit(button, w, &br, "OK", 1, 1,
                       [](Button*, UserData data) -> uint16_t {
                         ++*reinterpret_cast<int*>(data);
                         return 1;
                       },
                       reinterpret_cast<UserData>(&clicks)),
            0);
  HarnessFlush();

  HWND first = FindWindowExA(Hwnd(w), nullptr, "Edit", nullptr);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(GetPropA(first, "pWindow"), reinterpret_cast<HANDLE>(box));
  EXPECT_EQ(GetDlgCtrlID(first), 0);
  HWND second = FindWindowExA(Hwnd(w), nullptr, "Button", nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(GetPropA(second, "pWindow"), reinterpret_cast<HANDLE>(button));
  EXPECT_EQ(GetDlgCtrlID(second), 1);
  const DWORD editStyle = static_cast<DWORD>(GetWindowLongPtrA(first, GWL_STYLE));
  // The edit control takes WS_BORDER off and draws the frame itself.
  EXPECT_EQ(editStyle & (WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL),
            static_cast<DWORD>(WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL));

  // Typed characters reach the control through the filter; Enter goes to
  // the window (and presses its default button), never into the text.
  WindowSetDefaultButton(w, button);
  HarnessSetFocus(w);
  PlatformWindowSetFocus(PlatformWindowFirstChild(w->handle));
  EditBoxSetSelection(box, 2, 2);
  HarnessTypeText("c");
  HarnessType(13);
  HarnessFlush();
  char* text = EditBoxGetText(box);
  ASSERT_NE(text, nullptr);
  EXPECT_STREQ(text, "abc");
  MemFree(text);
  EXPECT_EQ(clicks, 1);

  // A click on the native button comes back as its command.
  HarnessClick(w, 20, 70);
  HarnessFlush();
  EXPECT_EQ(clicks, 2);
  ButtonDelete(button);
  EditBoxDelete(box);
}
