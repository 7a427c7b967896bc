#pragma once
// A few threads for the password hashes, which take tens of milliseconds
// each: the event loop hands a job over and gets the answer posted back, so
// one login never delays another client's echo.

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

class HashPool {
 public:
  explicit HashPool(unsigned workers);
  // Finishes the jobs already queued, then joins the threads.
  ~HashPool();
  HashPool(const HashPool&) = delete;
  HashPool& operator=(const HashPool&) = delete;

  // Runs job on one of the threads. The job posts its own answer back.
  void Submit(std::function<void()> job);

 private:
  void Work();

  std::mutex mutex_;
  std::condition_variable ready_;
  std::deque<std::function<void()>> jobs_;
  bool stopping_ = false;
  std::vector<std::thread> threads_;
};
