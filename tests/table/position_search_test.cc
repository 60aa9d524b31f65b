#include "table/position_search.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <vector>

namespace corvane::table {
namespace {

// The search as the engine describes it, written out step by step with the
// probe history kept, independently of the production loop.
int32_t Reference(const std::vector<int>& a, int key) {
  const auto n = static_cast<int32_t>(a.size());
  if (n == 0) return 0;
  struct Probe {
    int32_t at;
    bool before;  // the key sorts before the probed record
    int32_t step;
  };
  std::vector<Probe> history;
  int32_t probe = n / 2;
  int32_t step = n / 2;
  for (;;) {
    step = std::max(step / 2, 1);
    const int value = a[static_cast<std::size_t>(probe)];
    if (key == value) return probe;
    const bool before = key < value;
    if (!history.empty()) {
      const Probe& last = history.back();
      const bool walking = step == 1 && last.step == 1 && std::abs(last.at - probe) == 1;
      if (walking && last.before != before) return before ? probe : probe + 1;
    }
    history.push_back({probe, before, step});
    const int32_t next = before ? probe - step : probe + step;
    if (step == 1 && next < 0) return 0;
    if (step == 1 && next > n - 1) return n;
    probe = std::clamp(next, 0, n - 1);
  }
}

int32_t Search(const std::vector<int>& a, int key) {
  return PositionSearch(static_cast<int32_t>(a.size()), [&](int32_t p) {
    const int v = a[static_cast<std::size_t>(p)];
    return key < v ? -1 : (key > v ? 1 : 0);
  });
}

TEST(PositionSearchTest, SmallArrays) {
  struct Row {
    std::vector<int> a;
    int key;
    int32_t expected;
  } rows[] = {
      {{}, 5, 0},
      {{5}, 4, 0},
      {{5}, 6, 1},
      {{5}, 5, 0},
      {{1, 3}, 2, 1},
      {{1, 3}, 0, 0},
      {{1, 3}, 4, 2},
      {{1, 3, 5, 7, 9, 11, 13, 15}, 10, 5},
      {{1, 3, 5, 7, 9, 11, 13, 15}, 16, 8},
      {{1, 3, 5, 7, 9, 11, 13, 15}, 0, 0},
      // Equal keys: the first probe (N div 2) already lands on one.
      {{2, 2, 2, 2, 2, 2, 2, 2}, 2, 4},
      {{1, 2, 2, 2, 2, 2, 2, 3}, 2, 4},
      {{1, 1, 1, 2, 2, 3, 3, 3}, 2, 4},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(Search(r.a, r.key), r.expected) << "key " << r.key << " in " << r.a.size();
    EXPECT_EQ(Reference(r.a, r.key), r.expected) << "key " << r.key << " in " << r.a.size();
  }
}

TEST(PositionSearchTest, MatchesTheDescribedSearchOnRandomArrays) {
  std::mt19937 rng(20240611);
  for (int round = 0; round < 4000; ++round) {
    const int n = round < 3000 ? static_cast<int>(rng() % 70) : static_cast<int>(rng() % 5000);
    const int range = 1 + static_cast<int>(rng() % 40);  // small ranges: long runs of equal keys
    std::vector<int> a(static_cast<std::size_t>(n));
    for (int& v : a) v = static_cast<int>(rng() % static_cast<unsigned>(range)) * 2;
    std::sort(a.begin(), a.end());
    for (int t = 0; t < 8; ++t) {
      const int key = static_cast<int>(rng() % static_cast<unsigned>(2 * range + 2)) - 1;
      const int32_t got = Search(a, key);
      ASSERT_EQ(got, Reference(a, key)) << "n " << n << " key " << key;
      // And it is a place where the key may go.
      ASSERT_GE(got, 0);
      ASSERT_LE(got, n);
      if (got > 0) {
        ASSERT_LE(a[static_cast<std::size_t>(got - 1)], key);
      }
      if (got < n) {
        ASSERT_GE(a[static_cast<std::size_t>(got)], key);
      }
    }
  }
}

TEST(PositionSearchTest, EndsOnUnsortedArrays) {
  std::mt19937 rng(7);
  for (int round = 0; round < 2000; ++round) {
    std::vector<int> a(rng() % 200);
    for (int& v : a) v = static_cast<int>(rng() % 50);
    const int32_t got = Search(a, static_cast<int>(rng() % 50));
    EXPECT_GE(got, 0);
    EXPECT_LE(got, static_cast<int32_t>(a.size()));
  }
}

}  // namespace
}  // namespace corvane::table
