#pragma once
// The whole-number scale of a dense screen on Win32. The program's world is
// logical pixels; the backend places, paints and reads input in device
// pixels, N of them to a logical one, and nothing above it sees N. The
// process is per-monitor DPI aware (its manifest), so the system never
// stretches it itself; a window moved to a screen of another density keeps
// the factor chosen at start.

#include <windows.h>

#include <cstdint>

// Chooses the factor once: SALVIND_SCALE when it holds 1 to 4, else the
// largest whole factor not above the screen's density (96 dots per inch
// being 1), at most 4.
void Win32ScaleChoose();
int32_t Win32Scale();

inline int32_t Win32ToDevice(int32_t logical) { return logical * Win32Scale(); }
// Rounded down, also below zero.
int32_t Win32ToLogical(int32_t device);
RECT Win32DeviceRect(const RECT& logical);
// The logical rectangle that covers a device one.
RECT Win32LogicalRect(const RECT& device);
