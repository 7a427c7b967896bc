#pragma once
// A property every input must keep. A broken one aborts, which libFuzzer
// reports as a crash and keeps the input, and which fails a replay.

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition)                                                              \
  do {                                                                                     \
    if (!(condition)) {                                                                    \
      std::fprintf(stderr, "%s:%d: property broken: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                        \
    }                                                                                      \
  } while (0)
