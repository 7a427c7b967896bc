#include "server/server_log.h"

#include <atomic>
#include <cstdio>
#include <ctime>

namespace {
std::atomic<bool> g_enabled{true};
}

void ServerLogSetEnabled(bool enabled) { g_enabled = enabled; }

void ServerLog(const char* format, ...) {
  if (!g_enabled) return;
  char line[1024];
  const std::time_t now = std::time(nullptr);
  std::tm utc;
  gmtime_r(&now, &utc);
  size_t n = std::strftime(line, sizeof line, "%Y-%m-%dT%H:%M:%SZ orva-lobbyd: ", &utc);
  va_list args;
  va_start(args, format);
  std::vsnprintf(line + n, sizeof line - n, format, args);
  va_end(args);
  // One write per line, so lines from the hash threads never interleave.
  std::fprintf(stderr, "%s\n", line);
}

std::string LogSafe(const std::string& text) {
  std::string out = text;
  for (char& c : out) {
    if (c < 0x20 || c > 0x7E) c = '?';
  }
  return out;
}
