#include "core/rect.h"

#include <algorithm>

int16_t RectIntersect(const Rect* a, const Rect* b, Rect* result) {
  const int left = std::max(a->left, b->left);
  const int right = std::min(a->right, b->right);
  if (right - left < 1) return 0;
  const int top = std::max(a->top, b->top);
  const int bottom = std::min(a->bottom, b->bottom);
  if (bottom - top < 1) return 0;
  if (result) {
    *result = Rect{static_cast<int16_t>(left), static_cast<int16_t>(top),
                   static_cast<int16_t>(right), static_cast<int16_t>(bottom)};
  }
  return 1;
}

int16_t RectIsEmpty(const Rect* r) {
  return RectWidth(*r) <= 0 && RectHeight(*r) <= 0;
}

int16_t RectContainsPoint(const Point* p, const Rect* r) {
  return r->left <= p->x && p->x < r->right && r->top <= p->y && p->y < r->bottom;
}

void RectOffset(Rect* r, int16_t dx, int16_t dy) {
  r->left = static_cast<int16_t>(r->left + dx);
  r->right = static_cast<int16_t>(r->right + dx);
  r->top = static_cast<int16_t>(r->top + dy);
  r->bottom = static_cast<int16_t>(r->bottom + dy);
}

void RectInset(Rect* r, int16_t dx, int16_t dy) {
  r->left = static_cast<int16_t>(r->left + dx);
  r->right = static_cast<int16_t>(r->right - dx);
  r->top = static_cast<int16_t>(r->top + dy);
  r->bottom = static_cast<int16_t>(r->bottom - dy);
}

void RectCentre(Rect* r, const Rect* frame, uint16_t axis) {
  // Integer division truncates toward zero, as the layout rules expect.
  if (axis == kCentreBoth || (axis & kCentreHorizontal)) {
    const int w = RectWidth(*r);
    const int left = (int{frame->left} + int{frame->right} - w) / 2;
    r->left = static_cast<int16_t>(left);
    r->right = static_cast<int16_t>(left + w);
  }
  if (axis == kCentreBoth || (axis & kCentreVertical)) {
    const int h = RectHeight(*r);
    const int top = (int{frame->top} + int{frame->bottom} - h) / 2;
    r->top = static_cast<int16_t>(top);
    r->bottom = static_cast<int16_t>(top + h);
  }
}

void RectToPlatform(PlatformRect* out, const Rect* r) {
  *out = PlatformRect{r->left, r->top, r->right, r->bottom};
}
