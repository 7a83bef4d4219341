#include "SpillFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "search/core/SearchControl.h"

std::shared_ptr<SpillFile> SpillFile::open(const RunStorage& storage, std::string& failure) {
  const std::string name = storage.spillDirectory + "/cavel-run-XXXXXX";
  std::vector<char> path(name.begin(), name.end());
  path.push_back('\0');
  const int file = mkstemp(path.data());
  if (file < 0) {
    failure = "cannot create a file in " + storage.spillDirectory + ": " + std::strerror(errno);
    return nullptr;
  }
  unlink(path.data());
  return std::shared_ptr<SpillFile>(new SpillFile(file, storage.control));
}

SpillFile::~SpillFile() {
  close(file_);
  if (control_) control_->removeDisk(held_.load());
}

bool SpillFile::append(const void* data, size_t bytes, uint64_t& offset, std::string& failure) {
  offset = end_.fetch_add(bytes, std::memory_order_relaxed);
  const uint8_t* from = static_cast<const uint8_t*>(data);
  uint64_t at = offset;
  for (size_t left = bytes; left > 0;) {
    const ssize_t written = pwrite(file_, from, left, static_cast<off_t>(at));
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      failure =
          std::string("cannot write a spill file: ") + std::strerror(written < 0 ? errno : ENOSPC);
      return false;
    }
    from += written;
    at += static_cast<uint64_t>(written);
    left -= static_cast<size_t>(written);
  }
  held_.fetch_add(bytes, std::memory_order_relaxed);
  if (control_) control_->addDisk(bytes);
  return true;
}

bool SpillFile::read(void* data, size_t bytes, uint64_t offset) const {
  uint8_t* to = static_cast<uint8_t*>(data);
  while (bytes > 0) {
    const ssize_t got = pread(file_, to, bytes, static_cast<off_t>(offset));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    to += got;
    bytes -= static_cast<size_t>(got);
    offset += static_cast<uint64_t>(got);
  }
  return true;
}

void SpillFile::release(uint64_t offset, uint64_t bytes) {
  // Only the whole pages inside go: the bytes around them may belong to
  // other runs.
  constexpr uint64_t page = 4096;
  const uint64_t first = (offset + page - 1) / page * page;
  const uint64_t end = (offset + bytes) / page * page;
  if (end <= first) return;
  if (fallocate(file_, FALLOC_FL_PUNCH_HOLE | FALLOC_FL_KEEP_SIZE, static_cast<off_t>(first),
                static_cast<off_t>(end - first)) != 0) {
    return;  // the disk stays taken until the file closes
  }
  held_.fetch_sub(end - first, std::memory_order_relaxed);
  if (control_) control_->removeDisk(end - first);
}
