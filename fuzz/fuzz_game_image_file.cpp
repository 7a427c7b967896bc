// A room's game image file as found on disk: its header checked, its set
// read and built as the room would, and a rewrite of the set read back.

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/memory.h"
#include "fuzz/support/building_check.h"
#include "fuzz/support/fuzz_check.h"
#include "fuzz/support/scratch_file.h"
#include "media/game_image_file.h"
#include "media/image.h"
#include "media/image_block.h"

namespace {

// Reads path's set; 0 and the set, or the error.
ErrorCode ReadSet(const char* path, uint8_t** set, uint32_t* length) {
  std::FILE* f = std::fopen(path, "rb");
  FUZZ_CHECK(f);
  const ErrorCode result = GameImageFileRead(f, set, length);
  std::fclose(f);
  return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 20)) return 0;
  const char* written = ScratchFileWrite(data, size);
  FUZZ_CHECK(written);
  const std::string path = written;

  std::FILE* f = std::fopen(path.c_str(), "rb");
  FUZZ_CHECK(f);
  GameImageFileHeader header{};
  const ErrorCode check = GameImageFileCheck(f, &header);
  std::fclose(f);
  FUZZ_CHECK(check != 0 || (size >= kFileHeaderSize && header.magic == kMagicGameImageFile));
  const uint32_t version = ImageReadVersion(path.c_str());

  uint8_t* set = nullptr;
  uint32_t length = 0;
  if (ReadSet(path.c_str(), &set, &length) != 0) {
    FUZZ_CHECK(set == nullptr);
    return 0;
  }
  FUZZ_CHECK(set != nullptr && length > 0 && length <= size - kFileHeaderSize);
  FUZZ_CHECK(version == header.version);
  BuildLikeRoom({set, length});

  // Written again, the file gives the same set back.
  const std::string copy = path + ".copy";
  FUZZ_CHECK(GameImageFileWrite(copy.c_str(), version, {set, length}) == 0);
  uint8_t* again = nullptr;
  uint32_t againLength = 0;
  FUZZ_CHECK(ReadSet(copy.c_str(), &again, &againLength) == 0);
  FUZZ_CHECK(againLength == length && std::memcmp(again, set, length) == 0);
  FUZZ_CHECK(ImageReadVersion(copy.c_str()) == version);
  MemFree(again);
  MemFree(set);
  return 0;
}
