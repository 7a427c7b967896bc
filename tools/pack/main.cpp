// orva-pack: builds the program's image files, resource files, animation
// definitions, building image sets and game image files.

#include <cstdio>
#include <cstring>

#include "tools/pack/pack_commands.h"

int main(int argc, char** argv) {
  if (argc >= 2 && std::strcmp(argv[1], "image") == 0) return PackImageCommand(argc - 2, argv + 2);
  if (argc >= 2 && std::strcmp(argv[1], "resource") == 0) return PackResourceCommand(argc - 2, argv + 2);
  if (argc >= 2 && std::strcmp(argv[1], "animation") == 0) return PackAnimationCommand(argc - 2, argv + 2);
  if (argc >= 2 && std::strcmp(argv[1], "set") == 0) return PackSetCommand(argc - 2, argv + 2);
  if (argc >= 2 && std::strcmp(argv[1], "game-image") == 0) return PackGameImageCommand(argc - 2, argv + 2);
  std::fputs(
      "usage: orva-pack image OUT.oim IN.png [--palette TABLE.png]\n"
      "       orva-pack resource OUT.ors MANIFEST [-I DIR]...\n"
      "       orva-pack animation OUT DESCRIPTION.anim\n"
      "       orva-pack set OUT.set set.txt\n"
      "       orva-pack game-image OUT.ogi SET VERSION\n",
      stderr);
  return 2;
}
