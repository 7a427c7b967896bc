#pragma once
// Time. The program counts in ticks of 10 ms; the platform gives a clock and a
// steady tick on the program's one thread.

#include <cstdint>

inline constexpr uint32_t kMillisecondsPerTick = 10;

// Monotonic milliseconds since an arbitrary start; wraps at 2^32.
uint32_t PlatformUptimeMs();

// Installs the handler called about every 10 ms on the program's thread, also
// inside nested loops (modal boxes). nullptr stops the tick. One handler.
void PlatformSetTickHandler(void (*handler)());
