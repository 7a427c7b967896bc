// What the harness reads off the screen on Windows: the backend's grab
// already reads the screen's pixels over the drawing area.

#include "tests/support/harness_screen.h"
#include "tests/support/toolkit_harness.h"

std::vector<uint32_t> HarnessGrabPresentedPlatform(PlatformWindow handle, int32_t width, int32_t height) {
  int32_t w = 0;
  int32_t h = 0;
  std::vector<uint32_t> pixels = HarnessGrabPlatform(handle, &w, &h);
  if (pixels.empty() || w < width || h < height || width <= 0 || height <= 0) return {};
  std::vector<uint32_t> out(static_cast<size_t>(width) * height);
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) out[static_cast<size_t>(y) * width + x] = pixels[static_cast<size_t>(y) * w + x];
  }
  return out;
}
