#pragma once
// Writing resource files: the "FORS" header, the directory, the items.

#include <cstdint>
#include <vector>

struct ResourceItem {
  uint32_t id;
  uint32_t tag;  // four characters as a big-endian word
  std::vector<uint8_t> data;
};

// Four characters as a tag word ("OTXT" -> 0x4F545854).
constexpr uint32_t ResourceTag(const char (&s)[5]) {
  return (uint32_t(uint8_t(s[0])) << 24) | (uint32_t(uint8_t(s[1])) << 16) | (uint32_t(uint8_t(s[2])) << 8) |
         uint32_t(uint8_t(s[3]));
}

// The whole file: header, directory right behind it, then the items in the
// order given.
std::vector<uint8_t> ResourceFileWrite(const std::vector<ResourceItem>& items);
