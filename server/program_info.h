#pragma once
// --version and --help of the server's programs.

// When the command line is --version or --help (or -h) alone, prints
// "<program> <version>" or help to standard output and returns true; the
// program then ends with 0.
bool ProgramInfoAnswer(int argc, char** argv, const char* program, const char* help);
