// Durable replacement of a data file on Win32: a new file beside the target,
// flushed to the disk, then moved over it in one step.

#include <windows.h>

#include <cstdio>
#include <string>

#include "platform/file.h"

namespace {

bool WriteAll(HANDLE file, const unsigned char* p, size_t size) {
  while (size > 0) {
    const DWORD chunk = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
    DWORD written = 0;
    if (!WriteFile(file, p, chunk, &written, nullptr) || written == 0) return false;
    p += written;
    size -= written;
  }
  return true;
}

}  // namespace

int PlatformFileReplace(const char* path, const void* data, size_t size) {
  if (!path || (!data && size > 0)) return 1;
  const std::string target(path);
  static unsigned counter = 0;
  // Beside the target, so the move stays on one volume and is one step.
  for (int attempt = 0; attempt < 100; ++attempt) {
    char suffix[48];
    std::snprintf(suffix, sizeof suffix, ".%lu.%u.tmp", GetCurrentProcessId(), ++counter);
    const std::string temporary = target + suffix;
    HANDLE file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
      if (GetLastError() == ERROR_FILE_EXISTS) continue;
      return 1;
    }
    bool ok = WriteAll(file, static_cast<const unsigned char*>(data), size);
    ok = ok && FlushFileBuffers(file);
    ok = CloseHandle(file) && ok;
    ok = ok && MoveFileExA(temporary.c_str(), target.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!ok) {
      DeleteFileA(temporary.c_str());
      return 1;
    }
    return 0;
  }
  return 1;
}

bool PlatformFileIsReplaceTemporary(const char* fileName) {
  // "<name>.<process>.<count>.tmp", as PlatformFileReplace makes it.
  std::string name(fileName ? fileName : "");
  const std::string tail = ".tmp";
  if (name.size() <= tail.size() || name.compare(name.size() - tail.size(), tail.size(), tail) != 0) return false;
  name.resize(name.size() - tail.size());
  for (int number = 0; number < 2; ++number) {
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot + 1 == name.size()) return false;
    if (name.find_first_not_of("0123456789", dot + 1) != std::string::npos) return false;
    name.resize(dot);
  }
  return !name.empty();
}
