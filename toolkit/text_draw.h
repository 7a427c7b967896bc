#pragma once
// Text on pixel buffers in a Font: the pixel work behind drawing a text in a
// rectangle and measuring it. Texts are 8-bit Latin-1 and end in a NUL; a
// nullptr font means the platform's default font.

#include <cstdint>

#include "core/rect.h"
#include "toolkit/font.h"
#include "toolkit/pixels.h"

enum TextAlign : int16_t { kTextAlignLeft = 0, kTextAlignRight = 1, kTextAlignCentre = 2 };

// Draws text on one line in font and colour into buffer, placed in rect by
// alignment (any other value: left) and centred vertically, with the
// background left as it was; writes only pixels inside rect and clip.
// Returns the distance from rect.top to the bottom of the line.
int16_t TextDrawInBuffer(PixelBuffer* buffer, const Font* font, const Rect& rect, const Rect& clip,
                         Pixel colour, int16_t alignment, const char* text);

// The width of text set on one line; 0 for an empty text.
int16_t TextMeasureWidth(const Font* font, const char* text);

// The height of a line of text: the font's line height, also for an empty
// text.
int16_t TextMeasureHeight(const Font* font, const char* text);
