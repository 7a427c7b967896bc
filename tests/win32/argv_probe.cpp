// Writes the arguments it was started with, one per line, to the file named
// by its first argument: what a started game would see.

#include <cstdio>

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  std::FILE* out = std::fopen(argv[1], "wb");
  if (!out) return 3;
  for (int i = 2; i < argc; ++i) std::fprintf(out, "%s\n", argv[i]);
  std::fclose(out);
  return 0;
}
