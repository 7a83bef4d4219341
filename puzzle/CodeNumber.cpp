#include "CodeNumber.h"

#include <cassert>
#include <cstddef>

void CodeNumber::multiplyAdd(uint32_t factor, uint32_t addend) {
  uint64_t carry = addend;
  for (uint32_t& word : words_) {
    const uint64_t product = static_cast<uint64_t>(word) * factor + carry;
    word = static_cast<uint32_t>(product);
    carry = product >> 32;
  }
  if (carry != 0) words_.push_back(static_cast<uint32_t>(carry));
  if (factor == 0 && addend == 0) words_.clear();
  while (!words_.empty() && words_.back() == 0) words_.pop_back();
}

uint32_t CodeNumber::divide(uint32_t divisor) {
  assert(divisor != 0);
  uint64_t remainder = 0;
  for (size_t i = words_.size(); i-- > 0;) {
    const uint64_t part = (remainder << 32) | words_[i];
    words_[i] = static_cast<uint32_t>(part / divisor);
    remainder = part % divisor;
  }
  while (!words_.empty() && words_.back() == 0) words_.pop_back();
  return static_cast<uint32_t>(remainder);
}

void CodeNumber::decrement() {
  assert(!isZero());
  for (uint32_t& word : words_) {
    if (word-- != 0) break;
  }
  while (!words_.empty() && words_.back() == 0) words_.pop_back();
}

uint32_t CodeNumber::takeDigit(uint32_t radix) {
  assert(!isZero());
  // x = digit + radix * rest with 1 <= digit <= radix: a remainder of 0
  // stands for the digit `radix`, whose quotient is one too many.
  const uint32_t remainder = divide(radix);
  if (remainder != 0) return remainder;
  decrement();
  return radix;
}
