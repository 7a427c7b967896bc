#include "platform/qt/qt_start_environment.h"

#include <string>
#include <vector>

extern char** environ;

namespace {
std::vector<std::string> g_entries;
std::vector<char*> g_pointers;
bool g_captured = false;
}  // namespace

void QtStartEnvironmentCapture() {
  if (g_captured) return;
  for (char** e = environ; e && *e; ++e) g_entries.emplace_back(*e);
  for (std::string& entry : g_entries) g_pointers.push_back(entry.data());
  g_pointers.push_back(nullptr);
  g_captured = true;
}

char* const* QtStartEnvironment() { return g_captured ? g_pointers.data() : environ; }
