// Animation definitions: the interval arithmetic, conversion both ways, and
// definitions that are refused whole.

#include "media/animation_def.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "tests/media/animation_fixtures.h"

namespace {

TEST(AnimationInterval, SixteenBitProductTruncatedThenDivided) {
  struct Case {
    uint16_t duration, frames, interval;
  } cases[] = {
      {20, 4, 50},            // two seconds over four frames: half a second each
      {7000, 1, 4464},        // 70000 truncated to 16 bits
      {7000, 4, 1116},        // 4464 / 4
      {1, 20, 0},             // shorter than a tick per frame: never advances
      {0, 3, 0},
      {6553, 1, 65530},
      {20, 0, 0},             // no frames: nothing to divide by
  };
  for (const Case& c : cases)
    EXPECT_EQ(AnimationInterval(c.duration, c.frames), c.interval) << c.duration << " / " << c.frames;
}

TEST(AnimationDefConvert, ToHostOrderAndBackGivesTheSameBytes) {
  DefinitionSpec spec = FourFrames(1);
  spec.attachments = 2;
  DefinitionLayout l;
  const Bytes original = MakeDefinition(spec, &l);
  Bytes d = original;
  ASSERT_TRUE(AnimationDefConvert(d, kToHostOrder));

  AnimationDefHeader h{};
  ASSERT_TRUE(AnimationDefCheck(d, &h));
  EXPECT_EQ(h.frameCount, 4);
  EXPECT_EQ(h.duration, 20);
  EXPECT_EQ(h.imageCount, 4);
  EXPECT_EQ(h.attachmentCount, 2);
  EXPECT_EQ(h.frameTableOffset, l.frameTable);
  EXPECT_EQ(h.sharedMaskOffset, l.sharedMask);
  // The last frame's next field, an image block's length and an attachment
  // record's words are host order now; the attachment's unused bytes 10
  // and 11 are not touched.
  EXPECT_EQ(HostWordAt(&d[l.images[0]]), spec.images[0].size());
  uint16_t next;
  std::memcpy(&next, &d[l.frameTable + 3 * 4 + 2], 2);
  EXPECT_EQ(next, 1);
  EXPECT_EQ(HostWordAt(&d[l.attachments[1]]), 0x10111213u);
  EXPECT_EQ(d[l.attachments[1] + 10], original[l.attachments[1] + 10]);

  ASSERT_TRUE(AnimationDefConvert(d, kToFileOrder));
  EXPECT_EQ(d, original);
}

TEST(AnimationDefConvert, ATableEntryNamedTwiceIsConvertedOnce) {
  DefinitionSpec spec = FourFrames();
  DefinitionLayout l;
  Bytes d = MakeDefinition(spec, &l);
  StoreBe32(&d[l.imageTable + 4], l.images[0]);  // images 1 and 2 share a block
  const Bytes original = d;
  ASSERT_TRUE(AnimationDefConvert(d, kToHostOrder));
  EXPECT_EQ(HostWordAt(&d[l.images[0]]), spec.images[0].size());
  ASSERT_TRUE(AnimationDefConvert(d, kToFileOrder));
  EXPECT_EQ(d, original);
}

// Stores numbers in file order or in host order, so one spoiling serves
// the conversion (file order) and the check before an animation is made
// (host order).
struct Order {
  bool host;
  void U16(Bytes& d, size_t at, uint16_t v) const {
    if (host) std::memcpy(&d[at], &v, 2); else StoreBe16(&d[at], v);
  }
  void U32(Bytes& d, size_t at, uint32_t v) const {
    if (host) std::memcpy(&d[at], &v, 4); else StoreBe32(&d[at], v);
  }
};

// Every malformed definition is refused by the conversion, with not one
// byte changed, and in host order by the check.
TEST(AnimationDefConvert, MalformedDefinitionsAreRefusedWhole) {
  DefinitionSpec spec = FourFrames();
  spec.attachments = 1;
  DefinitionLayout l;
  const Bytes good = MakeDefinition(spec, &l);
  Bytes goodHost = good;
  ASSERT_TRUE(AnimationDefConvert(goodHost, kToHostOrder));
  const uint32_t end = static_cast<uint32_t>(good.size());
  struct Case {
    std::string name;
    std::function<void(Bytes&, const Order&)> spoil;
  };
  const Case cases[] = {
      {"shorter than its header", [](Bytes& d, const Order&) { d.resize(31); }},
      {"frame count 0", [](Bytes& d, const Order& o) { o.U16(d, 8, 0); }},
      {"frame table past the end", [end](Bytes& d, const Order& o) { o.U32(d, 16, end - 8); }},
      {"frame table offset far out", [](Bytes& d, const Order& o) { o.U32(d, 16, 0xFFFFFFF0u); }},
      {"frame count beyond the bytes", [](Bytes& d, const Order& o) { o.U16(d, 8, 0xFFFF); }},
      {"image number 0", [l](Bytes& d, const Order&) { d[l.frameTable + 4] = 0; }},
      {"image number above the count", [l](Bytes& d, const Order&) { d[l.frameTable + 8] = 5; }},
      {"image count above the table", [](Bytes& d, const Order& o) { o.U16(d, 12, 0x4000); }},
      {"image entry past the end", [l, end](Bytes& d, const Order& o) { o.U32(d, l.imageTable + 8, end); }},
      {"image entry on the header", [l](Bytes& d, const Order& o) { o.U32(d, l.imageTable, 0); }},
      {"image block longer than the bytes", [l](Bytes& d, const Order& o) { o.U32(d, l.images[3], 0x10000); }},
      {"image block shorter than its header", [l](Bytes& d, const Order& o) { o.U32(d, l.images[1], 12); }},
      {"colour count outside the block", [l](Bytes& d, const Order& o) { o.U32(d, l.images[2] + 28, 0xFFFFFF00u); }},
      {"colour count inside a header", [l](Bytes& d, const Order& o) { o.U32(d, l.images[2] + 28, 8); }},
      {"shared mask past the end", [end](Bytes& d, const Order& o) { o.U32(d, 20, end - 10); }},
      {"blocks that overlap", [l](Bytes& d, const Order& o) { o.U32(d, l.imageTable + 4, l.images[0] + 4); }},
      {"attachment table past the end", [end](Bytes& d, const Order& o) { o.U32(d, 28, end - 2); }},
      {"attachment record cut short", [l, end](Bytes& d, const Order& o) { o.U32(d, l.attachmentTable, end - 20); }},
      {"attachment on the frame table", [l](Bytes& d, const Order& o) { o.U32(d, l.attachmentTable, l.frameTable); }},
      {"cut inside the last record", [](Bytes& d, const Order&) { d.resize(d.size() - 1); }},
  };
  for (const Case& c : cases) {
    Bytes d = good;
    c.spoil(d, Order{false});
    const Bytes spoilt = d;
    EXPECT_FALSE(AnimationDefConvert(d, kToHostOrder)) << c.name;
    EXPECT_EQ(d, spoilt) << c.name;

    Bytes h = goodHost;
    c.spoil(h, Order{true});
    AnimationDefHeader header{};
    EXPECT_FALSE(AnimationDefCheck(h, &header)) << c.name;
  }
}

}  // namespace
