// Placement, geometry, modality and the life of a window.

#include "toolkit/window.h"

#include <gtest/gtest.h>

#include "tests/support/toolkit_harness.h"

namespace {

// The backend's decoration sizes (fixed numbers on Qt, the system's on
// Windows); the arithmetic below spells them out.
PlatformWindowMetrics DecorationMetrics() {
  PlatformWindowMetrics m{};
  PlatformWindowGetMetrics(&m);
  return m;
}
const int kCaption = DecorationMetrics().captionHeight;
const int kDialogFrames = 2 * DecorationMetrics().dialogFrameHeight;  // both sides
const int kBorders = 2 * DecorationMetrics().borderHeight;

struct WindowFixture : ::testing::Test {
  void SetUp() override { HarnessStart(); }
  void TearDown() override { HarnessStop(); }
  PlatformWindowMetrics Metrics() {
    PlatformWindowMetrics m;
    PlatformWindowGetMetrics(&m);
    return m;
  }
};

int Width(const PlatformRect& r) { return r.right - r.left; }
int Height(const PlatformRect& r) { return r.bottom - r.top; }

TEST_F(WindowFixture, OuterRectangleAddsCaptionAndFramesByKind) {
  struct Case { uint16_t kind; int extraW; int extraH; };
  const Case cases[] = {
      {kWindowKindMain, kBorders, kCaption + kBorders},
      {kWindowKindMain | kWindowNoSystemMenu, kBorders, kCaption + kBorders},
      {kWindowKindDialog, kDialogFrames, kCaption + kDialogFrames},
      {kWindowKindPlain, 0, 0},
  };
  for (const Case& c : cases) {
    Window* w = HarnessOpenWindow(Rect{40, 30, 240, 130}, c.kind, nullptr, nullptr, false);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->width, 200);
    EXPECT_EQ(w->height, 100);
    EXPECT_EQ(w->outer.left, 40) << c.kind;
    EXPECT_EQ(Width(w->outer), 200 + c.extraW) << c.kind;
    EXPECT_EQ(Height(w->outer), 100 + c.extraH) << c.kind;
    const PlatformRect onScreen = PlatformWindowOuterOnScreen(w->handle);
    EXPECT_EQ(onScreen.left, w->outer.left);
    EXPECT_EQ(onScreen.bottom, w->outer.bottom);
    EXPECT_EQ(w->isDialog, c.kind & 1u);
    WindowDelete(w);
  }
}

TEST_F(WindowFixture, DialogIsCentredOverItsParentWhateverItsGivenPosition) {
  Window* parent = HarnessOpenWindow(Rect{100, 50, 500, 350}, kWindowKindMain, nullptr, nullptr);
  ASSERT_NE(parent, nullptr);
  const PlatformRect p = PlatformWindowOuterOnScreen(parent->handle);
  for (const Rect given : {Rect{0, 0, 201, 101}, Rect{-300, 700, -99, 801}, Rect{37, 11, 238, 112}}) {
    Window* dialog = HarnessOpenWindow(given, kWindowKindDialog, parent, nullptr, true, true);
    ASSERT_NE(dialog, nullptr);
    const int w = 201 + kDialogFrames;
    const int h = 101 + kCaption + kDialogFrames;
    const PlatformRect d = PlatformWindowOuterOnScreen(dialog->handle);
    EXPECT_EQ(d.left, p.left + (Width(p) - w) / 2);
    EXPECT_EQ(d.top, p.top + (Height(p) - h) / 2);
    EXPECT_EQ(Width(d), w);
    EXPECT_EQ(Height(d), h);
    WindowDelete(dialog);
  }
}

TEST_F(WindowFixture, UncentredDialogIsPlacedRelativeToItsParent) {
  Window* parent = HarnessOpenWindow(Rect{100, 50, 500, 350}, kWindowKindMain, nullptr, nullptr);
  Window* dialog = HarnessOpenWindow(Rect{10, 20, 110, 70}, kWindowKindDialog, parent, nullptr);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(dialog->outer.left, 110);
  EXPECT_EQ(dialog->outer.top, 70);
  Rect r;
  WindowGetRect(dialog, &r);
  EXPECT_EQ(r.left, 10);
  EXPECT_EQ(r.top, 20);
}

TEST_F(WindowFixture, MainWindowWithoutParentIsCentredOnTheScreenByItsOuterSize) {
  const PlatformWindowMetrics m = Metrics();
  Window* w = HarnessOpenWindow(Rect{5, 5, 305, 205}, kWindowKindMain, nullptr, nullptr, true, true);
  ASSERT_NE(w, nullptr);
  const int outerW = 300 + kBorders;
  const int outerH = 200 + kCaption + kBorders;
  EXPECT_EQ(w->outer.left, (m.screenWidth - outerW) / 2);
  EXPECT_EQ(w->outer.top, (m.screenHeight - outerH) / 2);
  const PlatformRect onScreen = PlatformWindowOuterOnScreen(w->handle);
  EXPECT_EQ(onScreen.left, w->outer.left);
  EXPECT_EQ(onScreen.top, w->outer.top);
}

TEST_F(WindowFixture, ChildRectIsRelativeToTheParentsOuterCornerWithTheDrawingAreaSize) {
  Window* parent = HarnessOpenWindow(Rect{100, 50, 500, 350}, kWindowKindMain, nullptr, nullptr);
  Window* child = HarnessOpenWindow(Rect{10, 20, 110, 70}, kWindowKindPlain, parent, nullptr);
  ASSERT_NE(child, nullptr);
  // Placed in the parent's drawing area, which lies inside its border and
  // below its caption.
  EXPECT_EQ(child->outer.left, 10);
  Rect r;
  WindowGetRect(child, &r);
  EXPECT_EQ(r.left, 10 + kBorders / 2);
  EXPECT_EQ(r.top, 20 + kCaption + kBorders / 2);
  EXPECT_EQ(r.right - r.left, 100);
  EXPECT_EQ(r.bottom - r.top, 50);

  // A captioned child is given its outer size but reports its drawing area.
  Window* framed = HarnessOpenWindow(Rect{0, 0, 60, 40}, kWindowKindMain, parent, nullptr);
  ASSERT_NE(framed, nullptr);
  WindowGetRect(framed, &r);
  EXPECT_EQ(r.right - r.left, 60);
  EXPECT_EQ(r.bottom - r.top, 40);
}

TEST_F(WindowFixture, CentredChildSitsInTheMiddleOfItsParentsOuterSize) {
  Window* parent = HarnessOpenWindow(Rect{0, 0, 400, 300}, kWindowKindPlain, nullptr, nullptr);
  Window* child = HarnessOpenWindow(Rect{77, 77, 177, 127}, kWindowKindPlain, parent, nullptr, true, true);
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(child->outer.left, 150);
  EXPECT_EQ(child->outer.top, 125);
}

TEST_F(WindowFixture, SetSizeKeepsThePositionAlsoAfterMoveTo) {
  Window* w = HarnessOpenWindow(Rect{10, 10, 110, 110}, kWindowKindMain, nullptr, nullptr);
  ASSERT_NE(w, nullptr);
  WindowMoveTo(w, 230, 140);
  EXPECT_EQ(w->outer.left, 230);
  EXPECT_EQ(w->outer.top, 140);
  WindowSetSize(w, 50, 60);
  EXPECT_EQ(w->outer.left, 230);
  EXPECT_EQ(w->outer.top, 140);
  EXPECT_EQ(Width(w->outer), 50 + kBorders);
  Rect r;
  WindowGetRect(w, &r);
  EXPECT_EQ(r.left, 230);
  EXPECT_EQ(r.top, 140);
  EXPECT_EQ(r.right, 280);
  EXPECT_EQ(r.bottom, 200);
  // The buffer follows the drawing area.
  EXPECT_EQ(w->buffer.width, 50);
  EXPECT_EQ(w->buffer.height, 60);
}

TEST_F(WindowFixture, SetRectKeepsWhatFitsOfThePictureAndWhitensTheRest) {
  Window* w = HarnessOpenWindow(Rect{0, 0, 20, 20}, kWindowKindPlain, nullptr, nullptr);
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(HarnessBufferPixel(w, 5, 5), 0x00FFFFFFu);
  w->buffer.pixels[5 * 20 + 5] = 0x00123456;
  const Rect bigger{30, 40, 70, 60};
  WindowSetRect(w, &bigger);
  EXPECT_EQ(w->outer.left, 30);
  EXPECT_EQ(w->width, 40);
  EXPECT_EQ(HarnessBufferPixel(w, 5, 5), 0x00123456u);
  EXPECT_EQ(HarnessBufferPixel(w, 30, 10), 0x00FFFFFFu);
}

TEST_F(WindowFixture, HidingTheModalWindowEndsModalityHidingAnotherDoesNot) {
  Window* main = HarnessOpenWindow(Rect{0, 0, 300, 200}, kWindowKindMain, nullptr, nullptr);
  Window* other = HarnessOpenWindow(Rect{400, 0, 500, 100}, kWindowKindMain, nullptr, nullptr);
  Window* dialog = HarnessOpenWindow(Rect{10, 10, 110, 60}, kWindowKindDialog, main, nullptr);
  WindowSetModal(dialog);
  EXPECT_EQ(WindowGetModal(), dialog);
  WindowHide(other);
  EXPECT_EQ(WindowGetModal(), dialog);
  WindowHide(dialog);
  EXPECT_EQ(WindowGetModal(), nullptr);

  WindowSetModal(dialog);
  WindowDelete(dialog);
  EXPECT_EQ(WindowGetModal(), nullptr);
}

TEST_F(WindowFixture, DeletingAWindowWhoseCreationFailedOnlyUnlistsAndFreesIt) {
  const int before = WindowsList()->count;
  Window* orphanParent = WindowNew();  // never created: no platform window
  Window* child = WindowNew();
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(WindowsList()->head->data, child);  // newest first
  const Rect r{0, 0, 50, 50};
  EXPECT_EQ(WindowInit(child, &r, kWindowKindPlain, orphanParent, nullptr, 1, 0, nullptr, 0),
            kErrorSystem);
  EXPECT_EQ(child->handle, nullptr);
  EXPECT_EQ(WindowsList()->count, before + 2);
  WindowDelete(child);
  WindowDelete(orphanParent);
  EXPECT_EQ(WindowsList()->count, before);
}

TEST_F(WindowFixture, AccessorsAndDefaultParent) {
  EventLog log;
  Window* w = HarnessOpenWindow(Rect{0, 0, 50, 50}, kWindowKindMain, nullptr, &log);
  EXPECT_EQ(WindowGetHandle(w), w->handle);
  EXPECT_EQ(WindowGetProc(w), &HarnessRecordEvent);
  EXPECT_EQ(WindowGetUserData(w), reinterpret_cast<UserData>(&log));
  WindowSetProc(w, nullptr);
  EXPECT_EQ(WindowGetProc(w), nullptr);
  EXPECT_EQ(WindowFromHandle(w->handle), w);
  WindowSetDefaultParent(w);
  EXPECT_EQ(WindowGetDefaultParent(), w->handle);
  WindowDelete(w);
  EXPECT_EQ(WindowGetDefaultParent(), nullptr);
}

}  // namespace
