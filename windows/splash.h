#pragma once
// The start-up splash: the service's picture in a small modal window until
// its time is up (timed), a click or a key, then the next screen.

#include <cstdint>

// What runs once the splash has closed.
using SplashNext = void (*)();

// Ticks a timed splash stays (three seconds).
inline constexpr uint32_t kSplashTicks = 300;

enum : uint16_t { kSplashUntilInput = 0, kSplashTimed = 1 };

// Shows the picture (image 0 of data/common/orva.ors) centred in a modal
// window titled "Orva". A mouse button pressed in it, a key typed, or for a
// timed splash kSplashTicks ticks, hide it; it is deleted on the next
// posted-event tick and next (nullptr: nothing) runs then. When the picture
// or the window cannot be had, next runs at once instead. Either way next
// runs exactly once.
void SplashShow(uint16_t timed, SplashNext next);
