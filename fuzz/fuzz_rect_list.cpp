// Rectangle lists as text items hold them. The first byte is the capacity
// the caller offers; the rest is the text.

#include <cstdint>
#include <string_view>
#include <vector>

#include "fuzz/support/fuzz_check.h"
#include "media/rect_list.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const int16_t capacity = static_cast<int16_t>(static_cast<int8_t>(data[0]));
  // Exactly the text's bytes, no terminator: the parser must stop at the end.
  const std::vector<char> bytes(data + 1, data + size);
  const std::string_view text(bytes.data(), bytes.size());
  // One slot more than offered, to see that nothing is written past capacity.
  constexpr Rect kUntouched{-7, -7, -7, -7};
  std::vector<Rect> rects(capacity > 0 ? capacity + 1 : 1, kUntouched);
  size_t end = 0;
  const int16_t parsed = RectListParse(text, capacity, rects.data(), &end);
  FUZZ_CHECK(parsed >= 0);
  FUZZ_CHECK(parsed <= (capacity > 0 ? capacity : 0));
  FUZZ_CHECK(end <= text.size());
  const Rect& past = rects.back();
  FUZZ_CHECK(past.left == -7 && past.top == -7 && past.right == -7 && past.bottom == -7);
  return 0;
}
