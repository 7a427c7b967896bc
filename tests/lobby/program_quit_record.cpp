// The screens' tests run without the program library: its quit is counted.

#include "shell/program_quit.h"
#include "tests/lobby/screen_fixture.h"

void ProgramQuit() { ++ProgramQuitCount(); }
