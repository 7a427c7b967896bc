#pragma once
// The program's wiring: start-up, the main loop and shutdown, and the
// handler of the quit event. It calls every screen, so it sits above them all.

#include "core/types.h"
#include "shell/program_quit.h"
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
// Receives every posted event that has neither a source nor a procedure;
// acts on EventQuit only. Returns 1 when it handled the event.
uint16_t ProgramExitHandler(void* source, Event* event);
