// Malformed image files and resource files: each fails cleanly (no image, or
// the documented error) and nothing reads outside what was loaded; the
// sanitizer build watches the last part.

#include <gtest/gtest.h>

#include <functional>

#include "core/memory.h"
#include "media/image.h"
#include "media/resource_file.h"
#include "tests/media/media_fixtures.h"

namespace {

BlockSpec ValidSpec() {
  BlockSpec s;
  s.width = 5;
  s.rowBytes = 5;
  s.maskRowBytes = 1;
  s.height = 2;
  s.colors = {0xFFFFFF, 0x00FF00};
  s.picture = PackedRows({{0x85, 1}, {0x05, 0, 1, 0, 1, 0}});
  s.mask = PackedRows({{0x81, 0xF8}, {0x01, 0xA8}});
  return s;
}

// Block header fields by offset inside the image file (behind 12 bytes).
constexpr size_t kFile = 12;

TEST(MalformedImageFiles, EveryOneIsRefused) {
  const Bytes block = MakeBlock(ValidSpec());
  const Bytes valid = MakeImageFile(block);
  struct Case {
    const char* name;
    std::function<void(Bytes&)> damage;
  };
  const Case cases[] = {
      {"block length beyond the file", [](Bytes& f) { StoreBe32(&f[kFile], 0xFFFFFFF0u); }},
      {"block length one past the file", [&](Bytes& f) { StoreBe32(&f[kFile], uint32_t(block.size() + 1)); }},
      {"block length shorter than a header", [](Bytes& f) { StoreBe32(&f[kFile], 39); }},
      {"colour table past the block", [](Bytes& f) { StoreBe32(&f[kFile + 28], 0x7FFFFFFFu); }},
      {"colour table count word cut", [&](Bytes& f) { StoreBe32(&f[kFile + 28], uint32_t(block.size() - 2)); }},
      {"colour count overflows", [](Bytes& f) { StoreBe32(&f[kFile + 40], 0xFFFFFFFFu); }},
      {"colour count one too many", [](Bytes& f) { StoreBe32(&f[kFile + 40], 0x40000000u); }},
      {"picture past the block", [](Bytes& f) { StoreBe32(&f[kFile + 32], 0xFFFFFFFFu); }},
      {"mask past the block", [](Bytes& f) { StoreBe32(&f[kFile + 36], 0x80000000u); }},
      {"picture at the block's last byte", [&](Bytes& f) { StoreBe32(&f[kFile + 32], uint32_t(block.size() - 1)); }},
      {"more rows than the data holds", [](Bytes& f) { StoreBe16(&f[kFile + 10], 60000); }},
      {"row length past the block", [](Bytes& f) { StoreBe16(&f[kFile + 52], 0x7FFF); }},
      {"rows far too wide", [](Bytes& f) { StoreBe16(&f[kFile + 12], 65535); }},
      {"mask rows far too wide", [](Bytes& f) { StoreBe16(&f[kFile + 14], 65535); }},
  };
  ScratchDir dir("malformed");
  ASSERT_NE(ImageLoadFile(dir.Write("valid", valid).c_str()), nullptr) << "the base case must load";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes f = valid;
    c.damage(f);
    EXPECT_EQ(ImageLoadFile(dir.Write("damaged", f).c_str()), nullptr);
  }
  // Cut at every length: inside the file header, the length word, the
  // block header, the colour table and the rows.
  for (size_t n = 0; n < valid.size(); ++n) {
    SCOPED_TRACE(n);
    EXPECT_EQ(ImageLoadFile(dir.Write("cut", Bytes(valid.begin(), valid.begin() + long(n))).c_str()), nullptr);
  }
}

TEST(MalformedImageFiles, AnyCorruptByteLoadsOrFailsWithoutHarm) {
  const Bytes valid = MakeImageFile(MakeBlock(ValidSpec()));
  ScratchDir dir("corrupt");
  for (size_t i = 0; i < valid.size(); ++i) {
    for (uint8_t v : {uint8_t{0x00}, uint8_t{0x7F}, uint8_t{0xFF}}) {
      Bytes f = valid;
      f[i] = v;
      ImageDelete(ImageLoadFile(dir.Write("c", f).c_str()));
    }
  }
}

TEST(MalformedResourceFiles, CutAtEveryLengthFailsCleanly) {
  const Bytes valid = MakeResourceFile({{kTagText, 2, TextBytes("1 0 0 10 10")}, {0, 3, MakeBlock(ValidSpec())}});
  ScratchDir dir("rfcut");
  for (size_t n = 0; n < valid.size(); ++n) {
    SCOPED_TRACE(n);
    ResourceFile* rf = ResourceFileNew();
    const ErrorCode result = ResourceFileOpen(rf, dir.Write("cut", Bytes(valid.begin(), valid.begin() + long(n))).c_str());
    if (n < 52) {
      EXPECT_EQ(result, 10);  // header, count or directory cut
    } else {
      ASSERT_EQ(result, 0);
      Rect r[1];
      MemFree(ResourceFileGetItem(rf, 2, nullptr, nullptr));
      ResourceFileGetRects(rf, 2, 1, r);
      EXPECT_EQ(ResourceFileGetImage(rf, 3), nullptr);  // the block ends the file
    }
    ResourceFileDelete(rf);
  }
}

}  // namespace
