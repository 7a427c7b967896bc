#include "toolkit/raster.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "core/memory.h"

namespace {

constexpr Pixel kColourBits = 0x00FFFFFF;

// Columns whose source positions are worked out in one go when stretching;
// small enough for the stack, wide enough for any window in one pass.
constexpr int32_t kColumnChunk = 1024;

// Half-open range of coordinates.
struct Range {
  int32_t begin;
  int32_t end;
  bool Empty() const { return begin >= end; }
};

// One side of a transfer: destination coordinate d of [d0, d0 + dn) takes
// source coordinate s0 + floor((d - d0) * sn / dn). Monotone in d, so the
// destination coordinates whose source lies in a range form a range too.
struct Axis {
  int32_t d0;
  int32_t dn;
  int32_t s0;
  int32_t sn;
  int32_t Map(int32_t d) const {
    if (dn == sn) return s0 + (d - d0);
    return s0 + static_cast<int32_t>(static_cast<int64_t>(d - d0) * sn / dn);
  }
  bool Stretched() const { return dn != sn; }
};

// a > 0, b > 0.
int64_t CeilDiv(int64_t a, int64_t b) { return (a + b - 1) / b; }

// The part of r whose source coordinates lie in [lo, hi).
Range Narrow(const Axis& axis, Range r, int64_t lo, int64_t hi) {
  const int64_t below = lo - axis.s0;
  const int64_t above = hi - axis.s0;
  if (above <= 0) return Range{r.begin, r.begin};
  const int64_t first = below <= 0 ? axis.d0 : axis.d0 + CeilDiv(below * axis.dn, axis.sn);
  const int64_t last = axis.d0 + CeilDiv(above * axis.dn, axis.sn);
  const int64_t begin = std::max<int64_t>(r.begin, first);
  const int64_t end = std::min<int64_t>(r.end, last);
  if (begin >= end) return Range{r.begin, r.begin};
  return Range{static_cast<int32_t>(begin), static_cast<int32_t>(end)};
}

// Row copies use plain vector moves rather than memcpy: for row-sized blocks
// glibc's memcpy takes `rep movsb`, which some current processors run
// several times slower than this loop.
void CopyPixels(Pixel* d, const Pixel* s, int32_t n) {
  int32_t i = 0;
  for (; i + 8 <= n; i += 8) std::memcpy(d + i, s + i, 8 * sizeof(Pixel));
  for (; i < n; ++i) d[i] = s[i];
}

bool Usable(const PixelBuffer& b) {
  return b.pixels != nullptr && b.width > 0 && b.height > 0;
}

bool Usable(const BitMask& m) {
  return m.bits != nullptr && m.width > 0 && m.height > 0 && m.rowBytes >= (m.width + 7) / 8;
}

// The destination pixels of rect inside clip and a buffer of width x height.
bool DestinationArea(const Rect& rect, const Rect& clip, int32_t width, int32_t height,
                     Range* xs, Range* ys) {
  *xs = Range{std::max({int32_t{rect.left}, int32_t{clip.left}, int32_t{0}}),
              std::min({int32_t{rect.right}, int32_t{clip.right}, width})};
  *ys = Range{std::max({int32_t{rect.top}, int32_t{clip.top}, int32_t{0}}),
              std::min({int32_t{rect.bottom}, int32_t{clip.bottom}, height})};
  return !xs->Empty() && !ys->Empty();
}

Pixel* DestinationRow(PixelBuffer* dst, int32_t y) {
  return dst->pixels + static_cast<size_t>(y) * static_cast<size_t>(dst->width);
}

// Source pixels [left, left + width) x [top, top + height), rows stride apart.
struct SourceView {
  const Pixel* pixels;
  int32_t stride;
  int32_t left;
  int32_t top;
  int32_t width;
  int32_t height;
  const Pixel* Row(int32_t y) const {
    return pixels + static_cast<size_t>(y - top) * static_cast<size_t>(stride);
  }
};

SourceView WholeBuffer(const PixelBuffer& b) {
  return SourceView{b.pixels, b.width, 0, 0, b.width, b.height};
}

// A copy of the source pixels a transfer within one buffer reads, so that
// writing the destination cannot change them first. nullptr when memory is
// exhausted.
Pixel* Snapshot(const PixelBuffer& b, const Axis& ax, const Axis& ay, Range xs, Range ys,
                SourceView* view) {
  const int32_t left = ax.Map(xs.begin);
  const int32_t right = ax.Map(xs.end - 1) + 1;
  const int32_t top = ay.Map(ys.begin);
  const int32_t bottom = ay.Map(ys.end - 1) + 1;
  const int32_t width = right - left;
  const int32_t height = bottom - top;
  auto* copy = static_cast<Pixel*>(
      MemAlloc(static_cast<size_t>(width) * static_cast<size_t>(height) * sizeof(Pixel)));
  if (!copy) return nullptr;
  for (int32_t y = 0; y < height; ++y) {
    std::memcpy(copy + static_cast<size_t>(y) * static_cast<size_t>(width),
                b.pixels + static_cast<size_t>(top + y) * static_cast<size_t>(b.width) + left,
                static_cast<size_t>(width) * sizeof(Pixel));
  }
  *view = SourceView{copy, width, left, top, width, height};
  return copy;
}

// What both transfers work out before touching a pixel.
struct Transfer {
  Axis ax;
  Axis ay;
  Range xs;  // destination columns to write
  Range ys;  // destination rows to write
  SourceView view;
  Pixel* owned;  // the snapshot to free, if any
};

struct OpCopy {
  static constexpr bool kPlainCopy = true;
  Pixel operator()(Pixel s, Pixel) const { return s; }
};
struct OpOr {
  static constexpr bool kPlainCopy = false;
  Pixel operator()(Pixel s, Pixel d) const { return (s | d) & kColourBits; }
};
struct OpExclusiveOr {
  static constexpr bool kPlainCopy = false;
  Pixel operator()(Pixel s, Pixel d) const { return (s ^ d) & kColourBits; }
};
struct OpInvertedCopy {
  static constexpr bool kPlainCopy = false;
  Pixel operator()(Pixel s, Pixel) const { return ~s & kColourBits; }
};
struct OpInvertedSourceOr {
  static constexpr bool kPlainCopy = false;
  Pixel operator()(Pixel s, Pixel d) const { return (~s | d) & kColourBits; }
};
struct OpInvertedExclusiveOr {
  static constexpr bool kPlainCopy = false;
  Pixel operator()(Pixel s, Pixel d) const { return ~(s ^ d) & kColourBits; }
};

// The transfer is narrowed so that every source pixel it maps to lies in
// its view.
template <typename Op>
void CopyRows(PixelBuffer* dst, const Transfer& t, Op op) {
  const Range xs = t.xs;
  const Range ys = t.ys;
  const Axis& ax = t.ax;
  const Axis& ay = t.ay;
  const SourceView& src = t.view;
  const int32_t n = xs.end - xs.begin;
  if (!ax.Stretched()) {
    const int32_t sx = ax.Map(xs.begin) - src.left;
    for (int32_t y = ys.begin; y < ys.end; ++y) {
      Pixel* d = DestinationRow(dst, y) + xs.begin;
      const Pixel* s = src.Row(ay.Map(y)) + sx;
      if constexpr (Op::kPlainCopy) {
        CopyPixels(d, s, n);
      } else {
        for (int32_t i = 0; i < n; ++i) d[i] = op(s[i], d[i]);
      }
    }
    return;
  }
  int32_t columns[kColumnChunk];
  for (int32_t x = xs.begin; x < xs.end; x += kColumnChunk) {
    const int32_t count = std::min(kColumnChunk, xs.end - x);
    for (int32_t i = 0; i < count; ++i) columns[i] = ax.Map(x + i) - src.left;
    for (int32_t y = ys.begin; y < ys.end; ++y) {
      Pixel* d = DestinationRow(dst, y) + x;
      const Pixel* s = src.Row(ay.Map(y));
      for (int32_t i = 0; i < count; ++i) d[i] = op(s[columns[i]], d[i]);
    }
  }
}

bool MaskBit(const uint8_t* row, int32_t m) {
  return (row[m >> 3] >> (7 - (m & 7))) & 1;
}

// Copies s[i] to d[i] where mask bit m + i of row is set, a whole mask byte
// (eight pixels) at a time where the bits line up: fully opaque and fully
// transparent bytes, most of any sprite, cost one test.
void MaskedSpan(Pixel* d, const Pixel* s, const uint8_t* row, int32_t m, int32_t n) {
  int32_t i = 0;
  while (i < n) {
    if ((m & 7) == 0 && n - i >= 8) {
      const uint8_t byte = row[m >> 3];
      if (byte == 0xFF) {
        std::memcpy(d + i, s + i, 8 * sizeof(Pixel));
        i += 8;
        m += 8;
        continue;
      }
      if (byte != 0) {
        // A ragged edge: select without branching on each bit.
        for (int32_t k = 0; k < 8; ++k) {
          const Pixel keep = Pixel{0} - ((byte >> (7 - k)) & 1u);
          d[i + k] = (s[i + k] & keep) | (d[i + k] & ~keep);
        }
      }
      i += 8;
      m += 8;
      continue;
    }
    if (MaskBit(row, m)) d[i] = s[i];
    ++i;
    ++m;
  }
}

// As CopyRows, through the mask; mask pixel = source pixel + (mdx, mdy), and
// the transfer is narrowed so that it lies in the mask.
void MaskedRows(PixelBuffer* dst, const Transfer& t, const BitMask& mask, int64_t mdx, int64_t mdy) {
  const Range xs = t.xs;
  const Range ys = t.ys;
  const Axis& ax = t.ax;
  const Axis& ay = t.ay;
  const SourceView& src = t.view;
  const int32_t n = xs.end - xs.begin;
  auto maskRow = [&](int32_t sy) {
    return mask.bits + static_cast<size_t>(sy + mdy) * static_cast<size_t>(mask.rowBytes);
  };
  if (!ax.Stretched()) {
    const int32_t sx = ax.Map(xs.begin);
    const auto m = static_cast<int32_t>(sx + mdx);
    for (int32_t y = ys.begin; y < ys.end; ++y) {
      const int32_t sy = ay.Map(y);
      MaskedSpan(DestinationRow(dst, y) + xs.begin, src.Row(sy) + (sx - src.left), maskRow(sy), m, n);
    }
    return;
  }
  int32_t columns[kColumnChunk];
  for (int32_t x = xs.begin; x < xs.end; x += kColumnChunk) {
    const int32_t count = std::min(kColumnChunk, xs.end - x);
    for (int32_t i = 0; i < count; ++i) columns[i] = ax.Map(x + i);
    for (int32_t y = ys.begin; y < ys.end; ++y) {
      const int32_t sy = ay.Map(y);
      Pixel* d = DestinationRow(dst, y) + x;
      const Pixel* s = src.Row(sy) - src.left;
      const uint8_t* row = maskRow(sy);
      for (int32_t i = 0; i < count; ++i) {
        const int32_t c = columns[i];
        if (MaskBit(row, static_cast<int32_t>(c + mdx))) d[i] = s[c];
      }
    }
  }
}

// Sets up a transfer whose source coordinates must lie in [loX, hiX) x
// [loY, hiY) (at most the source buffer). A transfer within one buffer reads
// a snapshot. False when nothing is to be drawn.
bool TransferPrepare(Transfer* t, PixelBuffer* dst, const Rect& dstRect, const Rect& clip,
                     const PixelBuffer& src, const Rect& srcRect, int64_t loX, int64_t hiX,
                     int64_t loY, int64_t hiY) {
  t->owned = nullptr;
  if (!dst || !Usable(*dst) || !Usable(src)) return false;
  t->ax = Axis{dstRect.left, RectWidth(dstRect), srcRect.left, RectWidth(srcRect)};
  t->ay = Axis{dstRect.top, RectHeight(dstRect), srcRect.top, RectHeight(srcRect)};
  if (t->ax.dn <= 0 || t->ax.sn <= 0 || t->ay.dn <= 0 || t->ay.sn <= 0) return false;
  if (!DestinationArea(dstRect, clip, dst->width, dst->height, &t->xs, &t->ys)) return false;
  t->xs = Narrow(t->ax, t->xs, std::max<int64_t>(loX, 0), std::min<int64_t>(hiX, src.width));
  t->ys = Narrow(t->ay, t->ys, std::max<int64_t>(loY, 0), std::min<int64_t>(hiY, src.height));
  if (t->xs.Empty() || t->ys.Empty()) return false;
  if (src.pixels == dst->pixels) {
    t->owned = Snapshot(src, t->ax, t->ay, t->xs, t->ys, &t->view);
    return t->owned != nullptr;
  }
  t->view = WholeBuffer(src);
  return true;
}

}  // namespace

void RasterFill(PixelBuffer* dst, const Rect& rect, const Rect& clip, Pixel colour) {
  if (!dst || !Usable(*dst)) return;
  Range xs;
  Range ys;
  if (!DestinationArea(rect, clip, dst->width, dst->height, &xs, &ys)) return;
  const auto n = static_cast<size_t>(xs.end - xs.begin);
  for (int32_t y = ys.begin; y < ys.end; ++y) std::fill_n(DestinationRow(dst, y) + xs.begin, n, colour);
}

void RasterCopy(PixelBuffer* dst, const Rect& dstRect, const Rect& clip, const PixelBuffer& src,
                const Rect& srcRect, DrawMode mode) {
  if (mode < kDrawModeCopy || mode > kDrawModeInvertedExclusiveOr) return;
  Transfer t;
  if (!TransferPrepare(&t, dst, dstRect, clip, src, srcRect, 0, src.width, 0, src.height)) return;
  switch (mode) {
    case kDrawModeCopy: CopyRows(dst, t, OpCopy{}); break;
    case kDrawModeOr: CopyRows(dst, t, OpOr{}); break;
    case kDrawModeExclusiveOr: CopyRows(dst, t, OpExclusiveOr{}); break;
    case kDrawModeInvertedCopy: CopyRows(dst, t, OpInvertedCopy{}); break;
    case kDrawModeInvertedSourceOr: CopyRows(dst, t, OpInvertedSourceOr{}); break;
    case kDrawModeInvertedExclusiveOr: CopyRows(dst, t, OpInvertedExclusiveOr{}); break;
  }
  MemFree(t.owned);
}

void RasterCopyMasked(PixelBuffer* dst, const Rect& dstRect, const Rect& clip, const PixelBuffer& src,
                      const Rect& srcRect, const BitMask& mask, int32_t maskLeft, int32_t maskTop) {
  if (!Usable(mask)) return;
  // Source pixel (x, y) has mask pixel (x + mdx, y + mdy); only source pixels
  // whose mask pixel exists can be opaque.
  const int64_t mdx = int64_t{maskLeft} - srcRect.left;
  const int64_t mdy = int64_t{maskTop} - srcRect.top;
  Transfer t;
  if (!TransferPrepare(&t, dst, dstRect, clip, src, srcRect, -mdx, mask.width - mdx, -mdy,
                       mask.height - mdy)) {
    return;
  }
  MaskedRows(dst, t, mask, mdx, mdy);
  MemFree(t.owned);
}
