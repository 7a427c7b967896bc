#pragma once
// Animations: a sequence of frames shown in one rectangle of a window, each
// frame one of a set of images drawn with a shared mask over a background
// the owner paints, composed off screen and copied to the window in one
// piece. A timer of the timer service advances the frames.

#include <cstdint>
#include <span>

#include "core/rect.h"
#include "core/types.h"
#include "media/animation_def.h"
#include "media/image.h"
#include "shell/timer.h"
#include "toolkit/offscreen.h"

struct Window;
struct Animation;

// The object kind of the attachment placeholders.
inline constexpr uint32_t kObjectKindAttachment = 11;

// One per attachment record of the definition; it holds nothing else.
struct AttachmentPlaceholder {
  uint32_t kind;  // always kObjectKindAttachment
};

// Called after each frame change with the new frame number; 0 when the
// animation has just ended.
using AnimationFrameCallback = void (*)(Animation* animation, uint16_t frame, UserData userData);
// Paints the background of a frame into surface, inside an open drawing
// section clipped to rect, in window coordinates.
using AnimationBackgroundCallback = void (*)(Animation* animation, Offscreen* surface, const Rect* rect,
                                             UserData userData);

// Owned by its creator; every pointer is owned by the animation except the
// window and the user data.
struct Animation {
  Window* window;         // where frames are shown (none: composed only)
  uint16_t running;       // 1 while playing
  uint16_t visible;       // frames are drawn only when not 0
  uint16_t frame;         // current frame, 1-based; 0 after the end
  uint16_t frameCount;
  uint16_t interval;      // ticks per frame
  uint16_t imageCount;
  uint16_t attachmentCount;
  Offscreen* surface;     // the frame is composed here; bounds = rect
  Rect rect;              // place in the window
  AnimationFrame* frames;  // frameCount records
  Image* sharedMask;      // the mask of every frame, or none
  Image** images;         // imageCount images in table order
  AttachmentPlaceholder** attachments;  // attachmentCount placeholders
  AnimationFrameCallback frameCallback;
  AnimationBackgroundCallback backgroundCallback;
  Timer* timer;
  UserData userData;
  // The frame last composed: what stays on screen after the end, and what
  // drawing and the hit test use while frame is 0.
  uint16_t shownFrame;
  // Callbacks in progress, and a delete asked for during one: the
  // animation is freed when the outermost callback has returned.
  uint16_t callbackDepth;
  uint16_t deletePending;
};

// An animation with every field cleared; nullptr when memory is exhausted.
Animation* AnimationNew();
// Makes the animation from a host-order definition (definition holds the
// definition's bytes from its first one to the end of its container; it is
// only read and the caller keeps it). 0; kErrorOutOfMemory when anything
// cannot be made; kErrorUnknownFile when the definition or one of its
// images is malformed. On failure everything made is released again and
// the animation is as AnimationNew left it, for AnimationDelete.
ErrorCode AnimationCreate(Animation* animation, Window* window, const Rect* rect, uint16_t visible,
                          std::span<const uint8_t> definition, AnimationFrameCallback frameCallback,
                          AnimationBackgroundCallback backgroundCallback, UserData userData);
// Frees the frames, images, mask, placeholders, timer and surface, then the
// animation; nullptr is ignored. Called from the animation's own callback,
// it stops the animation and the freeing waits until the callback returns.
void AnimationDelete(Animation* animation);

// Plays from frame 1: draws it, then the countdown to frame 2 starts.
void AnimationStart(Animation* animation);
void AnimationStop(Animation* animation);
uint16_t AnimationIsRunning(const Animation* animation);
// Composes the current frame (background, then the image with the shared
// mask) and copies it to the window; nothing when not visible. After the
// end it draws the frame last shown.
void AnimationDraw(Animation* animation);
// 1 when point (window coordinates) lies in the rectangle on an opaque
// pixel of the shared mask, or of the current frame's image when there is
// no shared mask; else 0.
int16_t AnimationHitTest(const Animation* animation, Point point);
