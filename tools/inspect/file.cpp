#include <cstdio>

#include "tools/inspect/commands.h"

int InspectFile(int, char**) {
  std::fputs("orva-inspect: file is not available yet\n", stderr);
  return 2;
}
