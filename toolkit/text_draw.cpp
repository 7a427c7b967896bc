#include "toolkit/text_draw.h"

#include <algorithm>

#include "platform/text.h"

namespace {

int16_t Clamp16(int64_t value) {
  return static_cast<int16_t>(std::clamp<int64_t>(value, INT16_MIN, INT16_MAX));
}

PlatformTextAlign PlatformAlign(int16_t alignment) {
  if (alignment == kTextAlignRight) return kPlatformTextRight;
  if (alignment == kTextAlignCentre) return kPlatformTextCentre;
  return kPlatformTextLeft;
}

}  // namespace

int16_t TextDrawInBuffer(PixelBuffer* buffer, const Font* font, const Rect& rect, const Rect& clip,
                         Pixel colour, int16_t alignment, const char* text) {
  const PlatformFont handle = FontHandle(font);
  const int64_t lineHeight = PlatformFontHeight(handle);
  if (buffer && buffer->pixels && text) {
    PlatformRect platformRect;
    PlatformRect platformClip;
    RectToPlatform(&platformRect, &rect);
    RectToPlatform(&platformClip, &clip);
    PlatformTextDraw(buffer->pixels, buffer->width, buffer->height, platformRect, platformClip, handle,
                     text, colour, PlatformAlign(alignment));
  }
  // Where the platform put the line: centred, rounding toward the top.
  return Clamp16((RectHeight(rect) - lineHeight) / 2 + lineHeight);
}

int16_t TextMeasureWidth(const Font* font, const char* text) {
  return Clamp16(PlatformTextWidth(FontHandle(font), text));
}

int16_t TextMeasureHeight(const Font* font, const char*) {
  return Clamp16(PlatformFontHeight(FontHandle(font)));
}
