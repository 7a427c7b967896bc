// Entry point of the salvind program.

#include <string>

#include "platform/loop.h"
#include "app/program.h"

int main(int argc, char** argv) {
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
