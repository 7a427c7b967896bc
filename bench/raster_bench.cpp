// Block copies of the sizes the program moves, each against memcpy of the
// same bytes: an animation frame drawn through its mask, a whole window
// copied from its off-screen picture, and one frame of the gate's zoom.

#include <benchmark/benchmark.h>

#include <cstring>

#include "toolkit/raster.h"

namespace {

constexpr Rect kNoClip{-32768, -32768, 32767, 32767};

void Pattern(PixelBuffer* b) {
  for (int32_t i = 0; i < b->width * b->height; ++i) b->pixels[i] = static_cast<Pixel>(i * 2654435761u) & 0xFFFFFF;
}

// A sprite's mask: an opaque disc on a transparent square, so rows mix whole
// opaque bytes, whole transparent bytes and ragged edges.
void Disc(BitMask* m) {
  const int32_t r = m->width / 2;
  for (int32_t y = 0; y < m->height; ++y) {
    for (int32_t x = 0; x < m->width; ++x) {
      const int32_t dx = x - r, dy = y - r;
      BitMaskSet(*m, x, y, dx * dx + dy * dy < r * r);
    }
  }
}

void BM_MaskedCopyFrame64(benchmark::State& state) {
  PixelBuffer frame, window;
  BitMask mask;
  PixelBufferInit(&frame, 64, 64, 0);
  PixelBufferInit(&window, 640, 400, 0x00FFFFFF);
  BitMaskInit(&mask, 64, 64);
  Pattern(&frame);
  Disc(&mask);
  for (auto _ : state) {
    RasterCopyMasked(&window, Rect{203, 150, 267, 214}, kNoClip, frame, Rect{0, 0, 64, 64}, mask, 0, 0);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 64 * 64 * 4);
  BitMaskFree(&mask);
  PixelBufferFree(&window);
  PixelBufferFree(&frame);
}
BENCHMARK(BM_MaskedCopyFrame64);

void BM_MemcpyFrame64(benchmark::State& state) {
  PixelBuffer frame, window;
  PixelBufferInit(&frame, 64, 64, 0);
  PixelBufferInit(&window, 64, 64, 0);
  for (auto _ : state) {
    std::memcpy(window.pixels, frame.pixels, 64 * 64 * 4);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 64 * 64 * 4);
  PixelBufferFree(&window);
  PixelBufferFree(&frame);
}
BENCHMARK(BM_MemcpyFrame64);

// mode: 0 copy, 2 exclusive or; stretched: the zoom's 600 x 382 over 640 x 400.
void RasterWindow(benchmark::State& state, DrawMode mode, bool stretched) {
  PixelBuffer picture, window;
  PixelBufferInit(&picture, 640, 400, 0);
  PixelBufferInit(&window, 640, 400, 0);
  Pattern(&picture);
  const Rect source = stretched ? Rect{20, 9, 620, 391} : Rect{0, 0, 640, 400};
  for (auto _ : state) {
    RasterCopy(&window, Rect{0, 0, 640, 400}, kNoClip, picture, source, mode);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 640 * 400 * 4);
  PixelBufferFree(&window);
  PixelBufferFree(&picture);
}

void BM_CopyWindow640x400(benchmark::State& state) { RasterWindow(state, kDrawModeCopy, false); }
BENCHMARK(BM_CopyWindow640x400);
void BM_ExclusiveOrWindow640x400(benchmark::State& state) { RasterWindow(state, kDrawModeExclusiveOr, false); }
BENCHMARK(BM_ExclusiveOrWindow640x400);
void BM_ZoomFrame600x382To640x400(benchmark::State& state) { RasterWindow(state, kDrawModeCopy, true); }
BENCHMARK(BM_ZoomFrame600x382To640x400);

void BM_MemcpyWindow640x400(benchmark::State& state) {
  PixelBuffer picture, window;
  PixelBufferInit(&picture, 640, 400, 0);
  PixelBufferInit(&window, 640, 400, 0);
  for (auto _ : state) {
    std::memcpy(window.pixels, picture.pixels, 640 * 400 * 4);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 640 * 400 * 4);
  PixelBufferFree(&window);
  PixelBufferFree(&picture);
}
BENCHMARK(BM_MemcpyWindow640x400);

}  // namespace
