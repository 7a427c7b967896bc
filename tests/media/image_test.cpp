#include "media/image.h"

#include <gtest/gtest.h>

#include "media/image_block.h"
#include "tests/media/media_fixtures.h"

namespace {

// A block in host order, as ImageBuild takes it.
Bytes HostBlock(const BlockSpec& spec) {
  Bytes b = MakeBlock(spec);
  EXPECT_TRUE(ImageBlockConvert(b, kToHostOrder));
  return b;
}

struct ImageFixture : ::testing::Test {
  void SetUp() override { image = ImageNew(); }
  void TearDown() override { ImageDelete(image); }
  Image* image = nullptr;
};

TEST_F(ImageFixture, RowsAreAlignedToFourBytesAndMaskRowsToFourBytesOfBits) {
  BlockSpec s;
  s.width = 13;
  s.height = 2;
  s.rowBytes = 13;
  s.maskRowBytes = 5;
  s.picture = PackedRows({{0x8D, 215}, {0x8D, 255}});
  s.mask = PackedRows({{0x85, 0xFF}, {0x85, 0x00}});
  const Bytes b = HostBlock(s);
  ASSERT_EQ(ImageBuild(image, b, {}), 0);
  EXPECT_EQ(image->kind, kObjectKindImage);
  EXPECT_EQ(image->picture.width, 16);
  EXPECT_EQ(image->picture.height, 2);
  ASSERT_NE(ImageMask(image), nullptr);
  EXPECT_EQ(ImageMask(image)->rowBytes, 8);
  EXPECT_EQ(ImageMask(image)->width, 64);
  EXPECT_EQ(ImageWidth(image), 13);
  EXPECT_EQ(ImageHeight(image), 2);
  // Default colours; the bytes a row leaves unwritten are colour 0.
  EXPECT_EQ(image->picture.pixels[12], PixelFromRgb(238, 0, 0));
  EXPECT_EQ(image->picture.pixels[13], PixelFromRgb(255, 255, 255));
  EXPECT_EQ(image->picture.pixels[16 + 5], PixelFromRgb(0, 0, 0));
  EXPECT_TRUE(BitMaskGet(*ImageMask(image), 39, 0));
  EXPECT_FALSE(BitMaskGet(*ImageMask(image), 40, 0));
  EXPECT_FALSE(BitMaskGet(*ImageMask(image), 0, 1));
}

TEST_F(ImageFixture, OwnColourTableAndEmptyRowsBetweenRows) {
  BlockSpec s;
  s.width = 2;
  s.height = 3;
  s.rowBytes = 2;
  s.colors = {0xFFFFFF, 0x102030, 0x405060};
  // The middle row has L = 0: the next row follows right after its length.
  s.picture = PackedRows({{0x02, 1, 2}, {}, {0x82, 2}});
  const Bytes b = HostBlock(s);
  ASSERT_EQ(ImageBuild(image, b, {}), 0);
  EXPECT_EQ(ImageMask(image), nullptr);  // no mask: opaque everywhere
  const Pixel* px = image->picture.pixels;
  const int w = image->picture.width;
  EXPECT_EQ(px[0], PixelFromRgb(0x10, 0x20, 0x30));
  EXPECT_EQ(px[1], PixelFromRgb(0x40, 0x50, 0x60));
  EXPECT_EQ(px[w], PixelFromRgb(255, 255, 255));
  EXPECT_EQ(px[2 * w], PixelFromRgb(0x40, 0x50, 0x60));
  EXPECT_EQ(image->colors.count, 3u);
}

TEST_F(ImageFixture, SharedMaskBlockSuppliesMaskAndSize) {
  BlockSpec m;
  m.width = 9;
  m.height = 1;
  m.maskRowBytes = 2;
  m.mask = PackedRows({{0x02, 0x80, 0x80}});
  const Bytes mb = HostBlock(m);
  ASSERT_EQ(ImageBuild(image, {}, mb), 0);
  EXPECT_EQ(image->picture.pixels, nullptr);
  ASSERT_NE(ImageMask(image), nullptr);
  EXPECT_TRUE(BitMaskGet(image->mask, 0, 0));
  EXPECT_TRUE(BitMaskGet(image->mask, 8, 0));
  EXPECT_FALSE(BitMaskGet(image->mask, 1, 0));
  EXPECT_EQ(ImageWidth(image), 9);
}

TEST(ImageBlockConvert, ToHostAndBackRestoresTheBytes) {
  BlockSpec s;
  s.width = 300;
  s.height = 1;
  s.rowBytes = 300;
  s.colors = {0x010203};
  s.picture = PackedRows({{0xFF, 0, 0xFF, 0, 0xAE, 0}});
  const Bytes file = MakeBlock(s);
  Bytes b = file;
  ASSERT_TRUE(ImageBlockConvert(b, kToHostOrder));
  ImageBlockHeader h;
  ASSERT_TRUE(ImageBlockHeaderRead(b, &h));
  EXPECT_EQ(h.width, 300);
  EXPECT_EQ(h.length, file.size());
  EXPECT_EQ(HostWordAt(b.data() + h.colorTableOffset), 1u);
  ASSERT_TRUE(ImageBlockConvert(b, kToFileOrder));
  EXPECT_EQ(b, file);
}

TEST(ImageFiles, MagicVersionAndItemsAtAnOffset) {
  ScratchDir dir("image");
  BlockSpec s;
  s.width = s.rowBytes = 4;
  s.height = 1;
  s.picture = PackedRows({{0x84, 255}});
  const Bytes block = MakeBlock(s);
  const std::string oim = dir.Write("a.oim", MakeImageFile(block, "FOIM", 3));
  const std::string fogi = dir.Write("a.fogi", MakeImageFile(block, "FOGI", 0x01020304));
  const std::string shortFile = dir.Write("short", Bytes(11, 0));

  Image* image = ImageLoadFile(oim.c_str());
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(ImageWidth(image), 4);
  EXPECT_EQ(image->picture.pixels[3], PixelFromRgb(0, 0, 0));
  ImageDelete(image);

  EXPECT_EQ(ImageLoadFile(fogi.c_str()), nullptr);
  EXPECT_EQ(ImageReadVersion(oim.c_str()), 3u);
  EXPECT_EQ(ImageReadVersion(fogi.c_str()), 0x01020304u);
  EXPECT_EQ(ImageReadVersion(shortFile.c_str()), 0u);
  EXPECT_EQ(ImageReadVersion(dir.Path("missing").c_str()), 0u);
  EXPECT_EQ(ImageLoadFile(dir.Path("missing").c_str()), nullptr);

  // A block in the middle of other bytes: no header, no magic, and its own
  // length decides what is read (the trailing bytes are never looked at).
  Bytes padded(37, 0xAB);
  padded.insert(padded.end(), block.begin(), block.end());
  padded.insert(padded.end(), 5, 0xCD);
  const std::string inside = dir.Write("inside", padded);
  image = ImageLoadAt(inside.c_str(), 37);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(ImageHeight(image), 1);
  ImageDelete(image);
}

}  // namespace
