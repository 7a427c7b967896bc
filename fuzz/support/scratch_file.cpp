#include "fuzz/support/scratch_file.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

std::string& Folder() {
  static std::string folder;
  return folder;
}

void RemoveFolder() {
  std::error_code ignored;
  if (!Folder().empty()) std::filesystem::remove_all(Folder(), ignored);
}

std::string Base() {
  if (access("/dev/shm", W_OK) == 0) return "/dev/shm";
  const char* tmp = std::getenv("TMPDIR");
  return tmp && *tmp ? tmp : "/tmp";
}

}  // namespace

const char* ScratchFolder() {
  if (Folder().empty()) {
    std::string pattern = Base() + "/salvind-fuzz-XXXXXX";
    if (!mkdtemp(pattern.data())) return nullptr;
    Folder() = pattern;
    std::atexit(&RemoveFolder);
  }
  return Folder().c_str();
}

const char* ScratchFileWrite(const uint8_t* data, size_t size) {
  static std::string path;
  const char* folder = ScratchFolder();
  if (!folder) return nullptr;
  path = std::string(folder) + "/input";
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return nullptr;
  const bool written = std::fwrite(data, 1, size, f) == size;
  return std::fclose(f) == 0 && written ? path.c_str() : nullptr;
}
