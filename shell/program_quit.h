#pragma once
// The program-wide quit, for the layers that end the program from below
// (the session after a lost connection) as well as for the entry's handler.

// Posts the quit request with exit code 0; the loop ends when it gets there.
// May be called more than once: the first request ends the loop.
void ProgramQuit();
