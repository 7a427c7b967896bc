// A resource file as found on disk: its directory, then every entry read as
// an item, as an image and as a rectangle list, as the screens read them.

#include <cstdint>
#include <cstring>

#include "core/memory.h"
#include "fuzz/support/fuzz_check.h"
#include "fuzz/support/picture_check.h"
#include "fuzz/support/scratch_file.h"
#include "media/resource_file.h"

namespace {
// Enough to visit every entry of the real files; bounds the time per input.
constexpr uint32_t kEntriesVisited = 64;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 20)) return 0;
  const char* path = ScratchFileWrite(data, size);
  FUZZ_CHECK(path);
  ResourceFile* rf = ResourceFileNew();
  FUZZ_CHECK(rf);
  if (ResourceFileOpen(rf, path) == 0) {
    FUZZ_CHECK(rf->count <= size / 16);
    for (uint32_t k = 0; k < rf->count && k < kEntriesVisited; ++k) {
      const uint32_t id = rf->entries[k].id;
      uint32_t itemSize = 0, tag = 0;
      if (auto* item = static_cast<uint8_t*>(ResourceFileGetItem(rf, id, &itemSize, &tag))) {
        FUZZ_CHECK(itemSize <= size);
        if (tag == kResourceTagText) FUZZ_CHECK(item[itemSize] == 0);
        MemFree(item);
      }
      Image* image = ResourceFileGetImage(rf, id);
      DrawLikeScreens(image);
      ImageDelete(image);
      Rect rects[8];
      const int16_t n = ResourceFileGetRects(rf, id, 8, rects);
      FUZZ_CHECK(n == 13 || (n >= 0 && n <= 8));
    }
  }
  ResourceFileDelete(rf);
  return 0;
}
