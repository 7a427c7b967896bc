#include "tests/net/net_test_support.h"

#include <string>
#include <vector>

#include "platform/testing.h"
#include "tests/net/alert_record.h"
#include "windows/alert_box.h"

SeamRecord& Seam() {
  static SeamRecord record;
  return record;
}

void InstallSeamHooks() {
  Seam() = SeamRecord{};
  PlatformSetMessageBoxHook([](PlatformWindow, const char* title, const char* text) {
    Seam().titles.emplace_back(title);
    Seam().texts.emplace_back(text);
  });
  PlatformSetExitHook([](int code) { Seam().exitCodes.push_back(code); });
}

void RemoveSeamHooks() {
  PlatformSetMessageBoxHook(nullptr);
  PlatformSetExitHook(nullptr);
}

std::vector<std::string>& AlertTexts() {
  static std::vector<std::string> texts;
  return texts;
}

// The alert box belongs to a layer above the network; the tests keep what it
// was asked to show.
ErrorCode AlertBoxShow(const char* text, const Rect*, Window*) {
  AlertTexts().emplace_back(text);
  return 0;
}
