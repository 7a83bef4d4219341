// A natural number of any size, with just what the layout code needs: it
// is built digit by digit in radices that change from digit to digit, and
// taken apart again the same way.
#pragma once

#include <cstdint>
#include <vector>

class CodeNumber {
 public:
  // Zero.
  CodeNumber() = default;

  bool isZero() const { return words_.empty(); }

  // This number times `factor`, plus `addend`.
  void multiplyAdd(uint32_t factor, uint32_t addend);

  // Divides by `divisor` (not 0) and returns the remainder.
  uint32_t divide(uint32_t divisor);

  // Takes one away; the number must not be zero.
  void decrement();

  // The next digit of the number in bijective numeration: a digit from 1 to
  // `radix` (not 0), which it takes off, leaving (this - digit) / radix. A
  // number that is not zero has exactly one such digit, so that every
  // string of such digits names its own number, leading digits included.
  uint32_t takeDigit(uint32_t radix);

 private:
  std::vector<uint32_t> words_;  // least significant first, no zero word on top
};
