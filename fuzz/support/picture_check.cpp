#include "fuzz/support/picture_check.h"

#include <algorithm>

#include "media/image.h"
#include "media/image_draw.h"
#include "toolkit/draw.h"
#include "toolkit/offscreen.h"

void DrawLikeScreens(const Image* image) {
  if (!image) return;
  const int16_t w = static_cast<int16_t>(std::min<int32_t>(ImageWidth(image), 64));
  const int16_t h = static_cast<int16_t>(std::min<int32_t>(ImageHeight(image), 64));
  for (const Point p : {Point{0, 0}, Point{static_cast<int16_t>(w - 1), static_cast<int16_t>(h - 1)},
                        Point{static_cast<int16_t>(w / 2), static_cast<int16_t>(h / 2)}}) {
    ImageHitTest(image, p);
  }
  Offscreen* surface = OffscreenNew();
  if (!surface) return;
  const Rect bounds{0, 0, 64, 64};
  if (OffscreenInit(surface, &bounds) == 0) {
    DrawBegin(surface);
    // Asked for more than the image holds; the image's size bounds what shows.
    const Rect all{0, 0, 64, 64};
    ImageDraw(image, surface, &all, nullptr, kDrawModeCopy);
    const Rect shifted{-3, 5, 61, 69};
    ImageDraw(image, surface, &shifted, nullptr, kDrawModeExclusiveOr);
    DrawEnd(surface);
  }
  OffscreenDelete(surface);
}
