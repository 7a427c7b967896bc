#pragma once
// What the tests read of a native window that the seam does not offer.

#include <string>

#include "platform/handles.h"

std::string WindowTitleOf(PlatformWindow window);
bool WindowStaysOnTop(PlatformWindow window);
