#pragma once
// Reading and writing whole files for orva-pack's commands, and their one
// way of reporting a failure.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// Prints "orva-pack: message" to stderr; returns the exit code 1.
int PackFail(const std::string& message);
bool PackReadFile(const std::filesystem::path& path, std::vector<uint8_t>* out);
// Written beside the target and renamed over it, so a failed run never
// leaves a half-written file for the build to pick up.
bool PackWriteFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes);
