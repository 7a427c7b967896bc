// orva-pack animation, set and game-image: frames and descriptions in,
// records out, read back with the program's own code.

#include <gtest/gtest.h>

#include <QImage>
#include <QString>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/byte_reader.h"
#include "core/memory.h"
#include "media/animation_def.h"
#include "media/building_set.h"
#include "media/game_image_file.h"
#include "media/image.h"
#include "media/palette.h"
#include "tools/pack/pack_commands.h"

namespace fs = std::filesystem;

namespace {

class BuildingPack : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir = fs::temp_directory_path() / (std::string("salvind-bpack-") + info->name() + "-" + std::to_string(::getpid()));
    fs::create_directories(dir / "chess");
  }
  void TearDown() override { fs::remove_all(dir); }

  std::string P(const std::string& name) const { return (dir / name).string(); }
  void WriteText(const std::string& name, const std::string& text) const {
    std::ofstream(P(name), std::ios::binary) << text;
  }
  static int Run(int (*command)(int, char**), std::vector<std::string> args) {
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    return command(static_cast<int>(argv.size()), argv.data());
  }
  static std::vector<uint8_t> Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  // A 10 x 6 frame in default-table colour k, transparent in the columns
  // from clearFrom on.
  QImage Frame(int k, int clearFrom) const {
    const Pixel c = DefaultPalette().colors[k];
    QImage img(10, 6, QImage::Format_ARGB32);
    for (int y = 0; y < 6; ++y)
      for (int x = 0; x < 10; ++x)
        img.setPixel(x, y, qRgba(int(c >> 16), int((c >> 8) & 0xFF), int(c & 0xFF), x < clearFrom ? 255 : 0));
    return img;
  }
  void Save(const QImage& image, const std::string& name) const {
    ASSERT_TRUE(image.save(QString::fromStdString(P(name)), "PNG"));
  }

  // A building: three idle frames (the first used twice), two enter frames
  // and a closed picture, each 10 x 6.
  void WriteBuilding() const {
    Save(Frame(10, 4), "chess/idle-1.png");
    Save(Frame(20, 6), "chess/idle-2.png");
    Save(Frame(30, 5), "chess/idle-3.png");
    Save(Frame(40, 10), "chess/enter-1.png");
    Save(Frame(50, 10), "chess/enter-2.png");
    Save(Frame(60, 7), "chess/closed.png");
    WriteText("chess/idle.anim",
              "# the lantern\nduration 8\nframe idle-1.png\nframe idle-2.png   # brighter\n"
              "frame idle-3.png\nframe idle-1.png next 1\n");
    WriteText("chess/enter.anim", "duration 12\r\nframe enter-1.png\r\nframe enter-2.png next 0\r\n");
    WriteText("chess/set.txt", "rect 100 50 110 56\nidle idle.anim\nenter enter.anim\nclosed closed.png\n");
  }

  fs::path dir;
};

Pixel Colour(int k) { return DefaultPalette().colors[k]; }

TEST_F(BuildingPack, ASetFromFramesReadsBackAsDrawn) {
  WriteBuilding();
  ASSERT_EQ(Run(PackSetCommand, {P("chess.set"), P("chess/set.txt")}), 0);
  std::vector<uint8_t> set = Read(P("chess.set"));
  const std::vector<uint8_t> fileOrder = set;
  ASSERT_TRUE(BuildingSetConvert(set, kToHostOrder));
  BuildingSetParts parts{};
  ASSERT_TRUE(BuildingSetRead(set, &parts));
  EXPECT_EQ(parts.header.rect.left, 100);
  EXPECT_EQ(parts.header.rect.top, 50);
  EXPECT_EQ(parts.header.rect.right, 110);
  EXPECT_EQ(parts.header.rect.bottom, 56);

  AnimationDefHeader idle{};
  ASSERT_TRUE(AnimationDefCheck(parts.idle, &idle));
  EXPECT_EQ(idle.duration, 8);
  EXPECT_EQ(idle.frameCount, 4);
  EXPECT_EQ(idle.imageCount, 3);  // idle-1 is stored once
  const uint8_t* frames = parts.idle.data() + idle.frameTableOffset;
  const uint8_t images[] = {1, 2, 3, 1};
  const uint16_t nexts[] = {0, 0, 0, 1};
  for (int k = 0; k < 4; ++k) {
    uint16_t next;
    std::memcpy(&next, frames + 4 * k + 2, 2);
    EXPECT_EQ(frames[4 * k], images[k]);
    EXPECT_EQ(next, nexts[k]);
  }
  // Pictures without masks of their own; the shared one is the union of
  // the frames' opaque columns, 0 to 5.
  ASSERT_NE(idle.sharedMaskOffset, 0u);
  Image* mask = ImageNew();
  ASSERT_EQ(ImageBuild(mask, {}, parts.idle.subspan(idle.sharedMaskOffset)), 0);
  for (int x = 0; x < 10; ++x) EXPECT_EQ(BitMaskGet(*ImageMask(mask), x, 3), x < 6) << x;
  ImageDelete(mask);
  for (int k = 0; k < 3; ++k) {
    Image* picture = ImageNew();
    ASSERT_EQ(ImageBuild(picture, parts.idle.subspan(HostWordAt(parts.idle.data() + idle.imageTableOffset + 4 * k)), {}), 0);
    EXPECT_EQ(ImageMask(picture), nullptr);
    EXPECT_EQ(picture->picture.pixels[0], Colour(10 * (k + 1)));
    ImageDelete(picture);
  }

  // Fully opaque frames need no shared mask.
  AnimationDefHeader enter{};
  ASSERT_TRUE(AnimationDefCheck(parts.enter, &enter));
  EXPECT_EQ(enter.duration, 12);
  EXPECT_EQ(enter.frameCount, 2);
  EXPECT_EQ(enter.sharedMaskOffset, 0u);

  Image* closed = ImageNew();
  ASSERT_EQ(ImageBuild(closed, parts.closed, {}), 0);
  EXPECT_EQ(ImageWidth(closed), 10);
  EXPECT_EQ(closed->picture.pixels[0], Colour(60));
  EXPECT_TRUE(BitMaskGet(*ImageMask(closed), 6, 0));
  EXPECT_FALSE(BitMaskGet(*ImageMask(closed), 7, 0));
  ImageDelete(closed);

  // The game image file carries the set as packed, in file order.
  ASSERT_EQ(Run(PackGameImageCommand, {P("chess.ogi"), P("chess.set"), "7"}), 0);
  EXPECT_EQ(ImageReadVersion(P("chess.ogi").c_str()), 7u);
  std::FILE* f = std::fopen(P("chess.ogi").c_str(), "rb");
  ASSERT_NE(f, nullptr);
  uint8_t* read = nullptr;
  uint32_t length = 0;
  ASSERT_EQ(GameImageFileRead(f, &read, &length), 0);
  std::fclose(f);
  EXPECT_EQ(std::vector<uint8_t>(read, read + length), fileOrder);
  MemFree(read);

  // The animation command alone writes the definition as it stands in the set.
  ASSERT_EQ(Run(PackAnimationCommand, {P("idle.def"), P("chess/idle.anim")}), 0);
  const std::vector<uint8_t> definition = Read(P("idle.def"));
  const uint32_t at = LoadBe32(&fileOrder[kBuildingSetIdle]);
  EXPECT_EQ(definition, std::vector<uint8_t>(fileOrder.begin() + at, fileOrder.begin() + at + definition.size()));
}

TEST_F(BuildingPack, BadDescriptionsFailWithoutWritingTheOutput) {
  struct Case {
    const char* name;
    const char* file;
    const char* text;
  };
  const Case cases[] = {
      {"frame not the rect's size", "chess/set.txt", "rect 100 50 111 56\nidle idle.anim\n"},
      {"closed picture not the rect's size", "chess/set.txt", "rect 0 0 10 7\nclosed closed.png\n"},
      {"no rect", "chess/set.txt", "idle idle.anim\n"},
      {"empty rect", "chess/set.txt", "rect 5 5 5 9\n"},
      {"rect beyond 16 bits", "chess/set.txt", "rect 0 0 10 40000\n"},
      {"unknown statement", "chess/set.txt", "rect 100 50 110 56\ndoor door.png\n"},
      {"missing animation", "chess/set.txt", "rect 100 50 110 56\nenter nowhere.anim\n"},
      {"missing frame", "chess/idle.anim", "duration 8\nframe idle-9.png\n"},
      {"no duration", "chess/idle.anim", "frame idle-1.png\n"},
      {"no frames", "chess/idle.anim", "duration 8\n"},
      {"next without a number", "chess/idle.anim", "duration 8\nframe idle-1.png next\n"},
      {"next too large", "chess/idle.anim", "duration 8\nframe idle-1.png next 70000\n"},
  };
  for (const Case& c : cases) {
    WriteBuilding();
    WriteText(c.file, c.text);
    EXPECT_NE(Run(PackSetCommand, {P("out.set"), P("chess/set.txt")}), 0) << c.name;
    EXPECT_FALSE(fs::exists(P("out.set"))) << c.name;
    EXPECT_FALSE(fs::exists(P("out.set.tmp"))) << c.name;
  }

  WriteBuilding();
  ASSERT_EQ(Run(PackSetCommand, {P("chess.set"), P("chess/set.txt")}), 0);
  std::vector<uint8_t> spoilt = Read(P("chess.set"));
  StoreBe32(&spoilt[kBuildingSetClosed], static_cast<uint32_t>(spoilt.size()));
  std::ofstream(P("spoilt.set"), std::ios::binary).write(reinterpret_cast<const char*>(spoilt.data()), spoilt.size());
  EXPECT_NE(Run(PackGameImageCommand, {P("a.ogi"), P("spoilt.set"), "1"}), 0);
  EXPECT_NE(Run(PackGameImageCommand, {P("a.ogi"), P("chess.set"), "one"}), 0);
  EXPECT_NE(Run(PackGameImageCommand, {P("a.ogi"), P("chess.set"), "-1"}), 0);
  EXPECT_FALSE(fs::exists(P("a.ogi")));
}

}  // namespace
