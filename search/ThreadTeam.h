// The threads of one search. A search runs a few pieces of work on all its
// threads every layer; starting threads for each cost about 0.1 ms a piece
// on our test machine, and now and then 20 ms in one search. The helpers are
// started once, at the first piece of work that needs them, wait between
// pieces, and are joined when the team goes.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <type_traits>
#include <vector>

class ThreadTeam {
 public:
  // A team of `size` threads, the calling one included.
  explicit ThreadTeam(int size) : size_(size < 1 ? 1 : size) {}
  ThreadTeam(const ThreadTeam&) = delete;
  ThreadTeam& operator=(const ThreadTeam&) = delete;
  ~ThreadTeam() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stopping_ = true;
      ++generation_;
    }
    wake_.notify_all();
    for (std::thread& helper : helpers_) helper.join();
  }

  int size() const { return size_; }

  // Runs work(t) for t = 0 to threads - 1 (at most size()), t = 0 on the
  // calling thread, and returns when every one has returned.
  template <typename Work>
  void run(int threads, Work&& work) {
    using Call = std::remove_reference_t<Work>;
    if (threads > size_) threads = size_;
    if (threads <= 1) {
      work(0);
      return;
    }
    while (static_cast<int>(helpers_.size()) < size_ - 1) {
      const int t = static_cast<int>(helpers_.size()) + 1;
      helpers_.emplace_back([this, t] { help(t); });
    }
    {
      std::lock_guard<std::mutex> lock(mutex_);
      call_ = [](void* context, int t) { (*static_cast<Call*>(context))(t); };
      context_ = const_cast<void*>(static_cast<const void*>(&work));
      active_ = threads;
      running_ = threads - 1;
      ++generation_;
    }
    wake_.notify_all();
    work(0);
    std::unique_lock<std::mutex> lock(mutex_);
    done_.wait(lock, [this] { return running_ == 0; });
  }

 private:
  void help(int t) {
    uint64_t seen = 0;
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      wake_.wait(lock, [&] { return generation_ != seen; });
      seen = generation_;
      if (stopping_) return;
      if (t >= active_) continue;
      void (*call)(void*, int) = call_;
      void* context = context_;
      lock.unlock();
      call(context, t);
      lock.lock();
      if (--running_ == 0) done_.notify_one();
    }
  }

  const int size_;
  std::vector<std::thread> helpers_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable done_;
  uint64_t generation_ = 0;
  bool stopping_ = false;
  int active_ = 0;
  int running_ = 0;
  void (*call_)(void*, int) = nullptr;
  void* context_ = nullptr;
};
