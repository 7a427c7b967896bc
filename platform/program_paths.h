#pragma once
// Where the running program lies and where this user's own files for it go.

#include <cstdint>

// The running program's own file as an absolute path, links resolved, into
// buffer. False when the system cannot tell or the path does not fit.
bool PlatformExecutablePath(char* buffer, uint32_t capacity);

// The folder for the files the program writes for this user (it need not
// exist yet): $XDG_DATA_HOME/salvind, else $HOME/.local/share/salvind on
// POSIX systems; %LOCALAPPDATA%\Salvind on Windows. False when the
// environment names no such place or the path does not fit.
bool PlatformUserDataFolder(char* buffer, uint32_t capacity);
