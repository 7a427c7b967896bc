// Text on Win32: GDI fonts, measured on a memory DC and drawn into a DIB
// section that holds a copy of the covered part of the program's buffer.
// The DIB's 32-bit pixels have the buffer's layout, so the copies are plain
// row copies; the top byte GDI may leave is cleared on the way back.

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "platform/text.h"
#include "platform/win32/win32_dib.h"
#include "platform/win32/win32_scale.h"
#include "platform/win32/win32_state.h"
#include "platform/win32/win32_window_record.h"

struct PlatformFontRecord {
  HFONT font = nullptr;
  HFONT controlFont = nullptr;  // N times as large, for controls; made when first asked
};

namespace {

HDC MeasureDc() {
  static HDC dc = CreateCompatibleDC(nullptr);
  return dc;
}

// The family a face belongs to, so the font mapper picks a close match where
// the face itself is missing.
BYTE FamilyOf(const char* face) {
  if (_stricmp(face, "Times New Roman") == 0) return FF_ROMAN;
  if (_stricmp(face, "Courier New") == 0) return FF_MODERN;
  return FF_SWISS;
}

// The pixels of r, from its first one, in rows stride apart.
std::vector<uint32_t> Rows(const uint32_t* first, int32_t stride, const RECT& r) {
  const size_t w = static_cast<size_t>(r.right - r.left);
  std::vector<uint32_t> rows;
  rows.reserve(w * static_cast<size_t>(r.bottom - r.top));
  for (LONG y = 0; y < r.bottom - r.top; ++y) {
    const uint32_t* row = first + static_cast<size_t>(y) * static_cast<size_t>(stride);
    rows.insert(rows.end(), row, row + w);
  }
  return rows;
}

int32_t Length(const char* text) {
  const size_t n = text ? std::strlen(text) : 0;
  return static_cast<int32_t>(std::min<size_t>(n, 0x7FFFFFFF));
}

}  // namespace

HFONT Win32FontOf(PlatformFont font) {
  if (font && font->font) return font->font;
  return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

namespace {

// font enlarged by the scale; font itself at scale 1 or when GDI refuses.
HFONT Enlarged(HFONT font) {
  if (Win32Scale() == 1) return font;
  LOGFONTA description = {};
  if (!GetObjectA(font, sizeof description, &description)) return font;
  description.lfHeight *= Win32Scale();
  description.lfWidth *= Win32Scale();
  HFONT large = CreateFontIndirectA(&description);
  return large ? large : font;
}

}  // namespace

HFONT Win32ControlFontOf(PlatformFont font) {
  if (font && font->font) {
    if (!font->controlFont) font->controlFont = Enlarged(font->font);
    return font->controlFont;
  }
  static HFONT standard = Enlarged(static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
  return standard;
}

PlatformFont PlatformFontCreate(const char* face, int32_t pixelHeight, int32_t averageWidth,
                                uint32_t style) {
  if (!face || pixelHeight <= 0) return nullptr;
  LOGFONTA description = {};
  // A negative height asks for the character (em) height, not the cell's.
  description.lfHeight = -pixelHeight;
  // GDI's own meaning: the average character width of the face.
  description.lfWidth = std::max<int32_t>(0, averageWidth);
  description.lfWeight = (style & kPlatformFontBold) ? FW_BOLD : FW_NORMAL;
  description.lfItalic = (style & kPlatformFontItalic) ? TRUE : FALSE;
  description.lfUnderline = (style & kPlatformFontUnderline) ? TRUE : FALSE;
  description.lfCharSet = ANSI_CHARSET;
  description.lfOutPrecision = OUT_TT_PRECIS;
  description.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  description.lfQuality = DEFAULT_QUALITY;
  description.lfPitchAndFamily = VARIABLE_PITCH | FamilyOf(face);
  lstrcpynA(description.lfFaceName, face, LF_FACESIZE);
  HFONT font = CreateFontIndirectA(&description);
  if (!font) return nullptr;
  auto* record = new PlatformFontRecord();
  record->font = font;
  return record;
}

void PlatformFontDelete(PlatformFont font) {
  if (!font) return;
  if (font->controlFont && font->controlFont != font->font) DeleteObject(font->controlFont);
  DeleteObject(font->font);
  delete font;
}

int32_t PlatformTextWidth(PlatformFont font, const char* text) {
  const int32_t n = Length(text);
  if (n == 0) return 0;
  HDC dc = MeasureDc();
  HGDIOBJ old = SelectObject(dc, Win32FontOf(font));
  SIZE size = {0, 0};
  GetTextExtentPoint32A(dc, text, n, &size);
  SelectObject(dc, old);
  return size.cx;
}

int32_t PlatformFontHeight(PlatformFont font) {
  HDC dc = MeasureDc();
  HGDIOBJ old = SelectObject(dc, Win32FontOf(font));
  TEXTMETRICA metrics = {};
  GetTextMetricsA(dc, &metrics);
  SelectObject(dc, old);
  return metrics.tmHeight;
}

void PlatformTextDraw(uint32_t* pixels, int32_t width, int32_t height, const PlatformRect& rect,
                      const PlatformRect& clip, PlatformFont font, const char* text,
                      uint32_t colour, PlatformTextAlign align) {
  const int32_t n = Length(text);
  if (!pixels || width <= 0 || height <= 0 || n == 0) return;
  // Only pixels inside rect, clip and the buffer may change.
  const int32_t left = std::max({rect.left, clip.left, 0});
  const int32_t top = std::max({rect.top, clip.top, 0});
  const int32_t right = std::min({rect.right, clip.right, width});
  const int32_t bottom = std::min({rect.bottom, clip.bottom, height});
  if (left >= right || top >= bottom) return;
  const int32_t w = right - left;
  const int32_t h = bottom - top;

  uint32_t* area = nullptr;
  HBITMAP section = Win32BufferSection(w, h, &area);
  if (!section) return;
  for (int32_t y = 0; y < h; ++y) {
    std::memcpy(area + static_cast<size_t>(y) * w, pixels + static_cast<size_t>(top + y) * width + left,
                static_cast<size_t>(w) * 4);
  }
  // Text in a window shown enlarged is drawn again at device resolution.
  PlatformWindowRecord* shown = Win32Scale() > 1 ? Win32RecordOfBuffer(pixels) : nullptr;
  if (shown && (shown->width != width || shown->height != height)) shown = nullptr;
  Win32TextRun run;
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ oldBitmap = SelectObject(dc, section);
  HGDIOBJ oldFont = SelectObject(dc, Win32FontOf(font));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB((colour >> 16) & 0xFF, (colour >> 8) & 0xFF, colour & 0xFF));
  SetTextAlign(dc, TA_LEFT | TA_TOP | TA_NOUPDATECP);
  SIZE size = {0, 0};
  GetTextExtentPoint32A(dc, text, n, &size);
  TEXTMETRICA metrics = {};
  GetTextMetricsA(dc, &metrics);
  int32_t x = rect.left;
  if (align == kPlatformTextRight) x = rect.right - size.cx;
  if (align == kPlatformTextCentre) x = rect.left + (rect.right - rect.left - size.cx) / 2;
  const int32_t y = rect.top + (rect.bottom - rect.top - metrics.tmHeight) / 2;
  if (shown) {
    // Glyphs reach a little past their cells at most (italics); the rest of
    // the rectangle stays as it was and need not be kept.
    const int64_t slack = metrics.tmHeight;
    run.area = RECT{static_cast<LONG>(std::max<int64_t>(left, int64_t{x} - slack)),
                    static_cast<LONG>(std::max<int64_t>(top, int64_t{y} - slack)),
                    static_cast<LONG>(std::min<int64_t>(right, int64_t{x} + size.cx + slack)),
                    static_cast<LONG>(std::min<int64_t>(bottom, int64_t{y} + metrics.tmHeight + slack))};
    if (run.area.left >= run.area.right || run.area.top >= run.area.bottom) shown = nullptr;
  }
  if (shown) run.before = Rows(area + static_cast<size_t>(run.area.top - top) * w + (run.area.left - left), w, run.area);
  TextOutA(dc, x - left, y - top, text, n);
  GdiFlush();
  for (int32_t y2 = 0; y2 < h; ++y2) {
    uint32_t* out = pixels + static_cast<size_t>(top + y2) * width + left;
    const uint32_t* in = area + static_cast<size_t>(y2) * w;
    for (int32_t x2 = 0; x2 < w; ++x2) out[x2] = in[x2] & 0x00FFFFFFu;
  }
  if (shown && GetObjectA(Win32FontOf(font), sizeof run.font, &run.font)) {
    run.after = Rows(pixels + static_cast<size_t>(run.area.top) * width + run.area.left, width, run.area);
    run.text.assign(text, static_cast<size_t>(n));
    run.origin = POINT{x, y};
    run.ascent = metrics.tmAscent;
    run.lineHeight = metrics.tmHeight;
    run.colour = RGB((colour >> 16) & 0xFF, (colour >> 8) & 0xFF, colour & 0xFF);
    shown->textOverlay.Add(std::move(run), Win32BufferView{pixels, width, height});
  }
  SelectObject(dc, oldFont);
  SelectObject(dc, oldBitmap);
  DeleteDC(dc);
  DeleteObject(section);
}
