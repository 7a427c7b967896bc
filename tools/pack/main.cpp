// orva-pack: builds the program's image files and resource files.

#include <cstdio>
#include <cstring>

#include "tools/pack/pack_commands.h"

int main(int argc, char** argv) {
  if (argc >= 2 && std::strcmp(argv[1], "image") == 0) return PackImageCommand(argc - 2, argv + 2);
  if (argc >= 2 && std::strcmp(argv[1], "resource") == 0) return PackResourceCommand(argc - 2, argv + 2);
  std::fputs(
      "usage: orva-pack image OUT.oim IN.png [--palette TABLE.png]\n"
      "       orva-pack resource OUT.ors MANIFEST [-I DIR]...\n",
      stderr);
  return 2;
}
