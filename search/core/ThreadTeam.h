// The threads of one search. A search runs a few pieces of work on all its
// threads every layer; starting threads for each costs more than the work
// of a small layer. The helpers are started once, at the first piece of work
// that needs them, wait between pieces, and are joined when the team goes.
//
// No exception leaves a thread of the team: what a piece of work throws is
// caught on its thread and handed to the team's failure handler (the search
// halts on it), and the other pieces run to their end.
#pragma once

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <system_error>
#include <thread>
#include <type_traits>
#include <vector>

class ThreadTeam {
 public:
  using FailureHandler = std::function<void(std::exception_ptr)>;

  // A team of `size` threads, the calling one included; `onFailure` gets what
  // a piece of work throws, on the thread that threw it (at most one at a
  // time).
  ThreadTeam(int size, FailureHandler onFailure)
      : size_(size < 1 ? 1 : size), onFailure_(std::move(onFailure)) {}
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
  // calling thread, and returns when every one has returned. When the system
  // refuses a helper thread, the calling thread runs the pieces it would
  // have run, one after another.
  template <typename Work>
  void run(int threads, Work&& work) {
    using Call = std::remove_reference_t<Work>;
    if (threads > size_) threads = size_;
    if (threads <= 1) {
      guarded(work, 0);
      return;
    }
    startHelpers();
    const int onHelpers = std::min(threads, static_cast<int>(helpers_.size()) + 1);
    if (onHelpers > 1) {
      {
        std::lock_guard<std::mutex> lock(mutex_);
        call_ = [](ThreadTeam* team, void* context, int t) {
          team->guarded(*static_cast<Call*>(context), t);
        };
        context_ = const_cast<void*>(static_cast<const void*>(&work));
        active_ = onHelpers;
        running_ = onHelpers - 1;
        ++generation_;
      }
      wake_.notify_all();
    }
    guarded(work, 0);
    for (int t = onHelpers; t < threads; ++t) guarded(work, t);
    if (onHelpers <= 1) return;
    std::unique_lock<std::mutex> lock(mutex_);
    done_.wait(lock, [this] { return running_ == 0; });
  }

 private:
  template <typename Work>
  void guarded(Work& work, int t) {
    try {
      work(t);
    } catch (...) {
      std::lock_guard<std::mutex> lock(failureMutex_);
      onFailure_(std::current_exception());
    }
  }

  void startHelpers() {
    if (refused_) return;
    while (static_cast<int>(helpers_.size()) < size_ - 1) {
      const int t = static_cast<int>(helpers_.size()) + 1;
      try {
        helpers_.emplace_back([this, t] { help(t); });
      } catch (const std::system_error&) {
        refused_ = true;  // the pieces of work go to the threads there are
        return;
      }
    }
  }

  void help(int t) {
    uint64_t seen = 0;
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      wake_.wait(lock, [&] { return generation_ != seen; });
      seen = generation_;
      if (stopping_) return;
      if (t >= active_) continue;
      void (*call)(ThreadTeam*, void*, int) = call_;
      void* context = context_;
      lock.unlock();
      call(this, context, t);
      lock.lock();
      if (--running_ == 0) done_.notify_one();
    }
  }

  const int size_;
  const FailureHandler onFailure_;
  std::vector<std::thread> helpers_;
  bool refused_ = false;
  std::mutex mutex_;
  std::mutex failureMutex_;
  std::condition_variable wake_;
  std::condition_variable done_;
  uint64_t generation_ = 0;
  bool stopping_ = false;
  int active_ = 0;
  int running_ = 0;
  void (*call_)(ThreadTeam*, void*, int) = nullptr;
  void* context_ = nullptr;
};
