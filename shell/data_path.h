#pragma once
// Paths of the program's data files, relative to the current directory, with
// the platform's separator: data/<directory>/<file>.
//
// Each function writes into one shared buffer: the result holds until the
// next call of any of them, so a caller that needs two paths copies the first.

// data/<directory>/<file>, or data/<file> when directory is nullptr.
const char* DataPath(const char* directory, const char* file);
// data/Salvind/<file>: the program's own files.
const char* ProgramDataPath(const char* file);
// data/common/<file>: files shared with other programs of the service.
const char* CommonDataPath(const char* file);
// The program's name, "Salvind".
const char* ProgramName();
