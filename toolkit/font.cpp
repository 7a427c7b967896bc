#include "toolkit/font.h"

#include "core/error_codes.h"
#include "core/memory.h"
#include "platform/text.h"

namespace {

struct StandardSpec {
  uint16_t face;
  uint16_t style;
  int16_t size;
};

constexpr StandardSpec kStandardSpecs[kStandardFontCount] = {
    {kFontFaceSerif, 0, 12},
    {kFontFaceSans, 0, 9},
    {kFontFaceSans, kFontStyleBold, 9},
    {kFontFaceSans, 0, 12},
    {kFontFaceSans, kFontStyleBold, 12},
};

Font* g_standard[kStandardFontCount] = {};

}  // namespace

const char* FontFaceName(uint16_t face) {
  return face == kFontFaceSans ? "Arial" : "Times New Roman";
}

int32_t FontAverageWidth(int16_t size, uint16_t style) {
  // Integer division rounds toward zero, as the rule asks.
  const int32_t width = (int32_t{size} + 1) / 2;
  return (style & kFontStyleBold) ? width + 1 : width;
}

Font* FontNew() {
  auto* font = static_cast<Font*>(MemAllocZero(1, sizeof(Font)));
  if (!font) return nullptr;
  font->kind = kObjectKindFont;
  return font;
}

ErrorCode FontInit(Font* font, uint16_t face, uint16_t style, int16_t size) {
  font->face = face;
  font->style = style;
  font->size = size;
  PlatformFontDelete(font->handle);
  uint32_t platformStyle = 0;
  if (style & kFontStyleBold) platformStyle |= kPlatformFontBold;
  if (style & kFontStyleItalic) platformStyle |= kPlatformFontItalic;
  if (style & kFontStyleUnderline) platformStyle |= kPlatformFontUnderline;
  font->handle = PlatformFontCreate(FontFaceName(face), size, FontAverageWidth(size, style), platformStyle);
  return 0;
}

Font* FontCopy(const Font* font) {
  Font* copy = FontNew();
  if (!copy) return nullptr;
  FontInit(copy, font->face, font->style, font->size);
  return copy;
}

void FontDelete(Font* font) {
  if (!font) return;
  PlatformFontDelete(font->handle);
  MemFree(font);
}

PlatformFont FontHandle(const Font* font) { return font ? font->handle : nullptr; }

ErrorCode FontStandardCreate() {
  for (int i = 0; i < kStandardFontCount; ++i) {
    if (g_standard[i]) continue;
    Font* font = FontNew();
    if (!font) return kErrorOutOfMemory;
    const StandardSpec& spec = kStandardSpecs[i];
    FontInit(font, spec.face, spec.style, spec.size);
    g_standard[i] = font;
  }
  return 0;
}

void FontStandardDelete() {
  for (Font*& font : g_standard) {
    FontDelete(font);
    font = nullptr;
  }
}

Font* FontStandard(int index) {
  if (index < 0 || index >= kStandardFontCount) return nullptr;
  return g_standard[index];
}
