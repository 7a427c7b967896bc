// The lobby's staged pictures as the client reads them: the map, and for
// every building the generator drew, its set in the server's directory and
// its game image file, made into animations on a window over the map. Saves
// the map with every building on it (lobby_buildings.png, and 3x).

#include <gtest/gtest.h>

#include <QImage>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "core/memory.h"
#include "media/animation.h"
#include "media/building_set.h"
#include "media/game_image_file.h"
#include "media/image.h"
#include "media/image_draw.h"
#include "tests/support/toolkit_harness.h"

namespace fs = std::filesystem;

namespace {

// The rooms of the demo lobby, one building each.
const char* const kGames[] = {"chess", "cards", "dice", "go", "backgammon", "puzzles"};
constexpr Rect kMap{0, 0, 640, 400};
// Where the welcome icon stands: its bottom-right corner at (580, 360).
constexpr Rect kWelcome{580 - 32, 360 - 32, 580, 360};

std::vector<uint8_t> ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Image* g_map = nullptr;

void DrawMap(Animation*, Offscreen* surface, const Rect*, UserData) {
  ImageDraw(g_map, surface, &kMap, nullptr, kDrawModeCopy);
}

struct Building {
  std::string game;
  std::vector<uint8_t> set;  // host order once read
  BuildingSetParts parts{};
};

// The buildings the generator drew, each checked on the way: its set is
// staged and its game image file holds the same bytes at version 1.
std::vector<Building> DrawnBuildings() {
  std::vector<Building> out;
  for (const char* game : kGames) {
    if (!fs::exists(std::string(SALVIND_ASSET_DIR) + "/buildings/" + game + "/set.txt")) continue;
    SCOPED_TRACE(game);
    Building b{game, ReadAll(std::string(SALVIND_STAGE_DIR) + "/server/sets/" + game + ".set"), {}};
    EXPECT_FALSE(b.set.empty());
    const std::string ogi = std::string(SALVIND_ASSET_DIR) + "/buildings/" + game + ".ogi";
    EXPECT_EQ(ImageReadVersion(ogi.c_str()), 1u);
    std::FILE* f = std::fopen(ogi.c_str(), "rb");
    EXPECT_NE(f, nullptr);
    if (f) {
      uint8_t* bytes = nullptr;
      uint32_t length = 0;
      EXPECT_EQ(GameImageFileRead(f, &bytes, &length), 0);
      EXPECT_EQ(std::vector<uint8_t>(bytes, bytes + length), b.set);
      MemFree(bytes);
      std::fclose(f);
    }
    EXPECT_TRUE(BuildingSetConvert(b.set, kToHostOrder));
    EXPECT_TRUE(BuildingSetRead(b.set, &b.parts));
    out.push_back(std::move(b));
  }
  return out;
}

struct LobbySets : ::testing::Test {
  void SetUp() override {
    HarnessStart();
    g_map = ImageLoadFile((std::string(SALVIND_STAGE_DIR) + "/data/Salvind/salvind.oim").c_str());
    ASSERT_NE(g_map, nullptr);
  }
  void TearDown() override {
    ImageDelete(g_map);
    g_map = nullptr;
    HarnessStop();
  }
};

TEST_F(LobbySets, EveryDrawnBuildingStandsOnTheMapAndPlays) {
  ASSERT_EQ(ImageWidth(g_map), 640);
  ASSERT_EQ(ImageHeight(g_map), 400);
  const std::vector<Building> buildings = DrawnBuildings();
  ASSERT_FALSE(buildings.empty());
  Window* window = HarnessOpenWindow(kMap, kWindowKindMain, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  int overlapping = 0;
  for (size_t k = 0; k < buildings.size(); ++k) {
    const Building& b = buildings[k];
    SCOPED_TRACE(b.game);
    const Rect r = b.parts.header.rect;
    Rect inside{};
    EXPECT_TRUE(RectIntersect(&r, &kMap, &inside) && inside.left == r.left && inside.top == r.top &&
                inside.right == r.right && inside.bottom == r.bottom);
    EXPECT_FALSE(RectIntersect(&r, &kWelcome, nullptr));
    for (size_t j = 0; j < k; ++j) overlapping += RectIntersect(&r, &buildings[j].parts.header.rect, nullptr);

    // Idle loops for ever; enter plays once and ends with callback 0.
    for (auto [part, loops] : {std::pair{b.parts.idle, true}, std::pair{b.parts.enter, false}}) {
      Animation* a = AnimationNew();
      ASSERT_EQ(AnimationCreate(a, window, &r, 1, part, nullptr, DrawMap, 0), 0);
      EXPECT_NE(a->sharedMask, nullptr);
      EXPECT_GT(a->interval, 0);
      AnimationStart(a);
      HarnessAdvance(a->interval * a->frameCount * 2);
      EXPECT_EQ(AnimationIsRunning(a), loops ? 1 : 0);
      AnimationDelete(a);
    }
    Image* closed = ImageNew();
    EXPECT_EQ(ImageBuild(closed, b.parts.closed, {}), 0);
    EXPECT_EQ(ImageWidth(closed), RectWidth(r));
    ImageDelete(closed);
  }
  // Buildings stand apart, except one pair that overlaps on purpose.
  EXPECT_LE(overlapping, 1);
  if (buildings.size() == std::size(kGames)) {
    EXPECT_EQ(overlapping, 1);
  }
}

TEST_F(LobbySets, TheMapWithEveryBuildingOnIt) {
  const std::vector<Building> buildings = DrawnBuildings();
  Window* window = HarnessOpenWindow(kMap, kWindowKindMain, nullptr, nullptr, true, false, "Salvind");
  ASSERT_NE(window, nullptr);
  DrawBegin(window);
  ImageDraw(g_map, window, &kMap, nullptr, kDrawModeCopy);
  DrawEnd(window);
  std::vector<Animation*> animations;
  for (const Building& b : buildings) {
    Animation* a = AnimationNew();
    ASSERT_EQ(AnimationCreate(a, window, &b.parts.header.rect, 1, b.parts.idle, nullptr, DrawMap, 0), 0);
    AnimationStart(a);
    animations.push_back(a);
  }
  HarnessAdvance(30);
  // Every building shows: its rectangle is not the bare map any more.
  for (size_t k = 0; k < buildings.size(); ++k) {
    const Rect r = buildings[k].parts.header.rect;
    int changed = 0;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x)
        changed += HarnessBufferPixel(window, x, y) != g_map->picture.pixels[y * g_map->picture.width + x];
    EXPECT_GT(changed, RectWidth(r) * RectHeight(r) / 4) << buildings[k].game;
  }
  EXPECT_TRUE(HarnessSavePng(window, "lobby_buildings.png"));
  int w = 0, h = 0;
  const std::vector<uint32_t> pixels = HarnessGrab(window, &w, &h);
  ASSERT_EQ(pixels.size(), static_cast<size_t>(w) * h);
  const QImage shot(reinterpret_cast<const uchar*>(pixels.data()), w, h, QImage::Format_RGB32);
  EXPECT_TRUE(shot.scaled(3 * w, 3 * h, Qt::IgnoreAspectRatio, Qt::FastTransformation).save("lobby_buildings_3x.png"));
  for (Animation* a : animations) AnimationDelete(a);
}

}  // namespace
