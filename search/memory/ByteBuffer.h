// Bytes written once and then read: from the heap when few, else mapped with
// huge pages over every whole one they span. Fresh memory costs a fault per
// small page, which on some machines costs more than filling it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>

class ByteBuffer {
 public:
  ByteBuffer() = default;
  // Empty (false) when the system refuses.
  explicit ByteBuffer(size_t bytes);
  ByteBuffer(ByteBuffer&& other) noexcept { swap(other); }
  ByteBuffer& operator=(ByteBuffer&& other) noexcept {
    ByteBuffer(std::move(other)).swap(*this);
    return *this;
  }
  ~ByteBuffer();
  void swap(ByteBuffer& other) noexcept {
    std::swap(data_, other.data_);
    std::swap(mapped_, other.mapped_);
  }
  // Room for up to `bytes` that the system fills only as it is written:
  // mapped, with no page taken in advance, unless so small that it comes
  // from the heap. Empty (false) when the system refuses.
  static ByteBuffer room(size_t bytes);
  // The memory the system may have filled once the first `bytes` of a room
  // of `roomBytes` are written: huge pages are filled whole.
  static size_t filledFor(size_t bytes, size_t roomBytes);
  uint8_t* get() const { return data_; }
  explicit operator bool() const { return data_ != nullptr; }
  // Whether trim() can give memory back: the buffer is mapped.
  bool trimmable() const { return mapped_ > 0; }
  // Gives the system back the whole small pages past the first `bytes`; the
  // bytes the buffer still spans.
  size_t trim(size_t bytes);

 private:
  // Maps `bytes` in whole small pages, none filled yet.
  void mapUnfilled(size_t bytes);

  uint8_t* data_ = nullptr;
  size_t mapped_ = 0;  // bytes mapped; 0 when from the heap
};
