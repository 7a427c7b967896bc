#pragma once
// Facts about the operating system.

#include <cstdint>

// The separator between directory and file names in a path.
char PlatformPathSeparator();

// What a program file's name ends with ("" here, ".exe" on Windows).
const char* PlatformProgramSuffix();

// The operating system's family as the Windows version information numbers
// it: 1 the Windows 95 family, 2 the Windows NT family, 0 anything else.
int32_t PlatformOsFamily();

// Whether the user asked the desktop for less animation (reduced motion);
// false where the desktop has no such setting or does not say.
bool PlatformDesktopReducesMotion();
