#pragma once
// Test controls of the platform. Nothing in the program calls these.

#include <cstdint>

// Switches the clock and the tick to manual mode: the uptime stands still and
// no tick arrives until a test advances them. For the rest of the process.
void PlatformManualClockEnable();

// Manual mode: sets the uptime (for example just below the wrap).
void PlatformManualClockSet(uint32_t milliseconds);

// Manual mode: for each of ticks, adds 10 ms to the uptime and calls the tick
// handler once.
void PlatformManualClockAdvance(uint32_t ticks);

// Manual mode: adds milliseconds to the uptime and calls the tick handler
// once, like one late platform timer message.
void PlatformManualClockJump(uint32_t milliseconds);

#include "platform/handles.h"

// Replaces every modal box with hook, which records it and returns as if OK
// had been pressed. nullptr restores the real boxes.
using PlatformMessageBoxHook = void (*)(PlatformWindow owner, const char* title, const char* text);
void PlatformSetMessageBoxHook(PlatformMessageBoxHook hook);

// Replaces the immediate exit with hook. nullptr restores the real exit.
void PlatformSetExitHook(void (*hook)(int exitCode));

// Replaces every host lookup with hook, which returns the IPv4 address (host
// order) for name or 0 for not found; asynchronous lookups still answer later
// on the program's thread. nullptr restores real lookups.
using PlatformLookupHook = uint32_t (*)(const char* name);
void PlatformSetLookupHook(PlatformLookupHook hook);
