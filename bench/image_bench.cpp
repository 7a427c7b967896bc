// Decoding a 640 x 400 picture: our run-length rows into RGB against a plain
// copy of the same output bytes, and against PNG decoding of the same picture.

#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <cstring>
#include <vector>

#include "core/memory.h"
#include "media/image.h"
#include "media/image_block.h"
#include "media/palette.h"
#include "media/run_length.h"
#include "tools/pack/image_writer.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 400;

// A map-like picture: flat fields, bands and some noise, as the art has.
IndexedPicture MapPicture() {
  IndexedPicture p;
  p.width = kWidth;
  p.height = kHeight;
  p.indices.resize(size_t{kWidth} * kHeight);
  uint32_t seed = 7;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      seed = seed * 1103515245u + 12345u;
      uint8_t v = static_cast<uint8_t>(((x / 40) + (y / 25) * 3) % 200);
      if ((x / 80 + y / 50) % 3 == 0) v = static_cast<uint8_t>((seed >> 16) % 6 + 100);  // textured areas
      p.indices[size_t(y) * kWidth + x] = v;
    }
  return p;
}

struct Fixture {
  std::vector<uint8_t> block;  // host order
  QByteArray png;
  Fixture() {
    std::string error;
    ImageBlockWrite(MapPicture(), &block, &error);
    ImageBlockConvert(block, kToHostOrder);
    Image* image = ImageNew();
    ImageBuild(image, block, {});
    QImage q(reinterpret_cast<const uchar*>(image->picture.pixels), kWidth, kHeight, QImage::Format_RGB32);
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    q.save(&buffer, "PNG");
    ImageDelete(image);
  }
};

const Fixture& Data() {
  static const Fixture f;
  return f;
}

void BM_ImageBuild(benchmark::State& state) {
  const Fixture& f = Data();
  for (auto _ : state) {
    Image* image = ImageNew();
    ImageBuild(image, f.block, {});
    benchmark::DoNotOptimize(image->picture.pixels);
    ImageDelete(image);
  }
  state.SetBytesProcessed(state.iterations() * kWidth * kHeight * 4);
  state.counters["packed_bytes"] = static_cast<double>(f.block.size());
}
BENCHMARK(BM_ImageBuild);

void BM_MemcpyRgbBaseline(benchmark::State& state) {
  std::vector<Pixel> source(size_t{kWidth} * kHeight, 0x123456);
  for (auto _ : state) {
    auto* out = static_cast<Pixel*>(MemAlloc(source.size() * sizeof(Pixel)));
    std::memcpy(out, source.data(), source.size() * sizeof(Pixel));
    benchmark::DoNotOptimize(out);
    MemFree(out);
  }
  state.SetBytesProcessed(state.iterations() * kWidth * kHeight * 4);
}
BENCHMARK(BM_MemcpyRgbBaseline);

// The run-length decoder alone, into colour indices.
void BM_RowsDecode(benchmark::State& state) {
  const Fixture& f = Data();
  ImageBlockHeader h;
  ImageBlockHeaderRead(f.block, &h);
  std::vector<uint8_t> out(size_t{kWidth} * kHeight);
  for (auto _ : state) {
    size_t pos = h.pictureOffset;
    for (int y = 0; y < kHeight; ++y) {
      const size_t length = (size_t{f.block[pos]} << 8) | f.block[pos + 1];
      RunLengthDecode({f.block.data() + pos + 2, length}, {out.data() + size_t(y) * kWidth, kWidth});
      pos += 2 + length;
    }
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(state.iterations() * kWidth * kHeight);
}
BENCHMARK(BM_RowsDecode);

void BM_MemcpyIndexBaseline(benchmark::State& state) {
  std::vector<uint8_t> source(size_t{kWidth} * kHeight, 3);
  std::vector<uint8_t> out(source.size());
  for (auto _ : state) {
    std::memcpy(out.data(), source.data(), source.size());
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(state.iterations() * kWidth * kHeight);
}
BENCHMARK(BM_MemcpyIndexBaseline);

void BM_QtPngDecode(benchmark::State& state) {
  const Fixture& f = Data();
  for (auto _ : state) {
    QImage q;
    q.loadFromData(f.png, "PNG");
    benchmark::DoNotOptimize(q.constBits());
  }
  state.SetBytesProcessed(state.iterations() * kWidth * kHeight * 4);
  state.counters["png_bytes"] = static_cast<double>(f.png.size());
}
BENCHMARK(BM_QtPngDecode);

}  // namespace
