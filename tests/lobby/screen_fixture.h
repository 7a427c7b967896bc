#pragma once
// What the screen tests share: the services started as the program starts
// them, a current directory holding a private copy of the staged data tree
// (so a test may rewrite or remove the disclaimer document), the alerts
// recorded instead of shown, the quit requests counted, and every screen
// taken down between tests.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "toolkit/event.h"

struct EditBox;
struct Window;

// Texts of the alerts since the fixture started, oldest first.
std::vector<std::string>& AlertTexts();
// How often ProgramQuit was called since the fixture started, where the
// tests link program_quit_record.cpp instead of the program library.
int& ProgramQuitCount();

class ScreenTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The data tree's disclaimer document, and its accepted flag set to value.
  std::string DisclaimerPath() const;
  void SetDisclaimerAccepted(uint32_t value);
  std::vector<uint8_t> ReadFileBytes(const std::string& path) const;

  // The gate as the splash leaves it, then the login window as a click opens
  // it; false when either did not come.
  bool OpenGate();
  bool OpenLogin();

  // Focuses the box and types text through the platform.
  void TypeInto(EditBox* box, const char* text);
  // The box's text, and its selection as [start, end).
  static std::string TextOf(const EditBox* box);
  static std::pair<int32_t, int32_t> SelectionOf(const EditBox* box);

  int Quits() const;  // EventQuit events that reached the program's handler

 private:
  std::string oldDirectory_;
  std::string directory_;
};
