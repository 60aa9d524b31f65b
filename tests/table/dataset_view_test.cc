// TCvDataset over real tables: Locate and its value conversions, the
// ordered view with navigation, bookmarks and ranges, and datasets sharing
// one table.
#include <algorithm>

#include "dataset_test_util.h"

namespace corvane::table {
namespace {

using dataset_testing::DatasetTest;
using dataset_testing::ErrorOf;
using dataset_testing::kAgac;
using dataset_testing::kAgacMarked;
using dataset_testing::kWords;
using Strings = std::vector<std::string>;


TEST_F(DatasetTest, LocateMatchesWholeValuesCaseSensitivelyUnlessAsked) {
  TCvTable table;
  OpenWordList(table, kWords);
  struct Case {
    std::string value;
    TLocateOptions options;
    std::string found;  // HWORD, "" for none
  };
  const Case cases[] = {
      {"kalem", 0, "ka_lem"},
      {"Kalem", 0, "Ka_lem"},
      {"KALEM", 0, ""},
      {"KALEM", loCaseInsensitive, "ka_lem"},
      {"kal", 0, ""},
      {"kal", loPartialKey, "ka_lem"},
      {"A\xD0" "A", loPartialKey | loCaseInsensitive, kAgacMarked},
      {"denizler", loPartialKey, ""},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(table.Locate("NWORD", "bal"));
    EXPECT_EQ(table.Locate("NWORD", c.value, c.options), !c.found.empty()) << c.value;
    EXPECT_EQ(table.FieldByName("HWORD").AsString(), c.found.empty() ? "bal" : c.found)
        << c.value << ": a failed Locate stays where it was";
  }
  // With the case-insensitive option "kalem" and "Kalem" both match; the
  // first in the current order wins.
  table.SetIndexName("@NWORD");
  ASSERT_TRUE(table.Locate("nword", "KALEM", loCaseInsensitive));
  EXPECT_EQ(table.FieldByName("HWORD").AsString(), "ka_lem");

  EXPECT_FALSE(table.Locate("NWORD", Variant::Null()));
  EXPECT_FALSE(table.Locate("NWORD;HWORD", Variant::Array({Variant::Null(), "bal"})));
  EXPECT_TRUE(table.Locate("NWORD, HWORD", Variant::Array({"deniz", "de_niz"})));
  EXPECT_FALSE(table.Locate("NWORD;HWORD", Variant::Array({"deniz", "den_iz"})));
  EXPECT_EQ(ErrorOf([&] { table.Locate("NWORD", Variant::OfKind(varByte, 1)); }),
            "TCvDataset.PrepareAndLocate - Unsupported variant type 17");
  EXPECT_EQ(ErrorOf([&] { table.Locate("NWORD", Variant()); }),
            "TCvDataset.PrepareAndLocate - Unsupported variant type 0");
  EXPECT_EQ(ErrorOf([&] { table.Locate("NOPE", "x"); }),
            "Error in TCvDataManager.InternalGetFieldNo - field \"NOPE\" not found!");
}

TEST_F(DatasetTest, LocateConvertsEveryValueKindToTheFieldsType) {
  TCvTable table;
  table.SetDatabaseFileName(DbFile());
  table.SetTableName("KINDS");
  table.FieldDefs().Add("ID", FieldType::ftAutoInc);
  table.FieldDefs().Add("I", FieldType::ftInteger);
  table.FieldDefs().Add("L", FieldType::ftLargeint);
  table.FieldDefs().Add("S", FieldType::ftSmallint);
  table.FieldDefs().Add("F", FieldType::ftFloat);
  table.FieldDefs().Add("C", FieldType::ftCurrency);
  table.FieldDefs().Add("B", FieldType::ftBoolean);
  table.FieldDefs().Add("D", FieldType::ftDateTime);
  table.FieldDefs().Add("DA", FieldType::ftDate);
  table.FieldDefs().Add("T", FieldType::ftString, 20);
  table.CreateTable();
  table.Open();
  const TDateTime when = EncodeDateTime(2024, 2, 29, 13, 45, 10);
  for (int i = 1; i <= 3; ++i) {
    table.Insert();
    table.FieldByName("I").SetAsInteger(i * 100);
    table.FieldByName("L").SetAsLargeInt(int64_t{i} << 40);
    table.FieldByName("S").SetAsString(std::to_string(-i));
    table.FieldByName("F").SetAsFloat(i + 0.25);
    table.FieldByName("C").SetAsFloat(i * 1.5);
    table.FieldByName("B").SetAsBoolean(i == 2);
    table.FieldByName("D").SetAsDateTime(when + i);
    table.FieldByName("DA").SetAsDateTime(when + i);
    table.FieldByName("T").SetAsString("t" + std::to_string(i));
    table.Post();
  }
  struct Case {
    std::string field;
    Variant value;
    int id;  // 0: not found
  };
  const Case cases[] = {
      {"I", 200, 2},
      {"I", static_cast<short>(300), 3},
      {"I", "100", 1},
      {"L", int64_t{3} << 40, 3},
      {"S", static_cast<short>(-2), 2},
      {"F", 2.25, 2},
      {"F", 3.25f, 3},
      {"C", Variant::Currency(4.5), 3},
      {"B", true, 2},
      {"D", Variant::DateTime(when + 1), 1},
      {"DA", Variant::DateTime(when + 2), 2},
      {"DA", "2024-03-03", 3},
      {"T", 2.0, 0},
      {"T", "t2", 2},
      {"ID", 3, 3},
  };
  for (const Case& c : cases) {
    table.First();
    EXPECT_EQ(table.Locate(c.field, c.value), c.id != 0) << c.field << " " << c.value.Type();
    if (c.id != 0) {
      EXPECT_EQ(table.FieldByName("ID").AsInteger(), c.id) << c.field;
    }
  }
  ASSERT_TRUE(table.Locate("ID", 2));
  EXPECT_EQ(table.FieldByName("D").AsString(), "2024-03-02 13:45:10");
  EXPECT_EQ(table.FieldByName("DA").AsString(), "2024-03-02");
  EXPECT_EQ(table.FieldByName("B").AsString(), "True");
  EXPECT_EQ(table.FieldByName("F").AsString(), "2.25");
  EXPECT_EQ(table.FieldByName("L").AsString(), "2199023255552");
  EXPECT_EQ(ErrorOf([&] { table.Locate("I", "12x"); }), "'12x' is not a valid integer value");
}

TEST_F(DatasetTest, NavigationFollowsTheCurrentOrder) {
  TCvTable table;
  OpenWordList(table, kWords);
  EXPECT_EQ(Column(table, "NWORD"), (Strings{"kalem", kAgac, "Kalem", "deniz", "bal"})) << "physical order";
  table.SetIndexName("@NWORD");
  EXPECT_EQ(Column(table, "NWORD"), (Strings{kAgac, "bal", "deniz", "kalem", "Kalem"}));
  table.SetIndexFieldNames("HWORD");
  EXPECT_EQ(table.IndexName(), "");
  EXPECT_EQ(Column(table, "HWORD"), (Strings{kAgacMarked, "bal", "de_niz", "ka_lem", "Ka_lem"}));
  EXPECT_EQ(ErrorOf([&] { table.SetIndexName("ByHWORD"); }),
            "Error in TCvDataSet.OpenIndex - index \"ByHWORD\" not found!");
  table.SetIndexName("@NWORD");

  table.First();
  EXPECT_TRUE(table.Bof());
  EXPECT_FALSE(table.Eof());
  EXPECT_EQ(table.RecNo(), 1);
  EXPECT_EQ(table.MoveBy(3), 3);
  EXPECT_EQ(table.RecNo(), 4);
  EXPECT_EQ(table.MoveBy(5), 1);
  EXPECT_TRUE(table.Eof());
  EXPECT_EQ(table.FieldByName("NWORD").AsString(), "Kalem");
  table.Next();
  EXPECT_EQ(table.RecNo(), 5) << "Next at the end stays";
  table.Prior();
  EXPECT_FALSE(table.Eof());
  EXPECT_EQ(table.RecNo(), 4);
  table.SetRecNo(2);
  EXPECT_EQ(table.FieldByName("NWORD").AsString(), "bal");
  table.Last();
  EXPECT_TRUE(table.Eof());
  EXPECT_EQ(table.RecordCount(), 5);
  table.Insert();
  EXPECT_EQ(table.RecNo(), 6) << "a record being inserted comes after the others";
  table.Cancel();

  // Deleting moves to the record that followed.
  ASSERT_TRUE(table.Locate("NWORD", "bal"));
  table.Delete();
  EXPECT_EQ(table.FieldByName("NWORD").AsString(), "deniz");
  EXPECT_EQ(table.RecNo(), 2);
}

TEST_F(DatasetTest, AnEmptyTableHasNoPosition) {
  TCvTable table;
  OpenWordList(table, {});
  EXPECT_TRUE(table.Bof());
  EXPECT_TRUE(table.Eof());
  EXPECT_EQ(table.RecNo(), 0);
  EXPECT_EQ(table.RecordCount(), 0);
  EXPECT_TRUE(table.FieldByName("NWORD").IsNull());
  EXPECT_EQ(table.FieldByName("ID").AsString(), "");
  EXPECT_EQ(table.MoveBy(1), 0);
  table.Edit();  // nothing to edit: a new record instead
  EXPECT_EQ(table.State(), TDataSetState::dsInsert);
  EXPECT_EQ(table.RecNo(), 1);
  table.Cancel();
}

TEST_F(DatasetTest, BookmarksReturnToTheirRecordWhileItExists) {
  TCvTable table;
  OpenWordList(table, kWords);
  table.SetIndexName("@NWORD");
  ASSERT_TRUE(table.Locate("NWORD", "deniz"));
  const TBookmark deniz = table.GetBookmark();
  EXPECT_EQ(deniz.size(), 8u);
  ASSERT_TRUE(table.Locate("NWORD", "kalem"));
  const TBookmark kalem = table.GetBookmark();
  table.First();
  table.GotoBookmark(deniz);
  EXPECT_EQ(table.FieldByName("NWORD").AsString(), "deniz");
  EXPECT_EQ(table.RecNo(), 3);

  // Deleting a record moves the last slot into its place; the bookmark of
  // the moved record still leads to it.
  ASSERT_TRUE(table.Locate("NWORD", "kalem"));
  table.Delete();
  EXPECT_FALSE(table.BookmarkValid(kalem));
  EXPECT_EQ(ErrorOf([&] { table.GotoBookmark(kalem); }), "Record not found");
  table.GotoBookmark(deniz);
  EXPECT_EQ(table.FieldByName("NWORD").AsString(), "deniz");
  EXPECT_EQ(TBookmark{}, [] {
    TCvDataset closed;
    return closed.GetBookmark();
  }());
}

TEST_F(DatasetTest, RangesLimitTheViewByTheCurrentIndex) {
  TCvTable table;
  OpenWordList(table, kWords);
  EXPECT_EQ(ErrorOf([&] { table.SetRange({"b"}, {"d"}); }), "Error in TCvDataSet.SetRange - no current index.");
  table.SetIndexName("@NWORD");
  table.SetRange({"b"}, {"kalem"});
  EXPECT_EQ(Column(table, "NWORD"), (Strings{"bal", "deniz", "kalem"}));
  EXPECT_EQ(table.RecordCount(), 3);
  table.Last();
  EXPECT_EQ(table.RecNo(), 3);
  EXPECT_FALSE(table.Locate("NWORD", kAgac)) << "Locate stays in the range";
  EXPECT_TRUE(table.Locate("NWORD", "deniz"));

  table.SetRange({}, {"bal"});
  EXPECT_EQ(Column(table, "NWORD"), (Strings{kAgac, "bal"}));
  table.SetIndexName("ByNWORD");  // case-insensitive: kalem and Kalem are one key
  table.SetRange({"KALEM"}, {"KALEM"});
  EXPECT_EQ(table.RecordCount(), 2);
  AddWord(table, "zebra", "zeb_ra");
  EXPECT_EQ(table.RecordCount(), 2) << "a record posted outside the range stays outside";
  table.CancelRange();
  EXPECT_EQ(table.RecordCount(), 6);
}

TEST_F(DatasetTest, DatasetsOnOneTableSeeEachOthersChanges) {
  TCvTable writer, reader;
  OpenWordList(writer, {{"kalem", "ka_lem"}});
  NameWordList(reader);
  reader.Open();
  reader.SetIndexName("@NWORD");
  EXPECT_EQ(reader.RecordCount(), 1);
  AddWord(writer, kAgac, kAgacMarked);
  EXPECT_EQ(reader.RecordCount(), 2);
  EXPECT_EQ(reader.FieldByName("NWORD").AsString(), "kalem") << "the current record is kept";
  EXPECT_EQ(reader.RecNo(), 2);
  ASSERT_TRUE(reader.Locate("NWORD", kAgac));
  reader.Edit();
  reader.FieldByName("HWORD").SetAsString(kAgac);

  ASSERT_TRUE(writer.Locate("NWORD", kAgac));
  writer.Delete();
  EXPECT_EQ(ErrorOf([&] { reader.Post(); }), "Record not found") << "the edited record is gone";
  reader.Cancel();
  EXPECT_EQ(Column(reader, "NWORD"), Strings{"kalem"});
}

}  // namespace
}  // namespace corvane::table
