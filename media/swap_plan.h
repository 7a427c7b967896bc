#pragma once
// The byte swaps of one record tree (a building image set, an animation
// definition), worked out before any byte is touched. Records that carry
// offsets are read in their present order, every field that the conversion
// swaps is listed as a region of the container, and only when every region
// lies inside the container and no two overlap is anything swapped. So a
// malformed record is refused whole, nothing outside the container is ever
// written, and converting twice gives the original bytes back.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "media/image_block.h"

// How the bytes of a region are swapped.
enum class SwapShape : uint8_t {
  kWords32,          // count u32 words
  kFrameTable,       // count 4-byte frame records: the u16 at +2 of each
  kBlockHeader,      // the 40-byte image block header
  kDefinitionHeader, // the 32-byte animation definition header
  kAttachment,       // the 24-byte attachment record
  kSetHeader,        // the 24-byte building image set header
};

struct SwapRegion {
  size_t offset;  // from the container's first byte
  size_t length;  // bytes covered
  SwapShape shape;
  size_t count;   // words or records (kWords32, kFrameTable)
};

class SwapPlan {
 public:
  // container is the whole tree's memory; from is the order its numbers are
  // in now (kToHostOrder: they are in file order and will be converted to
  // host order).
  SwapPlan(std::span<const uint8_t> container, ConvertDirection direction);

  // Numbers of the container in their present order; the caller checked
  // that offset + size fits (Fits).
  uint16_t U16(size_t offset) const;
  uint32_t U32(size_t offset) const;
  bool Fits(size_t offset, uint64_t length) const;
  size_t Size() const { return container_.size(); }
  std::span<const uint8_t> Bytes() const { return container_; }

  // Adds a region; false when it does not fit the container.
  bool Add(size_t offset, uint64_t length, SwapShape shape, size_t count = 1);
  // Adds an image block at offset: its header and its colour table's count.
  // False when the header, the block's length or the count lies outside the
  // container, or the length is shorter than a header.
  bool AddImageBlock(size_t offset);

  // True when the regions lie in the container without overlapping (the
  // same region listed twice counts once: records shared by two tables are
  // converted once).
  bool Check();
  // Swaps every region in place; only after Check returned true.
  void Apply(std::span<uint8_t> container) const;

 private:
  std::span<const uint8_t> container_;
  bool fileOrder_;
  std::vector<SwapRegion> regions_;
};
