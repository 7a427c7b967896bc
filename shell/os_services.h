#pragma once
// The few things the program asks of the operating system that are neither
// windows nor sockets: the beep, sleeping, game programs, the system's kind.
// Data paths are in shell/data_path.h, the alerts in toolkit/alert.h.

#include <cstdint>

#include "core/types.h"

// Plays the platform's default beep.
void Beep();

// Blocks the program's thread for ticks x 10 ms: timers, sockets and painting
// all wait. With the manual clock (tests) the clock moves on instead and no
// timer pass runs.
void SleepTicks(uint32_t ticks);

// The longest game name accepted, in characters.
inline constexpr uint32_t kGameNameMax = 63;

// Whether name can name a game program: 1 to kGameNameMax letters, digits,
// '-', '_' and '.', not starting with '.'. Such a name stays inside the games
// directory and means nothing to a shell.
bool GameNameIsValid(const char* name);

// games/<name> (games\<name>.exe on Windows) of the program's tree into
// buffer; false when the name is not valid or the buffer too small.
bool GameProgramPath(const char* name, char* buffer, uint32_t capacity);

// 1 when the game's program file can be opened for reading, else 0 (also for
// a name that is not valid).
uint16_t GameProgramExists(const char* gameName);

// Raises the game's window when the game already runs (a top-level window
// whose title begins with "Orva:" and the name, in any letter case, followed
// by a space or the end of the title);
// otherwise starts games/<name> with the words of argumentText as its
// arguments. 0, or 3 when the name is not valid or the program cannot be
// started.
ErrorCode RunGameProgram(const char* gameName, const char* argumentText);

// The operating system's kind as the server knows it: 4 for the Windows 95
// family, 3 for the Windows NT family, 2 for anything else.
uint16_t OsKind();
// The same for a platform family number (see PlatformOsFamily).
uint16_t OsKindOfFamily(int32_t family);
