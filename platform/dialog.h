#pragma once
// Modal boxes, the beep, sleeping and the immediate exit. Tests replace the
// box and the exit with hooks (platform/testing.h) so nothing waits for a
// person and the test process survives.

#include <cstdint>

#include "platform/handles.h"

// Shows a modal box with an OK button, owned by owner (nullptr: no owner),
// and returns when it is dismissed. Runs a nested loop in which painting,
// timers and socket readiness go on being delivered; ticks keep flowing even
// when the box was opened from inside the tick handler.
void PlatformMessageBox(PlatformWindow owner, const char* title, const char* text);

// Plays the default beep.
void PlatformBeep();

// Blocks the program's thread for milliseconds. With the manual clock it
// advances the clock instead, without calling the tick handler.
void PlatformSleepMs(uint32_t milliseconds);

// Ends the process at once with exitCode, without any clean-up. With a test
// hook installed it calls the hook and returns; callers then stop what they
// were doing.
void PlatformExitNow(int exitCode);
