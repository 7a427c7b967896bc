#pragma once
// Temporary files a durable replace (PlatformFileReplace) leaves behind when
// the program is ended in the middle of a write: nothing else removes them.

#include <filesystem>

// Removes from directory (not its sub-folders) the regular files whose name
// is a replace's temporary (PlatformFileIsReplaceTemporary) and that were
// last written before `before`: a newer one may be another copy of the
// program writing at this moment. The number of files removed.
int RemoveLeftoverTemporaries(const char* directory, std::filesystem::file_time_type before);
