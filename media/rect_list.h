#pragma once
// Rectangle lists as stored in text items: a count n, then n groups of four
// decimal numbers (left, top, right, bottom), separated by any white space.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/rect.h"

// Reads one signed 16-bit decimal number at *pos, skipping white space
// before it; a sign may lead. Advances *pos past it. False (pos unchanged)
// when there is no number or it does not fit 16 bits.
bool RectListNumber(std::string_view text, size_t* pos, int16_t* out);

// Parses the count and then up to min(count, capacity) rectangles into
// rects. Returns the number of rectangles written: 0 for a count of 0 or
// below; fewer than asked when the text ends early or holds something else
// (the incomplete rectangle is not written). *end, when given, receives the
// position where parsing stopped.
int16_t RectListParse(std::string_view text, int16_t capacity, Rect* rects, size_t* end = nullptr);
