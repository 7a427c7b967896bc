// Line-end conversion of a server text against a plain copy of the same bytes.

#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

#include "core/memory.h"
#include "core/text.h"

namespace {

std::string SampleText() {
  std::string text;
  while (text.size() < 16384) text += "Welcome to the lobby.\nRooms open at dusk.\r\n";
  return text;
}

void BM_TextToCrLf(benchmark::State& state) {
  const std::string text = SampleText();
  for (auto _ : state) {
    char* out = TextToCrLf(text.c_str());
    benchmark::DoNotOptimize(out);
    MemFree(out);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_TextToCrLf);

void BM_MemcpyBaseline(benchmark::State& state) {
  const std::string text = SampleText();
  for (auto _ : state) {
    char* out = static_cast<char*>(MemAlloc(text.size() + 1));
    std::memcpy(out, text.c_str(), text.size() + 1);
    benchmark::DoNotOptimize(out);
    MemFree(out);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_MemcpyBaseline);

}  // namespace
