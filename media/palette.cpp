#include "media/palette.h"

#include <algorithm>
#include <iterator>

namespace {

// The ten levels shared by the pure reds, greens, blues and greys.
constexpr uint8_t kLevels[10] = {238, 221, 187, 170, 136, 119, 85, 68, 34, 17};

constexpr Palette MakeDefault() {
  Palette p{kPaletteSize, {}};
  // A 6x6x6 cube from white down, without its black corner (index 215).
  for (int r = 0; r < 6; ++r)
    for (int g = 0; g < 6; ++g)
      for (int b = 0; b < 6; ++b) {
        const int k = 36 * r + 6 * g + b;
        if (k == 215) continue;
        p.colors[k] = PixelFromRgb(static_cast<uint8_t>(255 - 51 * r), static_cast<uint8_t>(255 - 51 * g),
                                   static_cast<uint8_t>(255 - 51 * b));
      }
  for (int i = 0; i < 10; ++i) {
    p.colors[215 + i] = PixelFromRgb(kLevels[i], 0, 0);
    p.colors[225 + i] = PixelFromRgb(0, kLevels[i], 0);
    p.colors[235 + i] = PixelFromRgb(0, 0, kLevels[i]);
    p.colors[245 + i] = PixelFromRgb(kLevels[i], kLevels[i], kLevels[i]);
  }
  p.colors[255] = PixelFromRgb(0, 0, 0);
  return p;
}

constexpr Palette kDefault = MakeDefault();

bool g_haveShared = false;
Palette g_shared;

void NoteMade(const Palette& p) {
  if (g_haveShared) return;
  g_shared = p;
  g_haveShared = true;
}

}  // namespace

const Palette& DefaultPalette() { return kDefault; }

void PaletteFromColorTable(const uint8_t* entries, uint32_t count, Palette* out) {
  out->count = std::min(count, kPaletteSize);
  std::fill(std::begin(out->colors), std::end(out->colors), PixelFromRgb(0, 0, 0));
  for (uint32_t k = 0; k < out->count; ++k) {
    const uint8_t* e = entries + 4 * k;
    out->colors[k] = PixelFromRgb(e[1], e[2], e[3]);
  }
  NoteMade(*out);
}

void PaletteFromDefault(Palette* out) {
  *out = kDefault;
  NoteMade(*out);
}

const Palette* SharedPalette() { return g_haveShared ? &g_shared : nullptr; }

void SharedPaletteDelete() { g_haveShared = false; }
