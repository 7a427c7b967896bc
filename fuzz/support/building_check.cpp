#include "fuzz/support/building_check.h"

#include <cstring>
#include <vector>

#include "fuzz/support/fuzz_check.h"
#include "fuzz/support/picture_check.h"
#include "media/animation.h"
#include "media/building_set.h"
#include "media/image.h"

namespace {

bool Same(const std::vector<uint8_t>& a, std::span<const uint8_t> b) {
  return a.size() == b.size() && (b.empty() || std::memcmp(a.data(), b.data(), b.size()) == 0);
}

int g_frameCalls = 0;
void OnFrame(Animation*, uint16_t, UserData) { ++g_frameCalls; }
void OnBackground(Animation*, Offscreen* surface, const Rect* rect, UserData) {
  FUZZ_CHECK(surface != nullptr && rect != nullptr);
}

// Makes the animation, starts it and lets its timer run it to the end (or
// around its loop a few times), composing every frame it reaches.
void Play(std::span<const uint8_t> definition, const Rect& rect) {
  Animation* a = AnimationNew();
  FUZZ_CHECK(a);
  if (AnimationCreate(a, nullptr, &rect, 1, definition, &OnFrame, &OnBackground, 0) == 0) {
    FUZZ_CHECK(a->frameCount > 0 && a->frames && a->timer);
    AnimationStart(a);
    const int steps = 2 * a->frameCount + 2;
    for (int i = 0; i < steps && AnimationIsRunning(a); ++i) {
      a->timer->callback(a->timer, a->timer->userData);
      AnimationHitTest(a, Point{rect.left, rect.top});
    }
    AnimationDraw(a);
  } else {
    // A refused definition leaves nothing behind.
    FUZZ_CHECK(!a->frames && !a->images && !a->surface && !a->timer);
  }
  AnimationDelete(a);
}

}  // namespace

void BuildLikeRoom(std::span<const uint8_t> wire) {
  const std::vector<uint8_t> original(wire.begin(), wire.end());
  std::vector<uint8_t> set = original;
  if (!BuildingSetConvert(set, kToHostOrder)) {
    FUZZ_CHECK(Same(set, original));  // nothing converted
    return;
  }
  std::vector<uint8_t> back = set;
  FUZZ_CHECK(BuildingSetConvert(back, kToFileOrder));
  FUZZ_CHECK(Same(back, original));

  BuildingSetParts parts{};
  FUZZ_CHECK(BuildingSetRead(set, &parts));
  const Rect& rect = parts.header.rect;
  if (!parts.idle.empty()) Play(parts.idle, rect);
  if (!parts.enter.empty()) Play(parts.enter, rect);
  if (!parts.closed.empty()) {
    Image* closed = ImageNew();
    FUZZ_CHECK(closed);
    if (ImageBuild(closed, parts.closed, {}) == 0) DrawLikeScreens(closed);
    ImageDelete(closed);
  }
}
