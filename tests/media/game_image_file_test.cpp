// Game image files: written whole or not at all, their headers checked and
// their sets read without trusting the length word.

#include "media/game_image_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>

#include "core/error_codes.h"
#include "core/memory.h"
#include "media/image.h"
#include "tests/media/animation_fixtures.h"

namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

Bytes ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(GameImageFile, WrittenThenReadBackAsTheSameSet) {
  ScratchDir dir("gameimage");
  const Bytes set = MakeSet(Rect{0, 0, 8, 4}, MakeDefinition(FourFrames(1)), {}, {});
  const std::string path = dir.Path("chess.ogi");
  ASSERT_EQ(GameImageFileWrite(path.c_str(), 3, set), 0);
  const Bytes file = ReadAll(path);
  ASSERT_EQ(file.size(), 12 + set.size());
  EXPECT_EQ(LoadBe32(&file[0]), 3u);
  EXPECT_EQ(std::string(file.begin() + 4, file.begin() + 8), "FOGI");
  EXPECT_EQ(LoadBe32(&file[8]), set.size());
  EXPECT_EQ(ImageReadVersion(path.c_str()), 3u);

  // A newer version replaces the file; nothing else is left beside it.
  ASSERT_EQ(GameImageFileWrite(path.c_str(), 4, set), 0);
  EXPECT_EQ(ImageReadVersion(path.c_str()), 4u);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path("")), {}), 1);

  File f(std::fopen(path.c_str(), "rb"));
  ASSERT_TRUE(f);
  GameImageFileHeader header{};
  EXPECT_EQ(GameImageFileCheck(f.get(), &header), 0);
  EXPECT_EQ(header.version, 4u);
  EXPECT_EQ(header.length, set.size());
  uint8_t* read = nullptr;
  uint32_t length = 0;
  ASSERT_EQ(GameImageFileRead(f.get(), &read, &length), 0);
  EXPECT_EQ(Bytes(read, read + length), set);
  MemFree(read);
}

TEST(GameImageFile, AWriteThatCannotHappenLeavesNothing) {
  ScratchDir dir("gameimage-fail");
  const Bytes set(40, 7);
  EXPECT_EQ(GameImageFileWrite(dir.Path("missing/chess.ogi").c_str(), 1, set), kErrorFileWrite);
  EXPECT_FALSE(std::filesystem::exists(dir.Path("missing")));
  // A directory where the file should be stays a directory.
  std::filesystem::create_directory(dir.Path("dice.ogi"));
  EXPECT_EQ(GameImageFileWrite(dir.Path("dice.ogi").c_str(), 1, set), kErrorFileWrite);
  EXPECT_TRUE(std::filesystem::is_directory(dir.Path("dice.ogi")));
}

// What the room's check does with each file: the version decides staleness
// (ImageReadVersion, magic not checked), then the read decides usability.
TEST(GameImageFile, HeadersAndLengthsAreCheckedBeforeTheSetIsRead) {
  ScratchDir dir("gameimage-read");
  const Bytes set(64, 0x5A);
  struct Case {
    const char* name;
    Bytes bytes;
    uint32_t version;
    ErrorCode check, read;
  };
  Bytes another = MakeImageFile(set, "FOIM", 2);
  Bytes longer = MakeImageFile(set, "FOGI", 2);
  StoreBe32(&longer[8], static_cast<uint32_t>(set.size() + 1));
  Bytes huge = MakeImageFile(set, "FOGI", 2);
  StoreBe32(&huge[8], 0xFFFFFFF0u);
  Bytes empty = MakeImageFile({}, "FOGI", 2);
  const Case cases[] = {
      {"equal version", MakeImageFile(set, "FOGI", 2), 2, 0, 0},
      {"lower version", MakeImageFile(set, "FOGI", 1), 1, 0, 0},
      {"higher version", MakeImageFile(set, "FOGI", 9), 9, 0, 0},
      {"another magic", another, 2, kErrorUnknownFile, kErrorUnknownFile},
      {"length larger than the data", longer, 2, 0, kErrorFileRead},
      {"length far larger than the data", huge, 2, 0, kErrorFileRead},
      {"no set at all", empty, 2, 0, kErrorFileRead},
      {"shorter than a header", Bytes{0, 0, 0, 2, 'F', 'O', 'G'}, 0, kErrorFileRead, kErrorFileRead},
  };
  for (const Case& c : cases) {
    const std::string path = dir.Write("room.ogi", c.bytes);
    EXPECT_EQ(ImageReadVersion(path.c_str()), c.version) << c.name;
    File f(std::fopen(path.c_str(), "rb"));
    ASSERT_TRUE(f);
    GameImageFileHeader header{};
    EXPECT_EQ(GameImageFileCheck(f.get(), &header), c.check) << c.name;
    uint8_t* read = reinterpret_cast<uint8_t*>(1);
    uint32_t length = 1;
    EXPECT_EQ(GameImageFileRead(f.get(), &read, &length), c.read) << c.name;
    if (c.read == 0) {
      EXPECT_EQ(Bytes(read, read + length), set) << c.name;
      MemFree(read);
    } else {
      EXPECT_EQ(read, nullptr) << c.name;
      EXPECT_EQ(length, 0u) << c.name;
    }
  }
}

}  // namespace
