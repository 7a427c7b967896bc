#include "core/text.h"

#include <cstring>

#include "core/memory.h"

char* TextToCrLf(const char* text) {
  const size_t length = std::strlen(text);
  // Every input byte yields at most two output bytes; the sizes are size_t,
  // so there is no length at which the count wraps.
  char* out = static_cast<char*>(MemAlloc(2 * length + 1));
  if (!out) return nullptr;
  size_t n = 0;
  for (size_t i = 0; i < length; ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      out[n++] = '\r';
      out[n++] = '\n';
      if (c == '\r' && text[i + 1] == '\n') ++i;
    } else {
      out[n++] = c;
    }
  }
  out[n] = '\0';
  if (char* shrunk = static_cast<char*>(MemRealloc(out, n + 1))) out = shrunk;
  return out;
}
