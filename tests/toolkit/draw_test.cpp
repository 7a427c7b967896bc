// Drawing sections on windows and off-screen surfaces: filling, colours,
// logical coordinates, clipping and its lifetime, stretching copies, text,
// and when a window shows what was drawn.

#include "toolkit/draw.h"

#include <gtest/gtest.h>

#include <functional>

#include "tests/support/toolkit_harness.h"
#include "toolkit/offscreen.h"

namespace {

constexpr Pixel kWhite = PixelFromRgb(255, 255, 255);
constexpr Pixel kBlack = PixelFromRgb(0, 0, 0);
constexpr Pixel kGrey = PixelFromRgb(192, 192, 192);
constexpr ColorEntry kGreyEntry{0, 192, 192, 192};
constexpr ColorEntry kRedEntry{7, 255, 0, 0};
constexpr ColorEntry kBlackEntry{0, 0, 0, 0};

struct DrawFixture : ::testing::Test {
  void SetUp() override {
    HarnessStart();
    ASSERT_EQ(FontStandardCreate(), 0);
  }
  void TearDown() override {
    for (Offscreen* s : surfaces) OffscreenDelete(s);
    FontStandardDelete();
    HarnessStop();
  }
  Offscreen* Surface(Rect bounds) {
    Offscreen* s = OffscreenNew();
    EXPECT_NE(s, nullptr);
    EXPECT_EQ(s->kind, kObjectKindOffscreen);
    EXPECT_EQ(OffscreenInit(s, &bounds), 0);
    surfaces.push_back(s);
    return s;
  }
  std::vector<Offscreen*> surfaces;
};

// A pixel of a surface, by drawing coordinates.
Pixel At(const Offscreen* s, int x, int y) {
  return s->bitmap.pixels[(y - s->bounds.top) * s->bitmap.width + (x - s->bounds.left)];
}

// Every pixel of a buffer that is not white, as a bounding box and a count.
struct Ink {
  int count = 0;
  Rect box{INT16_MAX, INT16_MAX, INT16_MIN, INT16_MIN};
};
Ink InkOf(const PixelBuffer& b, Pixel background = kWhite) {
  Ink ink;
  for (int y = 0; y < b.height; ++y) {
    for (int x = 0; x < b.width; ++x) {
      if (b.pixels[y * b.width + x] == background) continue;
      ++ink.count;
      ink.box.left = std::min<int16_t>(ink.box.left, static_cast<int16_t>(x));
      ink.box.top = std::min<int16_t>(ink.box.top, static_cast<int16_t>(y));
      ink.box.right = std::max<int16_t>(ink.box.right, static_cast<int16_t>(x + 1));
      ink.box.bottom = std::max<int16_t>(ink.box.bottom, static_cast<int16_t>(y + 1));
    }
  }
  return ink;
}

bool SameRect(const Rect& a, const Rect& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// A pixel of what the platform last presented of the window.
struct Shown {
  explicit Shown(const Window* w) : width(w->width), pixels(HarnessGrabPresented(w)) {}
  Pixel At(int x, int y) const { return pixels.empty() ? 0xFF000000u : pixels[y * width + x]; }
  int width;
  std::vector<uint32_t> pixels;
};

TEST_F(DrawFixture, FillColoursExactlyTheHalfOpenRectangleOnBothKindsOfTarget) {
  Window* window = HarnessOpenWindow(Rect{0, 0, 40, 40}, kWindowKindPlain, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  Offscreen* surface = Surface(Rect{0, 0, 40, 40});
  for (DrawTarget target : {DrawTarget(window), DrawTarget(surface)}) {
    const PixelBuffer& pixels = target.window ? target.window->buffer : target.surface->bitmap;
    const Rect r{10, 10, 20, 20};
    DrawBegin(target);
    DrawFillRect(target, &r);
    DrawEnd(target);
    const Ink ink = InkOf(pixels);
    EXPECT_EQ(ink.count, 100);
    EXPECT_TRUE(SameRect(ink.box, r));
    EXPECT_EQ(pixels.pixels[10 * 40 + 10], kBlack);
    // Erasing gives white back, and the section's pen is black again.
    DrawBegin(target);
    DrawEraseRect(target, &r);
    DrawEnd(target);
    EXPECT_EQ(InkOf(pixels).count, 0);
  }
}

TEST_F(DrawFixture, SurfaceIsDrawnInItsBoundsCoordinates) {
  Offscreen* s = Surface(Rect{100, 50, 300, 150});
  EXPECT_EQ(s->width, 200);
  EXPECT_EQ(s->height, 100);
  DrawBegin(s);
  Rect clip;
  DrawGetClipRect(s, &clip);
  EXPECT_TRUE(SameRect(clip, s->bounds));
  const Rect first{100, 50, 101, 51};
  DrawFillRect(s, &first);
  // Everything left of and above the bounds is outside the surface.
  const Rect outside{0, 0, 100, 50};
  DrawFillRect(s, &outside);
  DrawEnd(s);
  EXPECT_EQ(s->bitmap.pixels[0], kBlack);
  EXPECT_EQ(InkOf(s->bitmap).count, 1);
}

TEST_F(DrawFixture, SetColorGivesFillAndTextTheEntrysColour) {
  Offscreen* s = Surface(Rect{0, 0, 120, 40});
  DrawBegin(s);
  EXPECT_EQ(DrawSetColor(s, &kGreyEntry), 0);
  const Rect block{0, 0, 10, 10};
  DrawFillRect(s, &block);
  DrawSetFont(s, FontStandard(FontSansBold12));
  const Rect line{20, 0, 120, 40};
  DrawTextInRect(s, &line, 0, "MIW");
  DrawEnd(s);
  EXPECT_EQ(At(s, 5, 5), kGrey);
  // Text pixels blend grey into white: none darker than the colour, and the
  // full strokes exactly it.
  int exact = 0;
  for (int y = 0; y < 40; ++y) {
    for (int x = 20; x < 120; ++x) {
      const Pixel p = At(s, x, y);
      exact += p == kGrey;
      EXPECT_GE(p & 0xFF, 192u) << x << "," << y;
    }
  }
  EXPECT_GT(exact, 10);

  DrawBegin(s);
  DrawSetColor(s, &kGreyEntry);
  DrawSetColor(s, &kBlackEntry);
  DrawFillRect(s, &block);
  DrawEnd(s);
  EXPECT_EQ(At(s, 5, 5), kBlack);
}

TEST_F(DrawFixture, NestedSectionsKeepTheOuterStateUntilTheOuterEnd) {
  Offscreen* s = Surface(Rect{0, 0, 50, 50});
  const Rect outerClip{0, 0, 30, 30};
  const Rect innerClip{10, 10, 20, 20};
  const Rect all{0, 0, 50, 50};
  DrawBegin(s);
  DrawSetClipRect(s, &outerClip);
  DrawBegin(s);
  DrawSetColor(s, &kRedEntry);
  DrawSetClipRect(s, &innerClip);
  DrawEnd(s);
  // Still open: the inner section's clip and colour hold.
  ASSERT_NE(DrawGetContext(s), nullptr);
  Rect clip;
  DrawGetClipRect(s, &clip);
  EXPECT_TRUE(SameRect(clip, innerClip));
  DrawFillRect(s, &all);
  DrawEnd(s);
  EXPECT_EQ(DrawGetContext(s), nullptr);
  EXPECT_EQ(InkOf(s->bitmap).count, 100);
  EXPECT_EQ(At(s, 10, 10), PixelFromRgb(255, 0, 0));

  // A new section starts unclipped and black.
  DrawBegin(s);
  DrawGetClipRect(s, &clip);
  EXPECT_TRUE(SameRect(clip, all));
  DrawFillRect(s, &all);
  DrawEnd(s);
  EXPECT_EQ(InkOf(s->bitmap, kBlack).count, 0);
}

TEST_F(DrawFixture, SavedClipIsRestoredAndAWindowsClipEndsWithItsSection) {
  Window* window = HarnessOpenWindow(Rect{0, 0, 60, 40}, kWindowKindPlain, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  const Rect all{0, 0, 60, 40};
  const Rect part{5, 5, 15, 15};
  DrawBegin(window);
  Rect saved;
  DrawGetClipRect(window, &saved);
  EXPECT_TRUE(SameRect(saved, all));
  DrawSetClipRect(window, &part);
  DrawFillRect(window, &all);
  DrawSetClipRect(window, &saved);
  Rect now;
  DrawGetClipRect(window, &now);
  EXPECT_TRUE(SameRect(now, saved));
  // A clip that misses the window leaves nothing to draw.
  const Rect away{100, 100, 120, 120};
  DrawSetClipRect(window, &away);
  DrawGetClipRect(window, &now);
  EXPECT_TRUE(SameRect(now, Rect{0, 0, 0, 0}));
  DrawFillRect(window, &all);
  DrawSetClipRect(window, &part);
  DrawEnd(window);
  EXPECT_EQ(InkOf(window->buffer).count, 100);

  DrawBegin(window);
  DrawGetClipRect(window, &now);
  EXPECT_TRUE(SameRect(now, all));
  DrawEnd(window);
}

TEST_F(DrawFixture, CopyStretchesByNearestNeighbourBetweenSurfaces) {
  // A 4 x 2 source of distinct colours, doubled onto an 8 x 4 area of a
  // surface with other bounds; then shrunk back and xor-ed away.
  Offscreen* src = Surface(Rect{-4, -2, 0, 0});
  Offscreen* dst = Surface(Rect{20, 30, 40, 40});
  for (int i = 0; i < 8; ++i) src->bitmap.pixels[i] = static_cast<Pixel>(0x010101 * (i + 1));
  const Rect from{-4, -2, 0, 0};
  const Rect to{22, 31, 30, 35};
  DrawCopy(src, dst, &from, &to, nullptr, kDrawModeCopy);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 8; ++x) {
      EXPECT_EQ(At(dst, 22 + x, 31 + y), src->bitmap.pixels[(y / 2) * 4 + x / 2]) << x << "," << y;
    }
  }
  EXPECT_EQ(InkOf(dst->bitmap).count, 32);
  // Shrinking the doubled area picks every other pixel: the source again.
  Offscreen* back = Surface(Rect{0, 0, 4, 2});
  const Rect whole{0, 0, 4, 2};
  DrawCopy(dst, back, &to, &whole, nullptr, kDrawModeCopy);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(back->bitmap.pixels[i], src->bitmap.pixels[i]);
  DrawCopy(src, back, &from, &whole, nullptr, kDrawModeExclusiveOr);
  EXPECT_EQ(InkOf(back->bitmap, kBlack).count, 0);
  EXPECT_EQ(DrawGetContext(src), nullptr);
  EXPECT_EQ(DrawGetContext(dst), nullptr);
}

TEST_F(DrawFixture, MaskedCopyWritesSourceOnlyWhereOpaque) {
  Offscreen* src = Surface(Rect{0, 0, 8, 8});
  Offscreen* dst = Surface(Rect{0, 0, 16, 16});
  for (int i = 0; i < 64; ++i) src->bitmap.pixels[i] = PixelFromRgb(0, 0, 200);
  BitMask mask;
  ASSERT_TRUE(BitMaskInit(&mask, 8, 8));
  for (int y = 0; y < 8; ++y) BitMaskSet(mask, y, y, true);  // the diagonal
  const Rect from{0, 0, 8, 8};
  // A stretched destination does not stretch a masked copy.
  const Rect to{4, 4, 12, 12};
  DrawCopy(src, dst, &from, &to, &mask, kDrawModeInvertedCopy);
  const Ink ink = InkOf(dst->bitmap);
  EXPECT_EQ(ink.count, 8);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(At(dst, 4 + i, 4 + i), PixelFromRgb(0, 0, 200));
  BitMaskFree(&mask);
}

TEST_F(DrawFixture, TextIsMeasuredInTheSectionsFontAndPlacedByAlignment) {
  Offscreen* s = Surface(Rect{0, 0, 10, 10});
  EXPECT_EQ(DrawTextWidth(s, ""), 0);
  EXPECT_EQ(DrawTextWidth(s, nullptr), 0);
  EXPECT_GT(DrawTextWidth(s, "Orva"), 0);
  EXPECT_EQ(DrawGetContext(s), nullptr);
  DrawBegin(s);
  DrawSetFont(s, FontStandard(FontSans9));
  const int16_t small = DrawTextWidth(s, "Orva lobby");
  DrawSetFont(s, FontStandard(FontSansBold12));
  const int16_t large = DrawTextWidth(s, "Orva lobby");
  EXPECT_GT(DrawTextHeight(s, "Orva lobby"), 0);
  EXPECT_NE(DrawGetContext(s), nullptr);  // measuring kept the section open
  DrawEnd(s);
  EXPECT_GT(small, 0);
  EXPECT_GT(large, small);

  Offscreen* line = Surface(Rect{0, 0, 200, 30});
  struct Case { int16_t alignment; bool nearLeft; bool nearRight; };
  for (const Case c : {Case{0, true, false}, Case{1, false, true}, Case{2, false, false}}) {
    const Rect all{0, 0, 200, 30};
    DrawBegin(line);
    DrawEraseRect(line, &all);
    DrawSetFont(line, FontStandard(FontSans12));
    const int16_t w = DrawTextWidth(line, "Gate");
    const int16_t bottom = DrawTextInRect(line, &all, c.alignment, "Gate");
    DrawEnd(line);
    const Ink ink = InkOf(line->bitmap);
    ASSERT_GT(ink.count, 0) << c.alignment;
    EXPECT_GT(bottom, 15) << c.alignment;
    EXPECT_LE(bottom, 30) << c.alignment;
    EXPECT_EQ(ink.box.left < 10, c.nearLeft) << c.alignment;
    EXPECT_EQ(ink.box.right > 190, c.nearRight) << c.alignment;
    if (c.alignment == 2) {
      EXPECT_NEAR((ink.box.left + ink.box.right) / 2, 100, 3);
    }
    EXPECT_LE(ink.box.right - ink.box.left, w + 2);
    // Vertically centred, within the rectangle.
    EXPECT_NEAR((ink.box.top + ink.box.bottom) / 2, 15, 4);
  }
}

TEST_F(DrawFixture, TextIsClippedAndLeavesTheBackgroundAlone) {
  Offscreen* s = Surface(Rect{0, 0, 100, 30});
  for (int i = 0; i < 100 * 30; ++i) s->bitmap.pixels[i] = PixelFromRgb(0, 128, 0);
  const Rect box{0, 0, 20, 30};
  DrawBegin(s);
  DrawSetColor(s, &kRedEntry);
  DrawSetFont(s, FontStandard(FontSansBold12));
  DrawTextInRect(s, &box, 0, "WWWWWWWW");
  DrawEnd(s);
  const Ink ink = InkOf(s->bitmap, PixelFromRgb(0, 128, 0));
  ASSERT_GT(ink.count, 0);
  EXPECT_GE(ink.box.left, 0);
  EXPECT_LE(ink.box.right, 20);
}

// Paint handling: the procedure draws through fn while the paint is delivered.
struct PaintProbe {
  std::function<void(Window*)> fn;
  int paints = 0;
};
uint16_t PaintProc(void* source, Event* event) {
  auto* probe = reinterpret_cast<PaintProbe*>(event->userData);
  if (event->type != EventPaint) return 0;
  ++probe->paints;
  if (probe->fn) probe->fn(static_cast<Window*>(source));
  return 1;
}

Window* OpenPainted(PaintProbe* probe, Rect rect) {
  Window* window = WindowNew();
  if (!window) return nullptr;
  if (WindowInit(window, &rect, kWindowKindPlain, nullptr, "Paint", 1, 0, &PaintProc,
                 reinterpret_cast<UserData>(probe)) != 0) {
    WindowDelete(window);
    return nullptr;
  }
  HarnessFlush();
  return window;
}

TEST_F(DrawFixture, SectionOutsideAPaintShowsAtOnceAndCopiesShowInsideLongSections) {
  PaintProbe probe;
  Window* window = OpenPainted(&probe, Rect{0, 0, 80, 60});
  ASSERT_NE(window, nullptr);
  HarnessFlush();
  const int paintsBefore = probe.paints;
  const Rect r{10, 10, 30, 20};
  DrawBegin(window);
  DrawSetColor(window, &kRedEntry);
  DrawFillRect(window, &r);
  EXPECT_EQ(Shown(window).At(15, 15), kWhite);  // not yet
  DrawEnd(window);
  const Shown shown(window);
  EXPECT_EQ(shown.At(15, 15), PixelFromRgb(255, 0, 0));
  EXPECT_EQ(shown.At(40, 40), kWhite);
  EXPECT_EQ(probe.paints, paintsBefore);  // shown without a paint event

  // A sequence of copies inside one section, as a zoom does, shows each step.
  Offscreen* frame = Surface(Rect{0, 0, 80, 60});
  const Rect all{0, 0, 80, 60};
  DrawBegin(window);
  for (const ColorEntry c : {ColorEntry{0, 0, 0, 255}, ColorEntry{0, 0, 255, 0}}) {
    DrawBegin(frame);
    DrawSetColor(frame, &c);
    DrawFillRect(frame, &all);
    DrawEnd(frame);
    DrawCopy(frame, window, &all, &all, nullptr, kDrawModeCopy);
    EXPECT_EQ(Shown(window).At(70, 50), PixelFromRgb(c.red, c.green, c.blue));
  }
  DrawEnd(window);
}

TEST_F(DrawFixture, PaintSectionsStartAtThePaintAreaAndShareItsContext) {
  PaintProbe probe;
  Window* window = OpenPainted(&probe, Rect{0, 0, 80, 60});
  ASSERT_NE(window, nullptr);
  HarnessFlush();
  const Rect dirty{20, 10, 40, 30};
  const Rect narrower{20, 10, 30, 30};
  Rect firstClip{}, secondClip{}, thirdClip{};
  Pixel secondText = 0;
  probe.fn = [&](Window* w) {
    const Rect all{0, 0, 80, 60};
    DrawBegin(w);
    DrawGetClipRect(w, &firstClip);
    DrawSetColor(w, &kRedEntry);
    DrawSetClipRect(w, &all);  // cannot reach past the paint's area
    DrawGetClipRect(w, &thirdClip);
    DrawSetClipRect(w, &narrower);
    DrawEnd(w);
    DrawBegin(w);
    DrawGetClipRect(w, &secondClip);
    secondText = DrawGetContext(w)->textColour;
    DrawFillRect(w, &all);  // black again: the fill colour is the section's own
    DrawEnd(w);
  };
  WindowInvalidate(window, &dirty);
  HarnessFlush();
  probe.fn = nullptr;
  EXPECT_TRUE(SameRect(firstClip, dirty));
  EXPECT_TRUE(SameRect(thirdClip, dirty));
  EXPECT_TRUE(SameRect(secondClip, narrower));
  EXPECT_EQ(secondText, PixelFromRgb(255, 0, 0));
  const Ink ink = InkOf(window->buffer);
  EXPECT_EQ(ink.count, 10 * 20);
  EXPECT_TRUE(SameRect(ink.box, narrower));
  // The paint showed it.
  const Shown shown(window);
  EXPECT_EQ(shown.At(25, 20), kBlack);
  EXPECT_EQ(shown.At(35, 20), kWhite);

  // After the paint, a section starts from a fresh, unclipped context.
  DrawBegin(window);
  Rect clip;
  DrawGetClipRect(window, &clip);
  EXPECT_TRUE(SameRect(clip, Rect{0, 0, 80, 60}));
  EXPECT_EQ(DrawGetContext(window)->textColour, kBlack);
  DrawEnd(window);
}

TEST_F(DrawFixture, OperationsWithoutASectionOrPixelsDrawNothing) {
  Offscreen* s = Surface(Rect{0, 0, 10, 10});
  const Rect all{0, 0, 10, 10};
  DrawFillRect(s, &all);
  DrawEnd(s);  // unbalanced: ignored
  EXPECT_EQ(DrawTextInRect(s, &all, 0, "x"), 0);
  EXPECT_EQ(InkOf(s->bitmap).count, 0);
  // An empty surface has nothing to draw on.
  Offscreen* empty = Surface(Rect{5, 5, 5, 20});
  EXPECT_EQ(empty->bitmap.pixels, nullptr);
  DrawBegin(empty);
  DrawFillRect(empty, &all);
  DrawTextInRect(empty, &all, 0, "x");
  Rect clip;
  DrawGetClipRect(empty, &clip);
  EXPECT_TRUE(SameRect(clip, Rect{0, 0, 0, 0}));
  DrawEnd(empty);
  // A surface deleted inside a section takes the section with it.
  Offscreen* dropped = OffscreenNew();
  ASSERT_EQ(OffscreenInit(dropped, &all), 0);
  DrawBegin(dropped);
  OffscreenDelete(dropped);
  OffscreenDelete(nullptr);
}

}  // namespace
