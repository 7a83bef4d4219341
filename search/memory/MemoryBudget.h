// What a search may hold, and the charges that hold it.
//
// Every buffer of a search that grows with the puzzle is charged to its
// budget before it is taken, so the search never holds more than the budget
// allows: it reports running out instead, and releases everything. A charge
// is a value: it gives its bytes back when it goes.
#pragma once

#include <atomic>
#include <cstddef>
#include <utility>

// The memory the system could give at once, from /proc/meminfo where it can.
size_t availableMemory();

// What the search may hold, what it holds and the most it has held. Threads
// of one search charge and release it side by side.
class MemoryBudget {
 public:
  // `limit` bytes; 0 means three quarters of the memory available now.
  explicit MemoryBudget(size_t limit) : limit_(limit != 0 ? limit : availableMemory() / 4 * 3) {}

  // Counts `bytes` more as held; false, counting nothing, when that would
  // pass the limit.
  bool charge(size_t bytes) {
    size_t held = held_.load(std::memory_order_relaxed);
    do {
      if (bytes > limit_ || held > limit_ - bytes) return false;
    } while (!held_.compare_exchange_weak(held, held + bytes, std::memory_order_relaxed));
    size_t peak = peak_.load(std::memory_order_relaxed);
    while (held + bytes > peak &&
           !peak_.compare_exchange_weak(peak, held + bytes, std::memory_order_relaxed)) {
    }
    return true;
  }
  void release(size_t bytes) { held_.fetch_sub(bytes, std::memory_order_relaxed); }

  size_t limit() const { return limit_; }
  size_t held() const { return held_.load(std::memory_order_relaxed); }
  size_t peak() const { return peak_.load(std::memory_order_relaxed); }

 private:
  size_t limit_;
  std::atomic<size_t> held_{0};
  std::atomic<size_t> peak_{0};
};

// Bytes held against a budget (or against none, when it has no budget),
// released when the charge goes.
class BudgetCharge {
 public:
  explicit BudgetCharge(MemoryBudget* budget = nullptr) : budget_(budget) {}
  BudgetCharge(BudgetCharge&& other) noexcept
      : budget_(other.budget_), bytes_(std::exchange(other.bytes_, 0)) {}
  BudgetCharge& operator=(BudgetCharge&& other) noexcept {
    if (this != &other) {
      release();
      budget_ = other.budget_;
      bytes_ = std::exchange(other.bytes_, 0);
    }
    return *this;
  }
  BudgetCharge(const BudgetCharge&) = delete;
  BudgetCharge& operator=(const BudgetCharge&) = delete;
  ~BudgetCharge() { release(); }

  MemoryBudget* budget() const { return budget_; }
  size_t bytes() const { return bytes_; }

  // Charges `bytes` more; false, charging nothing, when the budget refuses.
  bool add(size_t bytes) {
    if (budget_ && !budget_->charge(bytes)) return false;
    bytes_ += bytes;
    return true;
  }
  // Gives back `bytes` of the charge (at most all of it).
  void remove(size_t bytes) {
    if (bytes > bytes_) bytes = bytes_;
    if (budget_) budget_->release(bytes);
    bytes_ -= bytes;
  }
  // Charges or gives back the difference, so that `bytes` are held; false,
  // keeping the charge as it was, when the budget refuses more.
  bool holdExactly(size_t bytes) {
    if (bytes >= bytes_) return add(bytes - bytes_);
    remove(bytes_ - bytes);
    return true;
  }
  // Charges more only when `bytes` is above what is held.
  bool holdAtLeast(size_t bytes) { return bytes <= bytes_ || add(bytes - bytes_); }
  void release() { remove(bytes_); }
  // Takes over the bytes of `other`, which must charge the same budget.
  void absorb(BudgetCharge& other) { bytes_ += std::exchange(other.bytes_, 0); }

 private:
  MemoryBudget* budget_ = nullptr;
  size_t bytes_ = 0;
};
