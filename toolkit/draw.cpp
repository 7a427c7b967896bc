#include "toolkit/draw.h"

#include <algorithm>

#include "platform/window.h"
#include "toolkit/offscreen.h"
#include "toolkit/text_draw.h"
#include "toolkit/window.h"

namespace {

constexpr Pixel kBlack = PixelFromRgb(0, 0, 0);
constexpr Pixel kWhite = PixelFromRgb(255, 255, 255);
constexpr Rect kNothing{0, 0, 0, 0};

int16_t Clamp16(int32_t v) { return static_cast<int16_t>(std::clamp<int32_t>(v, INT16_MIN, INT16_MAX)); }

// Drawing coordinates to buffer coordinates. Far outside the 16-bit range
// they saturate; the raster code clips whatever it is given.
Rect Shift(const Rect& r, int32_t dx, int32_t dy) {
  return Rect{Clamp16(r.left + dx), Clamp16(r.top + dy), Clamp16(r.right + dx), Clamp16(r.bottom + dy)};
}

// The overlap, or the empty rectangle when there is none.
Rect Overlap(const Rect& a, const Rect& b) {
  Rect out;
  return RectIntersect(&a, &b, &out) ? out : kNothing;
}

bool IsEmpty(const Rect& r) { return r.right <= r.left || r.bottom <= r.top; }

Rect Union(const Rect& a, const Rect& b) {
  if (IsEmpty(a)) return b;
  if (IsEmpty(b)) return a;
  return Rect{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
              std::max(a.bottom, b.bottom)};
}

DrawState* StateOf(DrawTarget t) {
  if (t.window) return &t.window->draw;
  if (t.surface) return &t.surface->draw;
  return nullptr;
}

DrawContext* Open(DrawTarget t) {
  DrawState* s = StateOf(t);
  return s && s->depth > 0 ? &s->context : nullptr;
}

// The clip a section on t starts with: the whole target, or the part being
// painted.
Rect StartingClip(DrawTarget t, const Rect& area) {
  if (t.window && t.window->painting) return Overlap(area, t.window->paintRect);
  return area;
}

// The clip rect asks for, kept inside what the context may touch.
Rect AllowedClip(DrawTarget t, const DrawContext& c, const Rect& rect) {
  return Overlap(StartingClip(t, c.area), rect);
}

void Touch(DrawContext* c, const Rect& drawn) { c->touched = Union(c->touched, Overlap(drawn, c->clip)); }

// Shows what was drawn on a window since it last showed; a paint shows its
// own area when it is over.
void Present(DrawTarget t) {
  if (!t.window || t.window->painting || !t.window->handle) return;
  DrawContext& c = t.window->draw.context;
  if (IsEmpty(c.touched)) return;
  PlatformRect r;
  RectToPlatform(&r, &c.touched);
  c.touched = kNothing;
  PlatformWindowPresent(t.window->handle, r);
}

void SetUp(DrawTarget t, DrawState* s) {
  DrawContext& c = s->context;
  if (t.window) {
    c.buffer = &t.window->buffer;
    c.originX = 0;
    c.originY = 0;
  } else {
    c.buffer = &t.surface->bitmap;
    c.originX = t.surface->bounds.left;
    c.originY = t.surface->bounds.top;
  }
  const int32_t w = c.buffer->pixels ? c.buffer->width : 0;
  const int32_t h = c.buffer->pixels ? c.buffer->height : 0;
  c.area = Rect{c.originX, c.originY, Clamp16(c.originX + w), Clamp16(c.originY + h)};
  // A paint's context lasts for the whole paint: its later sections keep
  // the clip and text colour the earlier ones set.
  const bool painting = t.window && t.window->painting;
  if (!(painting && s->paintContext)) {
    c.clip = StartingClip(t, c.area);
    c.textColour = kBlack;
    s->paintContext = painting ? 1 : 0;
  }
  c.colour = kBlack;
  c.font = nullptr;
  c.touched = kNothing;
}

}  // namespace

void DrawPaintOver(Window* window) {
  if (window) window->draw.paintContext = 0;
}

void DrawBegin(DrawTarget target) {
  DrawState* s = StateOf(target);
  if (!s || s->depth == UINT16_MAX) return;
  if (s->depth++ == 0) SetUp(target, s);
}

void DrawEnd(DrawTarget target) {
  DrawState* s = StateOf(target);
  if (!s || s->depth == 0) return;
  if (--s->depth > 0) return;
  Present(target);
  s->context.font = nullptr;
}

DrawContext* DrawGetContext(DrawTarget target) { return Open(target); }

void DrawGetClipRect(DrawTarget target, Rect* rect) {
  if (!rect) return;
  const DrawContext* c = Open(target);
  *rect = c && !IsEmpty(c->clip) ? c->clip : kNothing;
}

void DrawSetClipRect(DrawTarget target, const Rect* rect) {
  DrawContext* c = Open(target);
  if (!c || !rect) return;
  c->clip = AllowedClip(target, *c, *rect);
}

void DrawEraseRect(DrawTarget target, const Rect* rect) {
  DrawContext* c = Open(target);
  if (!c || !rect) return;
  RasterFill(c->buffer, Shift(*rect, -c->originX, -c->originY), Shift(c->clip, -c->originX, -c->originY),
             kWhite);
  Touch(c, *rect);
}

void DrawFillRect(DrawTarget target, const Rect* rect) {
  DrawContext* c = Open(target);
  if (!c || !rect) return;
  RasterFill(c->buffer, Shift(*rect, -c->originX, -c->originY), Shift(c->clip, -c->originX, -c->originY),
             c->colour);
  Touch(c, *rect);
}

ErrorCode DrawSetColor(DrawTarget target, const ColorEntry* colour) {
  DrawContext* c = Open(target);
  if (!c || !colour) return 0;
  c->colour = PixelFromRgb(colour->red, colour->green, colour->blue);
  c->textColour = c->colour;
  return 0;
}

void DrawSetFont(DrawTarget target, const Font* font) {
  if (DrawContext* c = Open(target)) c->font = font;
}

int16_t DrawTextInRect(DrawTarget target, const Rect* rect, int16_t alignment, const char* text) {
  DrawContext* c = Open(target);
  if (!c || !rect || !text) return 0;
  const int16_t height =
      TextDrawInBuffer(c->buffer, c->font, Shift(*rect, -c->originX, -c->originY),
                       Shift(c->clip, -c->originX, -c->originY), c->textColour, alignment, text);
  Touch(c, *rect);
  return height;
}

int16_t DrawTextWidth(DrawTarget target, const char* text) {
  DrawBegin(target);
  const DrawContext* c = Open(target);
  const int16_t width = c && text ? TextMeasureWidth(c->font, text) : 0;
  DrawEnd(target);
  return width;
}

int16_t DrawTextHeight(DrawTarget target, const char* text) {
  DrawBegin(target);
  const DrawContext* c = Open(target);
  const int16_t height = c ? TextMeasureHeight(c->font, text) : 0;
  DrawEnd(target);
  return height;
}

void DrawContextCopy(DrawContext* context, const PixelBuffer& source, const Rect& sourceRect,
                     const Rect& destinationRect, const BitMask* mask, DrawMode mode) {
  if (!context) return;
  const Rect dst = Shift(destinationRect, -context->originX, -context->originY);
  const Rect clip = Shift(context->clip, -context->originX, -context->originY);
  if (mask) {
    const Rect src{sourceRect.left, sourceRect.top,
                   Clamp16(sourceRect.left + RectWidth(destinationRect)),
                   Clamp16(sourceRect.top + RectHeight(destinationRect))};
    RasterCopyMasked(context->buffer, dst, clip, source, src, *mask, 0, 0);
  } else {
    RasterCopy(context->buffer, dst, clip, source, sourceRect, mode);
  }
  Touch(context, destinationRect);
}

void DrawCopy(DrawTarget source, DrawTarget destination, const Rect* sourceRect,
              const Rect* destinationRect, const BitMask* mask, DrawMode mode) {
  if (!sourceRect || !destinationRect) return;
  DrawBegin(source);
  DrawBegin(destination);
  const DrawContext* from = Open(source);
  DrawContext* to = Open(destination);
  if (from && to) {
    DrawContextCopy(to, *from->buffer, Shift(*sourceRect, -from->originX, -from->originY), *destinationRect,
                    mask, mode);
    // Copies are how finished frames reach a window: show each at once, even
    // inside a longer section.
    Present(destination);
  }
  DrawEnd(destination);
  DrawEnd(source);
}
