#include "protocol/frame.h"

#include "core/byte_reader.h"

FrameFault FrameCheck(uint32_t padded, uint32_t length) {
  if (padded > kFrameMaxPadded) return kFrameTooLarge;
  if (length > padded) return kFrameLengthAbovePadded;
  if (padded != FramePadded(length)) return kFramePaddingAboveThree;
  return kFrameOk;
}

const char* FrameFaultText(FrameFault fault) {
  switch (fault) {
    case kFrameOk: return "ok";
    case kFrameLengthAbovePadded: return "length above padded length";
    case kFramePaddingAboveThree: return "padded length is not the length rounded up to four";
    case kFrameTooLarge: return "padded length above the limit";
  }
  return "unknown fault";
}

void FrameHeaderStore(uint8_t out[kFrameHeaderSize], uint32_t type, uint32_t length) {
  StoreBe32(out, type);
  StoreBe32(out + 4, FramePadded(length));
  StoreBe32(out + 8, length);
}
