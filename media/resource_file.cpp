#include "media/resource_file.h"

#include <cstring>
#include <string_view>

#include "core/byte_reader.h"
#include "core/error_codes.h"
#include "core/memory.h"
#include "media/rect_list.h"

namespace {

constexpr uint32_t kMagicResourceFile = 0x464F5253;  // "FORS"
constexpr size_t kHeaderSize = 16;
constexpr size_t kEntrySize = 16;

bool ReadExactly(std::FILE* f, void* out, size_t n) { return std::fread(out, 1, n, f) == n; }

void Close(ResourceFile* rf) {
  if (rf->file) std::fclose(rf->file);
  MemFree(rf->entries);
  rf->file = nullptr;
  rf->entries = nullptr;
  rf->count = 0;
  rf->fileSize = 0;
}

ErrorCode Fail(ResourceFile* rf, ErrorCode code) {
  Close(rf);
  return code;
}

}  // namespace

ResourceFile* ResourceFileNew() {
  return static_cast<ResourceFile*>(MemAllocZero(1, sizeof(ResourceFile)));
}

void ResourceFileDelete(ResourceFile* rf) {
  if (!rf) return;
  Close(rf);
  MemFree(rf);
}

ErrorCode ResourceFileOpen(ResourceFile* rf, const char* name) {
  Close(rf);
  rf->name[0] = '\0';
  // A name cut to fit would open some other file.
  if (!name || std::strlen(name) >= kResourceNameSize) return kErrorFileRead;
  std::memcpy(rf->name, name, std::strlen(name) + 1);

  rf->file = std::fopen(name, "rb");
  if (!rf->file) return kErrorFileRead;
  if (std::fseek(rf->file, 0, SEEK_END) != 0) return Fail(rf, kErrorFileRead);
  const long size = std::ftell(rf->file);
  if (size < 0 || std::fseek(rf->file, 0, SEEK_SET) != 0) return Fail(rf, kErrorFileRead);
  const uint64_t fileSize = static_cast<uint64_t>(size);

  uint8_t header[kHeaderSize];
  if (!ReadExactly(rf->file, header, sizeof header)) return Fail(rf, kErrorUnknownFile);
  ByteReader h({header, sizeof header});
  uint32_t magic = 0, directory = 0;
  h.Skip(4);
  h.U32(&magic);
  h.Skip(4);
  h.U32(&directory);
  if (magic != kMagicResourceFile) return Fail(rf, kErrorUnknownFile);

  // The count must fit the file before it sizes an allocation.
  if (directory > fileSize || fileSize - directory < 4) return Fail(rf, kErrorUnknownFile);
  if (std::fseek(rf->file, static_cast<long>(directory), SEEK_SET) != 0) return Fail(rf, kErrorUnknownFile);
  uint8_t countBytes[4];
  if (!ReadExactly(rf->file, countBytes, 4)) return Fail(rf, kErrorUnknownFile);
  const uint32_t count = LoadBe32(countBytes);
  if (count > (fileSize - directory - 4) / kEntrySize) return Fail(rf, kErrorUnknownFile);

  const size_t tableSize = size_t{count} * kEntrySize;
  auto* raw = static_cast<uint8_t*>(MemAlloc(tableSize));
  auto* entries = static_cast<ResourceEntry*>(MemAllocZero(count, sizeof(ResourceEntry)));
  if (!raw || !entries) {
    MemFree(raw);
    MemFree(entries);
    return Fail(rf, kErrorOutOfMemory);
  }
  const bool read = ReadExactly(rf->file, raw, tableSize);
  if (read) {
    ByteReader r({raw, tableSize});
    for (uint32_t k = 0; k < count; ++k) {
      ResourceEntry& e = entries[k];
      r.U32(&e.tag);
      r.U32(&e.id);
      r.U32(&e.offset);
      r.U32(&e.size);
    }
  }
  MemFree(raw);
  if (!read) {
    MemFree(entries);
    return Fail(rf, kErrorUnknownFile);
  }
  rf->count = count;
  rf->entries = entries;
  rf->fileSize = fileSize;
  return kErrorNone;
}

const ResourceEntry* ResourceFileFind(const ResourceFile* rf, uint32_t id) {
  if (!rf || !rf->file) return nullptr;
  for (uint32_t k = 0; k < rf->count; ++k)
    if (rf->entries[k].id == id) return &rf->entries[k];
  return nullptr;
}

void* ResourceFileGetItem(ResourceFile* rf, uint32_t id, uint32_t* size, uint32_t* type) {
  const ResourceEntry* e = ResourceFileFind(rf, id);
  if (!e) return nullptr;
  uint8_t* data = nullptr;
  // An item reaching past the end of the file is refused before its size
  // is allocated.
  if (e->offset <= rf->fileSize && rf->fileSize - e->offset >= e->size) {
    const bool text = e->tag == kResourceTagText;
    data = static_cast<uint8_t*>(MemAlloc(size_t{e->size} + (text ? 1 : 0)));
    if (data) {
      if (std::fseek(rf->file, static_cast<long>(e->offset), SEEK_SET) != 0 ||
          !ReadExactly(rf->file, data, e->size)) {
        MemFree(data);
        data = nullptr;
      } else if (text) {
        data[e->size] = '\0';
      }
    }
  }
  if (size) *size = e->size;
  if (type) *type = e->tag;
  return data;
}

Image* ResourceFileGetImage(ResourceFile* rf, uint32_t id) {
  const ResourceEntry* e = ResourceFileFind(rf, id);
  if (!e) return nullptr;
  return ImageLoadAt(rf->name, e->offset);
}

int16_t ResourceFileGetRects(ResourceFile* rf, uint32_t id, int16_t capacity, Rect* rects) {
  if (!rf || !rf->file) return kErrorResourceNotFound;
  uint32_t size = 0;
  uint32_t type = 0;
  char* text = static_cast<char*>(ResourceFileGetItem(rf, id, &size, &type));
  if (!text) return kErrorResourceNotFound;
  // An item of another tag has no NUL of ours: the entry's size bounds it.
  const int16_t parsed = RectListParse(std::string_view(text, size), capacity, rects);
  MemFree(text);
  return parsed;
}
