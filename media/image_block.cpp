#include "media/image_block.h"

#include <cstring>

#include "core/byte_order.h"

namespace {

void SwapHeader(uint8_t* b) {
  for (size_t off : {size_t{0}, size_t{4}}) Swap32At(b + off);
  for (size_t off = 8; off < 16; off += 2) Swap16At(b + off);
  for (size_t off = 16; off < kBlockHeaderSize; off += 4) Swap32At(b + off);
}

// True when a colour table's count word at offset lies inside the block and
// after its header: a count overlapping the header would be swapped twice,
// and the offset read back after the swap would point elsewhere.
bool CountFits(uint32_t offset, size_t size) {
  return offset == 0 || (offset >= kBlockHeaderSize && offset <= size && size - offset >= 4);
}

}  // namespace

uint32_t HostWordAt(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

bool ImageBlockConvert(std::span<uint8_t> block, ConvertDirection direction) {
  if (block.size() < kBlockHeaderSize) return false;
  uint8_t* b = block.data();
  if (direction == kToHostOrder) {
    uint32_t tableOffset = HostWordAt(b + kBlockColorTable);
    Swap32(&tableOffset);
    if (!CountFits(tableOffset, block.size())) return false;
    SwapHeader(b);
    if (tableOffset) Swap32At(b + tableOffset);
  } else {
    const uint32_t tableOffset = HostWordAt(b + kBlockColorTable);
    if (!CountFits(tableOffset, block.size())) return false;
    if (tableOffset) Swap32At(b + tableOffset);
    SwapHeader(b);
  }
  return true;
}

bool ImageBlockHeaderRead(std::span<const uint8_t> block, ImageBlockHeader* out) {
  if (block.size() < kBlockHeaderSize) return false;
  const uint8_t* b = block.data();
  auto u16 = [b](size_t off) {
    uint16_t v;
    std::memcpy(&v, b + off, 2);
    return v;
  };
  *out = ImageBlockHeader{HostWordAt(b + kBlockLength), u16(kBlockWidth), u16(kBlockHeight),
                          u16(kBlockRowBytes),          u16(kBlockMaskRowBytes),
                          HostWordAt(b + kBlockColorTable), HostWordAt(b + kBlockPicture),
                          HostWordAt(b + kBlockMask)};
  return true;
}

void ImageFileHeaderConvert(uint8_t* header) {
  for (size_t off = 0; off < kFileHeaderSize; off += 4) Swap32At(header + off);
}
