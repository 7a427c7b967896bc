#include "server/hash_pool.h"

HashPool::HashPool(unsigned workers, HashLimits limits, std::function<void(Answer)> post)
    : post_(std::move(post)), admission_(limits) {
  for (unsigned i = 0; i < workers; ++i) threads_.emplace_back([this] { Work(); });
}

HashPool::~HashPool() {
  DropQueued();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  ready_.notify_all();
  for (std::thread& t : threads_) t.join();
}

uint64_t HashPool::Submit(const std::string& address, Job job) {
  uint64_t ticket = 0;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (stopping_ || !admission_.Take(address)) return 0;
    ticket = nextTicket_++;
    jobs_.push_back({ticket, address, std::move(job)});
  }
  ready_.notify_one();
  return ticket;
}

bool HashPool::Cancel(uint64_t ticket) {
  Job dropped;  // destroyed outside the lock: it may hold the last reference to its client
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto it = jobs_.begin(); it != jobs_.end(); ++it) {
      if (it->ticket != ticket) continue;
      admission_.Give(it->address);
      dropped = std::move(it->job);
      jobs_.erase(it);
      return true;
    }
  }
  return false;
}

void HashPool::DropQueued() {
  std::deque<Queued> dropped;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const Queued& q : jobs_) admission_.Give(q.address);
    dropped.swap(jobs_);
  }
}

void HashPool::Work() {
  for (;;) {
    Queued q;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      ready_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
      if (jobs_.empty()) return;
      q = std::move(jobs_.front());
      jobs_.pop_front();
    }
    Answer answer = q.job();
    q.job = nullptr;
    {
      // The place is free before the answer arrives, so the loop can queue
      // the next job of this address as it handles the answer.
      std::lock_guard<std::mutex> lock(mutex_);
      admission_.Give(q.address);
    }
    if (answer) post_(std::move(answer));
  }
}
