// Drawing through the public calls, each against memcpy of the same bytes:
// an animation frame drawn with its mask into its surface (section opened
// and closed each time, as an animation does), and a window-sized surface
// copied with DrawCopy, as the gate repaints and each step of its zoom.

#include <benchmark/benchmark.h>

#include <cstring>

#include "media/image_draw.h"
#include "toolkit/offscreen.h"

namespace {

void Pattern(PixelBuffer* b) {
  for (int32_t i = 0; i < b->width * b->height; ++i) b->pixels[i] = static_cast<Pixel>(i * 2654435761u) & 0xFFFFFF;
}

// A 64 x 64 sprite with a disc-shaped mask.
Image* Sprite() {
  Image* image = ImageNew();
  PixelBufferInit(&image->picture, 64, 64, 0);
  BitMaskInit(&image->mask, 64, 64);
  image->width = image->height = 64;
  Pattern(&image->picture);
  for (int32_t y = 0; y < 64; ++y)
    for (int32_t x = 0; x < 64; ++x) BitMaskSet(image->mask, x, y, (x - 32) * (x - 32) + (y - 32) * (y - 32) < 1024);
  return image;
}

Offscreen* Surface(Rect bounds) {
  Offscreen* s = OffscreenNew();
  OffscreenInit(s, &bounds);
  Pattern(&s->bitmap);
  return s;
}

void BM_ImageDrawMasked64(benchmark::State& state) {
  Image* sprite = Sprite();
  Offscreen* frame = Surface(Rect{200, 150, 264, 214});
  const Rect place{200, 150, 264, 214};
  for (auto _ : state) {
    DrawBegin(frame);
    ImageDraw(sprite, frame, &place, nullptr, kDrawModeCopy);
    DrawEnd(frame);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 64 * 64 * 4);
  OffscreenDelete(frame);
  ImageDelete(sprite);
}
BENCHMARK(BM_ImageDrawMasked64);

void BM_DrawMemcpy64(benchmark::State& state) {
  PixelBuffer a, b;
  PixelBufferInit(&a, 64, 64, 0);
  PixelBufferInit(&b, 64, 64, 0);
  for (auto _ : state) {
    std::memcpy(b.pixels, a.pixels, 64 * 64 * 4);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 64 * 64 * 4);
  PixelBufferFree(&b);
  PixelBufferFree(&a);
}
BENCHMARK(BM_DrawMemcpy64);

void BM_DrawCopyWindow640x400(benchmark::State& state) {
  const Rect all{0, 0, 640, 400};
  Offscreen* picture = Surface(all);
  Offscreen* window = Surface(all);
  for (auto _ : state) {
    DrawCopy(picture, window, &all, &all, nullptr, kDrawModeCopy);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 640 * 400 * 4);
  OffscreenDelete(window);
  OffscreenDelete(picture);
}
BENCHMARK(BM_DrawCopyWindow640x400);

// One step of the gate's zoom: a smaller part stretched over the window.
void BM_DrawCopyZoomStep(benchmark::State& state) {
  const Rect all{0, 0, 640, 400};
  const Rect step{164, 96, 412, 255};
  Offscreen* picture = Surface(all);
  Offscreen* window = Surface(all);
  for (auto _ : state) {
    DrawCopy(picture, window, &step, &all, nullptr, kDrawModeCopy);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 640 * 400 * 4);
  OffscreenDelete(window);
  OffscreenDelete(picture);
}
BENCHMARK(BM_DrawCopyZoomStep);

void BM_DrawMemcpy640x400(benchmark::State& state) {
  PixelBuffer a, b;
  PixelBufferInit(&a, 640, 400, 0);
  PixelBufferInit(&b, 640, 400, 0);
  for (auto _ : state) {
    std::memcpy(b.pixels, a.pixels, 640 * 400 * 4);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 640 * 400 * 4);
  PixelBufferFree(&b);
  PixelBufferFree(&a);
}
BENCHMARK(BM_DrawMemcpy640x400);

}  // namespace
