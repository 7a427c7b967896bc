#include "media/animation.h"

#include <cstring>

#include "core/error_codes.h"
#include "core/memory.h"
#include "media/image_draw.h"
#include "toolkit/draw.h"

namespace {

// Decoded pixels one animation may hold (pictures and masks together):
// far above any building, far below what a hostile definition could ask
// for by pointing every table entry at one large block.
constexpr uint64_t kMaxAnimationPixels = uint64_t{16} * 1024 * 1024;

uint64_t AlignRow(uint64_t bytes) { return (bytes + 3) & ~uint64_t{3}; }

// The pixels ImageBuild would make of the block at offset (checked by
// AnimationDefCheck to hold a header).
uint64_t BlockPixels(std::span<const uint8_t> definition, uint32_t offset) {
  ImageBlockHeader h{};
  if (!ImageBlockHeaderRead(definition.subspan(offset), &h)) return 0;
  const uint64_t picture = h.pictureOffset ? AlignRow(h.rowBytes) * h.height : 0;
  // A mask costs its bytes, counted in 4-byte pixels.
  const uint64_t mask = h.maskOffset ? AlignRow(h.maskRowBytes) * h.height / 4 : 0;
  return picture + mask;
}

void FreeParts(Animation* a) {
  if (a->images) {
    for (uint16_t k = 0; k < a->imageCount; ++k) ImageDelete(a->images[k]);
    MemFree(a->images);
  }
  if (a->attachments) {
    for (uint16_t k = 0; k < a->attachmentCount; ++k) MemFree(a->attachments[k]);
    MemFree(a->attachments);
  }
  ImageDelete(a->sharedMask);
  MemFree(a->frames);
  TimerDelete(a->timer);
  OffscreenDelete(a->surface);
}

// Releases what a failed create made; the animation is left as new.
ErrorCode Undo(Animation* a, ErrorCode error) {
  FreeParts(a);
  std::memset(a, 0, sizeof *a);
  return error;
}

ErrorCode BuildImage(std::span<const uint8_t> definition, uint32_t offset, bool maskOnly, Image** out) {
  *out = ImageNew();
  if (!*out) return kErrorOutOfMemory;
  const std::span<const uint8_t> block = definition.subspan(offset);
  return maskOnly ? ImageBuild(*out, {}, block) : ImageBuild(*out, block, {});
}

ErrorCode BuildImages(Animation* a, std::span<const uint8_t> definition, const AnimationDefHeader& h) {
  uint64_t pixels = h.sharedMaskOffset ? BlockPixels(definition, h.sharedMaskOffset) : 0;
  for (uint16_t k = 0; k < h.imageCount; ++k)
    pixels += BlockPixels(definition, HostWordAt(definition.data() + h.imageTableOffset + 4 * k));
  if (pixels > kMaxAnimationPixels) return kErrorUnknownFile;

  a->images = static_cast<Image**>(MemAllocZero(h.imageCount, sizeof(Image*)));
  if (!a->images) return kErrorOutOfMemory;
  a->imageCount = h.imageCount;
  if (h.sharedMaskOffset) {
    if (ErrorCode err = BuildImage(definition, h.sharedMaskOffset, true, &a->sharedMask)) return err;
  }
  for (uint16_t k = 0; k < h.imageCount; ++k) {
    const uint32_t offset = HostWordAt(definition.data() + h.imageTableOffset + 4 * k);
    if (ErrorCode err = BuildImage(definition, offset, false, &a->images[k])) return err;
  }
  return kErrorNone;
}

ErrorCode BuildAttachments(Animation* a, uint16_t count) {
  a->attachments = static_cast<AttachmentPlaceholder**>(MemAllocZero(count, sizeof(AttachmentPlaceholder*)));
  if (!a->attachments) return kErrorOutOfMemory;
  a->attachmentCount = count;
  for (uint16_t k = 0; k < count; ++k) {
    a->attachments[k] = static_cast<AttachmentPlaceholder*>(MemAllocZero(1, sizeof(AttachmentPlaceholder)));
    if (!a->attachments[k]) return kErrorOutOfMemory;
    a->attachments[k]->kind = kObjectKindAttachment;
  }
  return kErrorNone;
}

void Free(Animation* a) {
  FreeParts(a);
  MemFree(a);
}

// Callbacks may delete the animation: they run inside a guard, and the
// animation is freed when the outermost one has returned. False when it is
// gone and the caller must not touch it again.
void EnterCallback(Animation* a) { ++a->callbackDepth; }
bool LeaveCallback(Animation* a) {
  --a->callbackDepth;
  if (a->deletePending && a->callbackDepth == 0) {
    Free(a);
    return false;
  }
  return !a->deletePending;
}

// The frame a picture is taken from: the current one, or after the end the
// one left on screen.
const AnimationFrame* ShownFrame(const Animation* a) {
  const uint16_t n = a->frame ? a->frame : a->shownFrame;
  if (n < 1 || n > a->frameCount || !a->frames) return nullptr;
  return &a->frames[n - 1];
}

// Draws the frame; false when the background callback deleted the
// animation.
bool Compose(Animation* a) {
  if (!a->visible || !a->surface || a->deletePending) return true;
  const AnimationFrame* f = ShownFrame(a);
  if (!f) return true;
  a->shownFrame = a->frame ? a->frame : a->shownFrame;
  Offscreen* surface = a->surface;
  DrawBegin(surface);
  DrawSetClipRect(surface, &a->rect);
  DrawEraseRect(surface, &a->rect);
  if (a->backgroundCallback) {
    EnterCallback(a);
    a->backgroundCallback(a, surface, &a->rect, a->userData);
    if (a->deletePending) {
      DrawEnd(surface);
      return LeaveCallback(a);
    }
    LeaveCallback(a);
  }
  // Image numbers were checked against the image count at creation.
  ImageDraw(a->images[f->image - 1], surface, &a->rect, a->sharedMask, kDrawModeCopy);
  DrawEnd(surface);
  if (a->window) DrawCopy(surface, a->window, &a->rect, &a->rect, nullptr, kDrawModeCopy);
  return true;
}

// Advances by the frame's next value; false when the animation was deleted
// by its frame callback.
bool Advance(Animation* a) {
  const AnimationFrame& current = a->frames[a->frame - 1];
  const uint32_t next = current.next == 0 ? uint32_t{a->frame} + 1 : current.next;
  if (next < 1 || next > a->frameCount) {
    a->frame = 0;
    a->running = 0;
  } else {
    a->frame = static_cast<uint16_t>(next);
  }
  if (!a->frameCallback) return true;
  EnterCallback(a);
  a->frameCallback(a, a->frame, a->userData);
  return LeaveCallback(a);
}

void Tick(Timer*, UserData data) {
  auto* a = reinterpret_cast<Animation*>(data);
  if (!a->running || a->frame == 0) return;
  if (!Advance(a)) return;
  if (a->running) Compose(a);
}

}  // namespace

Animation* AnimationNew() { return static_cast<Animation*>(MemAllocZero(1, sizeof(Animation))); }

ErrorCode AnimationCreate(Animation* a, Window* window, const Rect* rect, uint16_t visible,
                          std::span<const uint8_t> definition, AnimationFrameCallback frameCallback,
                          AnimationBackgroundCallback backgroundCallback, UserData userData) {
  if (!a || !rect) return kErrorOutOfMemory;
  AnimationDefHeader h{};
  if (!AnimationDefCheck(definition, &h)) return kErrorUnknownFile;
  a->frame = 1;
  a->frameCount = h.frameCount;
  a->interval = AnimationInterval(h.duration, h.frameCount);
  a->window = window;
  a->visible = visible;
  a->rect = *rect;
  a->frameCallback = frameCallback;
  a->backgroundCallback = backgroundCallback;
  a->userData = userData;

  a->surface = OffscreenNew();
  if (!a->surface || OffscreenInit(a->surface, rect) != 0) return Undo(a, kErrorOutOfMemory);

  a->frames = static_cast<AnimationFrame*>(MemAlloc(size_t{h.frameCount} * sizeof(AnimationFrame)));
  if (!a->frames) return Undo(a, kErrorOutOfMemory);
  for (uint16_t k = 0; k < h.frameCount; ++k) {
    const uint8_t* record = definition.data() + h.frameTableOffset + k * kAnimationFrameSize;
    uint16_t next;
    std::memcpy(&next, record + 2, 2);
    a->frames[k] = AnimationFrame{record[0], record[1], next};
  }

  if (h.imageCount != 0) {
    if (ErrorCode err = BuildImages(a, definition, h)) return Undo(a, err);
  }
  if (h.attachmentCount != 0) {
    if (ErrorCode err = BuildAttachments(a, h.attachmentCount)) return Undo(a, err);
  }

  a->timer = TimerNew();
  if (!a->timer) return Undo(a, kErrorOutOfMemory);
  TimerStart(a->timer, 0, Tick, reinterpret_cast<UserData>(a));
  return kErrorNone;
}

void AnimationDelete(Animation* a) {
  if (!a) return;
  if (a->callbackDepth > 0) {
    a->running = 0;
    if (a->timer) TimerSetInterval(a->timer, 0);
    a->deletePending = 1;
    return;
  }
  Free(a);
}

void AnimationStart(Animation* a) {
  if (!a || !a->frames) return;
  a->running = 1;
  a->frame = 1;
  if (!Compose(a) || a->deletePending) return;
  TimerSetInterval(a->timer, a->interval);
}

void AnimationStop(Animation* a) {
  if (!a || !a->timer) return;
  a->running = 0;
  TimerSetInterval(a->timer, 0);
}

uint16_t AnimationIsRunning(const Animation* a) { return a ? a->running : 0; }

void AnimationDraw(Animation* a) {
  if (a) Compose(a);
}

int16_t AnimationHitTest(const Animation* a, Point point) {
  if (!a || !RectContainsPoint(&point, &a->rect)) return 0;
  const Point inside{static_cast<int16_t>(point.x - a->rect.left), static_cast<int16_t>(point.y - a->rect.top)};
  if (a->sharedMask) return ImageHitTest(a->sharedMask, inside);
  const AnimationFrame* f = ShownFrame(a);
  if (!f || !a->images) return 0;
  return ImageHitTest(a->images[f->image - 1], inside);
}
