#pragma once
// Small builders of image blocks and resource files in file order, and a
// scratch directory for the files the tests read back.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "core/byte_reader.h"

using Bytes = std::vector<uint8_t>;

inline void PutBe16(Bytes* b, uint16_t v) { b->insert(b->end(), {uint8_t(v >> 8), uint8_t(v)}); }
inline void PutBe32(Bytes* b, uint32_t v) {
  b->insert(b->end(), {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)});
}

// Packed rows: each row's code behind its 2-byte length.
inline Bytes PackedRows(const std::vector<Bytes>& codes) {
  Bytes out;
  for (const Bytes& c : codes) {
    PutBe16(&out, static_cast<uint16_t>(c.size()));
    out.insert(out.end(), c.begin(), c.end());
  }
  return out;
}

struct BlockSpec {
  uint16_t width = 0, height = 0, rowBytes = 0, maskRowBytes = 0;
  std::vector<uint32_t> colors;  // 0x00RRGGBB; empty: no table
  Bytes picture;                 // packed rows; empty: no picture
  Bytes mask;                    // packed rows; empty: no mask
};

// The block in file order, with every offset filled in.
inline Bytes MakeBlock(const BlockSpec& s) {
  Bytes b(40, 0);
  uint32_t table = 0, picture = 0, mask = 0;
  if (!s.colors.empty()) {
    table = static_cast<uint32_t>(b.size());
    PutBe32(&b, static_cast<uint32_t>(s.colors.size()));
    for (size_t k = 0; k < s.colors.size(); ++k) PutBe32(&b, (uint32_t(k) << 24) | s.colors[k]);
  }
  if (!s.picture.empty()) {
    picture = static_cast<uint32_t>(b.size());
    b.insert(b.end(), s.picture.begin(), s.picture.end());
  }
  if (!s.mask.empty()) {
    mask = static_cast<uint32_t>(b.size());
    b.insert(b.end(), s.mask.begin(), s.mask.end());
  }
  StoreBe32(&b[0], static_cast<uint32_t>(b.size()));
  StoreBe16(&b[8], s.width);
  StoreBe16(&b[10], s.height);
  StoreBe16(&b[12], s.rowBytes);
  StoreBe16(&b[14], s.maskRowBytes);
  StoreBe32(&b[28], table);
  StoreBe32(&b[32], picture);
  StoreBe32(&b[36], mask);
  return b;
}

inline Bytes MakeImageFile(const Bytes& block, const char magic[5] = "FOIM", uint32_t version = 7) {
  Bytes f;
  PutBe32(&f, version);
  f.insert(f.end(), magic, magic + 4);
  PutBe32(&f, static_cast<uint32_t>(block.size()));
  f.insert(f.end(), block.begin(), block.end());
  return f;
}

struct Item {
  uint32_t tag, id;
  Bytes data;
};

inline constexpr uint32_t kTagText = 0x4F545854;  // "OTXT"

// A resource file with the directory behind the header and the items after.
inline Bytes MakeResourceFile(const std::vector<Item>& items) {
  Bytes f;
  PutBe32(&f, 0);
  f.insert(f.end(), {'F', 'O', 'R', 'S'});
  PutBe32(&f, 0);
  PutBe32(&f, 16);
  PutBe32(&f, static_cast<uint32_t>(items.size()));
  uint32_t offset = 16 + 4 + 16 * static_cast<uint32_t>(items.size());
  for (const Item& it : items) {
    PutBe32(&f, it.tag);
    PutBe32(&f, it.id);
    PutBe32(&f, offset);
    PutBe32(&f, static_cast<uint32_t>(it.data.size()));
    offset += static_cast<uint32_t>(it.data.size());
  }
  for (const Item& it : items) f.insert(f.end(), it.data.begin(), it.data.end());
  return f;
}

inline Bytes TextBytes(const std::string& s) { return Bytes(s.begin(), s.end()); }

// Files under a directory of this test's own, removed with it.
class ScratchDir {
 public:
  explicit ScratchDir(const std::string& name)
      : path_(std::filesystem::temp_directory_path() / ("salvind-" + name + "-" + std::to_string(::getpid()))) {
    std::filesystem::create_directories(path_);
  }
  ~ScratchDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  std::string Write(const std::string& name, const Bytes& bytes) const {
    const std::string p = (path_ / name).string();
    std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                             static_cast<std::streamsize>(bytes.size()));
    return p;
  }
  std::string Path(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};
