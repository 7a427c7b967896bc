#pragma once
// The program: start-up, the main loop and shutdown, and the quit path.

#include "core/types.h"
#include "toolkit/event.h"

// The whole program after the platform has started: brings the services up
// in order, runs the loop and takes everything down again. Returns the exit
// code (0 also when a service fails to start).
int ProgramMain(const char* commandLine);
// Opens the timed start-up splash, which opens the gate when it closes. The
// command line is not used. Returns 0.
ErrorCode ProgramInit(const char* commandLine);
// The splash's continuation: opens the gate screen.
void ProgramStartGate();
// Posts the quit request with exit code 0; the loop ends when it gets there.
void ProgramQuit();
// Receives every posted event that has neither a source nor a procedure;
// acts on EventQuit only. Returns 1 when it handled the event.
uint16_t ProgramExitHandler(void* source, Event* event);
