#include "media/swap_plan.h"

#include <algorithm>
#include <cstring>

#include "core/byte_order.h"
#include "core/byte_reader.h"

namespace {

constexpr size_t kDefinitionHeaderSize = 32;
constexpr size_t kAttachmentSize = 24;
constexpr size_t kSetHeaderSize = 24;

void SwapBlockHeader(uint8_t* b) {
  Swap32At(b);
  Swap32At(b + 4);
  for (size_t off = 8; off < 16; off += 2) Swap16At(b + off);
  for (size_t off = 16; off < kBlockHeaderSize; off += 4) Swap32At(b + off);
}

void SwapDefinitionHeader(uint8_t* d) {
  Swap32At(d);
  Swap32At(d + 4);
  for (size_t off = 8; off < 16; off += 2) Swap16At(d + off);
  for (size_t off = 16; off < kDefinitionHeaderSize; off += 4) Swap32At(d + off);
}

// Bytes 10 and 11 of an attachment record are no field and stay as they are.
void SwapAttachment(uint8_t* a) {
  Swap32At(a);
  Swap32At(a + 4);
  Swap16At(a + 8);
  for (size_t off = 12; off < kAttachmentSize; off += 4) Swap32At(a + off);
}

void SwapSetHeader(uint8_t* s) {
  Swap32At(s);
  for (size_t off = 4; off < 12; off += 2) Swap16At(s + off);
  for (size_t off = 12; off < kSetHeaderSize; off += 4) Swap32At(s + off);
}

}  // namespace

SwapPlan::SwapPlan(std::span<const uint8_t> container, ConvertDirection direction)
    : container_(container), fileOrder_(direction == kToHostOrder) {}

uint16_t SwapPlan::U16(size_t offset) const {
  const uint8_t* p = container_.data() + offset;
  if (fileOrder_) return LoadBe16(p);
  uint16_t v;
  std::memcpy(&v, p, 2);
  return v;
}

uint32_t SwapPlan::U32(size_t offset) const {
  const uint8_t* p = container_.data() + offset;
  if (fileOrder_) return LoadBe32(p);
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

bool SwapPlan::Fits(size_t offset, uint64_t length) const {
  return offset <= container_.size() && length <= container_.size() - offset;
}

bool SwapPlan::Add(size_t offset, uint64_t length, SwapShape shape, size_t count) {
  if (!Fits(offset, length)) return false;
  if (length == 0) return true;
  regions_.push_back(SwapRegion{offset, static_cast<size_t>(length), shape, count});
  return true;
}

bool SwapPlan::AddImageBlock(size_t offset) {
  if (!Fits(offset, kBlockHeaderSize)) return false;
  const uint32_t length = U32(offset + kBlockLength);
  if (length < kBlockHeaderSize || !Fits(offset, length)) return false;
  const uint32_t table = U32(offset + kBlockColorTable);
  if (table != 0 && (table > length || length - table < 4)) return false;
  if (!Add(offset, kBlockHeaderSize, SwapShape::kBlockHeader)) return false;
  return table == 0 || Add(offset + table, 4, SwapShape::kWords32, 1);
}

bool SwapPlan::Check() {
  std::sort(regions_.begin(), regions_.end(), [](const SwapRegion& a, const SwapRegion& b) {
    if (a.offset != b.offset) return a.offset < b.offset;
    if (a.length != b.length) return a.length < b.length;
    return a.shape < b.shape;
  });
  auto same = [](const SwapRegion& a, const SwapRegion& b) {
    return a.offset == b.offset && a.length == b.length && a.shape == b.shape && a.count == b.count;
  };
  regions_.erase(std::unique(regions_.begin(), regions_.end(), same), regions_.end());
  for (size_t i = 1; i < regions_.size(); ++i) {
    const SwapRegion& before = regions_[i - 1];
    if (before.offset + before.length > regions_[i].offset) return false;
  }
  return true;
}

void SwapPlan::Apply(std::span<uint8_t> container) const {
  uint8_t* base = container.data();
  for (const SwapRegion& r : regions_) {
    uint8_t* p = base + r.offset;
    switch (r.shape) {
      case SwapShape::kWords32:
        for (size_t k = 0; k < r.count; ++k) Swap32At(p + 4 * k);
        break;
      case SwapShape::kFrameTable:
        for (size_t k = 0; k < r.count; ++k) Swap16At(p + 4 * k + 2);
        break;
      case SwapShape::kBlockHeader:
        SwapBlockHeader(p);
        break;
      case SwapShape::kDefinitionHeader:
        SwapDefinitionHeader(p);
        break;
      case SwapShape::kAttachment:
        SwapAttachment(p);
        break;
      case SwapShape::kSetHeader:
        SwapSetHeader(p);
        break;
    }
  }
}
