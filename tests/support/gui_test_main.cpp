// Main of the tests that need the platform: the Qt backend, headless, with the
// manual clock so that nothing waits for the wall clock.

#include <cstdlib>

#include <gtest/gtest.h>

#include "platform/loop.h"
#include "platform/testing.h"

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  ::testing::InitGoogleTest(&argc, argv);
  PlatformManualClockEnable();
  if (!PlatformInit(&argc, argv)) return 1;
  const int result = RUN_ALL_TESTS();
  PlatformShutdown();
  return result;
}
