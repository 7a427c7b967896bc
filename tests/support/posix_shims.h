#pragma once
// The few POSIX calls the portable tests use that the Windows C runtime
// lacks, for the cross-built suite; forced into every test on Windows.

#ifdef _WIN32
#include <direct.h>
#include <stdio.h>
#include <process.h>
#include <stdlib.h>
#include <string.h>

inline int setenv(const char* name, const char* value, int overwrite) {
  if (!overwrite && getenv(name)) return 0;
  return _putenv_s(name, value);
}

inline int unsetenv(const char* name) { return _putenv_s(name, ""); }

// Replaces the trailing XXXXXX with a number and makes the directory.
inline char* mkdtemp(char* pattern) {
  const size_t n = strlen(pattern);
  if (n < 6 || strcmp(pattern + n - 6, "XXXXXX") != 0) return nullptr;
  static unsigned counter = 0;
  for (int attempt = 0; attempt < 1000; ++attempt) {
    char digits[16];
    snprintf(digits, sizeof digits, "%06u", (static_cast<unsigned>(_getpid()) * 7919u + ++counter) % 1000000u);
    memcpy(pattern + n - 6, digits, 6);
    if (_mkdir(pattern) == 0) return pattern;
  }
  return nullptr;
}
#endif
