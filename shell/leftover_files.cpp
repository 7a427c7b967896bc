#include "shell/leftover_files.h"

#include <string>
#include <system_error>

#include "platform/file.h"

int RemoveLeftoverTemporaries(const char* directory, std::filesystem::file_time_type before) {
  namespace fs = std::filesystem;
  int removed = 0;
  std::error_code error;
  fs::directory_iterator it(directory, error);
  // Every step may fail (a file gone meanwhile, a folder we may not read):
  // the file is left as it is and the program starts all the same.
  for (; !error && it != fs::directory_iterator(); it.increment(error)) {
    const fs::directory_entry& entry = *it;
    std::error_code fileError;
    if (!entry.is_regular_file(fileError) || fileError) continue;
    const std::string name = entry.path().filename().string();
    if (!PlatformFileIsReplaceTemporary(name.c_str())) continue;
    const fs::file_time_type written = entry.last_write_time(fileError);
    if (fileError || written >= before) continue;
    if (fs::remove(entry.path(), fileError) && !fileError) ++removed;
  }
  return removed;
}
