// A building image set as a GameImage message carries it behind the room id.

#include <cstdint>
#include <span>
#include <vector>

#include "fuzz/support/building_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 20)) return 0;
  // Exactly the set's bytes on the heap, so a read one past it is seen.
  const std::vector<uint8_t> set(data, data + size);
  BuildLikeRoom(set);
  return 0;
}
