#pragma once
// The program's event loop.

// Called once by main before anything else; false when the platform cannot
// start (no display). argc and argv are the process's own.
bool PlatformInit(int* argc, char** argv);

// Called once by main after the loop has ended; releases the platform.
void PlatformShutdown();

// Runs the loop until the quit request posted by PlatformQuit is reached,
// and returns its exit code.
int PlatformRun();

// Posts the quit request with exit code; only the first request counts.
void PlatformQuit(int exitCode);

// Handles what is already pending without waiting (tests drive the loop so).
void PlatformPumpOnce();

// Installs the handler for a request from outside to end the program (a
// termination signal, the session ending). It runs on the program's thread.
void PlatformSetQuitRequestHandler(void (*handler)());
