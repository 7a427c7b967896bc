#include "shell/os_services.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "core/error_codes.h"
#include "platform/dialog.h"
#include "platform/process.h"
#include "platform/system.h"
#include "shell/data_path.h"

namespace {

// Titles are read into a buffer of this size, so at most 79 characters of a
// title are compared.
constexpr uint32_t kTitleCapacity = 80;
constexpr char kTitlePrefix[] = "Orva:";

// The argument text is the user name, an address and a port: a few words.
constexpr uint32_t kArgumentTextMax = 1023;
constexpr int kArgumentsMax = 32;

constexpr uint32_t kPathCapacity = kDataPathCapacity;

char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Whether title begins with prefix, letter case aside.
bool StartsWithIgnoringCase(const char* title, const char* prefix) {
  for (; *prefix; ++prefix, ++title) {
    if (!*title || Lower(*title) != Lower(*prefix)) return false;
  }
  return true;
}

struct GameWindowSearch {
  const char* prefix;
  PlatformTopWindow found;
  bool matched;
};

// "Orva:" and the game's name, then a space or the end: "Orva:go" does not
// take the window of a game "gomoku" for its own.
bool IsGameTitle(const char* title, const char* prefix) {
  if (!title || !StartsWithIgnoringCase(title, prefix)) return false;
  const char after = title[std::strlen(prefix)];
  return after == ' ' || after == '\0';
}

bool LookAtWindow(PlatformTopWindow window, const char* title, void* context) {
  auto* search = static_cast<GameWindowSearch*>(context);
  if (!IsGameTitle(title, search->prefix)) return true;
  search->found = window;
  search->matched = true;
  return false;
}

// Raises the game's window if one is open; true when it did.
bool RaiseRunningGame(const char* gameName) {
  char prefix[sizeof kTitlePrefix + kGameNameMax];
  std::snprintf(prefix, sizeof prefix, "%s%s", kTitlePrefix, gameName);
  GameWindowSearch search{prefix, 0, false};
  PlatformTopWindowsVisit(kTitleCapacity, &LookAtWindow, &search);
  return search.matched && PlatformTopWindowRaise(search.found);
}

}  // namespace

void Beep() {
  PlatformBeep();
}

void SleepTicks(uint32_t ticks) {
  // Sleeps longer than the millisecond count holds are cut to the longest.
  const uint64_t ms = static_cast<uint64_t>(ticks) * 10u;
  PlatformSleepMs(ms > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(ms));
}

bool GameNameIsValid(const char* name) {
  if (!name || !*name || *name == '.') return false;
  uint32_t length = 0;
  for (const char* p = name; *p; ++p) {
    if (++length > kGameNameMax) return false;
    const char c = *p;
    const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                    c == '-' || c == '_' || c == '.';
    if (!ok) return false;
  }
  // No leading dot means ".." can only appear inside the name, where it
  // still cannot climb; refused anyway, it is never a game's name.
  return std::strstr(name, "..") == nullptr;
}

bool GameProgramPath(const char* name, char* buffer, uint32_t capacity) {
  if (!GameNameIsValid(name) || !buffer) return false;
  char file[kGameNameMax + 8];
  std::snprintf(file, sizeof file, "%s%s", name, PlatformProgramSuffix());
  return GamesPath(file, buffer, capacity);
}

uint16_t GameProgramExists(const char* gameName) {
  char path[kPathCapacity];
  if (!GameProgramPath(gameName, path, sizeof path)) return 0;
  // Opening a directory for reading succeeds on POSIX systems: only a
  // regular file counts.
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return 0;
  std::FILE* file = std::fopen(path, "rb");
  if (!file) return 0;
  std::fclose(file);
  return 1;
}

ErrorCode RunGameProgram(const char* gameName, const char* argumentText) {
  char path[kPathCapacity];
  if (!GameProgramPath(gameName, path, sizeof path)) return kErrorLaunchFailed;
  if (RaiseRunningGame(gameName)) return kErrorNone;

  // The argument text becomes an argument vector word by word; no shell ever
  // sees it.
  char words[kArgumentTextMax + 1];
  const char* text = argumentText ? argumentText : "";
  if (std::strlen(text) > kArgumentTextMax) return kErrorLaunchFailed;
  std::strcpy(words, text);
  const char* argv[kArgumentsMax + 2];
  int argc = 0;
  argv[argc++] = path;
  for (char* p = words; *p;) {
    while (*p == ' ') *p++ = '\0';
    if (!*p) break;
    if (argc > kArgumentsMax) return kErrorLaunchFailed;
    argv[argc++] = p;
    while (*p && *p != ' ') ++p;
  }
  argv[argc] = nullptr;
  return PlatformProcessStart(path, argv) ? kErrorNone : kErrorLaunchFailed;
}

uint16_t OsKindOfFamily(int32_t family) {
  switch (family) {
    case 1: return 4;
    case 2: return 3;
    default: return 2;
  }
}

uint16_t OsKind() {
  return OsKindOfFamily(PlatformOsFamily());
}
