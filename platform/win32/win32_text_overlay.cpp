#include "platform/win32/win32_text_overlay.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "platform/win32/win32_dib.h"

namespace {

// A window redraws its few texts over and over, and a run whose pixels
// changed goes at the next text or paint; the bound only keeps a window
// whose texts are never painted again from piling up runs.
constexpr size_t kMaxRuns = 256;
// The program uses a handful of fonts.
constexpr size_t kMaxFonts = 16;

bool Contains(const RECT& outer, const RECT& inner) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

bool Meets(const RECT& a, const RECT& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

RECT Times(const RECT& r, int32_t scale) {
  return RECT{r.left * scale, r.top * scale, r.right * scale, r.bottom * scale};
}

// Whether the buffer still holds exactly the pixels the text left.
bool Stands(const Win32TextRun& run, const Win32BufferView& buffer) {
  const RECT& a = run.area;
  if (!buffer.pixels || a.left < 0 || a.top < 0 || a.right > buffer.width || a.bottom > buffer.height) return false;
  const size_t w = static_cast<size_t>(a.right - a.left);
  for (int32_t y = a.top; y < a.bottom; ++y) {
    const uint32_t* row = buffer.pixels + static_cast<size_t>(y) * static_cast<size_t>(buffer.width) + a.left;
    if (std::memcmp(row, run.after.data() + static_cast<size_t>(y - a.top) * w, w * 4) != 0) return false;
  }
  return true;
}

bool SameFont(const LOGFONTA& a, const LOGFONTA& b) {
  return std::memcmp(&a, &b, offsetof(LOGFONTA, lfFaceName)) == 0 &&
         std::strncmp(a.lfFaceName, b.lfFaceName, LF_FACESIZE) == 0;
}

HDC MeasureDc() {
  static HDC dc = CreateCompatibleDC(nullptr);
  return dc;
}

int32_t HeightOf(HFONT font) {
  HGDIOBJ old = SelectObject(MeasureDc(), font);
  TEXTMETRICA metrics = {};
  GetTextMetricsA(MeasureDc(), &metrics);
  SelectObject(MeasureDc(), old);
  return metrics.tmHeight;
}

// The run's font scale times as high and wide, kept for the next paints;
// nullptr when GDI refuses. Heights do not scale exactly (ascent and
// descent are rounded apart), and a line a pixel higher than scale times the
// small one's would lose its descenders to the clip: then a step smaller.
HFONT EnlargedFont(const LOGFONTA& font, int32_t lineHeight, int32_t scale) {
  struct Entry {
    LOGFONTA font;
    int32_t scale;
    HFONT enlarged;
  };
  static std::vector<Entry> cache;
  for (const Entry& e : cache) {
    if (e.scale == scale && SameFont(e.font, font)) return e.enlarged;
  }
  LOGFONTA large = font;
  large.lfHeight *= scale;
  large.lfWidth *= scale;
  HFONT enlarged = CreateFontIndirectA(&large);
  for (int step = 0; enlarged && step < scale && HeightOf(enlarged) > lineHeight * scale; ++step) {
    const LONG height = large.lfHeight < 0 ? large.lfHeight + 1 : large.lfHeight - 1;
    if (height == 0) break;
    large.lfHeight = height;
    HFONT smaller = CreateFontIndirectA(&large);
    if (!smaller) break;
    DeleteObject(enlarged);
    enlarged = smaller;
  }
  if (!enlarged) return nullptr;
  // Never selected into a DC between paints, so the oldest may go.
  if (cache.size() >= kMaxFonts) {
    DeleteObject(cache.front().enlarged);
    cache.erase(cache.begin());
  }
  cache.push_back(Entry{font, scale, enlarged});
  return enlarged;
}

// The run at device resolution: its before-pixels in scale x scale blocks,
// the text over them, clipped to the area; shown where it meets device.
void PaintRun(HDC dc, const Win32TextRun& run, const RECT& device, int32_t scale) {
  const RECT whole = Times(run.area, scale);
  RECT shown;
  if (!IntersectRect(&shown, &whole, &device)) return;
  HFONT font = EnlargedFont(run.font, run.lineHeight, scale);
  if (!font) return;
  const int32_t w = run.area.right - run.area.left;
  const int32_t dw = whole.right - whole.left;
  const int32_t dh = whole.bottom - whole.top;
  uint32_t* out = nullptr;
  HBITMAP section = Win32BufferSection(dw, dh, &out);
  if (!section) return;
  for (int32_t y = 0; y < dh; ++y) {
    const uint32_t* in = run.before.data() + static_cast<size_t>(y / scale) * w;
    uint32_t* row = out + static_cast<size_t>(y) * dw;
    for (int32_t x = 0; x < dw; ++x) row[x] = in[x / scale];
  }
  HDC memory = CreateCompatibleDC(dc);
  if (memory) {
    HGDIOBJ oldBitmap = SelectObject(memory, section);
    HGDIOBJ oldFont = SelectObject(memory, font);
    SetBkMode(memory, TRANSPARENT);
    SetTextColor(memory, run.colour);
    // On the baseline scaled, unless the enlarged line would then stick out
    // of the scaled one.
    TEXTMETRICA large = {};
    GetTextMetricsA(memory, &large);
    const LONG lineTop = run.origin.y * scale;
    const LONG highest = lineTop + large.tmAscent;
    const LONG lowest = std::max(highest, (run.origin.y + run.lineHeight) * scale - large.tmDescent);
    const LONG baseline = std::clamp<LONG>((run.origin.y + run.ascent) * scale, highest, lowest);
    SetTextAlign(memory, TA_LEFT | TA_BASELINE | TA_NOUPDATECP);
    TextOutA(memory, run.origin.x * scale - whole.left, baseline - whole.top, run.text.data(),
             static_cast<int>(run.text.size()));
    BitBlt(dc, shown.left, shown.top, shown.right - shown.left, shown.bottom - shown.top, memory,
           shown.left - whole.left, shown.top - whole.top, SRCCOPY);
    SelectObject(memory, oldFont);
    SelectObject(memory, oldBitmap);
    DeleteDC(memory);
  }
  DeleteObject(section);
}

}  // namespace

void Win32TextOverlay::Add(Win32TextRun run, const Win32BufferView& buffer) {
  std::erase_if(runs_, [&](const Win32TextRun& old) {
    return Contains(run.area, old.area) || !Stands(old, buffer);
  });
  if (runs_.size() >= kMaxRuns) runs_.erase(runs_.begin());
  runs_.push_back(std::move(run));
}

void Win32TextOverlay::Exclude(HDC dc, const Win32BufferView& buffer, const RECT& area, int32_t scale) {
  std::erase_if(runs_, [&](const Win32TextRun& run) {
    if (!Meets(run.area, area)) return false;
    if (!Stands(run, buffer)) return true;
    const RECT device = Times(run.area, scale);
    ExcludeClipRect(dc, device.left, device.top, device.right, device.bottom);
    return false;
  });
}

void Win32TextOverlay::Paint(HDC dc, const RECT& area, int32_t scale) const {
  const RECT device = Times(area, scale);
  for (const Win32TextRun& run : runs_) {
    if (Meets(run.area, area)) PaintRun(dc, run, device, scale);
  }
}
