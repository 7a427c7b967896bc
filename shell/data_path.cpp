#include "shell/data_path.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "platform/system.h"
#include "shell/data_locations.h"

namespace fs = std::filesystem;

namespace {

char g_pathBuffer[kDataPathCapacity];

// <base><sep><directory><sep><file> into the shared buffer (base "" gives no
// leading separator); snprintf cuts an over-long path inside the buffer.
const char* Join(const std::string& base, const char* directory, const char* file) {
  const char sep = PlatformPathSeparator();
  std::string prefix = base;
  if (!prefix.empty() && prefix.back() != sep) prefix += sep;
  if (directory) {
    std::snprintf(g_pathBuffer, sizeof g_pathBuffer, "%s%s%c%s", prefix.c_str(), directory, sep, file);
  } else {
    std::snprintf(g_pathBuffer, sizeof g_pathBuffer, "%s%s", prefix.c_str(), file);
  }
  return g_pathBuffer;
}

std::string TreeData() {
  const DataLocations& at = DataLocationsGet();
  return at.tree.empty() ? std::string("data") : at.tree + PlatformPathSeparator() + "data";
}

bool IsFile(const char* path) {
  std::error_code error;
  return fs::is_regular_file(path, error);
}

}  // namespace

const char* ProgramName() {
  return "Salvind";
}

const char* DataPath(const char* directory, const char* file) {
  const std::string& writable = DataLocationsGet().writable;
  const std::string tree = TreeData();
  if (writable != tree && IsFile(Join(writable, directory, file))) return g_pathBuffer;
  return Join(tree, directory, file);
}

const char* DataWritePath(const char* directory, const char* file) {
  const std::string& writable = DataLocationsGet().writable;
  Join(writable, directory, file);
  // The player's folder is made at the first write; the tree's own data/ is
  // taken as it is. A folder that cannot be made shows as the write's own
  // failure.
  if (writable != TreeData()) {
    std::error_code error;
    fs::create_directories(fs::path(g_pathBuffer).parent_path(), error);
  }
  return g_pathBuffer;
}

const char* DataChangePath(const char* directory, const char* file) {
  const std::string written = DataWritePath(directory, file);
  if (!IsFile(written.c_str())) {
    const std::string shipped = Join(TreeData(), directory, file);
    std::error_code error;
    if (shipped != written && IsFile(shipped.c_str())) fs::copy_file(shipped, written, error);
  }
  return Join(DataLocationsGet().writable, directory, file);
}

const char* ProgramDataPath(const char* file) {
  return DataPath(ProgramName(), file);
}

const char* ProgramDataWritePath(const char* file) {
  return DataWritePath(ProgramName(), file);
}

const char* ProgramDataChangePath(const char* file) {
  return DataChangePath(ProgramName(), file);
}

const char* ProgramDataWriteFolder() {
  return Join(DataLocationsGet().writable, nullptr, ProgramName());
}

const char* CommonDataPath(const char* file) {
  return DataPath("common", file);
}

bool GamesPath(const char* name, char* buffer, uint32_t capacity) {
  const std::string& tree = DataLocationsGet().tree;
  const char sep = PlatformPathSeparator();
  const int n = tree.empty() ? std::snprintf(buffer, capacity, "games%c%s", sep, name)
                             : std::snprintf(buffer, capacity, "%s%cgames%c%s", tree.c_str(), sep, sep, name);
  return n > 0 && static_cast<uint32_t>(n) < capacity;
}
