// Drawing images into drawing sections: the six modes, masks of their own
// and shared ones, sizes beyond the image, hit tests, and a window with
// text and a masked picture for people to look at.

#include "media/image_draw.h"

#include <gtest/gtest.h>

#include <string>

#include "media/image_block.h"
#include "media/resource_file.h"
#include "tests/media/media_fixtures.h"
#include "tests/support/toolkit_harness.h"
#include "toolkit/offscreen.h"

namespace {

constexpr Pixel kWhite = PixelFromRgb(255, 255, 255);

Bytes HostBlock(const BlockSpec& spec) {
  Bytes b = MakeBlock(spec);
  EXPECT_TRUE(ImageBlockConvert(b, kToHostOrder));
  return b;
}

// A 6 x 4 image in two colours of its own table: colour 1 on the left
// half, colour 2 on the right. With a mask, the top-left 3 x 2 corner and
// the bottom row's last pixel are opaque, and a bit past the image's width
// in the mask's padding is set.
constexpr Pixel kLeft = PixelFromRgb(0x20, 0x40, 0x80);
constexpr Pixel kRight = PixelFromRgb(0xF0, 0x0F, 0x33);
Image* MakeImage(bool withMask) {
  BlockSpec s;
  s.width = 6;
  s.height = 4;
  s.rowBytes = 6;
  s.colors = {0xFFFFFF, kLeft, kRight};
  const Bytes row = {0x83, 1, 0x83, 2};
  s.picture = PackedRows({row, row, row, row});
  if (withMask) {
    s.maskRowBytes = 1;
    s.mask = PackedRows({{0x01, 0xE1}, {0x01, 0xE0}, {0x01, 0x00}, {0x01, 0x04}});
  }
  Image* image = ImageNew();
  const Bytes b = HostBlock(s);
  EXPECT_EQ(ImageBuild(image, b, {}), 0);
  return image;
}

// A mask-only image, as animations share one: the left column opaque.
Image* MakeSharedMask() {
  BlockSpec s;
  s.width = 6;
  s.height = 4;
  s.maskRowBytes = 1;
  s.mask = PackedRows({{0x01, 0x80}, {0x01, 0x80}, {0x01, 0x80}, {0x01, 0x80}});
  Image* image = ImageNew();
  const Bytes b = HostBlock(s);
  EXPECT_EQ(ImageBuild(image, {}, b), 0);
  return image;
}

Pixel Background(int x, int y) { return static_cast<Pixel>((x * 0x0A0B0C + y * 0x30201) & 0xFFFFFF); }

struct ImageDrawFixture : ::testing::Test {
  void SetUp() override {
    surface = OffscreenNew();
    const Rect bounds{-10, -10, 20, 20};
    ASSERT_EQ(OffscreenInit(surface, &bounds), 0);
    Paint();
  }
  void TearDown() override { OffscreenDelete(surface); }
  void Paint() {
    for (int y = 0; y < 30; ++y)
      for (int x = 0; x < 30; ++x) surface->bitmap.pixels[y * 30 + x] = Background(x, y);
  }
  Pixel At(int x, int y) const { return surface->bitmap.pixels[(y + 10) * 30 + (x + 10)]; }
  void Draw(const Image* image, Rect r, const Image* shared, DrawMode mode) {
    DrawBegin(surface);
    ImageDraw(image, surface, &r, shared, mode);
    DrawEnd(surface);
  }
  Offscreen* surface = nullptr;
};

TEST_F(ImageDrawFixture, ModesCombinePictureAndTargetAndExclusiveOrTwiceRestores) {
  Image* image = MakeImage(false);
  const Pixel d = Background(12, 12);  // the target pixel under (2, 2)
  const Pixel s = kLeft;
  struct Case { DrawMode mode; Pixel expected; };
  const Case cases[] = {
      {kDrawModeCopy, s},
      {kDrawModeOr, s | d},
      {kDrawModeExclusiveOr, s ^ d},
      {kDrawModeInvertedCopy, ~s & 0xFFFFFF},
      {kDrawModeInvertedSourceOr, (~s | d) & 0xFFFFFF},
      {kDrawModeInvertedExclusiveOr, ~(s ^ d) & 0xFFFFFF},
  };
  for (const Case& c : cases) {
    Paint();
    Draw(image, Rect{0, 0, 6, 4}, nullptr, c.mode);
    EXPECT_EQ(At(2, 2), c.expected) << c.mode;
  }
  Paint();
  Draw(image, Rect{-3, 1, 3, 5}, nullptr, kDrawModeExclusiveOr);
  EXPECT_NE(At(-3, 1), Background(7, 11));
  Draw(image, Rect{-3, 1, 3, 5}, nullptr, kDrawModeExclusiveOr);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 30; ++x) ASSERT_EQ(At(x - 10, y - 10), Background(x, y)) << x << "," << y;
  ImageDelete(image);
}

TEST_F(ImageDrawFixture, MaskedDrawingLeavesTransparentPixelsUntouched) {
  Image* image = MakeImage(true);
  Image* shared = MakeSharedMask();
  // The image's own mask wins over a shared one; the mode is not used.
  Draw(image, Rect{0, 0, 6, 4}, shared, kDrawModeInvertedCopy);
  for (int y = -10; y < 20; ++y) {
    for (int x = -10; x < 20; ++x) {
      const bool opaque = (x >= 0 && x < 3 && y >= 0 && y < 2) || (x == 5 && y == 3);
      const Pixel expected = !opaque ? Background(x + 10, y + 10) : x < 3 ? kLeft : kRight;
      ASSERT_EQ(At(x, y), expected) << x << "," << y;
    }
  }
  // Without a mask of its own, the shared mask decides.
  Image* plain = MakeImage(false);
  Paint();
  Draw(plain, Rect{4, 4, 10, 8}, shared, kDrawModeCopy);
  for (int y = 4; y < 8; ++y) {
    EXPECT_EQ(At(4, y), kLeft);
    for (int x = 5; x < 10; ++x) EXPECT_EQ(At(x, y), Background(x + 10, y + 10));
  }
  ImageDelete(plain);
  ImageDelete(shared);
  ImageDelete(image);
}

TEST_F(ImageDrawFixture, OnlyTheImageItselfIsDrawnWhateverTheRectangle) {
  Image* image = MakeImage(false);
  // The picture's rows are padded to 8 pixels; the padding never shows.
  Draw(image, Rect{0, 0, 20, 20}, nullptr, kDrawModeCopy);
  EXPECT_EQ(At(5, 3), kRight);
  EXPECT_EQ(At(6, 0), Background(16, 10));
  EXPECT_EQ(At(0, 4), Background(10, 14));
  // A smaller rectangle draws the image's top-left corner, unscaled.
  Paint();
  Draw(image, Rect{0, 0, 4, 1}, nullptr, kDrawModeCopy);
  EXPECT_EQ(At(3, 0), kRight);
  EXPECT_EQ(At(4, 0), Background(14, 10));
  EXPECT_EQ(At(0, 1), Background(10, 11));
  // Outside a section nothing is drawn.
  Paint();
  const Rect r{0, 0, 6, 4};
  ImageDraw(image, surface, &r, nullptr, kDrawModeCopy);
  EXPECT_EQ(At(0, 0), Background(10, 10));
  ImageDelete(image);
}

TEST(ImageHitTest, EdgesAndMaskPixels) {
  Image* masked = MakeImage(true);
  Image* plain = MakeImage(false);
  struct Case { int16_t x, y; int16_t masked, plain; };
  const Case cases[] = {
      {0, 0, 1, 1},   {2, 1, 1, 1},   {3, 0, 0, 1},  {0, 2, 0, 1},   {5, 3, 1, 1}, {4, 3, 0, 1},
      {6, 0, 0, 0},   {0, 4, 0, 0},   {-1, 0, 0, 0}, {0, -1, 0, 0},  {6, 4, 0, 0},
      // The mask row is 32 bits wide; bits past the image do not count.
      {7, 0, 0, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ImageHitTest(masked, Point{c.x, c.y}), c.masked) << c.x << "," << c.y;
    EXPECT_EQ(ImageHitTest(plain, Point{c.x, c.y}), c.plain) << c.x << "," << c.y;
  }
  EXPECT_EQ(ImageHitTest(nullptr, Point{0, 0}), 0);
  ImageDelete(plain);
  ImageDelete(masked);
}

TEST(ImageDrawWindow, TextInTwoFontsAndAMaskedPictureOverAFill) {
  HarnessStart();
  ASSERT_EQ(FontStandardCreate(), 0);
  Window* window = HarnessOpenWindow(Rect{0, 0, 320, 160}, kWindowKindMain, nullptr, nullptr, true, false,
                                     "Drawing");
  ASSERT_NE(window, nullptr);
  ResourceFile* rf = ResourceFileNew();
  ASSERT_EQ(ResourceFileOpen(rf, SALVIND_STAGE_DIR "/data/Salvind/salvind.ors"), 0);
  Image* icon = ResourceFileGetImage(rf, 0);
  ResourceFileDelete(rf);
  ASSERT_NE(icon, nullptr);
  ASSERT_NE(ImageMask(icon), nullptr);
  const int16_t w = static_cast<int16_t>(ImageWidth(icon));
  const int16_t h = static_cast<int16_t>(ImageHeight(icon));

  // The picture three times as large, copied from an off-screen surface.
  Offscreen* surface = OffscreenNew();
  const Rect iconRect{0, 0, w, h};
  ASSERT_EQ(OffscreenInit(surface, &iconRect), 0);
  DrawBegin(surface);
  ImageDraw(icon, surface, &iconRect, nullptr, kDrawModeCopy);
  DrawEnd(surface);

  const Rect all{0, 0, 320, 160};
  const Rect band{0, 80, 320, 160};
  const Rect title{10, 8, 310, 36};
  const Rect subtitle{10, 36, 310, 60};
  const Rect place{40, 100, static_cast<int16_t>(40 + w), static_cast<int16_t>(100 + h)};
  const Rect big{200, 60, static_cast<int16_t>(200 + 3 * w), static_cast<int16_t>(60 + 3 * h)};
  const ColorEntry sky{0, 204, 221, 238};
  const ColorEntry grass{0, 102, 153, 51};
  const ColorEntry ink{0, 34, 34, 85};
  DrawBegin(window);
  DrawSetColor(window, &sky);
  DrawFillRect(window, &all);
  DrawSetColor(window, &grass);
  DrawFillRect(window, &band);
  DrawSetColor(window, &ink);
  DrawSetFont(window, FontStandard(FontSerif12));
  DrawTextInRect(window, &title, 0, "Welcome to the Orva lobby");
  DrawSetFont(window, FontStandard(FontSansBold12));
  DrawTextInRect(window, &subtitle, 2, "Salvind");
  ImageDraw(icon, window, &place, nullptr, kDrawModeCopy);
  DrawEnd(window);
  DrawCopy(surface, window, &iconRect, &big, nullptr, kDrawModeCopy);

  // Transparent corners of the icon show the grass; the copy does not.
  EXPECT_EQ(HarnessBufferPixel(window, place.left, place.bottom - 1), PixelFromRgb(102, 153, 51));
  EXPECT_EQ(HarnessBufferPixel(window, big.left, big.top), kWhite);
  int opaque = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      if (!ImageHitTest(icon, Point{static_cast<int16_t>(x), static_cast<int16_t>(y)})) continue;
      ++opaque;
      EXPECT_EQ(HarnessBufferPixel(window, place.left + x, place.top + y), icon->picture.pixels[y * icon->picture.width + x]);
      EXPECT_EQ(HarnessBufferPixel(window, big.left + 3 * x + 2, big.top + 3 * y + 1),
                icon->picture.pixels[y * icon->picture.width + x]);
    }
  EXPECT_GT(opaque, 0);
  EXPECT_LT(opaque, w * h);
  EXPECT_TRUE(HarnessSavePng(window, "image_draw_window.png"));

  OffscreenDelete(surface);
  ImageDelete(icon);
  FontStandardDelete();
  HarnessStop();
}

}  // namespace
