#include "core/rect.h"

#include <gtest/gtest.h>

namespace {

bool Same(const Rect& a, const Rect& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST(Rect, IntersectTouchingAndOverlapping) {
  const Rect a{0, 0, 10, 10};
  const Rect touching{10, 0, 20, 10};
  const Rect below{0, 10, 10, 20};
  const Rect overlap{5, 2, 15, 8};
  Rect out{1, 2, 3, 4};
  EXPECT_EQ(RectIntersect(&a, &touching, &out), 0);
  EXPECT_EQ(RectIntersect(&a, &below, &out), 0);
  EXPECT_TRUE(Same(out, Rect{1, 2, 3, 4})) << "a failed intersection leaves the result alone";
  EXPECT_EQ(RectIntersect(&a, &overlap, nullptr), 1);
  EXPECT_EQ(RectIntersect(&a, &overlap, &out), 1);
  EXPECT_TRUE(Same(out, Rect{5, 2, 10, 8}));
  Rect inPlace = a;
  EXPECT_EQ(RectIntersect(&inPlace, &overlap, &inPlace), 1);
  EXPECT_TRUE(Same(inPlace, Rect{5, 2, 10, 8}));
}

TEST(Rect, IsEmptyNeedsBothSidesNotPositive) {
  struct Case { Rect r; int16_t empty; };
  const Case cases[] = {
      {{0, 0, 0, 10}, 0}, {{5, 5, 5, 5}, 1}, {{10, 10, 0, 0}, 1},
      {{0, 0, 10, 0}, 0}, {{0, 0, 1, 1}, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RectIsEmpty(&c.r), c.empty) << c.r.left << "," << c.r.top << "," << c.r.right << "," << c.r.bottom;
  }
}

TEST(Rect, ContainsIsHalfOpen) {
  const Rect r{10, 20, 30, 40};
  struct Case { Point p; int16_t inside; };
  const Case cases[] = {{{10, 20}, 1}, {{29, 39}, 1}, {{30, 25}, 0}, {{15, 40}, 0}, {{9, 25}, 0}, {{15, 19}, 0}};
  for (const Case& c : cases) EXPECT_EQ(RectContainsPoint(&c.p, &r), c.inside) << c.p.x << "," << c.p.y;
}

TEST(Rect, OffsetAndInset) {
  Rect r{0, 0, 10, 10};
  RectOffset(&r, 5, -3);
  EXPECT_TRUE(Same(r, Rect{5, -3, 15, 7}));
  RectInset(&r, 2, 1);
  EXPECT_TRUE(Same(r, Rect{7, -2, 13, 6}));
  RectInset(&r, -2, -1);
  EXPECT_TRUE(Same(r, Rect{5, -3, 15, 7}));
}

TEST(Rect, CentreRoundsTowardZeroOnTheChosenAxes) {
  const Rect frame{0, 0, 10, 10};
  struct Case { Rect r; Rect frame; uint16_t axis; Rect want; };
  const Case cases[] = {
      {{0, 0, 3, 3}, frame, 1, {3, 0, 6, 3}},
      {{0, 0, 3, 3}, frame, 2, {0, 3, 3, 6}},
      {{0, 0, 3, 3}, frame, 0, {3, 3, 6, 6}},
      {{0, 0, 3, 3}, frame, 3, {3, 3, 6, 6}},
      // (-10 + 1 - 4) / 2 = -6.5 truncates to -6, not -7.
      {{0, 0, 4, 2}, {-10, 0, 1, 2}, 1, {-6, 0, -2, 2}},
      // Wider than the frame: the left edge goes negative.
      {{0, 0, 20, 1}, frame, 1, {-5, 0, 15, 1}},
  };
  for (const Case& c : cases) {
    Rect r = c.r;
    RectCentre(&r, &c.frame, c.axis);
    EXPECT_TRUE(Same(r, c.want)) << "axis " << c.axis << " got " << r.left << "," << r.top << "," << r.right << "," << r.bottom;
  }
}

TEST(Rect, ToPlatformSignExtends) {
  const Rect r{-1, -32768, 32767, 0};
  PlatformRect p{};
  RectToPlatform(&p, &r);
  EXPECT_EQ(p.left, -1);
  EXPECT_EQ(p.top, -32768);
  EXPECT_EQ(p.right, 32767);
  EXPECT_EQ(p.bottom, 0);
}

}  // namespace
