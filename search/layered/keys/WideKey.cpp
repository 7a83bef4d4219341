#include "WideKey.h"

#include <cassert>

// Long division a word at a time (Knuth's algorithm D): each quotient word is
// estimated from the top two words of the rest and the divisor's top word,
// normalised so that the estimate is at most two too large, and corrected.
// The codec divides by the radices below a digit, whose quotient, the digit,
// mostly fits one word: one round.
template <int words>
void WideKey<words>::divide(const WideKey& a, const WideKey& b, WideKey& quotient,
                            WideKey& remainder) {
  quotient = WideKey();
  remainder = WideKey();
  int n = words;
  while (n > 0 && b.w[n - 1] == 0) --n;
  assert(n > 0 && "division by zero");
  int m = words;
  while (m > 0 && a.w[m - 1] == 0) --m;
  if (m < n || a < b) {
    remainder = a;
    return;
  }
  if (n == 1) {
    const uint64_t divisor = b.w[0];
    uint64_t rest = 0;
    for (int i = m - 1; i >= 0; --i) {
      const Wide current = Wide{rest} << 64 | a.w[i];
      quotient.w[i] = static_cast<uint64_t>(current / divisor);
      rest = static_cast<uint64_t>(current % divisor);
    }
    remainder.w[0] = rest;
    return;
  }
  // Shifted so that the divisor's top word has its top bit set.
  const int s = __builtin_clzll(b.w[n - 1]);
  const auto shifted = [s](uint64_t high, uint64_t low) {
    return s == 0 ? high : high << s | low >> (64 - s);
  };
  uint64_t v[words];
  uint64_t u[words + 1];
  for (int i = n - 1; i > 0; --i) v[i] = shifted(b.w[i], b.w[i - 1]);
  v[0] = b.w[0] << s;
  u[m] = shifted(0, a.w[m - 1]);
  for (int i = m - 1; i > 0; --i) u[i] = shifted(a.w[i], a.w[i - 1]);
  u[0] = a.w[0] << s;
  for (int j = m - n; j >= 0; --j) {
    const Wide top = Wide{u[j + n]} << 64 | u[j + n - 1];
    Wide estimate = top / v[n - 1];
    Wide rest = top % v[n - 1];
    while (estimate >> 64 != 0 || estimate * v[n - 2] > (rest << 64 | u[j + n - 2])) {
      --estimate;
      rest += v[n - 1];
      if (rest >> 64 != 0) break;
    }
    // u[j..j+n] -= estimate * v, borrowing past the top when it was still
    // one too large.
    uint64_t carry = 0;
    uint64_t borrow = 0;
    for (int i = 0; i < n; ++i) {
      const Wide product = estimate * v[i] + carry;
      carry = static_cast<uint64_t>(product >> 64);
      const Wide difference = Wide{u[i + j]} - static_cast<uint64_t>(product) - borrow;
      u[i + j] = static_cast<uint64_t>(difference);
      borrow = static_cast<uint64_t>(difference >> 127);
    }
    const Wide difference = Wide{u[j + n]} - carry - borrow;
    u[j + n] = static_cast<uint64_t>(difference);
    if (difference >> 127 != 0) {
      --estimate;
      uint64_t back = 0;
      for (int i = 0; i < n; ++i) {
        const Wide sum = Wide{u[i + j]} + v[i] + back;
        u[i + j] = static_cast<uint64_t>(sum);
        back = static_cast<uint64_t>(sum >> 64);
      }
      u[j + n] += back;
    }
    quotient.w[j] = static_cast<uint64_t>(estimate);
  }
  for (int i = 0; i < n - 1; ++i) remainder.w[i] = s == 0 ? u[i] : u[i] >> s | u[i + 1] << (64 - s);
  remainder.w[n - 1] = u[n - 1] >> s;
}

template struct WideKey<3>;
