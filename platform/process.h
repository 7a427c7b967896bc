#pragma once
// Starting programs and finding the top-level windows of the desktop.

#include <cstdint>

// Starts the program at path (relative to the current directory, or
// absolute) with argv (argv[0] first, nullptr last), without a shell and
// without waiting for it to end. The program inherits none of our open files
// or sockets, and the environment we were started with (not the settings the
// platform made for itself). True once it is running, false when it cannot
// be started.
bool PlatformProcessStart(const char* path, const char* const* argv);

// A top-level window of the desktop; meaningful only to PlatformTopWindowRaise.
using PlatformTopWindow = uint64_t;

// Calls visit for each top-level window, topmost first, with its title (at
// most titleCapacity - 1 characters, cut there); stops early when visit
// returns false. Where the system keeps no list of other programs' windows,
// only the program's own are visited.
using PlatformTopWindowVisit = bool (*)(PlatformTopWindow window, const char* title, void* context);
void PlatformTopWindowsVisit(uint32_t titleCapacity, PlatformTopWindowVisit visit, void* context);

// Brings a window that PlatformTopWindowsVisit reported to the top (and asks
// the window manager to activate it). False when it is gone.
bool PlatformTopWindowRaise(PlatformTopWindow window);
