// Binomial coefficients and the combinatorial number system: how the compact
// keys rank the set of places of a group of equal pieces.
#pragma once

#include <algorithm>
#include <cstdint>

#include "model/BoardSize.h"
#include "model/MoveByte.h"

// Binomial coefficients C(n, k) for n up to the cells of the largest board,
// saturated at the largest Key: a saturated entry exceeds every rank.
template <typename Key>
struct Binomials {
  static constexpr int maxN = maxBoardCells;
  Key c[maxN + 1][maxLoggedPieces + 1] = {};

  Binomials() {
    const Key most = ~Key{0};
    for (int n = 0; n <= maxN; ++n) {
      c[n][0] = 1;
      for (int k = 1; k <= maxLoggedPieces; ++k) {
        if (n == 0) continue;
        const Key a = c[n - 1][k - 1];
        const Key b = c[n - 1][k];
        c[n][k] = a > most - b ? most : a + b;
      }
    }
  }

  // The rank of the ascending indices idx[0..n): the sum of C(idx[i], i + 1).
  Key rank(const uint8_t* idx, int n) const {
    Key r = 0;
    for (int i = 0; i < n; ++i) r += c[idx[i]][i + 1];
    return r;
  }

  // The rank of idx[0..n), which is `rank`, with idx[at] replaced by
  // `value`, a value none of the others has (kept ascending); `placedAt`
  // tells where `value` stands among them.
  Key rankReplaced(const uint8_t* idx, int n, int at, int value, const Key& rank,
                   int& placedAt) const {
    // Mostly a piece moves without passing another of its group: the value
    // keeps its place, and only its own term changes.
    if ((at == 0 || idx[at - 1] < value) && (at == n - 1 || value < idx[at + 1])) {
      placedAt = at;
      return rank - c[idx[at]][at + 1] + c[value][at + 1];
    }
    // Otherwise each other index moves to its place among the n: one down
    // past `at`, one up past `value`. Without branches, as the places are
    // unpredictable; the term index `at` adds at its own place is taken out.
    Key r = 0;
    int below = 0;
    for (int j = 0; j < n; ++j) {
      const int other = j != at;
      const int above = value < idx[j];
      below += other & (1 - above);
      r += c[idx[j]][j - (j > at) + (other & above) + 1];
    }
    placedAt = below;
    return r - c[idx[at]][at + 1] + c[value][below + 1];
  }

  // The ascending indices of rank r among `universe` of which n are chosen.
  // idx[] may hold any earlier combination: the search for each index
  // starts there, so ranks close to the last one unrank in a few steps.
  void unrank(Key r, int n, int universe, uint8_t* idx) const {
    int upper = universe;  // every index of this level stays below it
    for (int i = n; i >= 1; --i) {
      int at = std::max(std::min(static_cast<int>(idx[i - 1]), upper - 1), i - 1);
      if (c[at][i] <= r) {
        while (at + 1 < upper && c[at + 1][i] <= r) ++at;
      } else {
        while (c[at][i] > r) --at;
      }
      idx[i - 1] = static_cast<uint8_t>(at);
      r -= c[at][i];
      upper = at;
    }
  }
};
