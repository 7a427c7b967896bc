#include "media/building_set.h"

#include "media/animation_def.h"
#include "media/swap_plan.h"

namespace {

bool Plan(SwapPlan* plan) {
  if (!plan->Add(0, kBuildingSetHeaderSize, SwapShape::kSetHeader)) return false;
  const uint32_t idle = plan->U32(kBuildingSetIdle);
  const uint32_t enter = plan->U32(kBuildingSetEnter);
  const uint32_t closed = plan->U32(kBuildingSetClosed);
  if (idle != 0 && !AnimationDefAddToPlan(plan, idle)) return false;
  if (enter != 0 && !AnimationDefAddToPlan(plan, enter)) return false;
  if (closed != 0 && !plan->AddImageBlock(closed)) return false;
  return plan->Check();
}

std::span<const uint8_t> Part(std::span<const uint8_t> set, uint32_t offset) {
  return offset == 0 ? std::span<const uint8_t>() : set.subspan(offset);
}

}  // namespace

bool BuildingSetConvert(std::span<uint8_t> set, ConvertDirection direction) {
  SwapPlan plan(set, direction);
  if (!Plan(&plan)) return false;
  plan.Apply(set);
  return true;
}

bool BuildingSetRead(std::span<const uint8_t> set, BuildingSetParts* out) {
  SwapPlan plan(set, kToFileOrder);  // reads the numbers in host order
  if (!Plan(&plan)) return false;
  BuildingSetHeader& h = out->header;
  h.word0 = plan.U32(0);
  h.rect = Rect{static_cast<int16_t>(plan.U16(kBuildingSetRect)), static_cast<int16_t>(plan.U16(kBuildingSetRect + 2)),
                static_cast<int16_t>(plan.U16(kBuildingSetRect + 4)),
                static_cast<int16_t>(plan.U16(kBuildingSetRect + 6))};
  h.idleOffset = plan.U32(kBuildingSetIdle);
  h.enterOffset = plan.U32(kBuildingSetEnter);
  h.closedOffset = plan.U32(kBuildingSetClosed);
  out->idle = Part(set, h.idleOffset);
  out->enter = Part(set, h.enterOffset);
  out->closed = Part(set, h.closedOffset);
  return true;
}
