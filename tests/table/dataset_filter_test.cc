// TCvDataset's Filter, the find family, and the master/detail link over
// real tables, with Locate seeing only what the view holds.
#include <algorithm>
#include <memory>

#include "dataset_test_util.h"

namespace corvane::table {
namespace {

using dataset_testing::DatasetTest;
using dataset_testing::ErrorOf;
using dataset_testing::kAgac;
using dataset_testing::kWords;
using Strings = std::vector<std::string>;

// The master expression, which TCvTable keeps to itself.
class DetailTable : public TCvTable {
 public:
  using TCvTable::MasterExpression;
};

class DatasetFilterTest : public DatasetTest {
 protected:
  // PARTS beside HYPLIST: WORD and PART, indexes ByWORD and ByWordPart.
  void OpenParts(TCvTable& parts, const std::vector<std::pair<const char*, const char*>>& rows) {
    parts.SetDatabaseFileName(DbFile());
    parts.SetTableName("PARTS");
    parts.FieldDefs().Add("ID", FieldType::ftAutoInc, 0, false);
    parts.FieldDefs().Add("WORD", FieldType::ftString, 30, false);
    parts.FieldDefs().Add("PART", FieldType::ftString, 10, false);
    parts.IndexDefs().Add("ByWORD", "WORD", 0);
    parts.IndexDefs().Add("ByWordPart", "WORD;PART", 0);
    parts.CreateTable();
    parts.Open();
    for (const auto& [word, part] : rows) {
      parts.Insert();
      if (word != nullptr) parts.FieldByName("WORD").SetAsString(word);
      parts.FieldByName("PART").SetAsString(part);
      parts.Post();
    }
  }

  static Strings Sorted(Strings values) {
    std::sort(values.begin(), values.end());
    return values;
  }
};

TEST_F(DatasetFilterTest, FilterLimitsTheViewWithItsOptions) {
  TCvTable table;
  OpenWordList(table, kWords);  // kalem, ağaç, Kalem, deniz, bal
  table.SetFilter("NWORD = 'ka'");
  EXPECT_EQ(Column(table, "NWORD").size(), 5u);  // not filtered yet
  table.SetFiltered(true);
  EXPECT_EQ(Column(table, "NWORD"), Strings({"kalem"}));
  table.SetFilterOptions(foCaseInsensitive);
  EXPECT_EQ(Column(table, "NWORD"), Strings({"kalem", "Kalem"}));
  EXPECT_EQ(table.RecordCount(), 2);
  table.SetFilterOptions(foCaseInsensitive | foNoPartialCompare);
  EXPECT_EQ(table.RecordCount(), 0);
  EXPECT_TRUE(table.Eof());

  // A bad expression changes nothing.
  table.SetFilter("NWORD like 'd%' or NWORD = 'bal'");
  EXPECT_EQ(ErrorOf([&] { table.SetFilter("NWORD ~ 'x'"); }), "Operator expected, but \"~ 'x'\"  found");
  EXPECT_EQ(table.Filter(), "NWORD like 'd%' or NWORD = 'bal'");
  EXPECT_EQ(Column(table, "NWORD"), Strings({"deniz", "bal"}));

  // Posting a record the filter refuses keeps it out of the view.
  AddWord(table, "kale", "ka_le");
  EXPECT_EQ(Column(table, "NWORD"), Strings({"deniz", "bal"}));
  // Locate sees only the view.
  EXPECT_FALSE(table.Locate("NWORD", Variant("kalem")));
  EXPECT_TRUE(table.Locate("NWORD", Variant("bal")));

  // The event filters too, reading each candidate through the fields.
  table.OnFilterRecord = [](TCvDataset& d, bool& accept) { accept = d.FieldByName("NWORD").AsString() != "deniz"; };
  table.SetFilter("");
  EXPECT_EQ(Column(table, "NWORD"), Strings({"kalem", kAgac, "Kalem", "bal", "kale"}));
  table.SetFiltered(false);
  EXPECT_EQ(table.RecordCount(), 6);
}

TEST_F(DatasetFilterTest, FindFamilyWalksTheCurrentOrder) {
  TCvTable table;
  OpenWordList(table, kWords);
  table.SetIndexName("@NWORD");  // ağaç bal deniz kalem Kalem
  EXPECT_EQ(ErrorOf([&] { table.FindFirst(); }), "TCvDataSet.FindRecord - Filter property is blank.");
  table.SetFilter("NWORD >= 'd'");
  const auto word = [&] { return table.FieldByName("NWORD").AsString(); };
  ASSERT_TRUE(table.FindFirst());
  EXPECT_EQ(word(), "deniz");
  ASSERT_TRUE(table.FindNext());
  EXPECT_EQ(word(), "kalem");
  ASSERT_TRUE(table.FindNext());
  EXPECT_EQ(word(), "Kalem");
  EXPECT_FALSE(table.FindNext());
  EXPECT_EQ(word(), "Kalem");
  ASSERT_TRUE(table.FindPrior());
  EXPECT_EQ(word(), "kalem");
  ASSERT_TRUE(table.FindLast());
  EXPECT_EQ(word(), "Kalem");

  // Finds compare whole values unless the literal ends in "*".
  table.SetFilter("NWORD = 'ka'");
  EXPECT_FALSE(table.FindFirst());
  table.SetFilter("NWORD = 'ka*'");
  ASSERT_TRUE(table.FindFirst());
  EXPECT_EQ(word(), "kalem");
  table.SetFilterOptions(foCaseInsensitive);
  ASSERT_TRUE(table.FindLast());
  EXPECT_EQ(word(), "Kalem");
}

TEST_F(DatasetFilterTest, DetailFollowsTheMastersCurrentRecord) {
  auto master = std::make_unique<TCvTable>();
  OpenWordList(*master, {{"kalem", "ka_lem"}, {"bal", "bal"}, {"it's", "it's"}, {"deniz", "de_niz"}});
  master->Insert();  // a word without NWORD
  master->FieldByName("HWORD").SetAsString("x");
  master->Post();
  DetailTable parts;
  OpenParts(parts, {{"kalem", "ka"}, {"kalem", "lem"}, {"bal", "bal"}, {"it's", "it's"}, {nullptr, "none"}});
  parts.SetIndexName("ByWORD");
  parts.SetMasterFields("NWORD");
  parts.SetMasterSource(master.get());

  struct Case {
    const char* word;  // nullptr: the master record without NWORD
    const char* expression;
    Strings parts;
  } const cases[] = {
      {"kalem", "(WORD = 'kalem')", {"ka", "lem"}},
      {"bal", "(WORD = 'bal')", {"bal"}},
      {"it's", "(WORD = 'it''s')", {"it's"}},
      {"deniz", "(WORD = 'deniz')", {}},
      {nullptr, "(WORD IS NULL )", {"none"}},
  };
  for (const Case& c : cases) {
    if (c.word != nullptr) {
      ASSERT_TRUE(master->Locate("NWORD", Variant(c.word)));
    } else {
      master->Last();
    }
    EXPECT_EQ(parts.MasterExpression(), c.expression);
    // The detail moved to its first record with the master.
    EXPECT_EQ(parts.Eof(), c.parts.empty()) << c.expression;
    EXPECT_EQ(Sorted(Column(parts, "PART")), c.parts) << c.expression;
  }

  // A new master record has no key yet; cancelling it returns to kalem.
  ASSERT_TRUE(master->Locate("NWORD", Variant("kalem")));
  master->Insert();
  EXPECT_EQ(Column(parts, "PART"), Strings({"none"}));
  master->Cancel();
  EXPECT_EQ(Sorted(Column(parts, "PART")), Strings({"ka", "lem"}));

  EXPECT_FALSE(parts.Locate("PART", Variant("bal")));  // another master's record
  EXPECT_TRUE(parts.Locate("PART", Variant("lem")));
  parts.Insert();  // takes its key from the master
  parts.FieldByName("PART").SetAsString("x");
  parts.Post();
  EXPECT_EQ(Sorted(Column(parts, "PART")), Strings({"ka", "lem", "x"}));

  parts.SetIndexName("ByWordPart");
  parts.SetMasterFields("NWORD;HWORD");
  EXPECT_EQ(parts.MasterExpression(), "(WORD = 'kalem') and (PART = 'ka_lem')");
  EXPECT_EQ(parts.RecordCount(), 0);
  ASSERT_TRUE(master->Locate("NWORD", Variant("bal")));
  EXPECT_EQ(Column(parts, "PART"), Strings({"bal"}));

  // The master may go first; the detail then shows everything.
  master.reset();
  EXPECT_EQ(parts.MasterSource(), nullptr);
  EXPECT_EQ(parts.RecordCount(), 6);
}

}  // namespace
}  // namespace corvane::table
