// Started by the process tests: writes its environment to the file named by
// its first argument, one entry a line, under a temporary name renamed at
// the end so the test never reads half of it.

#include <cstdio>
#include <string>

extern char** environ;

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const std::string temporary = std::string(argv[1]) + ".part";
  std::FILE* out = std::fopen(temporary.c_str(), "w");
  if (!out) return 4;
  for (char** e = environ; *e; ++e) std::fprintf(out, "%s\n", *e);
  std::fclose(out);
  return std::rename(temporary.c_str(), argv[1]) == 0 ? 0 : 5;
}
