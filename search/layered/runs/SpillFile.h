// A file in the spill folder that runs write to side by side: unlinked as
// soon as it is made, so that nothing is left behind whatever way the
// process ends, and closed when the last run that reads it goes.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

class MemoryBudget;
class SearchControl;

// Where finished runs go: memory, or files in a folder. With a control,
// the bytes the files hold are counted there.
struct RunStorage {
  MemoryBudget* budget = nullptr;
  std::string spillDirectory;  // empty: memory
  SearchControl* control = nullptr;

  bool spills() const { return !spillDirectory.empty(); }
};

// Why a search halts when a file it wrote cannot be read back.
constexpr const char* spillReadFailure = "cannot read a spill file back";

class SpillFile {
 public:
  // A new file in `storage`'s folder; null, with the reason in `failure`,
  // when it cannot be made.
  static std::shared_ptr<SpillFile> open(const RunStorage& storage, std::string& failure);
  ~SpillFile();
  SpillFile(const SpillFile&) = delete;
  SpillFile& operator=(const SpillFile&) = delete;

  // Writes `bytes` bytes at a place of their own past everything written
  // so far, from any thread; false, with the reason, when the disk refuses.
  bool append(const void* data, size_t bytes, uint64_t& offset, std::string& failure);
  // Where the next bytes written will go, when one thread writes.
  uint64_t end() const { return end_.load(std::memory_order_relaxed); }
  bool read(void* data, size_t bytes, uint64_t offset) const;
  // Gives back the disk of the whole pages within [offset, offset +
  // bytes), which nothing may read again.
  void release(uint64_t offset, uint64_t bytes);

 private:
  SpillFile(int file, SearchControl* control) : file_(file), control_(control) {}

  const int file_;
  SearchControl* const control_;
  std::atomic<uint64_t> end_{0};
  std::atomic<uint64_t> held_{0};
};
