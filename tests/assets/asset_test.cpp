#include <gtest/gtest.h>

#include <QImage>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

std::string AssetPath(const char* name) { return std::string(SALVIND_ASSET_DIR) + "/" + name; }
std::string LayoutPath(const char* name) { return std::string(SALVIND_LAYOUT_DIR) + "/" + name; }

struct R {
  int left, top, right, bottom;
  bool Empty() const { return right <= left || bottom <= top; }
  bool Inside(const R& o) const {
    return left >= o.left && top >= o.top && right <= o.right && bottom <= o.bottom;
  }
  bool Overlaps(const R& o) const {
    return left < o.right && o.left < right && top < o.bottom && o.top < bottom;
  }
};

// A rectangle list as the resource reader takes it: a count, then four
// signed 16-bit numbers per rectangle. Anything else fails the parse.
bool ParseRects(const std::string& path, std::vector<R>* out) {
  std::ifstream in(path);
  if (!in) return false;
  std::vector<long> numbers;
  std::string word;
  while (in >> word) {
    size_t used = 0;
    long v = std::stol(word, &used);
    if (used != word.size() || v < -32768 || v > 32767) return false;
    numbers.push_back(v);
  }
  if (numbers.empty() || numbers[0] < 1) return false;
  size_t n = size_t(numbers[0]);
  if (numbers.size() != 1 + 4 * n) return false;
  for (size_t i = 0; i < n; ++i) {
    const long* q = &numbers[1 + 4 * i];
    out->push_back(R{int(q[0]), int(q[1]), int(q[2]), int(q[3])});
  }
  return true;
}

std::set<uint32_t> DefaultTable() {
  std::set<uint32_t> t;
  for (int r = 0; r < 6; ++r)
    for (int g = 0; g < 6; ++g)
      for (int b = 0; b < 6; ++b) t.insert(qRgb(255 - 51 * r, 255 - 51 * g, 255 - 51 * b) & 0xFFFFFFu);
  for (int v : {238, 221, 187, 170, 136, 119, 85, 68, 34, 17}) {
    t.insert(qRgb(v, 0, 0) & 0xFFFFFFu);
    t.insert(qRgb(0, v, 0) & 0xFFFFFFu);
    t.insert(qRgb(0, 0, v) & 0xFFFFFFu);
    t.insert(qRgb(v, v, v) & 0xFFFFFFu);
  }
  return t;  // black is both the cube's missing corner and entry 255
}

QImage Load(const char* name) {
  QImage img(QString::fromStdString(AssetPath(name)));
  return img.convertToFormat(QImage::Format_ARGB32);
}

TEST(Layouts, EachHasItsWindowsCountAndKeepsControlsApartInsideTheWindow) {
  struct Case {
    const char* file;
    size_t count;
  };
  // Login: window, 2 fields, 3 buttons. New user: window, 2 buttons, 7
  // labels, 6 fields. Disclaimer: window, 2 buttons, text field.
  for (const Case& c : {Case{"login.rects", 6}, Case{"newuser.rects", 16}, Case{"disclaimer.rects", 4}}) {
    SCOPED_TRACE(c.file);
    std::vector<R> rects;
    ASSERT_TRUE(ParseRects(LayoutPath(c.file), &rects));
    ASSERT_EQ(rects.size(), c.count);
    const R& window = rects[0];
    EXPECT_EQ(window.left, 0);
    EXPECT_EQ(window.top, 0);
    for (size_t i = 1; i < rects.size(); ++i) {
      EXPECT_FALSE(rects[i].Empty()) << "rect " << i;
      EXPECT_TRUE(rects[i].Inside(window)) << "rect " << i;
      for (size_t j = i + 1; j < rects.size(); ++j)
        EXPECT_FALSE(rects[i].Overlaps(rects[j])) << "rects " << i << " and " << j;
    }
  }
}

TEST(Pictures, HaveTheSizesTheScreensRelyOn) {
  QImage gate = Load("gate.png");
  ASSERT_FALSE(gate.isNull());
  // The zoom's first rectangle covers 600 x 382 from the top-left.
  EXPECT_GE(gate.width(), 600);
  EXPECT_GE(gate.height(), 382);

  std::vector<R> login;
  ASSERT_TRUE(ParseRects(LayoutPath("login.rects"), &login));
  QImage picture = Load("login.png");
  ASSERT_FALSE(picture.isNull());
  EXPECT_EQ(picture.width(), login[0].right - login[0].left);
  EXPECT_EQ(picture.height(), login[0].bottom - login[0].top);

  QImage splash = Load("splash.png");
  ASSERT_FALSE(splash.isNull());
  EXPECT_EQ(splash.size(), QSize(400, 240));

  // The icon's corner sits at (580, 360) of the 640 x 400 map.
  QImage icon = Load("welcome.png");
  ASSERT_FALSE(icon.isNull());
  EXPECT_LE(icon.width(), 60);
  EXPECT_LE(icon.height(), 40);

  QImage map = Load("map.png");
  ASSERT_FALSE(map.isNull());
  EXPECT_EQ(map.size(), QSize(640, 400));
}

TEST(Pictures, UseOnlyTheDefaultTableAndTheIconHasAOneBitMask) {
  const std::set<uint32_t> table = DefaultTable();
  for (const char* name : {"splash.png", "gate.png", "login.png", "welcome.png", "map.png"}) {
    SCOPED_TRACE(name);
    QImage img = Load(name);
    ASSERT_FALSE(img.isNull());
    int transparent = 0, opaque = 0, strays = 0, halfway = 0;
    for (int y = 0; y < img.height(); ++y)
      for (int x = 0; x < img.width(); ++x) {
        QRgb c = img.pixel(x, y);
        if (qAlpha(c) == 0) {
          ++transparent;
          continue;
        }
        if (qAlpha(c) != 255) ++halfway;
        ++opaque;
        if (!table.contains(c & 0xFFFFFFu)) ++strays;
      }
    EXPECT_EQ(strays, 0);
    EXPECT_EQ(halfway, 0);
    if (std::string(name) == "welcome.png") {
      EXPECT_GT(transparent, 0);
      EXPECT_GT(opaque, img.width() * img.height() / 3);
      // Corners are outside the letter.
      EXPECT_EQ(qAlpha(img.pixel(0, 0)), 0);
      EXPECT_EQ(qAlpha(img.pixel(img.width() - 1, img.height() - 1)), 0);
    } else {
      EXPECT_EQ(transparent, 0);
    }
  }
}

// The welcome icon is drawn with its bottom-right corner at (580, 360); the
// map keeps plain lawn under it so the icon reads at a glance.
TEST(Pictures, MapLeavesLawnUnderTheWelcomeIcon) {
  QImage map = Load("map.png");
  ASSERT_EQ(map.size(), QSize(640, 400));
  const std::set<uint32_t> lawn = {qRgb(153, 204, 51) & 0xFFFFFFu, qRgb(102, 153, 0) & 0xFFFFFFu,
                                   qRgb(51, 102, 0) & 0xFFFFFFu};
  int other = 0;
  for (int y = 360 - 32; y < 360; ++y)
    for (int x = 580 - 32; x < 580; ++x)
      if (!lawn.contains(map.pixel(x, y) & 0xFFFFFFu)) ++other;
  EXPECT_EQ(other, 0);
}

// The description files of one building, as the generator writes them.
struct AnimDesc {
  int duration = -1;
  std::vector<std::string> frames;
  std::vector<int> next;
};

struct BuildingDesc {
  R rect{};
  std::string idle, enter, closed;
  AnimDesc idleAnim, enterAnim;
};

std::string BuildingPath(const std::string& game, const std::string& file) {
  return std::string(SALVIND_ASSET_DIR) + "/buildings/" + game + "/" + file;
}

// Lines of "key value..." with '#' comments; false on anything unknown.
bool ParseAnim(const std::string& path, AnimDesc* a) {
  std::ifstream in(path);
  if (!in) return false;
  std::string line;
  while (std::getline(in, line)) {
    line = line.substr(0, line.find('#'));
    std::istringstream words(line);
    std::string key;
    if (!(words >> key)) continue;
    if (key == "duration") {
      if (!(words >> a->duration)) return false;
    } else if (key == "frame") {
      std::string file, next;
      int n = 0;
      if (!(words >> file)) return false;
      if (words >> next && (next != "next" || !(words >> n))) return false;
      a->frames.push_back(file);
      a->next.push_back(n);
    } else {
      return false;
    }
  }
  return a->duration >= 0 && !a->frames.empty();
}

bool ParseBuilding(const std::string& game, BuildingDesc* b) {
  std::ifstream in(BuildingPath(game, "set.txt"));
  if (!in) return false;
  std::string key;
  bool rect = false;
  while (in >> key) {
    if (key == "rect") rect = bool(in >> b->rect.left >> b->rect.top >> b->rect.right >> b->rect.bottom);
    else if (key == "idle") in >> b->idle;
    else if (key == "enter") in >> b->enter;
    else if (key == "closed") in >> b->closed;
    else return false;
  }
  return rect && ParseAnim(BuildingPath(game, b->idle), &b->idleAnim) &&
         ParseAnim(BuildingPath(game, b->enter), &b->enterAnim) && !b->closed.empty();
}

QImage LoadBuilding(const std::string& game, const std::string& file) {
  return QImage(QString::fromStdString(BuildingPath(game, file))).convertToFormat(QImage::Format_ARGB32);
}

bool OpaqueAt(const QImage& img, int x, int y) { return qAlpha(img.pixel(x, y)) >= 128; }

std::vector<std::string> Pictures(const BuildingDesc& b) {
  std::vector<std::string> files = b.idleAnim.frames;
  files.insert(files.end(), b.enterAnim.frames.begin(), b.enterAnim.frames.end());
  files.push_back(b.closed);
  return files;
}

const char* const kGames[] = {"chess", "cards", "dice", "go", "backgammon", "puzzles"};

// Every picture of a building fills its rectangle, keeps to the table with
// one bit of transparency, and has the same silhouette: the shared mask
// made from the union of the frames then fits every frame, so the hit test
// does not change while the building animates.
TEST(Buildings, FramesFitTheRectangleAndShareOneSilhouette) {
  const std::set<uint32_t> table = DefaultTable();
  for (const char* game : kGames) {
    SCOPED_TRACE(game);
    BuildingDesc b;
    ASSERT_TRUE(ParseBuilding(game, &b));
    const int w = b.rect.right - b.rect.left, h = b.rect.bottom - b.rect.top;
    EXPECT_GE(w, 64);
    EXPECT_LE(w, 120);
    ASSERT_GT(h, 0);

    // Idle loops over 4 to 8 frames; enter plays 6 to 10 frames once.
    EXPECT_GE(b.idleAnim.frames.size(), 4u);
    EXPECT_LE(b.idleAnim.frames.size(), 8u);
    EXPECT_EQ(b.idleAnim.next.back(), 1);
    EXPECT_GE(b.enterAnim.frames.size(), 6u);
    EXPECT_LE(b.enterAnim.frames.size(), 10u);
    for (int n : b.enterAnim.next) EXPECT_EQ(n, 0);
    EXPECT_GT(b.idleAnim.duration, 0);
    EXPECT_GT(b.enterAnim.duration, 0);

    const std::vector<std::string> files = Pictures(b);
    const QImage first = LoadBuilding(game, files[0]);
    for (const std::string& file : files) {
      SCOPED_TRACE(file);
      const QImage img = LoadBuilding(game, file);
      ASSERT_EQ(img.size(), QSize(w, h));
      int strays = 0, halfway = 0, differ = 0, opaque = 0;
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
          const QRgb c = img.pixel(x, y);
          if (qAlpha(c) != 0 && qAlpha(c) != 255) ++halfway;
          if (qAlpha(c) == 255 && !table.contains(c & 0xFFFFFFu)) ++strays;
          if (OpaqueAt(img, x, y) != OpaqueAt(first, x, y)) ++differ;
          if (OpaqueAt(img, x, y)) ++opaque;
        }
      EXPECT_EQ(strays, 0);
      EXPECT_EQ(halfway, 0);
      EXPECT_EQ(differ, 0);
      // A building, not a speck and not a full block: the map shows round it.
      EXPECT_GT(opaque, w * h / 3);
      EXPECT_LT(opaque, w * h);
    }
  }
}

// Buildings stand apart on the map, clear of the SysOp button and of the
// welcome icon, except the card tavern and the dice house, which overlap
// on purpose: the room announced first wins a point in both. Their common
// strip looks the same in every picture of both, so neither animation's
// frames paint over the other's with something different.
TEST(Buildings, StandApartOnTheMapExceptOnePairThatSharesItsOverlap) {
  const R map{0, 0, 640, 400}, sysop{0, 0, 60, 20}, welcome{580 - 32, 360 - 32, 580, 360};
  std::vector<BuildingDesc> all(std::size(kGames));
  for (size_t i = 0; i < all.size(); ++i) ASSERT_TRUE(ParseBuilding(kGames[i], &all[i])) << kGames[i];
  int overlaps = 0;
  for (size_t i = 0; i < all.size(); ++i) {
    SCOPED_TRACE(kGames[i]);
    EXPECT_TRUE(all[i].rect.Inside(map));
    EXPECT_FALSE(all[i].rect.Overlaps(sysop));
    EXPECT_FALSE(all[i].rect.Overlaps(welcome));
    for (size_t j = i + 1; j < all.size(); ++j) {
      if (!all[i].rect.Overlaps(all[j].rect)) continue;
      ++overlaps;
      EXPECT_EQ(std::string(kGames[i]) + "+" + kGames[j], "cards+dice");
    }
  }
  EXPECT_EQ(overlaps, 1);

  BuildingDesc cards, dice;
  ASSERT_TRUE(ParseBuilding("cards", &cards));
  ASSERT_TRUE(ParseBuilding("dice", &dice));
  const R strip{std::max(cards.rect.left, dice.rect.left), std::max(cards.rect.top, dice.rect.top),
                std::min(cards.rect.right, dice.rect.right),
                std::min(cards.rect.bottom, dice.rect.bottom)};
  ASSERT_FALSE(strip.Empty());
  const QImage reference = LoadBuilding("cards", cards.closed);
  int opaque = 0;
  for (int y = strip.top; y < strip.bottom; ++y)
    for (int x = strip.left; x < strip.right; ++x)
      if (OpaqueAt(reference, x - cards.rect.left, y - cards.rect.top)) ++opaque;
  EXPECT_GT(opaque, 0) << "the overlap must hold pixels of both buildings";
  for (const auto& [game, b] : {std::pair{"cards", &cards}, std::pair{"dice", &dice}})
    for (const std::string& file : Pictures(*b)) {
      SCOPED_TRACE(std::string(game) + "/" + file);
      const QImage img = LoadBuilding(game, file);
      int differ = 0;
      for (int y = strip.top; y < strip.bottom; ++y)
        for (int x = strip.left; x < strip.right; ++x)
          if (img.pixel(x - b->rect.left, y - b->rect.top) !=
              reference.pixel(x - cards.rect.left, y - cards.rect.top))
            ++differ;
      EXPECT_EQ(differ, 0);
    }
}

uint32_t BigEndian32(const std::string& b, size_t at) {
  return uint32_t(uint8_t(b[at])) << 24 | uint32_t(uint8_t(b[at + 1])) << 16 |
         uint32_t(uint8_t(b[at + 2])) << 8 | uint32_t(uint8_t(b[at + 3]));
}

TEST(Disclaimer, DocumentIsVersionOneNotAcceptedWithItsTextAndNul) {
  std::ifstream in(AssetPath("disclaim.otx"), std::ios::binary);
  ASSERT_TRUE(in);
  const std::string doc((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_GE(doc.size(), 20u);
  EXPECT_EQ(doc.substr(0, 8), std::string("\0\0\0\1OTXT", 8));
  EXPECT_EQ(doc.substr(12, 4), std::string("\0\0\0\0", 4));
  const std::string text = doc.substr(16, doc.size() - 17);
  EXPECT_EQ(doc.back(), '\0');
  EXPECT_EQ(text.find('\0'), std::string::npos);
  EXPECT_EQ(BigEndian32(doc, 8), text.size() + 4);
  EXPECT_EQ(text.find('\r'), std::string::npos);
  EXPECT_GT(text.size(), 500u);
  EXPECT_NE(text.find("Accept"), std::string::npos);
}

}  // namespace
