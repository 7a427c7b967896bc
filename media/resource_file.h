#pragma once
// Resource files (.ors): a read-only container of numbered items (image
// blocks and texts) with a directory of entries. Made, opened, read from and
// deleted at once by the screens that need their pictures and layouts.

#include <cstdint>
#include <cstdio>

#include "core/rect.h"
#include "core/types.h"
#include "media/image.h"

// The tag of text items, "OTXT" read as a big-endian word.
inline constexpr uint32_t kResourceTagText = 0x4F545854;
// Room for the whole path a resource file is opened by, with its NUL: an
// installed tree or a player's folder may lie deep.
inline constexpr size_t kResourceNameSize = 1024;

struct ResourceEntry {
  uint32_t tag;
  uint32_t id;
  uint32_t offset;  // from the start of the file
  uint32_t size;
};

// file and entries are both present (open) or both absent.
struct ResourceFile {
  char name[kResourceNameSize];  // kept to open the file again for images
  std::FILE* file;
  uint32_t count;
  ResourceEntry* entries;  // in file order, host order
  uint64_t fileSize;
};

// An empty object; nullptr when memory is short.
ResourceFile* ResourceFileNew();
// Opens name and reads its directory: 0, 8 when the file cannot be opened
// (or the name does not fit), 10 when the header or directory is short or
// malformed, 2 when memory is short. A failure leaves the object empty.
ErrorCode ResourceFileOpen(ResourceFile* rf, const char* name);
// Closes and frees; also after a failed open. nullptr is accepted.
void ResourceFileDelete(ResourceFile* rf);

// The first entry with id in directory order, or nullptr.
const ResourceEntry* ResourceFileFind(const ResourceFile* rf, uint32_t id);
// A new buffer (free with MemFree) holding the item's bytes; a text item
// ("OTXT") gets a NUL after them. nullptr when the object is empty, the id
// is unknown, the item lies outside the file or memory is short. size and
// type (either may be nullptr) receive the entry's fields whenever the id
// was found.
void* ResourceFileGetItem(ResourceFile* rf, uint32_t id, uint32_t* size, uint32_t* type);
// The image block at the item's offset, whatever its tag; nullptr on failure.
Image* ResourceFileGetImage(ResourceFile* rf, uint32_t id);
// Fills up to capacity rectangles from a rectangle-list item and returns how
// many it filled (0 for a count of 0 or below); 13 when the object is empty
// or the item cannot be read. Entries past those filled keep their contents.
int16_t ResourceFileGetRects(ResourceFile* rf, uint32_t id, int16_t capacity, Rect* rects);
