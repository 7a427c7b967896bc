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
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::UnitTest::GetInstance()->listeners().Append(new DefaultBoxAnswer);
  PlatformManualClockEnable();
  if (!PlatformInit(&argc, argv)) return 1;
  const int result = RUN_ALL_TESTS();
  PlatformShutdown();
  return result;
}
