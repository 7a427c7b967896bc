// Main of the tests that need the platform: the Qt backend, headless, with the
// manual clock so that nothing waits for the wall clock.

#include <cstdio>
#include <cstdlib>

#include <gtest/gtest.h>

#include "platform/loop.h"
#include "platform/testing.h"

namespace {

// A real modal box would wait for a person. Before every test a box that no
// test hook expects is answered at once and noted on standard error; a test
// that wants a real box, or to record boxes, installs its own hook.
void AnswerUnexpectedBox(PlatformWindow, const char* title, const char* text) {
  std::fprintf(stderr, "[box answered by the test main] %s: %s\n", title, text);
}

class DefaultBoxAnswer : public ::testing::EmptyTestEventListener {
  void OnTestStart(const ::testing::TestInfo&) override { PlatformSetMessageBoxHook(&AnswerUnexpectedBox); }
};

}  // namespace

int main(int argc, char** argv) {
#ifndef _WIN32
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  // The tests' own peers speak plain; the TLS tests ask for TLS themselves.
  setenv("SALVIND_SERVER_TLS", "off", 0);
#else
  if (!getenv("SALVIND_SERVER_TLS")) _putenv("SALVIND_SERVER_TLS=off");
#endif
  // One logical pixel is one pixel of the tests' pictures.
#ifdef _WIN32
  if (!std::getenv("SALVIND_SCALE")) _putenv_s("SALVIND_SCALE", "1");
#else
  setenv("SALVIND_SCALE", "1", 0);
#endif
  // What the tests see does not hang on the desktop's wish for less motion;
  // a test of reduced motion sets the variable itself.
#ifdef _WIN32
  if (!std::getenv("SALVIND_REDUCED_MOTION")) _putenv_s("SALVIND_REDUCED_MOTION", "0");
#else
  setenv("SALVIND_REDUCED_MOTION", "0", 0);
#endif
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::UnitTest::GetInstance()->listeners().Append(new DefaultBoxAnswer);
  PlatformManualClockEnable();
  if (!PlatformInit(&argc, argv)) return 1;
  const int result = RUN_ALL_TESTS();
  PlatformShutdown();
  return result;
}
