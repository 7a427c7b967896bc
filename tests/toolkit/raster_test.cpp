#include "toolkit/raster.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

namespace {

constexpr Rect kNoClip{-32768, -32768, 32767, 32767};

// A buffer owned by the test, freed at the end of the scope.
struct Buffer {
  Buffer(int32_t w, int32_t h, Pixel fill = 0) { EXPECT_TRUE(PixelBufferInit(&b, w, h, fill)); }
  ~Buffer() { PixelBufferFree(&b); }
  Buffer(const Buffer&) = delete;
  Buffer& operator=(const Buffer&) = delete;
  Pixel& At(int32_t x, int32_t y) { return b.pixels[y * b.width + x]; }
  std::vector<Pixel> Copy() const { return {b.pixels, b.pixels + b.width * b.height}; }
  PixelBuffer b;
};

struct Mask {
  Mask(int32_t w, int32_t h) { EXPECT_TRUE(BitMaskInit(&m, w, h)); }
  ~Mask() { BitMaskFree(&m); }
  Mask(const Mask&) = delete;
  Mask& operator=(const Mask&) = delete;
  BitMask m;
};

// Every pixel a distinct colour, so a pixel read from the wrong place shows.
void Pattern(Buffer& buffer, uint32_t seed) {
  for (int32_t i = 0; i < buffer.b.width * buffer.b.height; ++i) {
    buffer.b.pixels[i] = (static_cast<uint32_t>(i) * 2654435761u + seed) & 0x00FFFFFF;
  }
}

bool Inside(const Rect& r, int32_t x, int32_t y) {
  return r.left <= x && x < r.right && r.top <= y && y < r.bottom;
}

// The transfer written the slow, obvious way: every destination pixel asks
// where its source and mask pixels are.
void Reference(Buffer& dst, const Rect& d, const Rect& clip, const Buffer& src, const Rect& s,
               int mode, const BitMask* mask = nullptr, int32_t maskLeft = 0, int32_t maskTop = 0) {
  const int64_t dw = RectWidth(d), dh = RectHeight(d), sw = RectWidth(s), sh = RectHeight(s);
  if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0) return;
  for (int32_t y = 0; y < dst.b.height; ++y) {
    for (int32_t x = 0; x < dst.b.width; ++x) {
      if (!Inside(d, x, y) || !Inside(clip, x, y)) continue;
      const int64_t sx = s.left + (x - d.left) * sw / dw;
      const int64_t sy = s.top + (y - d.top) * sh / dh;
      if (sx < 0 || sy < 0 || sx >= src.b.width || sy >= src.b.height) continue;
      const Pixel sp = src.b.pixels[sy * src.b.width + sx];
      Pixel& dp = dst.At(x, y);
      if (mask) {
        const int64_t mx = maskLeft + sx - s.left, my = maskTop + sy - s.top;
        if (mx < 0 || my < 0 || mx >= mask->width || my >= mask->height) continue;
        if (BitMaskGet(*mask, static_cast<int32_t>(mx), static_cast<int32_t>(my))) dp = sp;
        continue;
      }
      switch (mode) {
        case 0: dp = sp; break;
        case 1: dp = (sp | dp) & 0xFFFFFF; break;
        case 2: dp = (sp ^ dp) & 0xFFFFFF; break;
        case 3: dp = ~sp & 0xFFFFFF; break;
        case 4: dp = (~sp | dp) & 0xFFFFFF; break;
        case 5: dp = ~(sp ^ dp) & 0xFFFFFF; break;
      }
    }
  }
}

TEST(Raster, FillColoursExactlyTheHalfOpenRectangle) {
  Buffer buffer(40, 30, 0x00FFFFFF);
  const Pixel grey = PixelFromRgb(192, 192, 192);
  EXPECT_EQ(grey, 0x00C0C0C0u);
  RasterFill(&buffer.b, Rect{10, 10, 20, 20}, kNoClip, grey);
  int coloured = 0;
  for (int32_t y = 0; y < 30; ++y) {
    for (int32_t x = 0; x < 40; ++x) {
      const bool in = x >= 10 && x <= 19 && y >= 10 && y <= 19;
      EXPECT_EQ(buffer.At(x, y), in ? 0x00C0C0C0u : 0x00FFFFFFu) << x << "," << y;
      coloured += in;
    }
  }
  EXPECT_EQ(coloured, 100);
}

TEST(Raster, FillIsClippedAtEveryEdge) {
  struct Case { Rect rect; Rect clip; Rect expected; };
  const Case cases[] = {
      {{-5, -5, 3, 4}, kNoClip, {0, 0, 3, 4}},                    // top-left, negative
      {{17, 10, 100, 12}, kNoClip, {17, 10, 20, 12}},             // right edge
      {{2, 12, 4, 32767}, kNoClip, {2, 12, 4, 15}},               // bottom edge, huge
      {{-32768, -32768, 32767, 32767}, kNoClip, {0, 0, 20, 15}},  // everything
      {{0, 0, 20, 15}, {5, 6, 7, 9}, {5, 6, 7, 9}},               // the clip
      {{0, 0, 20, 15}, {-9, -9, 2, 1}, {0, 0, 2, 1}},             // clip off the buffer
      {{8, 8, 4, 12}, kNoClip, {0, 0, 0, 0}},                     // inverted
      {{5, 5, 5, 9}, kNoClip, {0, 0, 0, 0}},                      // zero width
      {{30, 0, 40, 10}, kNoClip, {0, 0, 0, 0}},                   // beyond the buffer
      {{0, 0, 20, 15}, {10, 10, 5, 5}, {0, 0, 0, 0}},             // inverted clip
  };
  for (const Case& c : cases) {
    Buffer buffer(20, 15, 1);
    RasterFill(&buffer.b, c.rect, c.clip, 7);
    for (int32_t y = 0; y < 15; ++y) {
      for (int32_t x = 0; x < 20; ++x) {
        ASSERT_EQ(buffer.At(x, y), Inside(c.expected, x, y) ? 7u : 1u)
            << "rect " << c.rect.left << "," << c.rect.top << "," << c.rect.right << ","
            << c.rect.bottom << " at " << x << "," << y;
      }
    }
  }
}

TEST(Raster, ModesAreBitwiseOnTheColourBits) {
  const Pixel s = 0x00F0A05A;
  const Pixel d = 0x000F3C33;
  const Pixel expected[6] = {s, (s | d), (s ^ d), ~s & 0xFFFFFF, (~s | d) & 0xFFFFFF, ~(s ^ d) & 0xFFFFFF};
  for (int mode = 0; mode < 6; ++mode) {
    Buffer src(1, 1, s);
    Buffer dst(1, 1, d);
    RasterCopy(&dst.b, Rect{0, 0, 1, 1}, kNoClip, src.b, Rect{0, 0, 1, 1}, static_cast<DrawMode>(mode));
    EXPECT_EQ(dst.At(0, 0), expected[mode]) << "mode " << mode;
  }
  for (int mode : {-1, 6, 0x00CC}) {
    Buffer src(1, 1, s);
    Buffer dst(1, 1, d);
    RasterCopy(&dst.b, Rect{0, 0, 1, 1}, kNoClip, src.b, Rect{0, 0, 1, 1}, static_cast<DrawMode>(mode));
    EXPECT_EQ(dst.At(0, 0), d) << "unknown mode " << mode << " draws nothing";
  }
}

TEST(Raster, ExclusiveOrTwiceRestoresTheTarget) {
  Buffer src(33, 17);
  Buffer dst(50, 40);
  Pattern(src, 1);
  Pattern(dst, 2);
  const std::vector<Pixel> before = dst.Copy();
  for (int pass = 0; pass < 2; ++pass) {
    RasterCopy(&dst.b, Rect{5, 7, 38, 24}, kNoClip, src.b, Rect{0, 0, 33, 17}, kDrawModeExclusiveOr);
    EXPECT_EQ(dst.Copy() == before, pass == 1);
  }
}

TEST(Raster, NearestNeighbourStretchAndShrink) {
  Buffer small(2, 2);
  small.At(0, 0) = 1;
  small.At(1, 0) = 2;
  small.At(0, 1) = 3;
  small.At(1, 1) = 4;
  Buffer big(4, 4);
  RasterCopy(&big.b, Rect{0, 0, 4, 4}, kNoClip, small.b, Rect{0, 0, 2, 2}, kDrawModeCopy);
  const Pixel grown[16] = {1, 1, 2, 2, 1, 1, 2, 2, 3, 3, 4, 4, 3, 3, 4, 4};
  EXPECT_EQ(big.Copy(), std::vector<Pixel>(grown, grown + 16));

  Buffer four(4, 4);
  for (int i = 0; i < 16; ++i) four.b.pixels[i] = static_cast<Pixel>(i);
  Buffer two(2, 2);
  RasterCopy(&two.b, Rect{0, 0, 2, 2}, kNoClip, four.b, Rect{0, 0, 4, 4}, kDrawModeCopy);
  const Pixel shrunk[4] = {0, 2, 8, 10};
  EXPECT_EQ(two.Copy(), std::vector<Pixel>(shrunk, shrunk + 4));

  // 3 columns over 5: floor(i * 3 / 5) = 0 0 1 1 2.
  Buffer row(3, 1);
  row.At(0, 0) = 10;
  row.At(1, 0) = 11;
  row.At(2, 0) = 12;
  Buffer wide(5, 1);
  RasterCopy(&wide.b, Rect{0, 0, 5, 1}, kNoClip, row.b, Rect{0, 0, 3, 1}, kDrawModeCopy);
  const Pixel spread[5] = {10, 10, 11, 11, 12};
  EXPECT_EQ(wide.Copy(), std::vector<Pixel>(spread, spread + 5));
}

// Rectangles off every edge of both buffers, negative and huge coordinates,
// stretched and not, in every mode, against the reference.
TEST(Raster, CopyMatchesTheReferenceWhateverTheCoordinates) {
  struct Case { Rect d; Rect clip; Rect s; };
  const Case cases[] = {
      {{-4, -3, 10, 8}, kNoClip, {0, 0, 14, 11}},                  // off the top-left
      {{20, 15, 40, 30}, kNoClip, {0, 0, 20, 15}},                 // off the bottom-right
      {{0, 0, 24, 18}, {3, 2, 21, 16}, {-5, -6, 15, 12}},          // source off its top-left
      {{2, 2, 22, 17}, kNoClip, {10, 8, 30, 23}},                  // source off its bottom-right
      {{-32768, -32768, 32767, 32767}, kNoClip, {0, 0, 16, 12}},   // huge stretch
      {{0, 0, 24, 18}, kNoClip, {-32768, -32768, 32767, 32767}},   // huge shrink
      {{1, 1, 23, 17}, {5, 5, 9, 9}, {0, 0, 7, 5}},                // stretch, clipped
      {{-7, 3, 30, 11}, {-100, -100, 12, 100}, {2, -1, 13, 20}},   // mixed
      {{5, 5, 6, 6}, kNoClip, {0, 0, 16, 12}},                     // one pixel
      {{0, 0, 24, 18}, kNoClip, {16, 0, 30, 12}},                  // source wholly outside
      {{0, 0, 24, 18}, kNoClip, {3, 3, 3, 9}},                     // empty source
  };
  for (const Case& c : cases) {
    for (int mode = 0; mode < 6; ++mode) {
      Buffer src(16, 12);
      Buffer got(24, 18);
      Buffer want(24, 18);
      Pattern(src, 3);
      Pattern(got, 4);
      Pattern(want, 4);
      RasterCopy(&got.b, c.d, c.clip, src.b, c.s, static_cast<DrawMode>(mode));
      Reference(want, c.d, c.clip, src, c.s, mode);
      ASSERT_EQ(got.Copy(), want.Copy()) << "mode " << mode << " dst " << c.d.left << "," << c.d.top
                                         << "," << c.d.right << "," << c.d.bottom << " src " << c.s.left
                                         << "," << c.s.top << "," << c.s.right << "," << c.s.bottom;
    }
  }
}

TEST(Raster, CopyWithinOneBufferReadsTheOldPixels) {
  // Overlapping moves in both directions and an overlapping stretch.
  const Rect moves[][2] = {
      {{3, 2, 23, 14}, {0, 0, 20, 12}},
      {{0, 0, 20, 12}, {3, 2, 23, 14}},
      {{0, 0, 24, 18}, {2, 2, 14, 11}},
  };
  for (const auto& m : moves) {
    Buffer buffer(24, 18);
    Buffer original(24, 18);
    Buffer want(24, 18);
    Pattern(buffer, 5);
    Pattern(original, 5);
    Pattern(want, 5);
    RasterCopy(&buffer.b, m[0], kNoClip, buffer.b, m[1], kDrawModeCopy);
    Reference(want, m[0], kNoClip, original, m[1], 0);
    EXPECT_EQ(buffer.Copy(), want.Copy());
  }
}

TEST(Raster, MaskedCopyLeavesTransparentPixelsUntouched) {
  Buffer src(4, 2, 0x00112233);
  Buffer dst(4, 2, 0x00FFFFFF);
  Mask mask(4, 2);
  BitMaskSet(mask.m, 1, 0, true);
  BitMaskSet(mask.m, 3, 1, true);
  RasterCopyMasked(&dst.b, Rect{0, 0, 4, 2}, kNoClip, src.b, Rect{0, 0, 4, 2}, mask.m, 0, 0);
  const Pixel want[8] = {0xFFFFFF, 0x112233, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0x112233};
  EXPECT_EQ(dst.Copy(), std::vector<Pixel>(want, want + 8));
}

// Random masks (whole opaque and transparent bytes mixed with single bits),
// odd widths, mask offsets that are not byte-aligned, stretching and
// clipping, against the reference.
TEST(Raster, MaskedCopyMatchesTheReference) {
  std::mt19937 random(7);
  struct Case { Rect d; Rect clip; Rect s; int32_t maskLeft; int32_t maskTop; };
  const Case cases[] = {
      {{0, 0, 37, 21}, kNoClip, {0, 0, 37, 21}, 0, 0},
      {{3, 2, 40, 23}, kNoClip, {0, 0, 37, 21}, 0, 0},
      {{-5, -4, 32, 17}, {1, 1, 30, 20}, {0, 0, 37, 21}, 3, 1},     // unaligned mask
      {{0, 0, 40, 30}, kNoClip, {2, 1, 22, 11}, 5, 2},              // stretched
      {{0, 0, 40, 30}, kNoClip, {0, 0, 37, 21}, -6, -3},            // mask off its top-left
      {{0, 0, 40, 30}, kNoClip, {0, 0, 37, 21}, 20, 10},            // mask off its bottom-right
      {{0, 0, 40, 30}, kNoClip, {-10, -10, 50, 50}, 0, 0},          // source off both sides
      {{0, 0, 40, 30}, kNoClip, {0, 0, 37, 21}, 2147483647, 0},     // mask far away
      {{0, 0, 40, 30}, kNoClip, {0, 0, 37, 21}, -2147483647 - 1, -2147483647 - 1},
  };
  for (const Case& c : cases) {
    Buffer src(37, 21);
    Buffer got(40, 30);
    Buffer want(40, 30);
    Mask mask(37, 21);
    Pattern(src, 8);
    Pattern(got, 9);
    Pattern(want, 9);
    for (int32_t i = 0; i < mask.m.rowBytes * mask.m.height; ++i) {
      const uint32_t r = random();
      mask.m.bits[i] = (r & 3) == 0 ? 0xFF : (r & 3) == 1 ? 0x00 : static_cast<uint8_t>(r >> 8);
    }
    RasterCopyMasked(&got.b, c.d, c.clip, src.b, c.s, mask.m, c.maskLeft, c.maskTop);
    Reference(want, c.d, c.clip, src, c.s, 0, &mask.m, c.maskLeft, c.maskTop);
    ASSERT_EQ(got.Copy(), want.Copy()) << "mask at " << c.maskLeft << "," << c.maskTop << " dst "
                                       << c.d.left << "," << c.d.top << "," << c.d.right << ","
                                       << c.d.bottom;
  }
}

TEST(Raster, UnusableBuffersAndMasksDrawNothing) {
  Buffer dst(4, 4, 9);
  Buffer src(4, 4, 1);
  PixelBuffer empty{0, 0, nullptr};
  BitMask noBits{4, 4, 1, nullptr};
  uint8_t bits[4] = {0xFF, 0xFF, 0xFF, 0xFF};
  BitMask shortRows{16, 4, 1, bits};  // rows claim 16 pixels in one byte
  const Rect all{0, 0, 4, 4};
  RasterFill(&empty, all, kNoClip, 1);
  RasterFill(nullptr, all, kNoClip, 1);
  RasterCopy(&dst.b, all, kNoClip, empty, all, kDrawModeCopy);
  RasterCopy(&empty, all, kNoClip, src.b, all, kDrawModeCopy);
  RasterCopyMasked(&dst.b, all, kNoClip, src.b, all, noBits, 0, 0);
  RasterCopyMasked(&dst.b, all, kNoClip, src.b, all, shortRows, 0, 0);
  EXPECT_EQ(dst.Copy(), std::vector<Pixel>(16, 9));
}

}  // namespace
