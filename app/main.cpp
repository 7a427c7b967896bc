// Entry point of the salvind program.

#include <cstdio>
#include <string>

#include "app/command_line.h"
#include "app/program.h"
#include "platform/loop.h"

int main(int argc, char** argv) {
  // Answered before the platform starts: no display is needed to ask.
  if (CommandLineAnswer(argc, argv, stdout)) return 0;
  if (!PlatformInit(&argc, argv)) return 0;
  std::string commandLine;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) commandLine += ' ';
    commandLine += argv[i];
  }
  const int exitCode = ProgramMain(commandLine.c_str());
  PlatformShutdown();
  return exitCode;
}
