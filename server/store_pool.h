#pragma once
// The account store's calls, off the event loop: a few threads, each with
// a store of its own (its own database connection), run the jobs and post
// their answers back, as the hash pool does with hashes. A store that
// cannot be opened is tried again at the next job, so a database that went
// away is used again once it is back.

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "server/account_store.h"

class StorePool {
 public:
  // Runs on the loop thread.
  using Answer = std::function<void()>;
  // Runs on a worker with its store, nullptr when the store cannot be
  // opened; returns the answer to post back.
  using Job = std::function<Answer(AccountStore* store)>;
  using Open = std::function<std::unique_ptr<AccountStore>(std::string* error)>;

  // first, when given, is the first worker's store (already open).
  StorePool(unsigned workers, Open open, std::unique_ptr<AccountStore> first, std::function<void(Answer)> post);
  // Drops the queued jobs, lets the running ones end, joins the threads.
  ~StorePool();
  StorePool(const StorePool&) = delete;
  StorePool& operator=(const StorePool&) = delete;

  void Submit(Job job);
  void DropQueued();

 private:
  void Work(std::unique_ptr<AccountStore> store);

  Open open_;
  std::function<void(Answer)> post_;
  std::mutex mutex_;
  std::condition_variable ready_;
  std::deque<Job> jobs_;
  bool stopping_ = false;
  std::vector<std::thread> threads_;
};
