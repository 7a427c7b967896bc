#include "shell/data_path.h"

#include <cstdio>

#include "platform/system.h"

namespace {
char g_pathBuffer[256];
}

const char* ProgramName() {
  return "Salvind";
}

const char* DataPath(const char* directory, const char* file) {
  const char sep = PlatformPathSeparator();
  // snprintf cuts an over-long path inside the buffer instead of running past it.
  if (directory) {
    std::snprintf(g_pathBuffer, sizeof g_pathBuffer, "data%c%s%c%s", sep, directory, sep, file);
  } else {
    std::snprintf(g_pathBuffer, sizeof g_pathBuffer, "data%c%s", sep, file);
  }
  return g_pathBuffer;
}

const char* ProgramDataPath(const char* file) {
  return DataPath(ProgramName(), file);
}

const char* CommonDataPath(const char* file) {
  return DataPath("common", file);
}
