// An unsigned integer of a fixed number of 64-bit words, for the compact keys
// of the boards whose positions do not fit 128 bits (CompactCodec.h): the
// arithmetic the codec, the sort, the merge and the gap coding do on keys,
// modulo 2^(64 words). Words hold the lowest first.
#pragma once

#include <cstdint>
#include <type_traits>

template <int words>
struct WideKey {
  static_assert(words >= 2, "narrower keys are plain integers");
  using Wide = unsigned __int128;

  uint64_t w[words] = {};

  constexpr WideKey() = default;
  // Implicit, as for the built-in integers, so that keys mix with counts.
  constexpr WideKey(uint64_t low) : w{low} {}  // NOLINT(google-explicit-constructor)

  // The lowest bits, as a cast of a built-in integer to a narrower one
  // takes them.
  template <typename Integer, typename = std::enable_if_t<std::is_integral_v<Integer> &&
                                                          !std::is_same_v<Integer, bool>>>
  explicit operator Integer() const {
    return static_cast<Integer>(w[0]);
  }

  // Whether the value is below 2^64.
  bool fitsWord() const {
    uint64_t high = 0;
    for (int i = 1; i < words; ++i) high |= w[i];
    return high == 0;
  }
  // The number of bits up to the highest set one; 0 for 0.
  int bitLength() const {
    for (int i = words - 1; i >= 0; --i) {
      if (w[i] != 0) return 64 * i + 64 - __builtin_clzll(w[i]);
    }
    return 0;
  }
  // The 64 bits from bit `shift` up: (*this >> shift) cast to 64 bits,
  // without shifting the other words.
  uint64_t bitsFrom(int shift) const {
    const int word = shift >> 6;
    const int bit = shift & 63;
    if (word >= words) return 0;
    const uint64_t low = w[word] >> bit;
    return bit == 0 || word + 1 >= words ? low : low | w[word + 1] << (64 - bit);
  }

  friend bool operator==(const WideKey& a, const WideKey& b) {
    uint64_t differ = 0;
    for (int i = 0; i < words; ++i) differ |= a.w[i] ^ b.w[i];
    return differ == 0;
  }
  friend bool operator!=(const WideKey& a, const WideKey& b) { return !(a == b); }
  friend bool operator<(const WideKey& a, const WideKey& b) {
    for (int i = words - 1; i > 0; --i) {
      if (a.w[i] != b.w[i]) return a.w[i] < b.w[i];
    }
    return a.w[0] < b.w[0];
  }
  friend bool operator>(const WideKey& a, const WideKey& b) { return b < a; }
  friend bool operator<=(const WideKey& a, const WideKey& b) { return !(b < a); }
  friend bool operator>=(const WideKey& a, const WideKey& b) { return !(a < b); }

  friend WideKey operator+(const WideKey& a, const WideKey& b) {
    WideKey sum;
    uint64_t carry = 0;
    for (int i = 0; i < words; ++i) {
      const Wide s = Wide{a.w[i]} + b.w[i] + carry;
      sum.w[i] = static_cast<uint64_t>(s);
      carry = static_cast<uint64_t>(s >> 64);
    }
    return sum;
  }
  friend WideKey operator-(const WideKey& a, const WideKey& b) {
    WideKey difference;
    uint64_t borrow = 0;
    for (int i = 0; i < words; ++i) {
      const Wide d = Wide{a.w[i]} - b.w[i] - borrow;
      difference.w[i] = static_cast<uint64_t>(d);
      borrow = static_cast<uint64_t>(d >> 64) & 1;
    }
    return difference;
  }
  // Words of zero are skipped: most factors of a key fit one word.
  friend WideKey operator*(const WideKey& a, const WideKey& b) {
    WideKey product;
    for (int i = 0; i < words; ++i) {
      if (a.w[i] == 0) continue;
      uint64_t carry = 0;
      for (int j = 0; i + j < words; ++j) {
        const Wide p = Wide{a.w[i]} * b.w[j] + product.w[i + j] + carry;
        product.w[i + j] = static_cast<uint64_t>(p);
        carry = static_cast<uint64_t>(p >> 64);
      }
    }
    return product;
  }
  friend WideKey operator/(const WideKey& a, const WideKey& b) {
    WideKey quotient, remainder;
    divide(a, b, quotient, remainder);
    return quotient;
  }
  friend WideKey operator%(const WideKey& a, const WideKey& b) {
    WideKey quotient, remainder;
    divide(a, b, quotient, remainder);
    return remainder;
  }
  // `quotient` and `remainder` of a / b; b must not be 0.
  static void divide(const WideKey& a, const WideKey& b, WideKey& quotient, WideKey& remainder);

  friend WideKey operator<<(const WideKey& a, int shift) {
    WideKey shifted;
    const int word = shift >> 6;
    const int bit = shift & 63;
    for (int i = words - 1; i >= word; --i) {
      shifted.w[i] = a.w[i - word] << bit;
      if (bit != 0 && i > word) shifted.w[i] |= a.w[i - word - 1] >> (64 - bit);
    }
    return shifted;
  }
  friend WideKey operator>>(const WideKey& a, int shift) {
    WideKey shifted;
    const int word = shift >> 6;
    const int bit = shift & 63;
    for (int i = 0; i + word < words; ++i) {
      shifted.w[i] = a.w[i + word] >> bit;
      if (bit != 0 && i + word + 1 < words) shifted.w[i] |= a.w[i + word + 1] << (64 - bit);
    }
    return shifted;
  }
  friend WideKey operator&(const WideKey& a, const WideKey& b) {
    WideKey r;
    for (int i = 0; i < words; ++i) r.w[i] = a.w[i] & b.w[i];
    return r;
  }
  friend WideKey operator|(const WideKey& a, const WideKey& b) {
    WideKey r;
    for (int i = 0; i < words; ++i) r.w[i] = a.w[i] | b.w[i];
    return r;
  }
  friend WideKey operator^(const WideKey& a, const WideKey& b) {
    WideKey r;
    for (int i = 0; i < words; ++i) r.w[i] = a.w[i] ^ b.w[i];
    return r;
  }
  WideKey operator~() const {
    WideKey r;
    for (int i = 0; i < words; ++i) r.w[i] = ~w[i];
    return r;
  }

  WideKey& operator+=(const WideKey& b) { return *this = *this + b; }
  WideKey& operator-=(const WideKey& b) { return *this = *this - b; }
  WideKey& operator*=(const WideKey& b) { return *this = *this * b; }
  WideKey& operator|=(const WideKey& b) { return *this = *this | b; }
  WideKey& operator&=(const WideKey& b) { return *this = *this & b; }
  WideKey& operator^=(const WideKey& b) { return *this = *this ^ b; }
  WideKey& operator<<=(int shift) { return *this = *this << shift; }
  WideKey& operator>>=(int shift) { return *this = *this >> shift; }
};

// The keys of the most crowded boards: every layout of the largest board
// fits three words with four back moves beside its key (PositionCodecTest
// works out the bound).
using Key192 = WideKey<3>;

// Whether `Key` is a WideKey.
template <typename Key>
constexpr bool isWideKey = false;
template <int words>
constexpr bool isWideKey<WideKey<words>> = true;
