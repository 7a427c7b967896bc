// Items for assistive technology on Win32: not described yet; windows and
// controls speak for themselves through the system.

#include "platform/access.h"

void PlatformWindowSetAccessItems(PlatformWindow, const PlatformAccessItem*, int32_t) {}

void PlatformWindowSetAccessFocus(PlatformWindow, int32_t) {}
