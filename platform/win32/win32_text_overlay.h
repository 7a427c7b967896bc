#pragma once
// Sharp text in a window shown at a scale above 1. The program draws text
// into its window's logical buffer like any other pixels; enlarged in N x N
// blocks that text would look blocky. So each text drawn into a window's
// buffer is kept as a run: the pixels of its area before and after, and what
// was drawn. While the buffer still holds exactly the after-pixels, the
// window shows the before-pixels enlarged and the text over them in a font
// N times as high, at device resolution; once anything changed those pixels
// the run is dropped and the buffer shows as it is.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

struct Win32TextRun {
  RECT area = {0, 0, 0, 0};     // logical pixels the text could touch (rect, clip, buffer)
  std::vector<uint32_t> before;  // area's pixels, row by row, before the text
  std::vector<uint32_t> after;   // and after it
  LOGFONTA font = {};            // as drawn into the buffer
  std::string text;
  POINT origin = {0, 0};         // logical: the top-left corner of the text's line
  int32_t ascent = 0;            // the font's, logical: where the baseline is in the line
  int32_t lineHeight = 0;        // the font's, logical
  COLORREF colour = 0;
};

// A window's buffer as the overlay reads it: width x height, row after row.
struct Win32BufferView {
  const uint32_t* pixels = nullptr;
  int32_t width = 0;
  int32_t height = 0;
};

class Win32TextOverlay {
 public:
  // Keeps run, drawn into buffer just now; runs whose pixels the buffer no
  // longer holds, or which the new one covers, go.
  void Add(Win32TextRun run, const Win32BufferView& buffer);
  void Clear() { runs_.clear(); }

  // Painting logical area of buffer on dc at scale: Exclude leaves the
  // standing runs there out of dc's clip region (the blocky text never
  // shows, not even for a moment), the buffer is painted, then Paint draws
  // those runs sharp. Exclude drops the runs whose pixels changed.
  void Exclude(HDC dc, const Win32BufferView& buffer, const RECT& area, int32_t scale);
  void Paint(HDC dc, const RECT& area, int32_t scale) const;

  size_t size() const { return runs_.size(); }

 private:
  std::vector<Win32TextRun> runs_;
};
