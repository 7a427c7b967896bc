#include "media/animation_def.h"

#include "media/swap_plan.h"

namespace {

// at + offset as a container position, or false when it leaves the container.
bool Position(const SwapPlan& plan, size_t at, uint32_t offset, size_t* out) {
  if (!plan.Fits(at, offset)) return false;
  *out = at + offset;
  return true;
}

// Adds a table of count u32 offsets at its position and returns where it
// starts; count 0 adds nothing.
bool AddTable(SwapPlan* plan, size_t at, uint32_t offset, uint16_t count, size_t* table) {
  if (count == 0) return true;
  return Position(*plan, at, offset, table) &&
         plan->Add(*table, uint64_t{count} * 4, SwapShape::kWords32, count);
}

}  // namespace

bool AnimationDefAddToPlan(SwapPlan* plan, size_t at) {
  if (!plan->Fits(at, kAnimationDefHeaderSize)) return false;
  const uint16_t frameCount = plan->U16(at + kAnimationDefFrameCount);
  const uint16_t imageCount = plan->U16(at + kAnimationDefImageCount);
  const uint16_t attachmentCount = plan->U16(at + kAnimationDefAttachmentCount);
  if (frameCount == 0) return false;
  if (!plan->Add(at, kAnimationDefHeaderSize, SwapShape::kDefinitionHeader)) return false;

  size_t frames = 0;
  if (!Position(*plan, at, plan->U32(at + kAnimationDefFrameTable), &frames) ||
      !plan->Add(frames, uint64_t{frameCount} * kAnimationFrameSize, SwapShape::kFrameTable, frameCount))
    return false;
  // The image numbers are single bytes: the same in either order.
  for (size_t k = 0; k < frameCount; ++k) {
    const uint8_t image = plan->Bytes()[frames + k * kAnimationFrameSize];
    if (image == 0 || image > imageCount) return false;
  }

  size_t images = 0;
  if (!AddTable(plan, at, plan->U32(at + kAnimationDefImageTable), imageCount, &images)) return false;
  for (size_t k = 0; k < imageCount; ++k) {
    size_t block = 0;
    if (!Position(*plan, at, plan->U32(images + 4 * k), &block) || !plan->AddImageBlock(block)) return false;
  }

  const uint32_t maskOffset = plan->U32(at + kAnimationDefSharedMask);
  if (maskOffset != 0) {
    size_t block = 0;
    if (!Position(*plan, at, maskOffset, &block) || !plan->AddImageBlock(block)) return false;
  }

  size_t attachments = 0;
  if (!AddTable(plan, at, plan->U32(at + kAnimationDefAttachmentTable), attachmentCount, &attachments))
    return false;
  for (size_t k = 0; k < attachmentCount; ++k) {
    size_t record = 0;
    if (!Position(*plan, at, plan->U32(attachments + 4 * k), &record) ||
        !plan->Add(record, kAttachmentRecordSize, SwapShape::kAttachment))
      return false;
  }
  return true;
}

bool AnimationDefConvert(std::span<uint8_t> definition, ConvertDirection direction) {
  SwapPlan plan(definition, direction);
  if (!AnimationDefAddToPlan(&plan, 0) || !plan.Check()) return false;
  plan.Apply(definition);
  return true;
}

bool AnimationDefCheck(std::span<const uint8_t> definition, AnimationDefHeader* out) {
  // Planned as if it were to go to file order: that reads it in host order.
  SwapPlan plan(definition, kToFileOrder);
  if (!AnimationDefAddToPlan(&plan, 0) || !plan.Check()) return false;
  *out = AnimationDefHeader{plan.U16(kAnimationDefFrameCount),      plan.U16(kAnimationDefDuration),
                            plan.U16(kAnimationDefImageCount),      plan.U16(kAnimationDefAttachmentCount),
                            plan.U32(kAnimationDefFrameTable),      plan.U32(kAnimationDefSharedMask),
                            plan.U32(kAnimationDefImageTable),      plan.U32(kAnimationDefAttachmentTable)};
  return true;
}

uint16_t AnimationInterval(uint16_t duration, uint16_t frameCount) {
  if (frameCount == 0) return 0;
  const uint16_t ticks = static_cast<uint16_t>(duration * 10u);
  return static_cast<uint16_t>(ticks / frameCount);
}
