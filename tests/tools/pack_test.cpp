// orva-pack end to end: PNGs and a manifest in, files out, read back with
// the program's own loaders and compared pixel by pixel.

#include <gtest/gtest.h>

#include <QImage>
#include <QString>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/memory.h"
#include "media/image.h"
#include "media/palette.h"
#include "media/resource_file.h"
#include "tools/pack/pack_commands.h"

namespace fs = std::filesystem;

namespace {

class PackFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir = fs::temp_directory_path() / (std::string("salvind-pack-") + info->name() + "-" + std::to_string(::getpid()));
    fs::create_directories(dir / "art");
  }
  void TearDown() override { fs::remove_all(dir); }

  std::string P(const std::string& name) const { return (dir / name).string(); }
  void WriteText(const std::string& name, const std::string& text) const {
    std::ofstream(P(name), std::ios::binary) << text;
  }
  int Run(int (*command)(int, char**), std::vector<std::string> args) {
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    return command(static_cast<int>(argv.size()), argv.data());
  }

  // A picture of default-table colours with a transparent corner and a
  // width that is not a multiple of 4 or 8.
  QImage Fixture() const {
    const Palette& d = DefaultPalette();
    QImage img(37, 11, QImage::Format_ARGB32);
    for (int y = 0; y < img.height(); ++y)
      for (int x = 0; x < img.width(); ++x) {
        const Pixel c = d.colors[(x < 20 ? (x * 7 + y) : 215 + (y % 40)) % 256];
        const int alpha = (x < 5 && y < 4) ? 40 : (x == 36 ? 127 : 255);
        img.setPixel(x, y, qRgba(int(c >> 16), int((c >> 8) & 0xFF), int(c & 0xFF), alpha));
      }
    return img;
  }

  static void ExpectSame(const QImage& png, const Image* image) {
    ASSERT_NE(image, nullptr);
    ASSERT_EQ(ImageWidth(image), png.width());
    ASSERT_EQ(ImageHeight(image), png.height());
    const BitMask* mask = ImageMask(image);
    bool anyClear = false;
    for (int y = 0; y < png.height(); ++y)
      for (int x = 0; x < png.width(); ++x) {
        const QRgb want = png.pixel(x, y);
        const bool opaque = qAlpha(want) >= 128;
        anyClear |= !opaque;
        const bool got = !mask || BitMaskGet(*mask, x, y);
        ASSERT_EQ(got, opaque) << x << "," << y;
        const Pixel p = image->picture.pixels[y * image->picture.width + x];
        ASSERT_EQ(p, want & 0xFFFFFFu) << x << "," << y;
      }
    EXPECT_EQ(mask != nullptr, anyClear);
  }

  fs::path dir;
};

TEST_F(PackFixture, ImageFileRoundTripIsPixelExact) {
  const QImage png = Fixture();
  ASSERT_TRUE(png.save(QString::fromStdString(P("a.png")), "PNG"));
  ASSERT_EQ(Run(PackImageCommand, {P("a.oim"), P("a.png")}), 0);
  Image* image = ImageLoadFile(P("a.oim").c_str());
  ExpectSame(png, image);
  EXPECT_EQ(image->colors.count, 256u);  // the default table
  ImageDelete(image);
  EXPECT_EQ(ImageReadVersion(P("a.oim").c_str()), 1u);
}

TEST_F(PackFixture, IndexedPngKeepsItsTableAndAGivenTableIsUsed) {
  QImage indexed(9, 3, QImage::Format_Indexed8);
  indexed.setColorTable({qRgb(255, 255, 255), qRgb(12, 34, 56), qRgba(200, 0, 0, 0), qRgb(0, 0, 0)});
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 9; ++x) indexed.setPixel(x, y, static_cast<uint>((x + y) % 4));
  ASSERT_TRUE(indexed.save(QString::fromStdString(P("i.png")), "PNG"));
  ASSERT_EQ(Run(PackImageCommand, {P("i.oim"), P("i.png")}), 0);
  Image* image = ImageLoadFile(P("i.oim").c_str());
  ExpectSame(indexed.convertToFormat(QImage::Format_ARGB32), image);
  EXPECT_EQ(image->colors.count, 4u);
  ImageDelete(image);

  // An RGB picture mapped to the indexed PNG's table: nearest colours.
  QImage rgb(2, 1, QImage::Format_RGB32);
  rgb.setPixel(0, 0, qRgb(10, 30, 60));
  rgb.setPixel(1, 0, qRgb(250, 250, 240));
  ASSERT_TRUE(rgb.save(QString::fromStdString(P("rgb.png")), "PNG"));
  ASSERT_EQ(Run(PackImageCommand, {P("m.oim"), P("rgb.png"), "--palette", P("i.png")}), 0);
  image = ImageLoadFile(P("m.oim").c_str());
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->picture.pixels[0], PixelFromRgb(12, 34, 56));
  EXPECT_EQ(image->picture.pixels[1], PixelFromRgb(255, 255, 255));
  EXPECT_EQ(ImageMask(image), nullptr);
  ImageDelete(image);
}

TEST_F(PackFixture, ResourceFromManifestWithIncludeDirectories) {
  const QImage png = Fixture();
  ASSERT_TRUE(png.save(QString::fromStdString(P("art/pic.png")), "PNG"));
  // The -I directory wins over the manifest's directory.
  WriteText("art/hello.txt", "from the include directory");
  WriteText("hello.txt", "from the manifest's directory");
  WriteText("layout.txt", "2\n 10 20 30 40\r\n-1 -2 -3 -4\n");
  WriteText("m.txt",
            "# the login window\n"
            "\n"
            "  1 image pic.png\n"
            "2 rects layout.txt\n"
            "7 text hello.txt\n"
            "2 text hello.txt\n");
  ASSERT_EQ(Run(PackResourceCommand, {P("out.ors"), P("m.txt"), "-I", P("art")}), 0);

  ResourceFile* rf = ResourceFileNew();
  ASSERT_EQ(ResourceFileOpen(rf, P("out.ors").c_str()), 0);
  ASSERT_EQ(rf->count, 4u);
  Image* image = ResourceFileGetImage(rf, 1);
  ExpectSame(png, image);
  ImageDelete(image);
  Rect r[6] = {};
  EXPECT_EQ(ResourceFileGetRects(rf, 2, 6, r), 2);
  EXPECT_EQ(r[1].left, -1);
  EXPECT_EQ(r[0].bottom, 40);
  char* text = static_cast<char*>(ResourceFileGetItem(rf, 7, nullptr, nullptr));
  ASSERT_NE(text, nullptr);
  EXPECT_STREQ(text, "from the include directory");
  MemFree(text);
  ResourceFileDelete(rf);

  // Without -I the manifest's directory is used.
  ASSERT_EQ(Run(PackResourceCommand, {P("out2.ors"), P("m.txt")}), 1);  // pic.png is only in art/
  WriteText("m2.txt", "7 text hello.txt\n");
  ASSERT_EQ(Run(PackResourceCommand, {P("out2.ors"), P("m2.txt")}), 0);
  rf = ResourceFileNew();
  ASSERT_EQ(ResourceFileOpen(rf, P("out2.ors").c_str()), 0);
  text = static_cast<char*>(ResourceFileGetItem(rf, 7, nullptr, nullptr));
  EXPECT_STREQ(text, "from the manifest's directory");
  MemFree(text);
  ResourceFileDelete(rf);
}

TEST_F(PackFixture, BadInputFailsWithoutWritingTheOutput) {
  WriteText("bad.txt", "2 1 2 3 4\n");
  WriteText("ok.txt", "0\n");
  const char* manifests[] = {
      "1 rects bad.txt\n",      // fewer rectangles than counted
      "1 text missing.txt\n",   // no such file
      "x text ok.txt\n",        // id is not a number
      "-1 text ok.txt\n",       // nor is this
      "1 sound ok.txt\n",       // unknown kind
      "1 text ok.txt extra\n",  // too many words
      "1 image ok.txt\n",       // not a PNG
  };
  for (const char* m : manifests) {
    SCOPED_TRACE(m);
    WriteText("m.txt", m);
    EXPECT_NE(Run(PackResourceCommand, {P("x.ors"), P("m.txt")}), 0);
    EXPECT_FALSE(fs::exists(P("x.ors")));
  }
  EXPECT_NE(Run(PackImageCommand, {P("x.oim"), P("ok.txt")}), 0);
  EXPECT_NE(Run(PackImageCommand, {P("x.oim")}), 0);
  EXPECT_FALSE(fs::exists(P("x.oim")));
}

}  // namespace
