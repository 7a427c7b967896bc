// The alert box: its size from the text or the caller, its layout, "OK" by
// click or Enter with the close in two steps, and the server's alerts
// arriving over a real connection.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "core/memory.h"
#include "net/connection.h"
#include "platform/control.h"
#include "platform/testing.h"
#include "platform/window.h"
#include "protocol/messages.h"
#include "tests/net/net_test_support.h"
#include "tests/support/toolkit_harness.h"
#include "tests/windows/window_peek.h"
#include "toolkit/button.h"
#include "toolkit/edit_box.h"
#include "toolkit/font.h"
#include "toolkit/text_draw.h"
#include "windows/alert_box.h"

namespace {

constexpr Pixel kWhite = 0xFFFFFF;
// A caller's size whose text area is no whole number of lines high.
constexpr Rect kTallerBox{0, 0, 300, 217};

// The newest window, which AlertBoxShow made last.
Window* Newest() {
  const List* list = WindowsList();
  return list && list->head ? static_cast<Window*>(list->head->data) : nullptr;
}

// A child control's rectangle in its window's drawing-area coordinates.
Rect ChildRect(const Window* window, PlatformWindow child) {
  int32_t ox = 0;
  int32_t oy = 0;
  PlatformWindowClientOrigin(window->handle, &ox, &oy);
  const PlatformRect r = PlatformWindowOuterOnScreen(child);
  return Rect{static_cast<int16_t>(r.left - ox), static_cast<int16_t>(r.top - oy),
              static_cast<int16_t>(r.right - ox), static_cast<int16_t>(r.bottom - oy)};
}

// The controls in creation order: the text box, then "OK".
PlatformWindow TextBoxOf(const Window* w) { return PlatformWindowFirstChild(w->handle); }
PlatformWindow ButtonOf(const Window* w) { return PlatformWindowNextSibling(TextBoxOf(w)); }

std::string TextIn(PlatformWindow edit) {
  std::vector<char> buffer(static_cast<size_t>(PlatformEditTextLength(edit)) + 1);
  PlatformEditGetText(edit, buffer.data(), static_cast<int32_t>(buffer.size()));
  return buffer.data();
}

int NonWhite(const std::vector<uint32_t>& pixels, int32_t width, const Rect& r) {
  int n = 0;
  for (int32_t y = r.top; y < r.bottom; ++y) {
    for (int32_t x = r.left; x < r.right; ++x) {
      n += (pixels[static_cast<size_t>(y) * width + x] & 0xFFFFFF) != kWhite;
    }
  }
  return n;
}

// The text box's right-hand strip, where a vertical scroll bar stands.
bool HasScrollBar(const Window* w) {
  HarnessFlush();
  int32_t width = 0;
  int32_t height = 0;
  const std::vector<uint32_t> shown = HarnessGrab(w, &width, &height);
  const Rect box = ChildRect(w, TextBoxOf(w));
  const Rect strip{static_cast<int16_t>(box.right - 8), static_cast<int16_t>(box.top + 20),
                   static_cast<int16_t>(box.right - 2), static_cast<int16_t>(box.bottom - 20)};
  return NonWhite(shown, width, strip) > (RectWidth(strip) * RectHeight(strip)) / 2;
}

struct AlertBoxTest : ::testing::Test {
  void SetUp() override { HarnessStart(); }
  void TearDown() override { HarnessStop(); }
  // Opens a box and returns its window, checked for what every box has.
  Window* Open(const char* text, const Rect* rect = nullptr) {
    EXPECT_EQ(AlertBoxShow(text, rect, nullptr), 0);
    HarnessFlush();
    Window* w = Newest();
    EXPECT_NE(w, nullptr);
    if (!w) return nullptr;
    EXPECT_EQ(WindowTitleOf(w->handle), "Salvind");
    EXPECT_EQ(WindowGetModal(), w);
    EXPECT_TRUE(PlatformWindowIsShown(w->handle));
    return w;
  }
};

TEST_F(AlertBoxTest, IsSizedFromItsTextWithinLimitsOrTakesTheCallersSize) {
  // A text in between the limits: three times its area on one line, about
  // twice as wide as high.
  std::string middleText;
  for (int i = 0; i < 6; ++i) middleText += "The lobby closes for maintenance at noon. ";
  const char* middle = middleText.c_str();
  const double w = TextMeasureWidth(FontStandard(FontSerif12), middle);
  const double h = TextMeasureHeight(FontStandard(FontSerif12), middle);
  const int s = static_cast<int>(std::sqrt(3 * w * h));
  ASSERT_GT(s + 20, 240) << "the middle text must not hit a limit";
  ASSERT_LT(s + 20, 540);
  ASSERT_GT(s / 2 + 50, 100);
  const std::string veryLong(3000, 'm');
  const Rect callers{0, 0, 300, 150};
  const Rect callersElsewhere{50, 40, 330, 200};
  struct Case {
    const char* what;
    std::string text;
    const Rect* rect;
    int width;
    int height;
    bool scrollBar;
  } cases[] = {
      {"one word", "Hello", nullptr, 240, 100, true},
      {"empty", "", nullptr, 240, 100, true},
      {"in between", middle, nullptr, s + 20, s / 2 + 50, true},
      {"very long", veryLong, nullptr, 540, 400, true},
      {"caller's size", "Hello", &callers, 300, 150, false},
      {"caller's size at a position", "Hello", &callersElsewhere, 280, 160, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Window* win = Open(c.text.c_str(), c.rect);
    ASSERT_NE(win, nullptr);
    EXPECT_EQ(win->width, c.width);
    EXPECT_EQ(win->height, c.height);
    // Text box inset by 10 with 30 more below for the button; "OK" 60 x 20,
    // centred, 10 above the bottom.
    const Rect text = ChildRect(win, TextBoxOf(win));
    EXPECT_EQ(text.left, 10);
    EXPECT_EQ(text.top, 10);
    EXPECT_EQ(text.right, c.width - 10);
    EXPECT_EQ(text.bottom, c.height - 40);
    const Rect ok = ChildRect(win, ButtonOf(win));
    EXPECT_EQ(ok.left, (c.width - 60) / 2);
    EXPECT_EQ(ok.right - ok.left, 60);
    EXPECT_EQ(ok.top, c.height - 30);
    EXPECT_EQ(ok.bottom, c.height - 10);
    EXPECT_EQ(HasScrollBar(win), c.scrollBar);
    EXPECT_EQ(TextIn(TextBoxOf(win)), c.text);
    // Nothing selected, the caret before the first character.
    int32_t start = -1;
    int32_t end = -1;
    PlatformEditGetSelection(TextBoxOf(win), &start, &end);
    EXPECT_EQ(start, 0);
    EXPECT_EQ(end, 0);
    PlatformTestRequestClose(win->handle);
    EXPECT_EQ(Newest(), nullptr) << "a close request deletes the box at once";
    EXPECT_EQ(WindowGetModal(), nullptr);
  }
}

TEST_F(AlertBoxTest, KeepsItsOwnCopyOfTheText) {
  std::string text = "Line one\r\nLine two";
  ASSERT_EQ(AlertBoxShow(text.c_str(), nullptr, nullptr), 0);
  text.assign(text.size(), 'x');
  Window* w = Newest();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(TextIn(TextBoxOf(w)), "Line one\r\nLine two");
  HarnessFlush();
  // Typing into the box changes nothing: it is read-only.
  PlatformWindowSetFocus(TextBoxOf(w));
  HarnessTypeText("abc");
  EXPECT_EQ(TextIn(TextBoxOf(w)), "Line one\r\nLine two");
  PlatformTestRequestClose(w->handle);
}

// "OK", by a click or by Enter wherever the focus is in the box: hidden and
// out of the modal state at once, deleted when the posted close arrives.
TEST_F(AlertBoxTest, OkClosesInTwoStepsByClickOrEnter) {
  Window* owner = HarnessOpenWindow(Rect{20, 20, 420, 320}, kWindowKindMain, nullptr, nullptr);
  ASSERT_NE(owner, nullptr);
  enum How { kClick, kEnterInText, kEnterOnWindow };
  for (How how : {kClick, kEnterInText, kEnterOnWindow}) {
    SCOPED_TRACE(how);
    ASSERT_EQ(AlertBoxShow("Server going down at noon.", nullptr, owner), 0);
    HarnessFlush();
    Window* w = Newest();
    ASSERT_NE(w, owner);
    EXPECT_EQ(PlatformWindowParent(w->handle), owner->handle);
    // The owner takes no clicks meanwhile.
    EventLog log;
    WindowSetProc(owner, &HarnessRecordEvent);
    owner->userData = reinterpret_cast<UserData>(&log);
    HarnessClick(owner, 5, 5);
    EXPECT_EQ(log.Count(EventButtonDown), 0);

    const Rect ok = ChildRect(w, ButtonOf(w));
    switch (how) {
      case kClick:
        HarnessClick(w, (ok.left + ok.right) / 2, (ok.top + ok.bottom) / 2);
        break;
      case kEnterInText:
        PlatformWindowSetFocus(TextBoxOf(w));
        EXPECT_TRUE(HarnessType(13));
        break;
      case kEnterOnWindow:
        HarnessSetFocus(w);
        PlatformWindowSetFocus(w->handle);
        EXPECT_TRUE(HarnessType(13));
        break;
    }
    EXPECT_FALSE(PlatformWindowIsShown(w->handle));
    EXPECT_EQ(WindowGetModal(), nullptr);
    EXPECT_EQ(Newest(), w) << "still there until the close is delivered";
    EXPECT_EQ(EventQueuedCount(), 1);
    HarnessAdvance(1);
    EXPECT_EQ(Newest(), owner);
    EXPECT_EQ(EventQueuedCount(), 0);
    WindowSetProc(owner, nullptr);
  }
}

// Two Enter presses before the next tick both reach "OK"; a close request
// may come on top. The box goes once, and nothing queued for it outlives it.
TEST_F(AlertBoxTest, OkTwiceOrOkAndACloseRequestCloseTheBoxOnce) {
  enum How { kOkTwice, kOkThenCloseRequest };
  for (How how : {kOkTwice, kOkThenCloseRequest}) {
    SCOPED_TRACE(how);
    Window* w = Open("Server going down at noon.");
    ASSERT_NE(w, nullptr);
    // What Enter does, wherever the focus is: press the default button.
    ASSERT_NE(w->defaultButton, nullptr);
    ButtonPress(w->defaultButton);
    if (how == kOkTwice) {
      ButtonPress(w->defaultButton);
    } else {
      PlatformTestRequestClose(w->handle);
    }
    EXPECT_LE(EventQueuedCount(), 1);
    HarnessAdvance(3);
    EXPECT_EQ(Newest(), nullptr);
    EXPECT_EQ(EventQueuedCount(), 0);
  }
}

// The heights of the runs of rows that hold ink inside r, top to bottom:
// one run per line of text.
std::vector<int> InkRuns(const std::vector<uint32_t>& pixels, int32_t width, const Rect& r) {
  std::vector<int> runs;
  int run = 0;
  for (int16_t y = r.top; y < r.bottom; ++y) {
    const bool ink = NonWhite(pixels, width, Rect{r.left, y, r.right, static_cast<int16_t>(y + 1)}) > 0;
    if (ink) ++run;
    if ((!ink || y + 1 == r.bottom) && run > 0) {
      runs.push_back(run);
      run = 0;
    }
  }
  return runs;
}

// A text longer than the box, of lines that all have the same height of ink:
// the last line shown is as tall as the first, before and after scrolling
// (scrolled, the first line starts at the very top instead of below the
// document's margin).
TEST_F(AlertBoxTest, AnOverflowingTextShowsWholeLines) {
  std::string text;
  for (int i = 1; i <= 60; ++i) text += "Maintenance notice line " + std::to_string(i) + "\r\n";
  for (const Rect* rect : {static_cast<const Rect*>(nullptr), &kTallerBox}) {
    Window* w = Open(text.c_str(), rect);
    ASSERT_NE(w, nullptr);
    const Rect box = ChildRect(w, TextBoxOf(w));
    // Inside the frame, clear of the scroll bar on the right.
    const Rect area{static_cast<int16_t>(box.left + 1), static_cast<int16_t>(box.top + 1),
                    static_cast<int16_t>(box.right - 24), static_cast<int16_t>(box.bottom - 1)};
    const std::string caretLine = "line 30\r\n";
    const int32_t caret = static_cast<int32_t>(text.find(caretLine));
    std::vector<uint32_t> previous;
    for (const bool scrolled : {false, true}) {
      SCOPED_TRACE(scrolled ? "scrolled" : "at the top");
      if (scrolled) PlatformEditSetSelection(TextBoxOf(w), caret, caret);
      HarnessFlush();
      int32_t width = 0;
      int32_t height = 0;
      const std::vector<uint32_t> shown = HarnessGrab(w, &width, &height);
      EXPECT_NE(shown, previous);
      const std::vector<int> runs = InkRuns(shown, width, area);
      ASSERT_GE(runs.size(), 5u);
      EXPECT_EQ(runs.back(), runs.front());
      previous = shown;
    }
    PlatformTestRequestClose(w->handle);
  }
}

TEST_F(AlertBoxTest, AServerAlertOverTheConnectionOpensTheBoxWithCrLfLineEnds) {
  TestListener listener;
  Connection* connection = ConnectionNew();
  ASSERT_NE(connection, nullptr);
  ASSERT_EQ(ConnectionOpen(connection, nullptr, kLoopback, listener.Port(),
                           [](Connection*, int16_t) {}),
            0);
  const int peer = listener.Accept();
  ASSERT_GE(peer, 0);

  std::vector<uint8_t> body = {0, 3};
  const std::vector<uint8_t> text =
      Bytes("The lobby closes for maintenance at noon.\nPlease finish your games.\n\n-- The Orva team");
  body.insert(body.end(), text.begin(), text.end());
  body.push_back(0);
  ASSERT_TRUE(SendAll(peer, Frame(kMessageServerAlert, body)));
  ASSERT_TRUE(PumpUntil([] { return Newest() != nullptr; }));
  HarnessFlush();

  Window* w = Newest();
  EXPECT_EQ(WindowTitleOf(w->handle), "Salvind");
  EXPECT_EQ(WindowGetModal(), w);
  EXPECT_EQ(TextIn(TextBoxOf(w)),
            "The lobby closes for maintenance at noon.\r\nPlease finish your games.\r\n\r\n-- The Orva team");
  EXPECT_TRUE(HarnessSavePng(w, SALVIND_TEST_OUTPUT "/alert_box.png"));

  HarnessSetFocus(w);
  PlatformWindowSetFocus(w->handle);
  EXPECT_TRUE(HarnessType(13));
  HarnessAdvance(1);
  EXPECT_EQ(Newest(), nullptr);
  ConnectionDestroy(connection);
  close(peer);
}

}  // namespace
