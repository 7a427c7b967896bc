#pragma once
// Another program on the desktop that has copied text: it owns CLIPBOARD
// (what Ctrl+V pastes) and PRIMARY (what the middle button pastes) and hands
// their texts to whoever asks, from a thread of its own, so a client that
// pastes gets its answer while the test goes on typing and looking.

#include <atomic>
#include <string>
#include <thread>

class XSelectionOwner {
 public:
  XSelectionOwner() = default;
  ~XSelectionOwner();  // stops answering and lets both selections go
  XSelectionOwner(const XSelectionOwner&) = delete;
  XSelectionOwner& operator=(const XSelectionOwner&) = delete;

  // Connects to display (":N"), takes both selections and starts answering;
  // false when it cannot.
  bool Start(const std::string& display, const std::string& clipboardText, const std::string& primaryText);
  // Whether it still owns both: a program that selects text takes PRIMARY.
  bool OwnsBoth() const { return !lost_.load(); }

 private:
  void Serve();

  struct _XDisplay* x_ = nullptr;
  unsigned long window_ = 0;
  std::string clipboard_;
  std::string primary_;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> lost_{false};
};
