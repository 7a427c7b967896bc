#include "media/image_draw.h"

#include <algorithm>

void ImageDraw(const Image* image, DrawTarget target, const Rect* rect, const Image* sharedMask,
               DrawMode mode) {
  DrawContext* context = DrawGetContext(target);
  if (!context || !image || !rect || !image->picture.pixels) return;
  // The picture's rows are padded past the image's width; never show the
  // padding, whatever size the caller asks for.
  const int32_t w = std::min<int32_t>(RectWidth(*rect), ImageWidth(image));
  const int32_t h = std::min<int32_t>(RectHeight(*rect), ImageHeight(image));
  if (w <= 0 || h <= 0) return;
  const BitMask* mask = ImageMask(image);
  if (!mask && sharedMask) mask = ImageMask(sharedMask);
  const Rect source{0, 0, static_cast<int16_t>(w), static_cast<int16_t>(h)};
  const Rect destination{rect->left, rect->top, static_cast<int16_t>(rect->left + w),
                         static_cast<int16_t>(rect->top + h)};
  DrawContextCopy(context, image->picture, source, destination, mask, mode);
}

int16_t ImageHitTest(const Image* image, Point point) {
  if (!image) return 0;
  const Rect box{0, 0, static_cast<int16_t>(std::min<int32_t>(ImageWidth(image), INT16_MAX)),
                 static_cast<int16_t>(std::min<int32_t>(ImageHeight(image), INT16_MAX))};
  if (!RectContainsPoint(&point, &box)) return 0;
  const BitMask* mask = ImageMask(image);
  if (!mask) return 1;
  // A mask made from another block may be smaller than the picture: beyond
  // it is transparent.
  if (point.x >= mask->width || point.y >= mask->height) return 0;
  return BitMaskGet(*mask, point.x, point.y) ? 1 : 0;
}
