#include "tools/pack/pack_commands.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

#include "tools/pack/image_writer.h"
#include "tools/pack/manifest.h"
#include "tools/pack/pack_files.h"
#include "tools/pack/png_input.h"
#include "tools/pack/resource_writer.h"

namespace fs = std::filesystem;

namespace {

// Image files start at version 1; the server's versions are its own.
constexpr uint32_t kImageFileVersion = 1;

// Include directories in order, then the manifest's own directory.
bool Resolve(const std::string& name, const std::vector<fs::path>& includes, const fs::path& manifestDir,
             fs::path* out) {
  const fs::path p(name);
  std::error_code ec;
  if (p.is_absolute()) {
    *out = p;
    return fs::is_regular_file(p, ec);
  }
  for (const fs::path& dir : includes) {
    if (fs::is_regular_file(dir / p, ec)) {
      *out = dir / p;
      return true;
    }
  }
  *out = manifestDir / p;
  return fs::is_regular_file(*out, ec);
}

}  // namespace

int PackImageCommand(int argc, char** argv) {
  std::string table;
  std::vector<std::string> positional;
  for (int i = 0; i < argc; ++i) {
    if (std::strcmp(argv[i], "--palette") == 0) {
      if (i + 1 >= argc) return PackFail("--palette needs a PNG");
      table = argv[++i];
    } else {
      positional.emplace_back(argv[i]);
    }
  }
  if (positional.size() != 2) return PackFail("usage: orva-pack image OUT.oim IN.png [--palette TABLE.png]");
  IndexedPicture picture;
  std::string error;
  std::vector<uint8_t> file;
  if (!PictureFromPng(positional[1], table, &picture, &error) ||
      !ImageFileWrite(picture, kImageFileVersion, &file, &error))
    return PackFail(positional[1] + ": " + error);
  if (!PackWriteFile(positional[0], file)) return PackFail("cannot write " + positional[0]);
  return 0;
}

int PackResourceCommand(int argc, char** argv) {
  std::vector<fs::path> includes;
  std::vector<std::string> positional;
  for (int i = 0; i < argc; ++i) {
    if (std::strcmp(argv[i], "-I") == 0) {
      if (i + 1 >= argc) return PackFail("-I needs a directory");
      includes.emplace_back(argv[++i]);
    } else if (std::strncmp(argv[i], "-I", 2) == 0) {
      includes.emplace_back(argv[i] + 2);
    } else {
      positional.emplace_back(argv[i]);
    }
  }
  if (positional.size() != 2) return PackFail("usage: orva-pack resource OUT.ors MANIFEST [-I DIR]...");
  const fs::path manifestPath(positional[1]);
  std::vector<uint8_t> manifestBytes;
  if (!PackReadFile(manifestPath, &manifestBytes)) return PackFail("cannot read the manifest " + positional[1]);
  std::vector<ManifestLine> lines;
  std::string error;
  const std::string_view text(reinterpret_cast<const char*>(manifestBytes.data()), manifestBytes.size());
  if (!ManifestParse(text, &lines, &error)) return PackFail(positional[1] + ": " + error);

  std::vector<ResourceItem> items;
  for (const ManifestLine& line : lines) {
    const std::string where = positional[1] + ": line " + std::to_string(line.line) + ": ";
    fs::path path;
    if (!Resolve(line.file, includes, manifestPath.parent_path(), &path)) return PackFail(where + "cannot find " + line.file);
    ResourceItem item{line.id, ResourceTag("OTXT"), {}};
    if (line.kind == ManifestKind::kImage) {
      IndexedPicture picture;
      if (!PictureFromPng(path.string(), "", &picture, &error) || !ImageBlockWrite(picture, &item.data, &error))
        return PackFail(where + error);
      item.tag = ResourceTag("OIMG");
    } else {
      if (!PackReadFile(path, &item.data)) return PackFail(where + "cannot read " + path.string());
      const std::string_view content(reinterpret_cast<const char*>(item.data.data()), item.data.size());
      if (line.kind == ManifestKind::kRects && !RectListIsValid(content))
        return PackFail(where + path.string() + " is not a rectangle list");
    }
    items.push_back(std::move(item));
  }
  if (!PackWriteFile(positional[0], ResourceFileWrite(items))) return PackFail("cannot write " + positional[0]);
  return 0;
}
