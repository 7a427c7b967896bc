#pragma once
// Geometry as the platform sees it: 32-bit coordinates, right and bottom
// exclusive.

#include <cstdint>

struct PlatformRect {
  int32_t left;
  int32_t top;
  int32_t right;
  int32_t bottom;
};
