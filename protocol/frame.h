#pragma once
// The framing of one message: a 12-byte header {type, padded length, length},
// big-endian, then the body padded with 0 to 3 bytes to a multiple of four.

#include <cstdint>

inline constexpr uint32_t kFrameHeaderSize = 12;
// The largest padded length accepted. Nothing the service sends comes near
// it; a bigger one is a broken stream, skipped without being allocated.
inline constexpr uint32_t kFrameMaxPadded = 4u << 20;

// Types with the top bit set are the connection's own.
inline constexpr uint32_t kMessageEcho = 0x87654321u;
inline constexpr uint32_t kMessageServerAlert = 0xFFFFFFFFu;
inline bool MessageIsSystem(uint32_t type) { return (type & 0x80000000u) != 0; }

// length rounded up to a multiple of four.
inline uint32_t FramePadded(uint32_t length) { return (length + 3u) & ~3u; }

// Writes the header of a message of type with length data bytes, big-endian.
void FrameHeaderStore(uint8_t out[kFrameHeaderSize], uint32_t type, uint32_t length);

enum FrameFault : int {
  kFrameOk = 0,
  kFrameLengthAbovePadded,  // more data bytes than the body holds
  kFramePaddingAboveThree,  // the padded length is not the length rounded up to four
  kFrameTooLarge,           // padded length above kFrameMaxPadded
};

// What is wrong with a header's two lengths, if anything.
FrameFault FrameCheck(uint32_t padded, uint32_t length);
// A short English description of fault, for tools.
const char* FrameFaultText(FrameFault fault);
