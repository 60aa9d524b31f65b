#include "table/table_indexes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "memory_records.h"
#include "platform/error.h"
#include "platform/locale.h"
#include "table/collation.h"
#include "table/key_compare.h"

namespace corvane::table {
namespace {

using testing::Field;
using testing::Fill;
using testing::Slot;
using testing::Table;
using testing::Turkish;

TEST(TableIndexesTest, AutomaticAndDeclaredIndexes) {
  Table t({Field("NWORD", FieldType::ftString, 30), Field("RAW", FieldType::ftBytes, 4),
           Field("MEMO", FieldType::ftMemo), Field("N", FieldType::ftInteger),
           Field("W", FieldType::ftWideString, 8)});
  t.indexes->AddAutomaticIndexes("ID");
  t.indexes->AddIndex("ByNWORD", {0}, {false}, {true}, true, false, ixCaseInsensitive);
  const std::vector<std::string> names = {"@ID", "@@NWORD", "@NWORD", "@N", "@@W", "@W", "ByNWORD"};
  ASSERT_EQ(t.indexes->Count(), static_cast<int>(names.size()));
  for (int i = 0; i < t.indexes->Count(); ++i) EXPECT_EQ(t.indexes->Header(i).name, names[static_cast<std::size_t>(i)]);
  const IndexHeader& ci = t.indexes->Header(1);
  EXPECT_EQ(ci.fields, std::vector<int32_t>{0});
  EXPECT_TRUE(ci.CaseInsensitive(0));
  EXPECT_EQ(ci.options, ixCaseInsensitive);
  EXPECT_FALSE(t.indexes->Header(2).CaseInsensitive(0));
  EXPECT_EQ(t.indexes->Header(0).fields, std::vector<int32_t>{-1});
  EXPECT_EQ(t.indexes->Find("@nword"), 2);
  EXPECT_EQ(t.indexes->Find("@id"), 0);
  EXPECT_EQ(t.indexes->Find("nope"), -1);
  try {
    t.indexes->Get("nope");
    FAIL();
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "Error in TCvDataManager.InternalGetIndexNo - Index \"nope\" not found!");
  }
}

TEST(TableIndexesTest, AddIndexRefusals) {
  Table t({Field("NWORD", FieldType::ftString, 30), Field("RAW", FieldType::ftBytes, 4)});
  t.indexes->AddAutomaticIndexes("ID");
  const std::string pre = "Error in TCvDataManager.InternalAddIndex - ";
  struct Row {
    std::string name;
    std::vector<int32_t> fields;
    std::vector<bool> ascending;
    std::string message;
  } rows[] = {
      {"", {0}, {true}, pre + "name is empty."},
      {std::string(21, 'x'), {0}, {true}, pre + "name length > 20"},
      {"X", {}, {true}, pre + "empty field name list"},
      {"X", {0}, {}, pre + "empty sort orders list"},
      {"@nword", {0}, {true}, pre + "index \"@nword\" already exists!"},
      {"X", {1}, {true}, pre + "unsupported field type!"},
      {"X", {5}, {true}, pre + "unsupported field type!"},
  };
  for (const Row& r : rows) {
    try {
      t.indexes->AddIndex(r.name, r.fields, {false}, r.ascending, false, false, 0);
      ADD_FAILURE() << r.message;
    } catch (const Error& e) {
      EXPECT_EQ(e.what(), r.message);
    }
  }
  t.indexes->AddIndex(std::string(20, 'x'), {0, -1}, {true}, {false}, false, false, 0);
  EXPECT_EQ(t.indexes->Header(t.indexes->Count() - 1).ascending, (std::vector<bool>{false, true}));
}

TEST(TableIndexesTest, EmptyTableThenFirstInsert) {
  Table t(testing::WordList());
  t.indexes->AddAutomaticIndexes("ID");
  for (int i = 0; i < t.indexes->Count(); ++i) {
    EXPECT_TRUE(t.indexes->IsCurrent(i));
    EXPECT_EQ(t.indexes->RecordAt(i, 0), -1);
  }
  t.InsertWord("kalem");
  for (int i = 0; i < t.indexes->Count(); ++i) {
    EXPECT_EQ(t.indexes->RecordAt(i, 0), 0);
    EXPECT_EQ(t.indexes->PositionOf(i, 0), 0);
  }
}

TEST(TableIndexesTest, TurkishOrderOfNWORD) {
  Table t(testing::WordList());
  t.indexes->AddAutomaticIndexes("ID");
  for (const char* w : {"dam", "\xDDzmir", "Cam", "iki", "\xE7" "am", "Irak", "cam", "\xFDl\xFDk", ""}) t.InsertWord(w);
  t.Insert([](Slot&) {});  // NWORD empty
  EXPECT_EQ(t.Words(t.indexes->Get("@NWORD")),
            (std::vector<std::string>{"<null>", "", "cam", "Cam", "\xE7" "am", "dam", "\xFDl\xFDk",
                                      "Irak", "iki", "\xDDzmir"}));
}

TEST(TableIndexesTest, RandomChangesKeepEveryIndexSorted) {
  Table t(testing::WordList());
  t.indexes->AddAutomaticIndexes("ID");
  t.indexes->AddIndex("Both", {0, 1}, {true, false}, {false, true}, false, false, ixUnique);
  std::mt19937 rng(5);
  auto word = [&rng] {
    std::string w;
    for (int n = 1 + static_cast<int>(rng() % 3); n > 0; --n) w.push_back("aAbB\xE7\xC7\xFDI"[rng() % 8]);
    return w;
  };
  for (int step = 0; step < 3000; ++step) {
    t.now += 7;
    const int kind = static_cast<int>(rng() % 10);
    const int32_t n = t.records.RecordCount();
    const std::string a = word();
    const std::string b = word();
    auto fill = [&](Slot& s) {
      t.records.SetString(s, 0, a);
      if (rng() % 5) t.records.SetString(s, 1, b); else t.layout.SetNull(s.data(), 1, true);
    };
    if (n == 0 || kind < 5) {
      t.Insert(fill);
    } else if (kind < 8) {
      t.Update(static_cast<int32_t>(rng() % static_cast<unsigned>(n)), fill);
    } else {
      t.Delete(static_cast<int32_t>(rng() % static_cast<unsigned>(n)));
    }
  }
  for (int i = 0; i < t.indexes->Count(); ++i) {
    ASSERT_TRUE(t.indexes->IsCurrent(i));
    t.ExpectSorted(i);
    for (int32_t r = 0; r < t.records.RecordCount(); r += 13) {
      EXPECT_EQ(t.indexes->RecordAt(i, t.indexes->PositionOf(i, r)), r);
    }
  }
}

TEST(TableIndexesTest, DeleteRenumbersTheLastRecord) {
  Table t(testing::WordList());
  t.indexes->AddAutomaticIndexes("ID");
  const int nword = t.indexes->Get("@NWORD");
  for (const char* w : {"c", "a", "b"}) t.InsertWord(w);  // records 0, 1, 2
  EXPECT_EQ(t.Order(nword), (std::vector<int32_t>{1, 2, 0}));
  t.Delete(0);  // record 2 ("b") becomes record 0
  EXPECT_EQ(t.Order(nword), (std::vector<int32_t>{1, 0}));
  EXPECT_EQ(t.Order(0), (std::vector<int32_t>{1, 0}));  // by identifier: a (2), b (3)
  t.Delete(1);  // the last: nothing moves
  EXPECT_EQ(t.Order(nword), (std::vector<int32_t>{0}));

  try {
    t.indexes->OnDelete(5, 0, -1);
    FAIL();
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "TCvDataManager.DeleteRecordPhys - invalid record Number, recPos = 5");
  }
  EXPECT_FALSE(t.indexes->IsCurrent(nword));  // a failure leaves nothing trusted
  EXPECT_EQ(t.Order(nword), (std::vector<int32_t>{0}));
  try {
    t.indexes->OnDelete(0, 7, -1);
    FAIL();
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "TCvDataManager.DeleteRecordPhys - invalid record Number, last = 7");
  }
}

TEST(TableIndexesTest, UniqueIndexesOnly) {
  Table t(testing::WordList());
  t.indexes->AddAutomaticIndexes("ID");
  t.indexes->AddIndex("Primary", {0}, {false}, {true}, false, false, ixPrimary);
  t.indexes->AddIndex("ByNWORD", {0}, {true}, {true}, true, false, ixUnique | ixCaseInsensitive);
  t.InsertWord("Kalem");
  t.InsertWord("defter");
  Slot posted = t.records.New();
  t.records.SetString(posted, 0, "kalem");
  EXPECT_EQ(t.indexes->FindKeyViolation(posted.data()), std::optional<std::string>("ByNWORD"));
  t.layout.SetId(posted.data(), t.layout.GetId(t.records.At(0).data()));  // editing record 0 itself
  EXPECT_EQ(t.indexes->FindKeyViolation(posted.data()), std::nullopt);
  t.records.SetString(posted, 0, "silgi");
  t.layout.SetId(posted.data(), 99);
  EXPECT_EQ(t.indexes->FindKeyViolation(posted.data()), std::nullopt);
}

TEST(TableIndexesTest, ThrottleOfBurstsOnTinyTables) {
  Table t(testing::WordList());
  t.indexes->AddAutomaticIndexes("ID");
  const int current = t.indexes->Get("@NWORD");
  for (int r = 0; r < 5; ++r) t.InsertWord("w" + std::to_string(r), current);
  t.now += 1000;  // a pause ends the burst
  auto touch = [&](int32_t r) { t.Update(r, [&](Slot& s) { t.records.SetString(s, 0, "u" + std::to_string(t.now)); }, current); };
  for (int op = 0; op < 101; ++op) touch(op % 5);  // the first starts a burst, 100 follow it
  for (int i = 0; i < t.indexes->Count(); ++i) EXPECT_TRUE(t.indexes->IsCurrent(i)) << i;
  touch(0);
  for (int i = 0; i < t.indexes->Count(); ++i) EXPECT_EQ(t.indexes->IsCurrent(i), i == current) << i;
  t.ExpectSorted(current);
  t.ExpectSorted(1);  // used again: rebuilt first
  EXPECT_TRUE(t.indexes->IsCurrent(1));

  // Still throttled while the table stays small; past 10 records every
  // index is rebuilt before an insert and maintained again.
  for (int r = 5; r < 11; ++r) t.InsertWord("x" + std::to_string(r), current);
  EXPECT_FALSE(t.indexes->IsCurrent(0));
  EXPECT_FALSE(t.indexes->IsCurrent(1));
  t.InsertWord("twelfth", current);
  for (int i = 0; i < t.indexes->Count(); ++i) {
    EXPECT_TRUE(t.indexes->IsCurrent(i)) << i;
    t.ExpectSorted(i);
  }
  for (int op = 0; op < 300; ++op) touch(op % 12);
  for (int i = 0; i < t.indexes->Count(); ++i) EXPECT_TRUE(t.indexes->IsCurrent(i)) << i;
}

}  // namespace
}  // namespace corvane::table

namespace corvane::table {
namespace {

// A table filled with maintenance deferred ends with the very arrays one
// filled record by record has, equal keys (case-insensitive twins, empty
// values) in the order the position search gave them; a change after the
// fill keeps the arrays sorted.
TEST(TableIndexesTest, DeferredMaintenanceBuildsTheArraysInsertsWouldHave) {
  std::mt19937 random(7);
  std::vector<std::string> words;
  for (int i = 0; i < 3000; ++i) {
    std::string w;
    for (int k = 0; k < 1 + static_cast<int>(random() % 3); ++k) w.push_back("aAbBiI\xDD\xFD"[random() % 8]);
    words.push_back(random() % 50 == 0 ? std::string() : w);
  }
  Table maintained({Field("NWORD", FieldType::ftString, 30)});
  Table deferred({Field("NWORD", FieldType::ftString, 30)});
  for (Table* t : {&maintained, &deferred}) {
    t->indexes->AddAutomaticIndexes("ID");
    t->indexes->AddIndex("PrimaryKey", {-1}, {false}, {true}, false, false, ixPrimary);
  }
  deferred.indexes->SetDeferMaintenance(true);
  for (const std::string& w : words) {
    for (Table* t : {&maintained, &deferred}) {
      if (w.empty()) {
        t->Insert([](Slot&) {});
      } else {
        t->InsertWord(w);
      }
    }
  }
  for (int i = 0; i < maintained.indexes->Count(); ++i) {
    EXPECT_EQ(deferred.Order(i), maintained.Order(i)) << maintained.indexes->Header(i).name;
  }
  deferred.Delete(17);
  deferred.InsertWord("bi");
  for (int i = 0; i < deferred.indexes->Count(); ++i) deferred.ExpectSorted(i);
}

}  // namespace
}  // namespace corvane::table
