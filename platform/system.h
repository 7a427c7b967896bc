#pragma once
// Facts about the operating system.

// The separator between directory and file names in a path.
char PlatformPathSeparator();
