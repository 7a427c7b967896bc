#pragma once
// Rectangles and points in 16-bit coordinates. Right and bottom are
// exclusive: a point is inside when left <= x < right and top <= y < bottom.
// The same four-field layout appears, big-endian, in messages and files.

#include <cstdint>

#include "platform/geometry.h"

struct Rect {
  int16_t left;
  int16_t top;
  int16_t right;
  int16_t bottom;
};

struct Point {
  int16_t x;
  int16_t y;
};

// Axis selector of RectCentre: 0 or bit 0 centres horizontally, 0 or bit 1
// vertically.
enum : uint16_t { kCentreBoth = 0, kCentreHorizontal = 1, kCentreVertical = 2 };

// 1 when a and b overlap by at least one pixel; writes the overlap into
// result (which may be a or b) only then. result may be nullptr.
int16_t RectIntersect(const Rect* a, const Rect* b, Rect* result);
// 1 only when both the width and the height are not positive.
int16_t RectIsEmpty(const Rect* r);
// Half-open containment: the left and top edges are inside, right and bottom not.
int16_t RectContainsPoint(const Point* p, const Rect* r);
void RectOffset(Rect* r, int16_t dx, int16_t dy);
// Positive amounts shrink the rectangle, negative ones grow it.
void RectInset(Rect* r, int16_t dx, int16_t dy);
// Centres r in frame along the axes chosen by axis (see above).
void RectCentre(Rect* r, const Rect* frame, uint16_t axis);
void RectToPlatform(PlatformRect* out, const Rect* r);

inline int RectWidth(const Rect& r) { return int{r.right} - int{r.left}; }
inline int RectHeight(const Rect& r) { return int{r.bottom} - int{r.top}; }
