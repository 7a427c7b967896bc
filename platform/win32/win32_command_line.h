#pragma once
// An argument vector as one Windows command line, quoted so that the C
// runtime's parser (CommandLineToArgvW's rules) gives back exactly the same
// arguments. No command shell ever reads it.

#include <string>

// argv ends with nullptr. An empty argument becomes "".
std::string Win32CommandLine(const char* const* argv);
