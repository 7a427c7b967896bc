#include "server/store_pool.h"

#include "server/server_log.h"

StorePool::StorePool(unsigned workers, Open open, std::unique_ptr<AccountStore> first,
                     std::function<void(Answer)> post)
    : open_(std::move(open)), post_(std::move(post)) {
  threads_.emplace_back([this, store = std::move(first)]() mutable { Work(std::move(store)); });
  for (unsigned i = 1; i < workers; ++i) threads_.emplace_back([this] { Work(nullptr); });
}

StorePool::~StorePool() {
  DropQueued();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  ready_.notify_all();
  for (std::thread& t : threads_) t.join();
}

void StorePool::Submit(Job job) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    jobs_.push_back(std::move(job));
  }
  ready_.notify_one();
}

void StorePool::DropQueued() {
  std::deque<Job> dropped;  // destroyed outside the lock: they may hold the last reference to a client
  std::lock_guard<std::mutex> lock(mutex_);
  dropped.swap(jobs_);
}

void StorePool::Work(std::unique_ptr<AccountStore> store) {
  bool saidDown = false;
  for (;;) {
    Job job;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      ready_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
      if (jobs_.empty()) return;
      job = std::move(jobs_.front());
      jobs_.pop_front();
    }
    if (!store && open_) {
      std::string error;
      store = open_(&error);
      if (!store && !saidDown) ServerLog("the account store cannot be opened: %s", error.c_str());
      saidDown = !store;
    }
    Answer answer = job(store.get());
    job = nullptr;
    if (answer) post_(std::move(answer));
  }
}
