#include "core/memory.h"

#include <cstdint>
#include <cstdlib>

void* MemAlloc(size_t size) {
  return std::malloc(size == 0 ? 1 : size);
}

void* MemAllocZero(size_t count, size_t size) {
  if (count == 0 || size == 0) return std::calloc(1, 1);
  if (count > SIZE_MAX / size) return nullptr;
  return std::calloc(count, size);
}

void* MemRealloc(void* block, size_t size) {
  return std::realloc(block, size == 0 ? 1 : size);
}

void MemFree(void* block) {
  std::free(block);
}
