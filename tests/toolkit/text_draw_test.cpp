#include "toolkit/text_draw.h"

#include <gtest/gtest.h>

#include <QImage>

#include <algorithm>
#include <vector>

#include "toolkit/raster.h"

namespace {

constexpr Rect kNoClip{-32768, -32768, 32767, 32767};
constexpr Pixel kBackground = 0x00C0C0C0;

struct TextFixture : ::testing::Test {
  void SetUp() override {
    ASSERT_EQ(FontStandardCreate(), 0);
    ASSERT_TRUE(PixelBufferInit(&buffer, 200, 60, kBackground));
  }
  void TearDown() override {
    PixelBufferFree(&buffer);
    FontStandardDelete();
  }
  Pixel At(int32_t x, int32_t y) const { return buffer.pixels[y * buffer.width + x]; }
  // The bounding box of the pixels that differ from the background.
  Rect Ink() const {
    Rect box{32767, 32767, -32768, -32768};
    for (int32_t y = 0; y < buffer.height; ++y) {
      for (int32_t x = 0; x < buffer.width; ++x) {
        if (At(x, y) == kBackground) continue;
        box.left = static_cast<int16_t>(std::min<int32_t>(box.left, x));
        box.top = static_cast<int16_t>(std::min<int32_t>(box.top, y));
        box.right = static_cast<int16_t>(std::max<int32_t>(box.right, x + 1));
        box.bottom = static_cast<int16_t>(std::max<int32_t>(box.bottom, y + 1));
      }
    }
    return box;
  }
  PixelBuffer buffer{};
};

TEST_F(TextFixture, AlignmentPlacesTheLineAndCentresItVertically) {
  const Font* font = FontStandard(FontSans12);
  const Rect rect{20, 10, 180, 50};
  const int16_t width = TextMeasureWidth(font, "Welcome");
  const int16_t height = TextMeasureHeight(font, "Welcome");
  struct Case { int16_t alignment; int32_t expectedLeft; };
  const Case cases[] = {
      {kTextAlignLeft, 20},
      {kTextAlignRight, 180 - width},
      {kTextAlignCentre, 20 + (160 - width) / 2},
      {7, 20},  // unknown values align left
  };
  for (const Case& c : cases) {
    RasterFill(&buffer, Rect{0, 0, 200, 60}, kNoClip, kBackground);
    const int16_t bottom = TextDrawInBuffer(&buffer, font, rect, kNoClip, 0, c.alignment, "Welcome");
    EXPECT_EQ(bottom, (40 - height) / 2 + height);
    const Rect ink = Ink();
    // Glyphs sit within a pixel or two of their advance box.
    EXPECT_NEAR(ink.left, c.expectedLeft, 2) << "alignment " << c.alignment;
    EXPECT_NEAR(ink.right, c.expectedLeft + width, 2) << "alignment " << c.alignment;
    const int32_t lineTop = 10 + (40 - height) / 2;
    EXPECT_GE(ink.top, lineTop);
    EXPECT_LE(ink.bottom, lineTop + height);
  }
}

// A clip that cuts through the text, a rectangle that cuts it too, and
// rectangles far outside the buffer: nothing outside both is touched, the
// background between the letters stays, and every pixel keeps its top byte 0.
TEST_F(TextFixture, TextStaysInsideRectAndClipAndLeavesTheBackground) {
  struct Case { Rect rect; Rect clip; };
  const Case cases[] = {
      {{10, 5, 190, 55}, {30, 20, 70, 34}},
      {{10, 25, 40, 35}, kNoClip},
      {{-32768, -32768, 32767, 32767}, {50, 0, 60, 60}},
      {{-32768, 20, -32700, 40}, kNoClip},
      {{100, 20, 90, 40}, kNoClip},
  };
  for (const Case& c : cases) {
    RasterFill(&buffer, Rect{0, 0, 200, 60}, kNoClip, kBackground);
    TextDrawInBuffer(&buffer, FontStandard(FontSerif12), c.rect, c.clip, 0x00102030, kTextAlignCentre,
                     "WWWW Mmmm gjpq WWWW Mmmm gjpq WWWW");
    Rect area;
    const bool any = RectIntersect(&c.rect, &c.clip, &area) != 0;
    int changed = 0;
    for (int32_t y = 0; y < buffer.height; ++y) {
      for (int32_t x = 0; x < buffer.width; ++x) {
        const Pixel p = At(x, y);
        ASSERT_EQ(p >> 24, 0u) << x << "," << y;
        if (p == kBackground) continue;
        ++changed;
        ASSERT_TRUE(any && x >= area.left && x < area.right && y >= area.top && y < area.bottom)
            << "ink at " << x << "," << y;
      }
    }
    if (c.clip.left == 30) {
      EXPECT_GT(changed, 0);
      EXPECT_LT(changed, 40 * 14) << "the background between strokes is kept";
    }
  }
}

TEST_F(TextFixture, SolidInkIsTheColourGiven) {
  TextDrawInBuffer(&buffer, FontStandard(FontSansBold12), Rect{0, 0, 200, 60}, kNoClip,
                   PixelFromRgb(192, 0, 64), kTextAlignLeft, "IIIIIIII");
  int exact = 0;
  for (int32_t i = 0; i < buffer.width * buffer.height; ++i) exact += buffer.pixels[i] == 0x00C00040;
  EXPECT_GT(exact, 20) << "the stems of a bold I are solid";
}

TEST_F(TextFixture, NothingHappensWithoutABufferOrText) {
  PixelBuffer empty{0, 0, nullptr};
  const Rect rect{0, 0, 200, 60};
  TextDrawInBuffer(&empty, FontStandard(FontSans9), rect, kNoClip, 0, kTextAlignLeft, "text");
  TextDrawInBuffer(nullptr, FontStandard(FontSans9), rect, kNoClip, 0, kTextAlignLeft, "text");
  TextDrawInBuffer(&buffer, FontStandard(FontSans9), rect, kNoClip, 0, kTextAlignLeft, "");
  TextDrawInBuffer(&buffer, FontStandard(FontSans9), rect, kNoClip, 0, kTextAlignLeft, nullptr);
  EXPECT_EQ(Ink().left, 32767);
}

// A sample of every standard font, saved for people to look at.
TEST_F(TextFixture, SampleOfTheStandardFonts) {
  PixelBuffer sheet;
  ASSERT_TRUE(PixelBufferInit(&sheet, 360, 5 * 22 + 10, 0x00FFFFFF));
  const char* names[kStandardFontCount] = {"Serif 12", "Sans 9", "Sans bold 9", "Sans 12",
                                           "Sans bold 12"};
  for (int i = 0; i < kStandardFontCount; ++i) {
    const auto top = static_cast<int16_t>(5 + i * 22);
    const Rect line{5, top, 355, static_cast<int16_t>(top + 20)};
    RasterFill(&sheet, Rect{5, top, 355, static_cast<int16_t>(top + 20)}, kNoClip,
               i % 2 ? 0x00E0E8F0 : 0x00FFFFFF);
    TextDrawInBuffer(&sheet, FontStandard(i), line, kNoClip, 0, kTextAlignLeft, names[i]);
    TextDrawInBuffer(&sheet, FontStandard(i), line, kNoClip, PixelFromRgb(0, 0, 160), kTextAlignRight,
                     "Connecting to the Orva server ... \xE9\xE8");
  }
  const QImage image(reinterpret_cast<const uchar*>(sheet.pixels), sheet.width, sheet.height,
                     sheet.width * 4, QImage::Format_RGB32);
  EXPECT_TRUE(image.save("standard_fonts.png"));
  PixelBufferFree(&sheet);
}

}  // namespace
