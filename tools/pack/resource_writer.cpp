#include "tools/pack/resource_writer.h"

#include "core/byte_reader.h"

std::vector<uint8_t> ResourceFileWrite(const std::vector<ResourceItem>& items) {
  constexpr size_t kHeader = 16;
  const size_t directorySize = 4 + 16 * items.size();
  size_t total = kHeader + directorySize;
  for (const ResourceItem& item : items) total += item.data.size();
  std::vector<uint8_t> out(kHeader + directorySize, 0);
  out.reserve(total);
  uint8_t* h = out.data();
  StoreBe32(h + 0, 1);  // a format revision of ours; readers ignore it
  StoreBe32(h + 4, ResourceTag("FORS"));
  StoreBe32(h + 12, static_cast<uint32_t>(kHeader));
  StoreBe32(h + kHeader, static_cast<uint32_t>(items.size()));
  size_t offset = kHeader + directorySize;
  for (size_t k = 0; k < items.size(); ++k) {
    uint8_t* e = out.data() + kHeader + 4 + 16 * k;
    StoreBe32(e + 0, items[k].tag);
    StoreBe32(e + 4, items[k].id);
    StoreBe32(e + 8, static_cast<uint32_t>(offset));
    StoreBe32(e + 12, static_cast<uint32_t>(items[k].data.size()));
    offset += items[k].data.size();
  }
  for (const ResourceItem& item : items) out.insert(out.end(), item.data.begin(), item.data.end());
  return out;
}
