#include "shell/data_locations.h"

#include <optional>
#include <system_error>

#include "platform/program_paths.h"

namespace fs = std::filesystem;

namespace {

std::optional<DataLocations> g_locations;

bool IsDirectory(const fs::path& path) {
  std::error_code error;
  return fs::is_directory(path, error);
}

bool SameFolder(const fs::path& a, const fs::path& b) {
  std::error_code error;
  return fs::equivalent(a, b, error);
}

DataLocations FromPlatform() {
  char executable[1024];
  char player[1024];
  if (!PlatformExecutablePath(executable, sizeof executable)) return {"", "data"};
  std::error_code error;
  const fs::path current = fs::current_path(error);
  if (error) return {"", "data"};
  const std::string playerFolder = PlatformUserDataFolder(player, sizeof player) ? player : "";
  return DataLocationsFind(executable, current, playerFolder);
}

}  // namespace

DataLocations DataLocationsFind(const fs::path& executable, const fs::path& current,
                                const std::string& playerFolder) {
  const fs::path beside = executable.parent_path();
  if (IsDirectory(beside / "data")) {
    // Started from its own folder, a staged tree keeps working as it always
    // has: relative paths, its own data/ written.
    if (SameFolder(beside, current)) return {"", "data"};
    const std::string tree = beside.string();
    return {tree, playerFolder.empty() ? (beside / "data").string() : playerFolder};
  }
  std::error_code error;
  const fs::path installed = fs::weakly_canonical(beside / ".." / "share" / "salvind", error);
  if (!error && IsDirectory(installed / "data")) {
    // Without a player's folder the writes go to the tree and fail there,
    // and the screens say so; nothing is written anywhere unexpected.
    return {installed.string(), playerFolder.empty() ? (installed / "data").string() : playerFolder};
  }
  return {"", "data"};
}

const DataLocations& DataLocationsGet() {
  if (!g_locations) g_locations = FromPlatform();
  return *g_locations;
}

void DataLocationsSet(const DataLocations& locations) {
  g_locations = locations;
}
