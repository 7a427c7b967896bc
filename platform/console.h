#pragma once
// Where a program's answer on the command line (its version, its help) goes.

// Makes standard output reach the console the program was started from when
// it has none of its own (a windowed program on Windows started from a
// command prompt); output already sent to a file or a pipe stays there.
// Nothing to do on other systems.
void PlatformUseParentConsole();
