#include "toolkit/font.h"

#include <gtest/gtest.h>

#include <QFont>
#include <QFontInfo>

#include "platform/qt/qt_state.h"
#include "platform/text.h"
#include "toolkit/text_draw.h"

namespace {

struct Made {
  explicit Made(Font* f) : font(f) {}
  ~Made() { FontDelete(font); }
  Made(const Made&) = delete;
  Made& operator=(const Made&) = delete;
  Font* font;
};

QFontInfo InfoOf(const Font* font) { return QFontInfo(QtFontOf(FontHandle(font))); }

TEST(Font, FaceCodesResolveToTheMetricCompatibleFaces) {
  struct Case { uint16_t face; const char* asked; const char* family; };
  const Case cases[] = {
      {1, "Arial", "Liberation Sans"},
      {0, "Times New Roman", "Liberation Serif"},
      {2, "Times New Roman", "Liberation Serif"},
      {0xFFFF, "Times New Roman", "Liberation Serif"},
  };
  for (const Case& c : cases) {
    Made made(FontNew());
    ASSERT_NE(made.font, nullptr);
    EXPECT_EQ(made.font->kind, kObjectKindFont);
    EXPECT_EQ(made.font->handle, nullptr);
    EXPECT_EQ(FontInit(made.font, c.face, 0, 12), 0);
    ASSERT_NE(FontHandle(made.font), nullptr);
    EXPECT_STREQ(FontFaceName(c.face), c.asked);
    const QFontInfo info = InfoOf(made.font);
    EXPECT_EQ(info.family().toStdString(), c.family) << "face " << c.face;
    EXPECT_EQ(info.pixelSize(), 12);
  }
}

TEST(Font, StyleBitsAndTheWidthRule) {
  struct Case { int16_t size; uint16_t style; int32_t width; bool bold; bool italic; bool underline; };
  const Case cases[] = {
      {12, 0, 6, false, false, false},
      {9, 0, 5, false, false, false},
      {9, kFontStyleBold, 6, true, false, false},
      {12, kFontStyleBold, 7, true, false, false},
      {12, kFontStyleItalic | kFontStyleUnderline, 6, false, true, true},  // style 6
      {1, 0, 1, false, false, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FontAverageWidth(c.size, c.style), c.width) << "size " << c.size << " style " << c.style;
    Made made(FontNew());
    FontInit(made.font, kFontFaceSans, c.style, c.size);
    const QFont qfont = QtFontOf(FontHandle(made.font));
    EXPECT_EQ(qfont.bold(), c.bold);
    EXPECT_EQ(qfont.weight(), c.bold ? QFont::Bold : QFont::Normal);
    EXPECT_EQ(qfont.italic(), c.italic);
    EXPECT_EQ(qfont.underline(), c.underline);
  }
}

TEST(Font, AskedWidthStretchesTheGlyphs) {
  const char* text = "the lobby opens at dusk";
  PlatformFont natural = PlatformFontCreate("Arial", 12, 0, 0);
  PlatformFont wide = PlatformFontCreate("Arial", 12, 12, 0);
  PlatformFont narrow = PlatformFontCreate("Arial", 12, 3, 0);
  ASSERT_TRUE(natural && wide && narrow);
  const int32_t w = PlatformTextWidth(natural, text);
  EXPECT_GT(PlatformTextWidth(wide, text), w * 3 / 2);
  EXPECT_LT(PlatformTextWidth(narrow, text), w * 3 / 4);
  EXPECT_EQ(PlatformFontHeight(wide), PlatformFontHeight(natural)) << "width leaves the height";
  PlatformFontDelete(natural);
  PlatformFontDelete(wide);
  PlatformFontDelete(narrow);
  EXPECT_EQ(PlatformFontCreate("Arial", 0, 0, 0), nullptr);
  PlatformFontDelete(nullptr);
}

TEST(Font, CopyHasTheSameLooksAndItsOwnPlatformFont) {
  Made original(FontNew());
  FontInit(original.font, kFontFaceSans, kFontStyleBold | kFontStyleItalic, 9);
  Made copy(FontCopy(original.font));
  ASSERT_NE(copy.font, nullptr);
  EXPECT_EQ(copy.font->kind, kObjectKindFont);
  EXPECT_EQ(copy.font->face, kFontFaceSans);
  EXPECT_EQ(copy.font->style, kFontStyleBold | kFontStyleItalic);
  EXPECT_EQ(copy.font->size, 9);
  ASSERT_NE(copy.font->handle, nullptr);
  EXPECT_NE(copy.font->handle, original.font->handle);
  EXPECT_EQ(TextMeasureWidth(copy.font, "Orva"), TextMeasureWidth(original.font, "Orva"));
  FontDelete(nullptr);
}

TEST(Font, StandardFontsAreMadeInOrderAndDeletedTogether) {
  ASSERT_EQ(FontStandardCreate(), 0);
  struct Want { uint16_t face; uint16_t style; int16_t size; };
  const Want want[kStandardFontCount] = {
      {0, 0, 12}, {1, 0, 9}, {1, kFontStyleBold, 9}, {1, 0, 12}, {1, kFontStyleBold, 12}};
  for (int i = 0; i < kStandardFontCount; ++i) {
    const Font* font = FontStandard(i);
    ASSERT_NE(font, nullptr) << i;
    EXPECT_EQ(font->kind, kObjectKindFont);
    EXPECT_EQ(font->face, want[i].face) << i;
    EXPECT_EQ(font->style, want[i].style) << i;
    EXPECT_EQ(font->size, want[i].size) << i;
    EXPECT_NE(font->handle, nullptr) << i;
  }
  const Font* first = FontStandard(FontSerif12);
  EXPECT_EQ(FontStandardCreate(), 0);
  EXPECT_EQ(FontStandard(FontSerif12), first) << "a second call keeps the fonts";
  EXPECT_EQ(FontStandard(-1), nullptr);
  EXPECT_EQ(FontStandard(kStandardFontCount), nullptr);
  FontStandardDelete();
  for (int i = 0; i < kStandardFontCount; ++i) EXPECT_EQ(FontStandard(i), nullptr);
  FontStandardDelete();
}

TEST(Font, MeasuringTexts) {
  Made sans(FontNew());
  Made bold(FontNew());
  FontInit(sans.font, kFontFaceSans, 0, 9);
  FontInit(bold.font, kFontFaceSans, kFontStyleBold, 9);
  EXPECT_EQ(TextMeasureWidth(sans.font, ""), 0);
  EXPECT_EQ(TextMeasureWidth(sans.font, nullptr), 0);
  const int16_t word = TextMeasureWidth(sans.font, "Salvind");
  EXPECT_GT(word, 0);
  EXPECT_GT(TextMeasureWidth(sans.font, "Salvind Salvind"), word);
  EXPECT_GT(TextMeasureWidth(bold.font, "Salvind"), word);
  EXPECT_GT(TextMeasureWidth(sans.font, "\xE9t\xE9"), 0) << "Latin-1 letters have width";
  const int16_t height = TextMeasureHeight(sans.font, "Salvind");
  EXPECT_GE(height, 9);
  EXPECT_LE(height, 14);
  EXPECT_EQ(TextMeasureHeight(sans.font, ""), height);
  // No font: the platform's default, still measurable.
  EXPECT_GT(TextMeasureWidth(nullptr, "Salvind"), 0);
  EXPECT_GT(TextMeasureHeight(nullptr, ""), 0);
}

}  // namespace
