// orva-inspect: looks at captured protocol traffic and at the program's files.

#include <cstdio>
#include <cstring>

#include "tools/inspect/commands.h"

namespace {

int Usage() {
  std::fputs(
      "usage: orva-inspect frames FILE [--json]\n"
      "       orva-inspect file FILE [--json] [--png OUT [--scale N]] [--item ID]\n",
      stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return Usage();
  if (std::strcmp(argv[1], "frames") == 0) return InspectFrames(argc - 2, argv + 2);
  if (std::strcmp(argv[1], "file") == 0) return InspectFile(argc - 2, argv + 2);
  return Usage();
}
