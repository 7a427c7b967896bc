// A POSIX program always has the standard output it was started with.

#include "platform/console.h"

void PlatformUseParentConsole() {}
