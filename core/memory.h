#pragma once
// The program's one allocator. Every function returns nullptr when memory
// is exhausted instead of throwing.

#include <cstddef>

// Uninitialised block of size bytes (a zero size still gives a unique block).
void* MemAlloc(size_t size);
// Zero-filled block of count x size bytes; nullptr when the product overflows.
void* MemAllocZero(size_t count, size_t size);
// Resizes block, keeping its contents; nullptr leaves block untouched.
void* MemRealloc(void* block, size_t size);
// Frees block; nullptr is accepted.
void MemFree(void* block);
