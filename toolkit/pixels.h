#pragma once
// Pixels are ours: every picture, window buffer and off-screen surface is a
// plain buffer of 32-bit XRGB values (0x00RRGGBB), and masks are 1 bit per
// pixel. Backends present these buffers; they never draw into them except
// for text.

#include <cstdint>

// A colour as stored in a buffer: 0x00RRGGBB.
using Pixel = uint32_t;

inline constexpr Pixel PixelFromRgb(uint8_t r, uint8_t g, uint8_t b) {
  return (Pixel{r} << 16) | (Pixel{g} << 8) | Pixel{b};
}

// Owned by whoever made it (PixelBufferInit / PixelBufferFree); rows are
// width pixels long, top row first.
struct PixelBuffer {
  int32_t width;
  int32_t height;
  Pixel* pixels;
};

// 1 bit per pixel, most significant bit first, rows padded to whole bytes;
// a set bit is opaque.
struct BitMask {
  int32_t width;
  int32_t height;
  int32_t rowBytes;
  uint8_t* bits;
};

// Allocates a buffer filled with fill; false (buffer left empty) when memory
// is exhausted or the size is not positive or too large.
bool PixelBufferInit(PixelBuffer* buffer, int32_t width, int32_t height, Pixel fill);
void PixelBufferFree(PixelBuffer* buffer);
// Allocates a mask with every pixel transparent; false as above.
bool BitMaskInit(BitMask* mask, int32_t width, int32_t height);
void BitMaskFree(BitMask* mask);

inline bool BitMaskGet(const BitMask& m, int32_t x, int32_t y) {
  return (m.bits[y * m.rowBytes + (x >> 3)] >> (7 - (x & 7))) & 1;
}
inline void BitMaskSet(BitMask& m, int32_t x, int32_t y, bool opaque) {
  uint8_t& byte = m.bits[y * m.rowBytes + (x >> 3)];
  const uint8_t bit = static_cast<uint8_t>(0x80 >> (x & 7));
  byte = opaque ? static_cast<uint8_t>(byte | bit) : static_cast<uint8_t>(byte & ~bit);
}
