#include "platform/system.h"

char PlatformPathSeparator() {
  return '/';
}
