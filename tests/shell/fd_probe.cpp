// Started by the process tests: writes the numbers of the descriptors it was
// given (beyond standard input, output and error) to the file named by its
// first argument, one a line. Written under a temporary name and renamed, so
// the test never reads half a list.

#include <dirent.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  std::string list;
  DIR* dir = opendir("/proc/self/fd");
  if (!dir) return 3;
  const int own = dirfd(dir);
  while (dirent* entry = readdir(dir)) {
    if (entry->d_name[0] == '.') continue;
    const int fd = std::atoi(entry->d_name);
    if (fd > 2 && fd != own) list += std::to_string(fd) + "\n";
  }
  closedir(dir);
  const std::string temporary = std::string(argv[1]) + ".part";
  std::FILE* out = std::fopen(temporary.c_str(), "w");
  if (!out) return 4;
  std::fputs(list.c_str(), out);
  std::fclose(out);
  return std::rename(temporary.c_str(), argv[1]) == 0 ? 0 : 5;
}
