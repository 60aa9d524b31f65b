#include "table/record_number_array.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <numeric>
#include <random>
#include <vector>

namespace corvane::table {
namespace {

void ExpectSame(const RecordNumberArray& a, const std::vector<int32_t>& ref) {
  ASSERT_EQ(a.Size(), static_cast<int32_t>(ref.size()));
  ASSERT_EQ(a.ToVector(), ref);
  for (std::size_t i = 0; i < ref.size(); i += 1 + ref.size() / 97) {
    ASSERT_EQ(a.At(static_cast<int32_t>(i)), ref[i]) << i;
  }
}

TEST(RecordNumberArrayTest, RandomEditsMatchAPlainArray) {
  std::mt19937 rng(42);
  RecordNumberArray a;
  std::vector<int32_t> ref;
  int32_t next = 0;
  // Grow past many block splits, then shrink through merges, then mix.
  const struct Phase {
    int steps;
    int insert_percent;
  } phases[] = {{20000, 100}, {15000, 20}, {30000, 55}};
  for (const Phase& phase : phases) {
    for (int step = 0; step < phase.steps; ++step) {
      const int kind = static_cast<int>(rng() % 100);
      if (ref.empty() || kind < phase.insert_percent) {
        const auto pos = static_cast<int32_t>(rng() % (ref.size() + 1));
        a.Insert(pos, next);
        ref.insert(ref.begin() + pos, next++);
      } else if (kind < phase.insert_percent + (100 - phase.insert_percent) / 2) {
        const auto pos = static_cast<int32_t>(rng() % ref.size());
        a.Erase(pos);
        ref.erase(ref.begin() + pos);
      } else {
        const auto pos = static_cast<int32_t>(rng() % ref.size());
        a.Set(pos, -pos);
        ref[static_cast<std::size_t>(pos)] = -pos;
      }
      if (step % 997 == 0) ExpectSame(a, ref);
    }
    ExpectSame(a, ref);
  }
  while (!ref.empty()) {
    const auto pos = static_cast<int32_t>(rng() % ref.size());
    a.Erase(pos);
    ref.erase(ref.begin() + pos);
    if (ref.size() % 1009 == 0) ExpectSame(a, ref);
  }
  EXPECT_TRUE(a.Empty());
  a.Insert(0, 1);
  ExpectSame(a, {1});
}

TEST(RecordNumberArrayTest, AssignThenEdit) {
  std::vector<int32_t> ref(100000);
  std::iota(ref.begin(), ref.end(), 0);
  RecordNumberArray a;
  a.Assign(ref);
  ExpectSame(a, ref);
  a.Insert(50000, -1);
  ref.insert(ref.begin() + 50000, -1);
  a.Erase(0);
  ref.erase(ref.begin());
  a.Insert(a.Size(), -2);
  ref.push_back(-2);
  ExpectSame(a, ref);
  a.Assign({});
  EXPECT_TRUE(a.Empty());
  a.Insert(0, 7);
  ExpectSame(a, {7});
}

TEST(RecordNumberArrayTest, ReadsStayRightAcrossTheFlatCopy) {
  std::vector<int32_t> ref(10000);
  std::iota(ref.begin(), ref.end(), 0);
  RecordNumberArray a;
  a.Assign(ref);
  auto read_all = [&] {
    // Enough reads to switch to the flat copy, then every value checked.
    for (int round = 0; round < 3; ++round) {
      for (int32_t i = 0; i < a.Size(); ++i) ASSERT_EQ(a.At(i), ref[static_cast<std::size_t>(i)]);
    }
  };
  read_all();
  a.Set(17, -17);  // kept in both
  ref[17] = -17;
  read_all();
  a.Insert(5000, -1);  // drops the copy
  ref.insert(ref.begin() + 5000, -1);
  EXPECT_EQ(a.At(5000), -1);
  read_all();
  a.Erase(0);
  ref.erase(ref.begin());
  read_all();
  a.Assign({3, 2, 1});
  ref = {3, 2, 1};
  read_all();
  a.Clear();
  EXPECT_TRUE(a.Empty());
}

// Prefixes are laid out by the flat copy and go with any change to the
// entries, even one that keeps the copy.
TEST(RecordNumberArrayTest, PrefixesLiveOnlyWhileTheEntriesStay) {
  const std::vector<int32_t> records = {4, 0, 3, 1, 2};
  const std::vector<uint64_t> by_record = {10, 11, 12, 13, 14};
  auto searched = [&] {
    auto a = std::make_unique<RecordNumberArray>();
    a->Assign(records);
    for (int64_t i = 0; i <= RecordNumberArray::kFlatAfterReads; ++i) a->At(0);
    return a;
  };
  {
    auto a = searched();
    EXPECT_EQ(a->Prefixes(), nullptr);
    int64_t searches = 1;
    while (!a->PrefixesWanted()) ++searches;
    EXPECT_GT(searches, RecordNumberArray::kFlatAfterReads);
    ASSERT_TRUE(a->SetPrefixes(by_record));
    ASSERT_NE(a->Prefixes(), nullptr);
    EXPECT_EQ(std::vector<uint64_t>(a->Prefixes(), a->Prefixes() + 5),
              (std::vector<uint64_t>{14, 10, 13, 11, 12}));
    // A record outside the list leaves no prefixes.
    EXPECT_FALSE(a->SetPrefixes({10, 11, 12}));
    EXPECT_EQ(a->Prefixes(), nullptr);
  }
  const struct Change {
    const char* name;
    std::function<void(RecordNumberArray&)> apply;
    bool keeps_flat;
  } changes[] = {
      {"set", [](RecordNumberArray& a) { a.Set(1, 2); }, true},
      {"insert", [](RecordNumberArray& a) { a.Insert(5, 5); }, false},
      {"erase", [](RecordNumberArray& a) { a.Erase(0); }, false},
      {"assign", [&](RecordNumberArray& a) { a.Assign(records); }, true},  // taken as the flat copy
      {"clear", [](RecordNumberArray& a) { a.Clear(); }, false},
  };
  for (const Change& c : changes) {
    auto a = searched();
    ASSERT_TRUE(a->SetPrefixes(by_record)) << c.name;
    c.apply(*a);
    EXPECT_EQ(a->Prefixes(), nullptr) << c.name;
    EXPECT_EQ(a->SetPrefixes(by_record), c.keeps_flat) << c.name;
  }
}

}  // namespace
}  // namespace corvane::table
