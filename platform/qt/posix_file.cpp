#include "platform/file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

bool WriteAll(int fd, const unsigned char* p, size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, p, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

// The rename itself lives in the directory; without this a crash right after
// it can bring back the old name.
void SyncDirectoryOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  const std::string dir = slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
  const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

int PlatformFileReplace(const char* path, const void* data, size_t size) {
  if (!path || (!data && size > 0)) return 1;
  const std::string target(path);
  // The temporary name sits beside the target so the rename stays on one
  // file system and is atomic.
  std::string temporary = target + ".XXXXXX";
  const int fd = ::mkstemp(temporary.data());
  if (fd < 0) return 1;
  bool ok = ::fchmod(fd, 0644) == 0;
  ok = ok && WriteAll(fd, static_cast<const unsigned char*>(data), size);
  ok = ok && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  ok = ok && ::rename(temporary.c_str(), target.c_str()) == 0;
  if (!ok) {
    ::unlink(temporary.c_str());
    return 1;
  }
  SyncDirectoryOf(target);
  return 0;
}

bool PlatformFileIsReplaceTemporary(const char* fileName) {
  // mkstemp fills the six places with letters and digits.
  constexpr size_t kSuffix = 6;
  const std::string name(fileName ? fileName : "");
  if (name.size() < kSuffix + 2 || name[name.size() - kSuffix - 1] != '.') return false;
  for (size_t i = name.size() - kSuffix; i < name.size(); ++i) {
    const char c = name[i];
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) return false;
  }
  return true;
}
