#include "shell/motion.h"

#include <cstdlib>
#include <cstring>

#include "platform/system.h"

bool MotionReduced() {
  const char* value = std::getenv(kReducedMotionVariable);
  if (value && std::strcmp(value, "1") == 0) return true;
  if (value && std::strcmp(value, "0") == 0) return false;
  return PlatformDesktopReducesMotion();
}
