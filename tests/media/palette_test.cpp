#include "media/palette.h"

#include <gtest/gtest.h>

namespace {

TEST(DefaultPalette, CubeRampsAndEnds) {
  const Palette& p = DefaultPalette();
  EXPECT_EQ(p.count, 256u);
  struct {
    int index;
    Pixel rgb;
  } const cases[] = {
      {0, PixelFromRgb(255, 255, 255)}, {1, PixelFromRgb(255, 255, 204)}, {214, PixelFromRgb(0, 0, 51)},
      {215, PixelFromRgb(238, 0, 0)},   {224, PixelFromRgb(17, 0, 0)},    {225, PixelFromRgb(0, 238, 0)},
      {244, PixelFromRgb(0, 0, 17)},    {245, PixelFromRgb(238, 238, 238)}, {254, PixelFromRgb(17, 17, 17)},
      {255, PixelFromRgb(0, 0, 0)},
  };
  for (const auto& c : cases) EXPECT_EQ(p.colors[c.index], c.rgb) << "entry " << c.index;
}

TEST(SharedPalette, IsTheFirstTableMadeAndNeverReplaced) {
  SharedPaletteDelete();
  EXPECT_EQ(SharedPalette(), nullptr);
  const uint8_t table[] = {0, 255, 255, 255, 1, 10, 20, 30};
  Palette first;
  PaletteFromColorTable(table, 2, &first);
  EXPECT_EQ(first.count, 2u);
  EXPECT_EQ(first.colors[1], PixelFromRgb(10, 20, 30));
  EXPECT_EQ(first.colors[2], PixelFromRgb(0, 0, 0));  // past the table's count
  Palette second;
  PaletteFromDefault(&second);
  ASSERT_NE(SharedPalette(), nullptr);
  EXPECT_EQ(SharedPalette()->count, 2u);
  EXPECT_EQ(SharedPalette()->colors[1], PixelFromRgb(10, 20, 30));
  SharedPaletteDelete();
}

}  // namespace
