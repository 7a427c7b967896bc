#include "server/program_info.h"

#include <cstdio>
#include <cstring>

bool ProgramInfoAnswer(int argc, char** argv, const char* program, const char* help) {
  if (argc != 2) return false;
  if (std::strcmp(argv[1], "--version") == 0) {
    std::printf("%s %s\n", program, SALVIND_VERSION);
    return true;
  }
  if (std::strcmp(argv[1], "--help") != 0 && std::strcmp(argv[1], "-h") != 0) return false;
  std::fputs(help, stdout);
  return true;
}
