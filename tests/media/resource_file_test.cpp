#include "media/resource_file.h"

#include <gtest/gtest.h>

#include <cstring>

#include "core/memory.h"
#include "tests/media/media_fixtures.h"

namespace {

constexpr uint32_t kTagImage = 0x4F494D47;  // anything but "OTXT"

struct Opened {
  explicit Opened(const std::string& path) : rf(ResourceFileNew()) { result = ResourceFileOpen(rf, path.c_str()); }
  ~Opened() { ResourceFileDelete(rf); }
  ResourceFile* rf;
  ErrorCode result;
};

TEST(ResourceFileOpen, FailuresLeaveTheObjectEmpty) {
  ScratchDir dir("rfopen");
  Bytes good = MakeResourceFile({{kTagText, 1, TextBytes("x")}});
  Bytes badMagic = good;
  badMagic[7] = 'Z';
  Bytes hugeCount = good;
  StoreBe32(&hugeCount[16], 0xFFFFFFFFu);
  Bytes farDirectory = good;
  StoreBe32(&farDirectory[12], 0x7FFFFFF0u);
  struct {
    const char* name;
    std::string path;
    ErrorCode expected;
  } const cases[] = {
      {"missing", dir.Path("missing.ors"), 8},
      {"name too long", std::string(200, 'a'), 8},
      {"short header", dir.Write("h", Bytes(good.begin(), good.begin() + 15)), 10},
      {"wrong magic", dir.Write("m", badMagic), 10},
      {"short count", dir.Write("c", Bytes(good.begin(), good.begin() + 18)), 10},
      {"short directory", dir.Write("d", Bytes(good.begin(), good.begin() + 30)), 10},
      {"count beyond the file", dir.Write("n", hugeCount), 10},
      {"directory past the end", dir.Write("f", farDirectory), 10},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Opened o(c.path);
    EXPECT_EQ(o.result, c.expected);
    EXPECT_EQ(o.rf->file, nullptr);
    EXPECT_EQ(o.rf->entries, nullptr);
    EXPECT_EQ(ResourceFileGetItem(o.rf, 1, nullptr, nullptr), nullptr);
  }
}

TEST(ResourceFile, EmptyDirectoryOpensAndFindsNothing) {
  ScratchDir dir("rfempty");
  Opened o(dir.Write("e.ors", MakeResourceFile({})));
  ASSERT_EQ(o.result, 0);
  Rect r[1];
  EXPECT_EQ(ResourceFileGetItem(o.rf, 0, nullptr, nullptr), nullptr);
  EXPECT_EQ(ResourceFileGetImage(o.rf, 0), nullptr);
  EXPECT_EQ(ResourceFileGetRects(o.rf, 0, 1, r), 13);
}

TEST(ResourceFile, ItemsByIdFirstMatchWinsAndTextsEndInNul) {
  ScratchDir dir("rfitems");
  BlockSpec s;
  s.width = s.rowBytes = 3;
  s.height = 2;
  s.picture = PackedRows({{0x83, 215}, {0x03, 0, 255, 0}});
  Opened o(dir.Write("i.ors", MakeResourceFile({
                                  {kTagText, 5, TextBytes("first")},
                                  {kTagText, 5, TextBytes("second")},
                                  {kTagText, 6, {}},
                                  {kTagImage, 7, {1, 2, 3}},
                                  {kTagImage, 9, MakeBlock(s)},
                                  {kTagText, 10, MakeBlock(s)},
                              })));
  ASSERT_EQ(o.result, 0);
  uint32_t size = 0, type = 0;
  char* text = static_cast<char*>(ResourceFileGetItem(o.rf, 5, &size, &type));
  ASSERT_NE(text, nullptr);
  EXPECT_STREQ(text, "first");
  EXPECT_EQ(size, 5u);
  EXPECT_EQ(type, kTagText);
  MemFree(text);

  text = static_cast<char*>(ResourceFileGetItem(o.rf, 6, &size, nullptr));
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(size, 0u);
  EXPECT_EQ(text[0], '\0');
  MemFree(text);

  auto* raw = static_cast<uint8_t*>(ResourceFileGetItem(o.rf, 7, &size, &type));
  ASSERT_NE(raw, nullptr);
  EXPECT_EQ(size, 3u);
  EXPECT_EQ(type, kTagImage);
  EXPECT_EQ(raw[2], 3);
  MemFree(raw);

  EXPECT_EQ(ResourceFileGetItem(o.rf, 99, &size, &type), nullptr);

  // Image items are read at their offset, whatever their tag.
  for (uint32_t id : {9u, 10u}) {
    Image* image = ResourceFileGetImage(o.rf, id);
    ASSERT_NE(image, nullptr) << id;
    EXPECT_EQ(ImageWidth(image), 3);
    EXPECT_EQ(image->picture.pixels[0], PixelFromRgb(238, 0, 0));
    EXPECT_EQ(image->picture.pixels[4 + 1], PixelFromRgb(0, 0, 0));
    ImageDelete(image);
  }
  EXPECT_EQ(ResourceFileGetImage(o.rf, 7), nullptr);  // 3 bytes are no block
}

TEST(ResourceFile, ItemsReachingPastTheEndAreRefused) {
  ScratchDir dir("rfpast");
  Bytes f = MakeResourceFile({{kTagText, 1, TextBytes("abc")}, {kTagText, 2, TextBytes("abc")}});
  StoreBe32(&f[20 + 12], 0xFFFFFFFFu);  // item 1's size
  StoreBe32(&f[36 + 8], 0xFFFFFFF0u);   // item 2's offset
  Opened o(dir.Write("p.ors", f));
  ASSERT_EQ(o.result, 0);
  uint32_t size = 0;
  EXPECT_EQ(ResourceFileGetItem(o.rf, 1, &size, nullptr), nullptr);
  EXPECT_EQ(size, 0xFFFFFFFFu);
  EXPECT_EQ(ResourceFileGetItem(o.rf, 2, nullptr, nullptr), nullptr);
  EXPECT_EQ(ResourceFileGetImage(o.rf, 2), nullptr);
  Rect r[1];
  EXPECT_EQ(ResourceFileGetRects(o.rf, 1, 1, r), 13);
}

TEST(ResourceFileGetRects, CountsCapacityAndSpacing) {
  const Rect untouched{-9, -9, -9, -9};
  struct {
    const char* text;
    int16_t capacity;
    int16_t expected;
    std::vector<Rect> rects;
  } const cases[] = {
      {"2 1 2 3 4 5 6 7 8", 6, 2, {{1, 2, 3, 4}, {5, 6, 7, 8}}},
      {"3 1 1 1 1 2 2 2 2 3 3 3 3", 2, 2, {{1, 1, 1, 1}, {2, 2, 2, 2}}},
      {"0 1 2 3 4", 6, 0, {}},
      {"-2 1 2 3 4", 6, 0, {}},
      {"  \r\n1\n\t-10\r\n-20   30\v\f40 ", 6, 1, {{-10, -20, 30, 40}}},
      {"1 -32768 32767 +5 0", 6, 1, {{-32768, 32767, 5, 0}}},
      {"2 1 2 3 4 5 6", 6, 1, {{1, 2, 3, 4}}},  // the text ends early
      {"1 1 2 40000 4", 6, 0, {}},              // beyond 16 bits
      {"x", 6, 0, {}},
      {"", 6, 0, {}},
  };
  ScratchDir dir("rects");
  std::vector<Item> items;
  for (uint32_t k = 0; k < std::size(cases); ++k) items.push_back({kTagText, k, TextBytes(cases[k].text)});
  Opened o(dir.Write("r.ors", MakeResourceFile(items)));
  ASSERT_EQ(o.result, 0);
  for (uint32_t k = 0; k < std::size(cases); ++k) {
    SCOPED_TRACE(cases[k].text);
    Rect r[6];
    for (Rect& x : r) x = untouched;
    EXPECT_EQ(ResourceFileGetRects(o.rf, k, cases[k].capacity, r), cases[k].expected);
    for (size_t i = 0; i < 6; ++i) {
      const Rect want = i < cases[k].rects.size() ? cases[k].rects[i] : untouched;
      EXPECT_EQ(std::memcmp(&r[i], &want, sizeof(Rect)), 0) << "rect " << i;
    }
  }
  Rect r[1];
  ResourceFile* empty = ResourceFileNew();
  EXPECT_EQ(ResourceFileGetRects(empty, 0, 1, r), 13);
  ResourceFileDelete(empty);
}

}  // namespace
