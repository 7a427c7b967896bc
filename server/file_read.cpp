#include "server/file_read.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

bool FileReadAll(const std::string& path, size_t maxBytes, std::vector<uint8_t>* out, std::string* error) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) {
    *error = path + ": " + std::strerror(errno);
    return false;
  }
  out->clear();
  uint8_t chunk[16384];
  size_t n;
  bool ok = true;
  while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) {
    if (out->size() + n > maxBytes) {
      *error = path + ": larger than " + std::to_string(maxBytes) + " bytes";
      ok = false;
      break;
    }
    out->insert(out->end(), chunk, chunk + n);
  }
  if (ok && std::ferror(f)) {
    *error = path + ": read error";
    ok = false;
  }
  std::fclose(f);
  return ok;
}
