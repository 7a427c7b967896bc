#include "platform/win32/win32_command_line.h"

#include <cstring>

namespace {

void AppendQuoted(std::string& line, const char* argument) {
  // Plain words need no quotes; anything with a blank, a quote or nothing
  // at all does.
  if (*argument && !std::strpbrk(argument, " \t\n\v\"")) {
    line += argument;
    return;
  }
  line += '"';
  size_t backslashes = 0;
  for (const char* p = argument;; ++p) {
    if (*p == '\\') {
      ++backslashes;
      continue;
    }
    if (*p == '\0') {
      // Backslashes before the closing quote are doubled so they stay literal.
      line.append(backslashes * 2, '\\');
      break;
    }
    if (*p == '"') {
      // Backslashes before a quote are doubled, and the quote escaped.
      line.append(backslashes * 2 + 1, '\\');
    } else {
      line.append(backslashes, '\\');
    }
    backslashes = 0;
    line += *p;
  }
  line += '"';
}

}  // namespace

std::string Win32CommandLine(const char* const* argv) {
  std::string line;
  for (const char* const* arg = argv; arg && *arg; ++arg) {
    if (arg != argv) line += ' ';
    AppendQuoted(line, *arg);
  }
  return line;
}
