// Animations: one frame (the map's piece as background, the masked image,
// the copy to a window-sized buffer) against memcpy of the rectangle's
// bytes; and the processor time of one second of program time (100 ticks
// of 10 ms) with 6, 20 and 100 idle animations running on a real window,
// against the same program with the animations made but stopped.
// Runs the Qt backend headless with the manual clock.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "media/animation.h"
#include "media/image_draw.h"
#include "platform/loop.h"
#include "platform/testing.h"
#include "tests/support/toolkit_harness.h"
#include "tools/pack/building_writer.h"

namespace {

constexpr int kMapWidth = 640;
constexpr int kMapHeight = 400;
constexpr int kBuildingWidth = 96;
constexpr int kBuildingHeight = 80;

// A picture of default-table colours: a pattern, opaque inside an ellipse
// that leaves the corners clear, as a building stands on its plot.
IndexedPicture Picture(int width, int height, uint8_t shift, bool masked) {
  IndexedPicture p;
  p.width = width;
  p.height = height;
  p.indices.resize(static_cast<size_t>(width) * height);
  if (masked) p.opaque.resize(p.indices.size());
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const size_t i = static_cast<size_t>(y) * width + x;
      p.indices[i] = static_cast<uint8_t>((x / 8 + y / 8 + shift) % 215);
      if (masked) {
        const double dx = (x - width / 2.0) / (width / 2.0), dy = (y - height / 2.0) / (height / 2.0);
        p.opaque[i] = dx * dx + dy * dy < 1.0;
      }
    }
  return p;
}

Image* MapImage(std::vector<uint8_t>* block) {
  std::string error;
  ImageBlockWrite(Picture(kMapWidth, kMapHeight, 0, false), block, &error);
  ImageBlockConvert(*block, kToHostOrder);
  Image* map = ImageNew();
  ImageBuild(map, *block, {});
  return map;
}

// Four frames of a looping idle animation: 8 tenths of a second a pass,
// so 20 ticks a frame.
std::vector<uint8_t> IdleDefinition() {
  AnimationPictures a;
  a.duration = 8;
  for (uint8_t k = 0; k < 4; ++k) {
    a.images.push_back(Picture(kBuildingWidth, kBuildingHeight, static_cast<uint8_t>(40 * k), true));
    a.frames.push_back({static_cast<uint8_t>(k + 1), static_cast<uint16_t>(k == 3 ? 1 : 0)});
  }
  std::vector<uint8_t> d;
  std::string error;
  AnimationDefinitionWrite(a, &d, &error);
  AnimationDefConvert(d, kToHostOrder);
  return d;
}

Image* g_map = nullptr;
Window* g_window = nullptr;  // one window for every run: Qt notes each new one

// The lobby's background callback: the map, clipped to the building.
void DrawMap(Animation*, Offscreen* surface, const Rect*, UserData) {
  const Rect whole{0, 0, kMapWidth, kMapHeight};
  ImageDraw(g_map, surface, &whole, nullptr, kDrawModeCopy);
}

Rect Plot(int k) {
  const int16_t left = static_cast<int16_t>((k * 53) % (kMapWidth - kBuildingWidth));
  const int16_t top = static_cast<int16_t>((k * 37) % (kMapHeight - kBuildingHeight));
  return Rect{left, top, static_cast<int16_t>(left + kBuildingWidth), static_cast<int16_t>(top + kBuildingHeight)};
}

void BM_AnimationFrame(benchmark::State& state) {
  const std::vector<uint8_t> d = IdleDefinition();
  Offscreen* windowBuffer = OffscreenNew();
  const Rect whole{0, 0, kMapWidth, kMapHeight};
  OffscreenInit(windowBuffer, &whole);
  const Rect place = Plot(3);
  Animation* a = AnimationNew();
  AnimationCreate(a, nullptr, &place, 1, d, nullptr, DrawMap, 0);
  for (auto _ : state) {
    AnimationDraw(a);
    DrawCopy(a->surface, windowBuffer, &place, &place, nullptr, kDrawModeCopy);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kBuildingWidth * kBuildingHeight * 4);
  AnimationDelete(a);
  OffscreenDelete(windowBuffer);
}
BENCHMARK(BM_AnimationFrame);

void BM_AnimationFrameMemcpy(benchmark::State& state) {
  std::vector<Pixel> from(kBuildingWidth * kBuildingHeight, 1), to(from.size());
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), from.size() * sizeof(Pixel));
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kBuildingWidth * kBuildingHeight * 4);
}
BENCHMARK(BM_AnimationFrameMemcpy);

// One iteration is one second of program time: 100 ticks of the timer
// service, with the toolkit's own timers running as in the program.
void SecondOfTicks(benchmark::State& state, bool running) {
  const std::vector<uint8_t> d = IdleDefinition();
  std::vector<Animation*> animations;
  for (int k = 0; k < state.range(0); ++k) {
    const Rect place = Plot(k);
    Animation* a = AnimationNew();
    AnimationCreate(a, g_window, &place, 1, d, nullptr, DrawMap, 0);
    if (running) AnimationStart(a);
    animations.push_back(a);
  }
  for (auto _ : state) PlatformManualClockAdvance(100);
  for (Animation* a : animations) AnimationDelete(a);
}

void BM_SecondWithAnimationsRunning(benchmark::State& state) { SecondOfTicks(state, true); }
void BM_SecondWithAnimationsStopped(benchmark::State& state) { SecondOfTicks(state, false); }
BENCHMARK(BM_SecondWithAnimationsRunning)->Arg(6)->Arg(20)->Arg(100)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SecondWithAnimationsStopped)->Arg(6)->Arg(20)->Arg(100)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  PlatformManualClockEnable();
  if (!PlatformInit(&argc, argv)) return 1;
  HarnessStart();
  std::vector<uint8_t> mapBlock;
  g_map = MapImage(&mapBlock);
  g_window = HarnessOpenWindow(Rect{0, 0, kMapWidth, kMapHeight}, kWindowKindMain, nullptr, nullptr);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  ImageDelete(g_map);
  HarnessStop();
  PlatformShutdown();
  return 0;
}
