#pragma once
// Buildings for the lobby's tests: a small set with four-frame animations
// and a solid closed picture, and the GameImage body that carries it.

#include <cstdint>

#include "core/rect.h"
#include "tests/media/animation_fixtures.h"

inline constexpr uint32_t kClosedColour = 0x00C000;

// A building at rect (8 x 4): a looping idle animation whose frames' left
// half is opaque, an enter animation of four frames 10 ticks apart, and a
// closed picture.
inline Bytes BuildingSet(Rect rect, bool withIdle = true) {
  return MakeSet(rect, withIdle ? MakeDefinition(FourFrames(1)) : Bytes{}, MakeDefinition(FourFrames(0, 4)),
                 SolidBlock(8, 4, kClosedColour));
}

inline Bytes GameImageBody(uint32_t id, const Bytes& set) {
  Bytes b;
  PutBe32(&b, id);
  b.insert(b.end(), set.begin(), set.end());
  return b;
}
