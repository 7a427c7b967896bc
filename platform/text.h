#pragma once
// Text: fonts made from a face name and pixel sizes, measured, and drawn into
// the program's own 32-bit XRGB buffers. Texts are 8-bit Latin-1 and end in a
// NUL. A nullptr font means the platform's default font.

#include <cstdint>

#include "platform/geometry.h"
#include "platform/handles.h"

enum PlatformFontStyle : uint32_t {
  kPlatformFontBold = 1,
  kPlatformFontItalic = 2,
  kPlatformFontUnderline = 4,
};

enum PlatformTextAlign : int32_t {
  kPlatformTextLeft = 0,
  kPlatformTextRight = 1,
  kPlatformTextCentre = 2,
};

// Makes a font of face whose characters are pixelHeight pixels high (the em,
// not the line). averageWidth > 0 widens or narrows the glyphs so that the
// average width of a lower-case text is that many pixels; 0 keeps the face's
// own proportions. style holds PlatformFontStyle bits. nullptr when the
// platform refuses; the caller deletes the font.
PlatformFont PlatformFontCreate(const char* face, int32_t pixelHeight, int32_t averageWidth,
                                uint32_t style);

// Releases a font made by PlatformFontCreate; nullptr is ignored.
void PlatformFontDelete(PlatformFont font);

// The advance in pixels of text set on one line; 0 for an empty text.
int32_t PlatformTextWidth(PlatformFont font, const char* text);

// The height in pixels of one line of the font (ascent plus descent).
int32_t PlatformFontHeight(PlatformFont font);

// Draws text on one line in colour (0x00RRGGBB) into pixels (width x height,
// rows width pixels long, top row first): placed in rect by align, centred
// vertically, background left as it was. Writes only pixels inside rect, clip
// and the buffer, and leaves their top byte 0.
void PlatformTextDraw(uint32_t* pixels, int32_t width, int32_t height, const PlatformRect& rect,
                      const PlatformRect& clip, PlatformFont font, const char* text,
                      uint32_t colour, PlatformTextAlign align);
