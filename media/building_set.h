#pragma once
// The building image set: a room's rectangle on the map, its idle and
// enter animation definitions and its closed picture, as one big-endian
// record. Offsets count from the set's first byte; 0 means absent. The
// set's size is known only from its container (a message or a file).

#include <cstddef>
#include <cstdint>
#include <span>

#include "core/rect.h"
#include "media/image_block.h"

inline constexpr size_t kBuildingSetRect = 4;
inline constexpr size_t kBuildingSetIdle = 12;
inline constexpr size_t kBuildingSetEnter = 16;
inline constexpr size_t kBuildingSetClosed = 20;
inline constexpr size_t kBuildingSetHeaderSize = 24;

// The header of a set in host order.
struct BuildingSetHeader {
  uint32_t word0;  // converted, never read
  Rect rect;       // lobby map coordinates
  uint32_t idleOffset;
  uint32_t enterOffset;
  uint32_t closedOffset;
};

// A host-order set taken apart: each part runs from its record's first byte
// to the end of the set, and is empty when the set has none.
struct BuildingSetParts {
  BuildingSetHeader header;
  std::span<const uint8_t> idle;    // an animation definition
  std::span<const uint8_t> enter;   // an animation definition
  std::span<const uint8_t> closed;  // an image block
};

// Converts the set (direction kToHostOrder from file order, kToFileOrder
// back) in place: its header, both definitions and the closed picture's
// block. False, with nothing converted, when any of them lies outside set,
// is malformed (see AnimationDefConvert), or overlaps another record.
bool BuildingSetConvert(std::span<uint8_t> set, ConvertDirection direction);

// Checks a host-order set as BuildingSetConvert does and takes it apart;
// false when it is malformed.
bool BuildingSetRead(std::span<const uint8_t> set, BuildingSetParts* out);
