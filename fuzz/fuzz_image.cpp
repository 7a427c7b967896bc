// Image files and image blocks, decoded into pictures and drawn. The first
// byte picks the form: a stand-alone image file, one block in memory, or a
// picture block and a mask block (the next two bytes say where the second
// starts), as the building sets combine them.

#include <cstdint>
#include <cstring>
#include <vector>

#include "fuzz/support/fuzz_check.h"
#include "fuzz/support/picture_check.h"
#include "fuzz/support/scratch_file.h"
#include "media/image.h"
#include "media/image_block.h"

namespace {

bool SameBytes(const uint8_t* a, const uint8_t* b, size_t n) { return n == 0 || std::memcmp(a, b, n) == 0; }

// A block as a file holds it, converted to host order; empty when the
// conversion refuses it. Converting back must give the file's bytes again.
std::vector<uint8_t> HostBlock(const uint8_t* data, size_t size, bool* refused) {
  std::vector<uint8_t> block(data, data + size);
  *refused = !ImageBlockConvert(block, kToHostOrder);
  if (*refused) {
    FUZZ_CHECK(SameBytes(block.data(), data, size));  // nothing touched
    return {};
  }
  std::vector<uint8_t> back = block;
  FUZZ_CHECK(ImageBlockConvert(back, kToFileOrder));
  FUZZ_CHECK(SameBytes(back.data(), data, size));
  return block;
}

void BuildAndDraw(std::span<const uint8_t> block, std::span<const uint8_t> maskBlock) {
  Image* image = ImageNew();
  FUZZ_CHECK(image);
  if (ImageBuild(image, block, maskBlock) == 0) DrawLikeScreens(image);
  ImageDelete(image);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > (1u << 20)) return 0;
  const uint8_t form = data[0] % 3;
  data += 1;
  size -= 1;
  if (form == 0) {
    const char* path = ScratchFileWrite(data, size);
    FUZZ_CHECK(path);
    Image* image = ImageLoadFile(path);
    DrawLikeScreens(image);
    ImageDelete(image);
    ImageReadVersion(path);
    return 0;
  }
  bool refused = false;
  if (form == 1) {
    const std::vector<uint8_t> block = HostBlock(data, size, &refused);
    if (!refused) BuildAndDraw(block, {});
    return 0;
  }
  if (size < 2) return 0;
  const size_t split = std::min<size_t>((size_t{data[0]} << 8 | data[1]), size - 2);
  data += 2;
  size -= 2;
  bool maskRefused = false;
  const std::vector<uint8_t> block = HostBlock(data, split, &refused);
  const std::vector<uint8_t> mask = HostBlock(data + split, size - split, &maskRefused);
  if (!refused || !maskRefused) BuildAndDraw(block, mask);
  return 0;
}
