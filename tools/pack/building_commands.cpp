// orva-pack animation, set and game-image: building pictures described in
// text files (see building_description.h) into the records the lobby reads.

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "media/building_set.h"
#include "tools/pack/building_description.h"
#include "tools/pack/building_writer.h"
#include "tools/pack/pack_commands.h"
#include "tools/pack/pack_files.h"
#include "tools/pack/png_input.h"

namespace fs = std::filesystem;

namespace {

bool ReadText(const fs::path& path, std::string* out, std::string* error) {
  std::vector<uint8_t> bytes;
  if (!PackReadFile(path, &bytes)) {
    *error = "cannot read " + path.string();
    return false;
  }
  out->assign(bytes.begin(), bytes.end());
  return true;
}

bool CheckSize(const IndexedPicture& p, const Rect& rect, const std::string& what, std::string* error) {
  if (p.width == RectWidth(rect) && p.height == RectHeight(rect)) return true;
  *error = what + " is " + std::to_string(p.width) + " x " + std::to_string(p.height) + ", the rect " +
           std::to_string(RectWidth(rect)) + " x " + std::to_string(RectHeight(rect));
  return false;
}

// Reads an animation description and its frames; each distinct file
// becomes one picture, in the order of first use. rect, when given, is the
// size every frame must have.
bool LoadAnimation(const fs::path& description, const Rect* rect, AnimationPictures* out, std::string* error) {
  std::string text;
  if (!ReadText(description, &text, error)) return false;
  AnimationDescription d;
  if (!AnimationDescriptionParse(text, &d, error)) {
    *error = description.string() + ": " + *error;
    return false;
  }
  *out = AnimationPictures{};
  out->duration = d.duration;
  std::map<std::string, uint8_t> numbers;
  for (const AnimationDescription::Frame& f : d.frames) {
    auto it = numbers.find(f.file);
    if (it == numbers.end()) {
      if (out->images.size() == 255) {
        *error = description.string() + ": more than 255 distinct pictures";
        return false;
      }
      IndexedPicture picture;
      const std::string png = (description.parent_path() / f.file).string();
      if (!PictureFromPng(png, "", &picture, error)) return false;
      if (rect && !CheckSize(picture, *rect, png, error)) return false;
      out->images.push_back(std::move(picture));
      it = numbers.emplace(f.file, static_cast<uint8_t>(out->images.size())).first;
    }
    out->frames.push_back({it->second, f.next});
  }
  return true;
}

bool MakeDefinition(const fs::path& description, const Rect* rect, std::vector<uint8_t>* out, std::string* error) {
  AnimationPictures pictures;
  if (!LoadAnimation(description, rect, &pictures, error)) return false;
  if (!AnimationDefinitionWrite(pictures, out, error)) {
    *error = description.string() + ": " + *error;
    return false;
  }
  return true;
}

// What the client will do with the bytes: convert them whole.
bool SetIsSound(std::vector<uint8_t> set) { return BuildingSetConvert(set, kToHostOrder); }

}  // namespace

int PackAnimationCommand(int argc, char** argv) {
  if (argc != 2) return PackFail("usage: orva-pack animation OUT DESCRIPTION.anim");
  std::vector<uint8_t> definition;
  std::string error;
  if (!MakeDefinition(argv[1], nullptr, &definition, &error)) return PackFail(error);
  if (!PackWriteFile(argv[0], definition)) return PackFail(std::string("cannot write ") + argv[0]);
  return 0;
}

int PackSetCommand(int argc, char** argv) {
  if (argc != 2) return PackFail("usage: orva-pack set OUT.set set.txt");
  const fs::path descriptionPath(argv[1]);
  std::string text, error;
  if (!ReadText(descriptionPath, &text, &error)) return PackFail(error);
  BuildingDescription b;
  if (!BuildingDescriptionParse(text, &b, &error)) return PackFail(descriptionPath.string() + ": " + error);
  const fs::path dir = descriptionPath.parent_path();
  std::vector<uint8_t> idle, enter, closed;
  if (!b.idle.empty() && !MakeDefinition(dir / b.idle, &b.rect, &idle, &error)) return PackFail(error);
  if (!b.enter.empty() && !MakeDefinition(dir / b.enter, &b.rect, &enter, &error)) return PackFail(error);
  if (!b.closed.empty()) {
    IndexedPicture picture;
    const std::string png = (dir / b.closed).string();
    if (!PictureFromPng(png, "", &picture, &error) || !CheckSize(picture, b.rect, png, &error) ||
        !ImageBlockWrite(picture, &closed, &error))
      return PackFail(error);
  }
  const std::vector<uint8_t> set = BuildingSetWrite(b.rect, idle, enter, closed);
  if (!SetIsSound(set)) return PackFail(descriptionPath.string() + ": the set made is not readable");
  if (!PackWriteFile(argv[0], set)) return PackFail(std::string("cannot write ") + argv[0]);
  return 0;
}

int PackGameImageCommand(int argc, char** argv) {
  if (argc != 3) return PackFail("usage: orva-pack game-image OUT.ogi SET VERSION");
  const std::string_view v(argv[2]);
  uint32_t version = 0;
  auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), version);
  if (ec != std::errc() || end != v.data() + v.size()) return PackFail("the version must be a number from 0 to 4294967295");
  std::vector<uint8_t> set;
  if (!PackReadFile(argv[1], &set)) return PackFail(std::string("cannot read ") + argv[1]);
  if (!SetIsSound(set)) return PackFail(std::string(argv[1]) + " is not a building image set");
  if (!PackWriteFile(argv[0], GameImageFileBytes(version, set))) return PackFail(std::string("cannot write ") + argv[0]);
  return 0;
}
