#pragma once
// The toolkit's services: exit procedures, periodic procedures and the
// 1-tick timer that runs them (the posted event queue rides on it).

#include "core/types.h"

using ToolkitProc = void (*)(UserData argument);

// Makes both procedure lists and the 1-tick timer. 0, or 2 when something
// could not be made. Called once after WindowsInit.
ErrorCode ToolkitStart();
// Deletes the timer, runs every exit procedure in registration order, then
// deletes both lists.
void ToolkitStop();
// Appends to the exit procedures (run once at ToolkitStop). 0, or 2 when the
// list is missing or memory is exhausted.
ErrorCode ToolkitAddExitProc(ToolkitProc proc, UserData argument);
// Appends to the periodic procedures (run every tick). 0 or 2 as above.
ErrorCode ToolkitAddPeriodicProc(ToolkitProc proc, UserData argument);
