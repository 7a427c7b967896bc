#pragma once
// The options the program answers without starting: --version and --help.
// Every other argument is left alone (the platform may have its own).

#include <cstdio>

// Prints the version or the help to out when an argument asks for it.
// True when it did, and the program should then end with code 0.
bool CommandLineAnswer(int argc, const char* const* argv, std::FILE* out);
