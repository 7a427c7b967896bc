#include "tools/pack/pack_files.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <system_error>

namespace fs = std::filesystem;

int PackFail(const std::string& message) {
  std::fprintf(stderr, "orva-pack: %s\n", message.c_str());
  return 1;
}

bool PackReadFile(const fs::path& path, std::vector<uint8_t>* out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  out->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

bool PackWriteFile(const fs::path& path, const std::vector<uint8_t>& bytes) {
  fs::path temporary = path;
  temporary += ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    if (!out) return false;
  }
  std::error_code ec;
  fs::rename(temporary, path, ec);
  if (ec) fs::remove(temporary, ec);
  return !ec;
}
