// Programs start through CreateProcess with their argument vector intact:
// blanks, quotes and shell characters reach the program as they were given.

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/process.h"

TEST(Win32Process, TheArgumentVectorArrivesWhole) {
  const std::string out = std::string(SALVIND_PROBE_OUT);
  DeleteFileA(out.c_str());
  const std::vector<std::string> args = {"alice smith", "say \"hi\"", "a&b|c>d", "ends\\", ""};
  std::vector<const char*> argv = {"argv_probe.exe", out.c_str()};
  for (const auto& a : args) argv.push_back(a.c_str());
  argv.push_back(nullptr);
  ASSERT_TRUE(PlatformProcessStart(SALVIND_PROBE, argv.data()));
  std::string text;
  for (int i = 0; i < 500 && text.size() < 10; ++i) {
    Sleep(10);
    std::ifstream in(out, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    text = s.str();
    if (!text.empty() && text.back() == '\n' && std::count(text.begin(), text.end(), '\n') == 5) break;
  }
  EXPECT_EQ(text, "alice smith\nsay \"hi\"\na&b|c>d\nends\\\n\n");
}

TEST(Win32Process, AMissingProgramIsNotStarted) {
  const char* argv[] = {"nothing.exe", nullptr};
  EXPECT_FALSE(PlatformProcessStart("games\\nothing-here.exe", argv));
}
