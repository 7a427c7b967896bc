#include "media/run_length.h"

#include <algorithm>
#include <cstring>

size_t RunLengthDecode(std::span<const uint8_t> src, std::span<uint8_t> dst) {
  const uint8_t* in = src.data();
  const uint8_t* const inEnd = in + src.size();
  uint8_t* const outBegin = dst.data();
  uint8_t* out = outBegin;
  uint8_t* const outEnd = out + dst.size();
  while (in < inEnd) {
    const uint8_t c = *in++;
    if (c < 0x80) {
      size_t n = std::min<size_t>(c, static_cast<size_t>(inEnd - in));
      const size_t fit = std::min(n, static_cast<size_t>(outEnd - out));
      if (fit) std::memcpy(out, in, fit);
      out += fit;
      in += n;
    } else {
      if (in == inEnd) break;
      const uint8_t v = *in++;
      const size_t fit = std::min<size_t>(c - 0x80u, static_cast<size_t>(outEnd - out));
      if (fit) std::memset(out, v, fit);
      out += fit;
    }
  }
  return static_cast<size_t>(out - outBegin);
}

namespace {
constexpr size_t kMaxOp = 127;

size_t RunAt(std::span<const uint8_t> row, size_t i) {
  size_t n = 1;
  while (i + n < row.size() && n < kMaxOp && row[i + n] == row[i]) ++n;
  return n;
}
}  // namespace

void RunLengthEncode(std::span<const uint8_t> row, std::vector<uint8_t>* out) {
  size_t literalStart = 0;
  size_t literalLength = 0;
  auto flush = [&] {
    while (literalLength) {
      const size_t n = std::min(literalLength, kMaxOp);
      out->push_back(static_cast<uint8_t>(n));
      out->insert(out->end(), row.begin() + static_cast<ptrdiff_t>(literalStart),
                  row.begin() + static_cast<ptrdiff_t>(literalStart + n));
      literalStart += n;
      literalLength -= n;
    }
  };
  size_t i = 0;
  while (i < row.size()) {
    const size_t run = RunAt(row, i);
    // A run costs two bytes. Three or more equal bytes always gain; two gain
    // only when no literal is open (joining one costs nothing extra).
    if (run >= 3 || (run == 2 && literalLength == 0)) {
      flush();
      out->push_back(static_cast<uint8_t>(0x80 + run));
      out->push_back(row[i]);
      i += run;
      literalStart = i;
    } else {
      if (literalLength == 0) literalStart = i;
      literalLength += run;
      i += run;
    }
  }
  flush();
}
