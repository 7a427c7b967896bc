// Building image sets: conversion both ways, taking a set apart, and sets
// that are refused whole.

#include "media/building_set.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "media/animation_def.h"
#include "tests/media/animation_fixtures.h"

namespace {

Bytes SampleSet() {
  DefinitionSpec enter = FourFrames();
  enter.attachments = 1;
  return MakeSet(Rect{-5, 10, 115, 90}, MakeDefinition(FourFrames(1)), MakeDefinition(enter),
                 SolidBlock(8, 4, 0x336699, {0xFF, 0x81, 0x81, 0xFF}));
}

TEST(BuildingSetConvert, FromFileOrderAndBackGivesTheSameBytes) {
  const Bytes original = SampleSet();
  Bytes set = original;
  ASSERT_TRUE(BuildingSetConvert(set, kToHostOrder));
  EXPECT_NE(set, original);

  BuildingSetParts parts{};
  ASSERT_TRUE(BuildingSetRead(set, &parts));
  EXPECT_EQ(parts.header.word0, 0xCAFE0001u);
  EXPECT_EQ(parts.header.rect.left, -5);
  EXPECT_EQ(parts.header.rect.top, 10);
  EXPECT_EQ(parts.header.rect.right, 115);
  EXPECT_EQ(parts.header.rect.bottom, 90);
  EXPECT_EQ(parts.idle.data(), set.data() + 24);
  EXPECT_EQ(parts.idle.size(), set.size() - 24);
  EXPECT_EQ(parts.closed.data(), set.data() + parts.header.closedOffset);
  // The parts are what an animation and a picture are made of.
  AnimationDefHeader idle{}, enter{};
  ASSERT_TRUE(AnimationDefCheck(parts.idle, &idle));
  ASSERT_TRUE(AnimationDefCheck(parts.enter, &enter));
  EXPECT_EQ(idle.frameCount, 4);
  EXPECT_EQ(enter.attachmentCount, 1);

  ASSERT_TRUE(BuildingSetConvert(set, kToFileOrder));
  EXPECT_EQ(set, original);
}

TEST(BuildingSetConvert, AbsentPartsAndOneDefinitionForBoth) {
  Bytes set = MakeSet(Rect{0, 0, 8, 4}, MakeDefinition(FourFrames()), {}, {});
  StoreBe32(&set[16], 24);  // the enter animation is the idle one
  const Bytes original = set;
  ASSERT_TRUE(BuildingSetConvert(set, kToHostOrder));
  BuildingSetParts parts{};
  ASSERT_TRUE(BuildingSetRead(set, &parts));
  EXPECT_EQ(parts.idle.data(), parts.enter.data());
  EXPECT_TRUE(parts.closed.empty());
  ASSERT_TRUE(BuildingSetConvert(set, kToFileOrder));
  EXPECT_EQ(set, original);

  Bytes bare = MakeSet(Rect{1, 2, 3, 4}, {}, {}, {});
  ASSERT_TRUE(BuildingSetConvert(bare, kToHostOrder));
  ASSERT_TRUE(BuildingSetRead(bare, &parts));
  EXPECT_TRUE(parts.idle.empty() && parts.enter.empty() && parts.closed.empty());
}

TEST(BuildingSetConvert, MalformedSetsAreRefusedWhole) {
  const Bytes good = SampleSet();
  const uint32_t idle = LoadBe32(&good[12]);
  const uint32_t enter = LoadBe32(&good[16]);
  const uint32_t closed = LoadBe32(&good[20]);
  struct Case {
    std::string name;
    std::function<void(Bytes&)> spoil;
  };
  const Case cases[] = {
      {"empty", [](Bytes& s) { s.clear(); }},
      {"shorter than its header", [](Bytes& s) { s.resize(23); }},
      {"idle offset past the end", [](Bytes& s) { StoreBe32(&s[12], static_cast<uint32_t>(s.size())); }},
      {"enter offset far out", [](Bytes& s) { StoreBe32(&s[16], 0xFFFFFFFFu); }},
      {"closed block past the end", [](Bytes& s) { StoreBe32(&s[20], static_cast<uint32_t>(s.size() - 20)); }},
      {"closed block on the header", [](Bytes& s) { StoreBe32(&s[20], 4); }},
      {"idle definition inside the enter one", [enter](Bytes& s) { StoreBe32(&s[12], enter + 4); }},
      {"enter frame count 0", [enter](Bytes& s) { StoreBe16(&s[enter + 8], 0); }},
      {"idle image number too high", [idle](Bytes& s) { s[idle + 32 + 4] = 9; }},
      {"closed block longer than the set", [closed](Bytes& s) { StoreBe32(&s[closed], 0x7FFFFFFFu); }},
      {"cut short", [](Bytes& s) { s.resize(s.size() - 3); }},
  };
  for (const Case& c : cases) {
    Bytes set = good;
    c.spoil(set);
    const Bytes spoilt = set;
    EXPECT_FALSE(BuildingSetConvert(set, kToHostOrder)) << c.name;
    EXPECT_EQ(set, spoilt) << c.name;
  }
}

}  // namespace
