#pragma once
// A few threads for the password hashes, which take tens of milliseconds
// each: the event loop hands a job over and gets the answer posted back, so
// one login never delays another client's echo. Jobs are admitted against
// HashLimits; a job whose client has gone can be taken back before it runs,
// and stopping drops whatever is still queued.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "server/hash_admission.h"

class HashPool {
 public:
  // Runs on the loop thread.
  using Answer = std::function<void()>;
  // Runs on a worker; returns the answer to post back.
  using Job = std::function<Answer()>;

  HashPool(unsigned workers, HashLimits limits, std::function<void(Answer)> post);
  // Drops the queued jobs, lets the running ones end, joins the threads.
  ~HashPool();
  HashPool(const HashPool&) = delete;
  HashPool& operator=(const HashPool&) = delete;

  // Queues job for the source address; its ticket, or 0 when the address
  // or the pool already has its limit of jobs queued or running.
  uint64_t Submit(const std::string& address, Job job);
  // Drops a queued job; false when it runs already or has run.
  bool Cancel(uint64_t ticket);
  // Drops every queued job.
  void DropQueued();

 private:
  struct Queued {
    uint64_t ticket;
    std::string address;
    Job job;
  };
  void Work();

  std::function<void(Answer)> post_;
  std::mutex mutex_;
  std::condition_variable ready_;
  std::deque<Queued> jobs_;
  HashAdmission admission_;
  uint64_t nextTicket_ = 1;
  bool stopping_ = false;
  std::vector<std::thread> threads_;
};
