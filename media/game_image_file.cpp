#include "media/game_image_file.h"

#include <cstring>
#include <vector>

#include "core/byte_reader.h"
#include "core/error_codes.h"
#include "core/memory.h"
#include "media/image_block.h"
#include "platform/file.h"

ErrorCode GameImageFileWrite(const char* fileName, uint32_t version, std::span<const uint8_t> set) {
  if (!fileName || set.size() > kGameImageMaxLength) return kErrorFileWrite;
  std::vector<uint8_t> bytes(kFileHeaderSize + set.size());
  StoreBe32(bytes.data(), version);
  StoreBe32(bytes.data() + 4, kMagicGameImageFile);
  StoreBe32(bytes.data() + 8, static_cast<uint32_t>(set.size()));
  if (!set.empty()) std::memcpy(bytes.data() + kFileHeaderSize, set.data(), set.size());
  return PlatformFileReplace(fileName, bytes.data(), bytes.size()) == 0 ? kErrorNone : kErrorFileWrite;
}

ErrorCode GameImageFileCheck(std::FILE* file, GameImageFileHeader* header) {
  if (!file || !header) return kErrorFileRead;
  std::rewind(file);
  uint8_t bytes[kFileHeaderSize];
  if (std::fread(bytes, 1, sizeof bytes, file) != sizeof bytes) return kErrorFileRead;
  *header = GameImageFileHeader{LoadBe32(bytes), LoadBe32(bytes + 4), LoadBe32(bytes + 8)};
  return header->magic == kMagicGameImageFile ? kErrorNone : kErrorUnknownFile;
}

ErrorCode GameImageFileRead(std::FILE* file, uint8_t** set, uint32_t* length) {
  if (!set || !length) return kErrorFileRead;
  *set = nullptr;
  *length = 0;
  GameImageFileHeader header{};
  if (ErrorCode err = GameImageFileCheck(file, &header)) return err;
  if (header.length == 0 || header.length > kGameImageMaxLength) return kErrorFileRead;
  // The length is the file's own word: compare it with what the file holds
  // before allocating for it.
  const long start = std::ftell(file);
  if (start < 0 || std::fseek(file, 0, SEEK_END) != 0) return kErrorFileRead;
  const long end = std::ftell(file);
  if (end < start || static_cast<unsigned long>(end - start) < header.length ||
      std::fseek(file, start, SEEK_SET) != 0)
    return kErrorFileRead;
  auto* bytes = static_cast<uint8_t*>(MemAlloc(header.length));
  if (!bytes) return kErrorOutOfMemory;
  if (std::fread(bytes, 1, header.length, file) != header.length) {
    MemFree(bytes);
    return kErrorFileRead;
  }
  *set = bytes;
  *length = header.length;
  return kErrorNone;
}
