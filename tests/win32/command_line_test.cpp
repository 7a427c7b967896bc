// Argument vectors quoted into one command line must come back whole from
// the system's own parser, whatever blanks, quotes and backslashes they hold.

#include "platform/win32/win32_command_line.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> Parse(const std::string& line) {
  std::wstring wide(line.begin(), line.end());
  int count = 0;
  LPWSTR* parts = CommandLineToArgvW(wide.c_str(), &count);
  std::vector<std::string> out;
  for (int i = 0; parts && i < count; ++i) {
    std::wstring w(parts[i]);
    out.emplace_back(w.begin(), w.end());
  }
  LocalFree(parts);
  return out;
}

}  // namespace

TEST(Win32CommandLine, QuotesOnlyWhatNeedsIt) {
  const char* argv[] = {"games\\chess.exe", "alice", "2130706433", "7000", nullptr};
  EXPECT_EQ(Win32CommandLine(argv), "games\\chess.exe alice 2130706433 7000");
}

TEST(Win32CommandLine, EveryArgumentComesBackFromTheSystemParser) {
  const std::vector<std::vector<std::string>> cases = {
      {"prog.exe", "two words", "tab\there"},
      {"prog.exe", ""},
      {"prog.exe", "say \"hi\"", "\""},
      {"prog.exe", "ends in backslash\\", "C:\\dir\\"},
      {"prog.exe", "back\\\\\"slash", "\\\\\""},
      {"prog.exe", "& | > < ^ % ! ;", "$(x) `y`"},
  };
  for (const auto& c : cases) {
    std::vector<const char*> argv;
    for (const auto& a : c) argv.push_back(a.c_str());
    argv.push_back(nullptr);
    const std::string line = Win32CommandLine(argv.data());
    EXPECT_EQ(Parse(line), c) << line;
  }
}
