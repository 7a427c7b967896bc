#pragma once
// Fonts: a face code, a style and a size, and the platform font made from
// them. Text is drawn in one of five standard fonts made once at toolkit
// start; text boxes make their own copies.

#include <cstdint>

#include "core/types.h"
#include "platform/handles.h"

inline constexpr uint32_t kObjectKindFont = 14;

// Face codes: 1 is the sans face ("Arial"), any other value the serif face
// ("Times New Roman").
enum : uint16_t { kFontFaceSerif = 0, kFontFaceSans = 1 };

// Style bits.
enum : uint16_t { kFontStyleBold = 1, kFontStyleUnderline = 2, kFontStyleItalic = 4 };

struct Font {
  uint32_t kind;        // always kObjectKindFont
  uint16_t face;        // a face code
  uint16_t style;       // style bits
  int16_t size;         // character height in pixels
  PlatformFont handle;  // nullptr before FontInit or when the platform refused
};

// A font with no platform font yet, or nullptr when memory is exhausted.
Font* FontNew();
// Stores face, style and size and makes the platform font (replacing one
// made before). Returns 0; a font the platform refuses leaves the handle
// empty, and text in it is drawn in the platform's default font.
ErrorCode FontInit(Font* font, uint16_t face, uint16_t style, int16_t size);
// A new font with the same face, style and size, or nullptr when memory is
// exhausted.
Font* FontCopy(const Font* font);
// Deletes the platform font and frees the font; nullptr is ignored.
void FontDelete(Font* font);
// The platform font, for drawing and for controls; nullptr for none.
PlatformFont FontHandle(const Font* font);

// The face name asked of the platform for a face code.
const char* FontFaceName(uint16_t face);
// The average character width asked of the platform: half the size, rounded
// up, and one more for bold.
int32_t FontAverageWidth(int16_t size, uint16_t style);

// The standard fonts, by index, in the order they are made.
enum StandardFont : int {
  FontSerif12 = 0,     // serif 12: login text boxes, new-user labels, alert box
  FontSans9 = 1,       // sans 9: room status, disclaimer
  FontSansBold9 = 2,   // sans bold 9: room status
  FontSans12 = 3,      // sans 12: new-user text boxes, welcome window
  FontSansBold12 = 4,  // sans bold 12
};
inline constexpr int kStandardFontCount = 5;

// Makes the standard fonts that do not exist yet, in order. 0, or
// kErrorOutOfMemory when a font cannot be allocated; the fonts made so far
// stay (FontStandardDelete takes them).
ErrorCode FontStandardCreate();
// Deletes every standard font.
void FontStandardDelete();
// Standard font index, or nullptr when it does not exist or index is out of
// range.
Font* FontStandard(int index);
