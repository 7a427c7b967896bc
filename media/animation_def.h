#pragma once
// The animation definition: a 32-byte big-endian header, a frame table, a
// table of image blocks, an optional shared mask block and a table of
// attachment records, all found through offsets from the definition's first
// byte. Converted to host order in place before an animation is made of it.

#include <cstddef>
#include <cstdint>
#include <span>

#include "media/image_block.h"

class SwapPlan;

// Header field offsets.
inline constexpr size_t kAnimationDefFrameCount = 8;
inline constexpr size_t kAnimationDefDuration = 10;
inline constexpr size_t kAnimationDefImageCount = 12;
inline constexpr size_t kAnimationDefAttachmentCount = 14;
inline constexpr size_t kAnimationDefFrameTable = 16;
inline constexpr size_t kAnimationDefSharedMask = 20;
inline constexpr size_t kAnimationDefImageTable = 24;
inline constexpr size_t kAnimationDefAttachmentTable = 28;
inline constexpr size_t kAnimationDefHeaderSize = 32;
inline constexpr size_t kAnimationFrameSize = 4;
inline constexpr size_t kAttachmentRecordSize = 24;

// A frame record in host order; frames are numbered from 1.
struct AnimationFrame {
  uint8_t image;   // 1-based index into the image table
  uint8_t unused;
  uint16_t next;   // 0: the following frame; else the number of the next frame
};

// The header of a definition in host order.
struct AnimationDefHeader {
  uint16_t frameCount;
  uint16_t duration;  // tenths of a second for one pass through all frames
  uint16_t imageCount;
  uint16_t attachmentCount;
  uint32_t frameTableOffset;
  uint32_t sharedMaskOffset;  // 0: none
  uint32_t imageTableOffset;
  uint32_t attachmentTableOffset;
};

// Converts the definition that starts at definition's first byte and whose
// records lie within definition (the container's bytes from there on) in
// place. False, with nothing converted, when the definition is malformed:
// a header, table, record or block outside the bytes given, records that
// overlap, a frame count of 0, or a frame naming image 0 or an image above
// the image count. Records listed twice are converted once.
bool AnimationDefConvert(std::span<uint8_t> definition, ConvertDirection direction);

// Checks a host-order definition as AnimationDefConvert does and reads its
// header; false when it is malformed.
bool AnimationDefCheck(std::span<const uint8_t> definition, AnimationDefHeader* out);

// Lists the swaps of the definition at offset at of plan's container; false
// when it is malformed (see AnimationDefConvert). For the records that hold
// definitions.
bool AnimationDefAddToPlan(SwapPlan* plan, size_t at);

// Ticks per frame: (duration x 10) / frame count in unsigned 16-bit
// arithmetic, the product truncated to 16 bits, the quotient rounded down;
// 0 for a frame count of 0.
uint16_t AnimationInterval(uint16_t duration, uint16_t frameCount);
