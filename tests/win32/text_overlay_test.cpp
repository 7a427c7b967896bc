// Sharp text over an enlarged buffer: a run is painted at device resolution
// while the buffer holds its after-pixels, its place is left out of the clip
// while the buffer is stretched, it goes once those pixels changed, and the
// list of runs stays short.

#include <gtest/gtest.h>

#include <windows.h>
// windows.h names DrawState after one of its own functions.
#undef DrawState

#include <cstring>
#include <vector>

#include "platform/text.h"
#include "platform/win32/win32_dib.h"
#include "platform/win32/win32_text_overlay.h"
#include "platform/win32/win32_window_record.h"
#include "tests/support/toolkit_harness.h"

namespace {

constexpr int32_t kScale = 2;
constexpr uint32_t kWhite = 0x00FFFFFFu;
constexpr uint32_t kMagenta = 0x00FF00FFu;

// A device surface to paint on, its pixels readable.
struct Surface {
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ old = nullptr;
  uint32_t* pixels = nullptr;
  int32_t width;
  int32_t height;

  Surface(int32_t w, int32_t h) : width(w), height(h) {
    bitmap = Win32BufferSection(w, h, &pixels);
    dc = CreateCompatibleDC(nullptr);
    old = SelectObject(dc, bitmap);
    Fill(kMagenta);
  }
  ~Surface() {
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);
  }
  void Fill(uint32_t colour) {
    GdiFlush();
    for (int32_t i = 0; i < width * height; ++i) pixels[i] = colour;
  }
  uint32_t At(int32_t x, int32_t y) const {
    GdiFlush();
    return pixels[static_cast<size_t>(y) * width + x] & 0x00FFFFFFu;
  }
};

// "Sharp" drawn by the platform into a white buffer, kept as the window
// would keep it.
struct DrawnText {
  std::vector<uint32_t> buffer = std::vector<uint32_t>(64 * 24, kWhite);
  Win32BufferView view{buffer.data(), 64, 24};
  Win32TextRun run;

  DrawnText() {
    const PlatformRect rect{4, 4, 60, 20};
    PlatformTextDraw(buffer.data(), 64, 24, rect, rect, nullptr, "Sharp", 0, kPlatformTextLeft);
    HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    GetObjectA(font, sizeof run.font, &run.font);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICA metrics = {};
    GetTextMetricsA(dc, &metrics);
    SelectObject(dc, old);
    DeleteDC(dc);
    run.area = RECT{4, 4, 60, 20};
    run.origin = POINT{4, 4 + (16 - metrics.tmHeight) / 2};
    run.ascent = metrics.tmAscent;
    run.lineHeight = metrics.tmHeight;
    run.text = "Sharp";
    run.colour = RGB(0, 0, 0);
    for (int32_t y = 4; y < 20; ++y) {
      for (int32_t x = 4; x < 60; ++x) {
        run.before.push_back(kWhite);
        run.after.push_back(buffer[static_cast<size_t>(y) * 64 + x]);
      }
    }
  }
};

// Whether some 2 x 2 block of the surface inside area (device) mixes colours.
bool SomeBlockMixed(const Surface& s, const RECT& area) {
  for (LONG y = area.top; y + 1 < area.bottom; y += 2) {
    for (LONG x = area.left; x + 1 < area.right; x += 2) {
      const uint32_t p = s.At(x, y);
      if (s.At(x + 1, y) != p || s.At(x, y + 1) != p || s.At(x + 1, y + 1) != p) return true;
    }
  }
  return false;
}

}  // namespace

TEST(Win32TextOverlay, AStandingRunIsDrawnSharpInItsPlaceAndGoesOnceItsPixelsChange) {
  DrawnText drawn;
  Win32TextOverlay overlay;
  overlay.Add(drawn.run, drawn.view);
  Surface surface(128, 48);
  const RECT all{0, 0, 64, 24};
  const RECT device{8, 8, 120, 40};

  // What the buffer's paint would put there never reaches the run's place.
  const int saved = SaveDC(surface.dc);
  overlay.Exclude(surface.dc, drawn.view, all, kScale);
  FillRect(surface.dc, &device, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  RestoreDC(surface.dc, saved);
  int untouched = 0;
  for (LONG y = device.top; y < device.bottom; ++y) {
    for (LONG x = device.left; x < device.right; ++x) untouched += surface.At(x, y) == kMagenta;
  }
  EXPECT_EQ(untouched, (device.right - device.left) * (device.bottom - device.top));

  overlay.Paint(surface.dc, all, kScale);
  int ink = 0;
  for (LONG y = device.top; y < device.bottom; ++y) {
    for (LONG x = device.left; x < device.right; ++x) ink += surface.At(x, y) != kWhite;
  }
  EXPECT_GT(ink, 40) << "the text is drawn";
  EXPECT_TRUE(SomeBlockMixed(surface, device)) << "at device resolution, not in 2 x 2 blocks";
  EXPECT_EQ(surface.At(7, 20), kMagenta) << "nothing outside the area";
  EXPECT_EQ(surface.At(120, 20), kMagenta) << "nothing outside the area";

  // One pixel changed under the text: the buffer shows as it is.
  drawn.buffer[10 * 64 + 30] ^= 0x000000FFu;
  surface.Fill(kMagenta);
  overlay.Exclude(surface.dc, drawn.view, all, kScale);
  overlay.Paint(surface.dc, all, kScale);
  EXPECT_EQ(overlay.size(), 0u);
  EXPECT_EQ(surface.At(20, 20), kMagenta);
}

TEST(Win32TextOverlay, RunsCoveredOrOutdatedGoAndTheListStaysBounded) {
  // One-pixel runs at 400 places of a buffer that never changes.
  std::vector<uint32_t> buffer(20 * 20, kWhite);
  const Win32BufferView view{buffer.data(), 20, 20};
  auto pixel = [](LONG x, LONG y) {
    Win32TextRun run;
    run.area = RECT{x, y, x + 1, y + 1};
    run.before = {kWhite};
    run.after = {kWhite};
    run.text = "x";
    return run;
  };
  Win32TextOverlay overlay;
  for (LONG y = 0; y < 20; ++y) {
    for (LONG x = 0; x < 20; ++x) overlay.Add(pixel(x, y), view);
  }
  EXPECT_EQ(overlay.size(), 256u);

  // A text over the left half covers the runs there.
  Win32TextRun half;
  half.area = RECT{0, 0, 10, 20};
  half.before.assign(200, kWhite);
  half.after.assign(200, kWhite);
  overlay.Add(half, view);
  // The 256 kept were the last added: from (4, 7) on, 126 of them on the left.
  EXPECT_EQ(overlay.size(), 256u - 126u + 1u);

  // Pixels changed under every run but one: the next text finds them gone.
  for (uint32_t& p : buffer) p = kMagenta;
  buffer[19 * 20 + 19] = kWhite;
  overlay.Add(pixel(0, 0), view);
  EXPECT_EQ(overlay.size(), 2u);
}

// At scale 1 the window's buffer is shown as it is: no run is kept.
TEST(Win32TextOverlay, AtScaleOneTextKeepsNoRun) {
  HarnessStart();
  Window* w = HarnessOpenWindow(Rect{40, 40, 40 + 120, 40 + 40}, kWindowKindMain, nullptr, nullptr);
  ASSERT_NE(w, nullptr);
  const PlatformRect rect{0, 0, 120, 40};
  PlatformTextDraw(w->buffer.pixels, w->buffer.width, w->buffer.height, rect, rect, nullptr, "Plain", 0,
                   kPlatformTextLeft);
  EXPECT_EQ(w->handle->textOverlay.size(), 0u);
  HarnessStop();
}
