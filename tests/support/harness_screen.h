#pragma once
// The backend-dependent half of the harness: writing pixels as a PNG file
// and reading what the screen shows (toolkit_harness.h declares the rest).

#include <cstdint>
#include <string>
#include <vector>

#include "platform/handles.h"

// Writes width x height XRGB pixels as a PNG file; false on failure.
bool HarnessWritePng(const std::vector<uint32_t>& pixels, int32_t width, int32_t height,
                     const std::string& path);
