#pragma once
// Durable replacement of a data file.

#include <cstddef>

// Makes path hold exactly size bytes of data: they go to a new file in the
// same directory, are flushed to the disk and then renamed over path. 0 on
// success; non-zero when any step fails, and then path is as it was and no
// new file is left behind.
int PlatformFileReplace(const char* path, const void* data, size_t size);

// Whether fileName (without its folder) has the form of the temporary file
// PlatformFileReplace writes before its rename, and leaves behind when the
// program is ended during a write: "<name>.XXXXXX" (six letters or digits)
// on POSIX systems, "<name>.<process>.<count>.tmp" on Windows.
bool PlatformFileIsReplaceTemporary(const char* fileName);
