// The one-record condition test where fields or values are empty (null):
// filters and Locate both rely on it agreeing with the index runs.
#include "table/record_match.h"

#include <gtest/gtest.h>

#include "memory_records.h"

namespace corvane::table {
namespace {

using testing::Slot;
using testing::Table;

TEST(RecordMatchTest, EmptyFieldsAndValues) {
  Table t(testing::WordList());
  const int32_t empty = t.Insert([](Slot&) {});
  const int32_t ab = t.InsertWord("ab");
  const auto set_ab = [&](Slot& s) { t.records.SetString(s, 0, "ab"); };
  const auto set_nothing = [](Slot&) {};
  const auto set_any = [&](Slot& s) { t.records.SetString(s, 0, "%"); };
  using Op = SearchCondition::Operator;
  struct Case {
    Op op;
    bool null_value;
    bool on_empty;
    bool on_ab;
  } const cases[] = {
      // A null value matches nothing, as the index runs give nothing.
      {SearchCondition::kEqual, true, false, false},
      {SearchCondition::kNotEqual, true, false, false},
      {SearchCondition::kLess, true, false, false},
      {SearchCondition::kLessOrEqual, true, false, false},
      {SearchCondition::kGreater, true, false, false},
      {SearchCondition::kGreaterOrEqual, true, false, false},
      // An empty field sorts before every value.
      {SearchCondition::kEqual, false, false, true},
      {SearchCondition::kNotEqual, false, true, false},
      {SearchCondition::kLess, false, true, false},
      {SearchCondition::kLessOrEqual, false, true, true},
      {SearchCondition::kGreater, false, false, false},
      {SearchCondition::kGreaterOrEqual, false, false, true},
      // The null tests ignore the value.
      {SearchCondition::kIsNull, true, true, false},
      {SearchCondition::kIsNotNull, true, false, true},
  };
  for (const Case& c : cases) {
    const SearchCondition condition = c.null_value ? t.Condition(0, set_nothing, c.op) : t.Condition(0, set_ab, c.op);
    EXPECT_EQ(t.indexes->IsRecordMatches(empty, condition), c.on_empty) << "op " << c.op << " null " << c.null_value;
    EXPECT_EQ(t.indexes->IsRecordMatches(ab, condition), c.on_ab) << "op " << c.op << " null " << c.null_value;
  }

  // "like" reads an empty field as empty text, with a pattern prepared once
  // or read from the value.
  const SearchCondition like = t.Condition(0, set_any, SearchCondition::kLike);
  const LikePattern any("%", false, testing::Turkish());
  EXPECT_TRUE(t.indexes->IsRecordMatches(empty, like));
  EXPECT_TRUE(RecordMatches(t.layout, testing::Turkish(), like, &any, t.records.Slot(empty)));
}

}  // namespace
}  // namespace corvane::table
