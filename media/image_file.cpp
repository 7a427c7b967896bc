// Reading image blocks from files: stand-alone image files and blocks at an
// offset inside another file.

#include <cstdio>
#include <memory>

#include "core/memory.h"
#include "media/image.h"
#include "media/image_block.h"

namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

struct MemFreer {
  void operator()(uint8_t* p) const { MemFree(p); }
};
using Buffer = std::unique_ptr<uint8_t, MemFreer>;

bool ReadExactly(std::FILE* f, void* out, size_t n) { return std::fread(out, 1, n, f) == n; }

// The file's size in bytes, or -1; leaves the position at the start.
long FileSize(std::FILE* f) {
  if (std::fseek(f, 0, SEEK_END) != 0) return -1;
  const long size = std::ftell(f);
  if (std::fseek(f, 0, SEEK_SET) != 0) return -1;
  return size;
}

}  // namespace

Image* ImageLoadAt(const char* fileName, int64_t offset) {
  if (!fileName) return nullptr;
  File file(std::fopen(fileName, "rb"));
  if (!file) return nullptr;
  const long size = FileSize(file.get());
  if (size < 0) return nullptr;

  long position = 0;
  if (offset == kImageFileOffset) {
    uint8_t header[kFileHeaderSize];
    if (!ReadExactly(file.get(), header, sizeof header)) return nullptr;
    ImageFileHeaderConvert(header);
    if (HostWordAt(header + 4) != kMagicImageFile) return nullptr;
    position = static_cast<long>(kFileHeaderSize);
  } else {
    if (offset < 0 || offset > size) return nullptr;
    position = static_cast<long>(offset);
    if (std::fseek(file.get(), position, SEEK_SET) != 0) return nullptr;
  }

  uint8_t lengthBytes[4];
  if (!ReadExactly(file.get(), lengthBytes, 4)) return nullptr;
  const uint32_t length = (uint32_t{lengthBytes[0]} << 24) | (uint32_t{lengthBytes[1]} << 16) |
                          (uint32_t{lengthBytes[2]} << 8) | lengthBytes[3];
  // The length is the file's word: never allocate more than the file holds.
  if (length < kBlockHeaderSize || length > static_cast<unsigned long>(size - position)) return nullptr;
  if (std::fseek(file.get(), position, SEEK_SET) != 0) return nullptr;

  Buffer block(static_cast<uint8_t*>(MemAlloc(length)));
  if (!block || !ReadExactly(file.get(), block.get(), length)) return nullptr;
  file.reset();

  Image* image = ImageNew();
  if (!image) return nullptr;
  const std::span<uint8_t> bytes(block.get(), length);
  if (!ImageBlockConvert(bytes, kToHostOrder) || ImageBuild(image, bytes, {}) != 0) {
    ImageDelete(image);
    return nullptr;
  }
  return image;
}

Image* ImageLoadFile(const char* fileName) { return ImageLoadAt(fileName, kImageFileOffset); }

uint32_t ImageReadVersion(const char* fileName) {
  if (!fileName) return 0;
  File file(std::fopen(fileName, "rb"));
  if (!file) return 0;
  uint8_t header[kFileHeaderSize];
  if (!ReadExactly(file.get(), header, sizeof header)) return 0;
  ImageFileHeaderConvert(header);
  return HostWordAt(header);
}
