// Searches over the indexes: conditions, and the record search of Locate.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "memory_records.h"
#include "platform/error.h"

namespace corvane::table {
namespace {

using testing::Field;
using testing::Slot;
using testing::Table;

TEST(IndexSearchTest, LocateChoosesByTheOneTwentiethRule) {
  Table t({Field("A", FieldType::ftInteger), Field("B", FieldType::ftInteger),
           Field("C", FieldType::ftInteger)});
  t.indexes->AddAutomaticIndexes("ID");
  // A = 7 on 1000 records, B = 1 on 3 of those, C = 3 on the first 400.
  for (int i = 0; i < 10000; ++i) {
    t.Insert([&](Slot& s) {
      t.records.SetInt(s, 0, i % 10 == 0 ? 7 : i + 100);
      t.records.SetInt(s, 1, i == 20 || i == 5000 || i == 9990 ? 1 : 2);
      t.records.SetInt(s, 2, i < 400 ? 3 : 4);
    });
  }
  auto eq = [&t](int field, int value) {
    return t.Condition(field, [&](Slot& s) { t.records.SetInt(s, field, value); });
  };
  struct Row {
    const char* what;
    std::vector<SearchCondition> conditions;
    int32_t expected;
    int64_t min_reads;
    int64_t max_reads;
  } rows[] = {
      // 1000 > 10000 div 20: B's 3 matches are fetched instead.
      {"fewest within a twentieth", {eq(0, 7), eq(1, 1)}, 20, 0, 200},
      // 400 <= 500 is taken at once, though B has fewer.
      {"first within a twentieth", {eq(2, 3), eq(1, 1)}, 20, 400, 600},
      // Neither within: the smaller count (A's 1000 against C's 9600).
      {"smallest count", {eq(0, 7), eq(2, 4)}, 400, 1000, 1500},
      {"one condition", {eq(1, 1)}, 20, 0, 200},
      {"no match", {eq(0, 7), eq(1, 3)}, -1, 0, 200},
  };
  for (const Row& r : rows) {
    const int64_t before = t.records.Reads();
    EXPECT_EQ(t.indexes->Locate(r.conditions, -1, {}), r.expected) << r.what;
    const int64_t reads = t.records.Reads() - before;
    EXPECT_GE(reads, r.min_reads) << r.what;
    EXPECT_LE(reads, r.max_reads) << r.what;
  }
}

TEST(IndexSearchTest, LocateReturnsTheFirstCandidateInTheCurrentOrder) {
  Table t({Field("NWORD", FieldType::ftString, 10), Field("A", FieldType::ftInteger)});
  t.indexes->AddAutomaticIndexes("ID");
  // 12 records hold "k" and 9 hold "m"; A falls as the record number grows,
  // so by @A the last of them comes first.
  for (int r = 0; r < 40; ++r) {
    const std::string word = r < 24 ? (r % 2 == 0 ? "k" : "x" + std::to_string(r)) : (r < 33 ? "m" : "y");
    t.Insert([&](Slot& s) {
      t.records.SetString(s, 0, word);
      t.records.SetInt(s, 1, 100 - r);
    });
  }
  const int by_a = t.indexes->Get("@A");
  const int by_id = t.indexes->Get("@ID");
  auto all = [](int32_t) { return true; };
  auto not22 = [](int32_t r) { return r != 22; };
  struct Row {
    const char* word;
    int current;
    std::function<bool(int32_t)> visible;
    int32_t expected;
  } rows[] = {
      {"k", by_a, all, 22},    // 12 candidates: walk of @A
      {"k", by_a, not22, 20},  // the filter hides the first
      {"k", -1, all, 0},       // physical order
      {"k", by_id, all, 0},
      {"m", by_a, all, 32},    // 9 candidates: the smallest by @A
      {"m", -1, all, 24},
      {"m", by_a, [](int32_t r) { return r < 30; }, 29},
      {"k", by_a, [](int32_t) { return false; }, -1},
  };
  for (const Row& r : rows) {
    const SearchCondition c = t.Condition(0, [&](Slot& s) { t.records.SetString(s, 0, r.word); });
    EXPECT_EQ(t.indexes->Locate({c}, r.current, r.visible), r.expected) << r.word << " " << r.current;
  }
}

TEST(IndexSearchTest, LocateFailsOnEmptyTablesAndEmptyValues) {
  Table t(testing::WordList());
  t.indexes->AddAutomaticIndexes("ID");
  const SearchCondition kalem = t.Condition(0, [&](Slot& s) { t.records.SetString(s, 0, "kalem"); });
  EXPECT_EQ(t.indexes->Locate({kalem}, -1, {}), -1);
  t.Insert([](Slot&) {});  // NWORD empty
  t.InsertWord("kalem");
  const SearchCondition null_value = t.Condition(0, [](Slot&) {});
  EXPECT_EQ(t.indexes->Locate({null_value}, -1, {}), -1);
  EXPECT_EQ(t.indexes->Locate({kalem, null_value}, -1, {}), -1);
  EXPECT_EQ(t.indexes->Locate({kalem}, -1, {}), 1);
  // Case-sensitive by default; case-insensitive goes through @@NWORD.
  SearchCondition upper = t.Condition(0, [&](Slot& s) { t.records.SetString(s, 0, "KALEM"); });
  EXPECT_EQ(t.indexes->Locate({upper}, -1, {}), -1);
  upper.case_insensitive = true;
  EXPECT_EQ(t.indexes->Locate({upper}, -1, {}), 1);
  SearchCondition prefix = t.Condition(0, [&](Slot& s) { t.records.SetString(s, 0, "kal"); });
  prefix.partial = true;
  EXPECT_EQ(t.indexes->Locate({prefix}, -1, {}), 1);
}

TEST(IndexSearchTest, ConditionRunsAgreeWithTheOneRecordTest) {
  Table t({Field("NWORD", FieldType::ftString, 10), Field("A", FieldType::ftInteger)});
  t.indexes->AddAutomaticIndexes("ID");
  const std::vector<std::string> words = {"", "a", "ab", "abc", "B", "b", "\xE7", "\xC7", "Ab"};
  std::mt19937 rng(11);
  for (int i = 0; i < 300; ++i) {
    t.Insert([&](Slot& s) {
      if (rng() % 8) t.records.SetString(s, 0, words[rng() % words.size()]);
      if (rng() % 8) t.records.SetInt(s, 1, static_cast<int>(rng() % 6) - 2);
    });
  }
  using Op = SearchCondition::Operator;
  const Op ops[] = {SearchCondition::kEqual, SearchCondition::kNotEqual, SearchCondition::kLess,
                    SearchCondition::kLessOrEqual, SearchCondition::kGreater,
                    SearchCondition::kGreaterOrEqual, SearchCondition::kIsNull,
                    SearchCondition::kIsNotNull};
  std::vector<SearchCondition> conditions;
  for (Op op : ops) {
    for (const std::string& w : words) {
      for (int flags = 0; flags < 4; ++flags) {
        SearchCondition c = t.Condition(0, [&](Slot& s) { t.records.SetString(s, 0, w); }, op);
        c.case_insensitive = flags & 1;
        c.partial = flags & 2;
        conditions.push_back(c);
      }
    }
    for (int v = -3; v <= 4; ++v) {
      conditions.push_back(t.Condition(1, [&](Slot& s) { t.records.SetInt(s, 1, v); }, op));
    }
    conditions.push_back(t.Condition(-1, [&](Slot& s) { t.layout.SetId(s.data(), 150); }, op));
    conditions.push_back(t.Condition(0, [](Slot&) {}, op));  // empty value
  }
  for (const SearchCondition& c : conditions) {
    int64_t count = -1;
    std::vector<int32_t> got = t.indexes->GetMatchedRecordsArray(c, false, &count);
    std::sort(got.begin(), got.end());
    std::vector<int32_t> expected;
    for (int32_t r = 0; r < t.records.RecordCount(); ++r) {
      if (t.indexes->IsRecordMatches(r, c)) expected.push_back(r);
    }
    ASSERT_EQ(got, expected) << "field " << c.field << " op " << c.op << " ci " << c.case_insensitive
                             << " partial " << c.partial;
    ASSERT_EQ(count, static_cast<int64_t>(expected.size()));
    int64_t only = -1;
    EXPECT_TRUE(t.indexes->GetMatchedRecordsArray(c, true, &only).empty());
    EXPECT_EQ(only, count);
  }
}

TEST(IndexSearchTest, LikeConditions) {
  Table t(testing::WordList());
  t.indexes->AddAutomaticIndexes("ID");
  for (const char* w : {"ac", "abc", "abbc", "abcd", "ABC"}) t.InsertWord(w);
  t.Insert([](Slot&) {});
  SearchCondition like = t.Condition(0, [&](Slot& s) { t.records.SetString(s, 0, "a%c"); },
                                     SearchCondition::kLike);
  try {
    t.indexes->GetMatchedRecordsArray(like, false, nullptr);
    FAIL();
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(),
                 "TCvDataSet.GetMatchedRecordsArray - Like operator is not supported in "
                 "GetMatchedRecordsArray procedure.");
  }
  auto matching = [&t](const SearchCondition& c) {
    std::vector<int32_t> out;
    for (int32_t r = 0; r < t.records.RecordCount(); ++r) {
      if (t.indexes->IsRecordMatches(r, c)) out.push_back(r);
    }
    return out;
  };
  EXPECT_EQ(matching(like), (std::vector<int32_t>{0, 1, 2}));
  like.case_insensitive = true;
  EXPECT_EQ(matching(like), (std::vector<int32_t>{0, 1, 2, 4}));
  like.op = SearchCondition::kNotLike;
  EXPECT_EQ(matching(like), (std::vector<int32_t>{3, 5}));
  const SearchCondition any = t.Condition(0, [&](Slot& s) { t.records.SetString(s, 0, "%"); },
                                          SearchCondition::kLike);
  EXPECT_EQ(matching(any).size(), 6u);  // the empty value too

  SearchCondition bad = like;
  bad.field = 9;
  EXPECT_THROW(t.indexes->IsRecordMatches(0, bad), Error);
}

}  // namespace
}  // namespace corvane::table
