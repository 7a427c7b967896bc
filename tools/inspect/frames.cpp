#include <cstdio>

#include "tools/inspect/commands.h"

int InspectFrames(int, char**) {
  std::fputs("orva-inspect: frames is not available yet\n", stderr);
  return 2;
}
