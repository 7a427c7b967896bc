#include "media/rect_list.h"

#include <algorithm>

namespace {
bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }
}  // namespace

bool RectListNumber(std::string_view text, size_t* pos, int16_t* out) {
  size_t i = *pos;
  while (i < text.size() && IsSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  const size_t digitsStart = i;
  int32_t value = 0;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
    value = value * 10 + (text[i] - '0');
    if (value > 32768) return false;  // stops long digit strings early
    ++i;
  }
  if (i == digitsStart) return false;
  if (negative) value = -value;
  if (value > INT16_MAX || value < INT16_MIN) return false;
  *out = static_cast<int16_t>(value);
  *pos = i;
  return true;
}

int16_t RectListParse(std::string_view text, int16_t capacity, Rect* rects, size_t* end) {
  size_t pos = 0;
  int16_t count = 0;
  int16_t parsed = 0;
  if (RectListNumber(text, &pos, &count) && count > 0) {
    const int16_t wanted = std::min(count, std::max<int16_t>(capacity, 0));
    for (; parsed < wanted; ++parsed) {
      int16_t v[4];
      size_t p = pos;
      bool ok = true;
      for (int16_t& n : v) ok = ok && RectListNumber(text, &p, &n);
      if (!ok) break;
      rects[parsed] = Rect{v[0], v[1], v[2], v[3]};
      pos = p;
    }
  }
  if (end) *end = pos;
  return parsed;
}
