#include "toolkit/pixels.h"

#include <algorithm>
#include <cstring>

#include "core/memory.h"

namespace {
// Larger than any picture or screen the program meets; keeps w x h x 4 far
// from overflowing.
constexpr int32_t kMaxSide = 16384;
}  // namespace

bool PixelBufferInit(PixelBuffer* buffer, int32_t width, int32_t height, Pixel fill) {
  *buffer = PixelBuffer{0, 0, nullptr};
  if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) return false;
  const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
  auto* pixels = static_cast<Pixel*>(MemAlloc(count * sizeof(Pixel)));
  if (!pixels) return false;
  std::fill(pixels, pixels + count, fill);
  *buffer = PixelBuffer{width, height, pixels};
  return true;
}

void PixelBufferFree(PixelBuffer* buffer) {
  MemFree(buffer->pixels);
  *buffer = PixelBuffer{0, 0, nullptr};
}

bool BitMaskInit(BitMask* mask, int32_t width, int32_t height) {
  *mask = BitMask{0, 0, 0, nullptr};
  if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) return false;
  const int32_t rowBytes = (width + 7) / 8;
  auto* bits = static_cast<uint8_t*>(MemAllocZero(static_cast<size_t>(rowBytes), static_cast<size_t>(height)));
  if (!bits) return false;
  *mask = BitMask{width, height, rowBytes, bits};
  return true;
}

void BitMaskFree(BitMask* mask) {
  MemFree(mask->bits);
  *mask = BitMask{0, 0, 0, nullptr};
}
