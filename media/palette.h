#pragma once
// Colour tables as 256 RGB values, the built-in default table, and the
// program's shared palette: the first colour table ever turned into a
// palette. Pictures are drawn in RGB, so the shared palette is bookkeeping
// that keeps the classic convention visible (entry 0 white, entry 255 black,
// through which masks were rendered).

#include <cstdint>

#include "toolkit/pixels.h"

inline constexpr uint32_t kPaletteSize = 256;

// A colour table turned into colours: entry k is colour k. count is the
// number of entries the table defined (at most 256); the rest are black.
struct Palette {
  uint32_t count;
  Pixel colors[kPaletteSize];
};

// The built-in table used by blocks without a colour table of their own.
const Palette& DefaultPalette();

// Fills out from a colour table's entries ({index, red, green, blue}, count
// of them; entries past 256 are ignored). The first palette ever made also
// becomes the shared palette.
void PaletteFromColorTable(const uint8_t* entries, uint32_t count, Palette* out);
// Makes out a copy of the default table, with the same shared-palette rule.
void PaletteFromDefault(Palette* out);

// The shared palette, or nullptr while no palette has been made.
const Palette* SharedPalette();
// Forgets the shared palette (program shutdown; tests).
void SharedPaletteDelete();
