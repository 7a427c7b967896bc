#pragma once
// Paths of the program's data files: <directory>/<file> under data/, with the
// platform's separator. Where data/ is depends on how the program was
// started (shell/data_locations.h): a staged tree started from its own
// folder gives relative paths, data/<directory>/<file>, as it always has.
//
// Each function writes into one shared buffer: the result holds until the
// next call of any of them, so a caller that needs two paths copies the first.

#include <cstdint>

// The shared buffer's size; a longer path is cut inside it.
inline constexpr uint32_t kDataPathCapacity = 1024;

// The file to read: the writable folder's copy when there is one, else the
// tree's. directory may be nullptr (data/<file>).
const char* DataPath(const char* directory, const char* file);
// The file to write, in the writable folder, whose directory is made when
// missing.
const char* DataWritePath(const char* directory, const char* file);
// The file to change in place: DataWritePath, after a copy of the tree's file
// has been put there when the writable folder has none yet.
const char* DataChangePath(const char* directory, const char* file);

// The program's own files, <directory> being the program's name.
const char* ProgramDataPath(const char* file);
const char* ProgramDataWritePath(const char* file);
const char* ProgramDataChangePath(const char* file);
// The folder ProgramDataWritePath writes into, without making it.
const char* ProgramDataWriteFolder();
// Files shared with other programs of the service, <directory> "common".
const char* CommonDataPath(const char* file);

// <tree>/games/<name> into buffer; false when it does not fit.
bool GamesPath(const char* name, char* buffer, uint32_t capacity);

// The program's name, "Salvind".
const char* ProgramName();
