// TCvDataset and TCvTable over real tables: properties, table creation and
// its checks, editing and unique keys, table modes, BLOBs, master fields.
#include <algorithm>

#include "dataset_test_util.h"
#include "table/blob_stream.h"
#include "table/database_error.h"

namespace corvane::table {
namespace {

using dataset_testing::DatasetTest;
using dataset_testing::ErrorOf;
using dataset_testing::kAgac;
using dataset_testing::kAgacMarked;
using dataset_testing::kWords;
using Strings = std::vector<std::string>;


TEST(DatasetPropertiesTest, NamesVersionAndExclusive) {
  const std::pair<std::string, std::string> names[] = {
      {"HYPLIST.dat", "HYPLIST"}, {"a.b.c", "a.b"}, {"plain", "plain"}, {".dat", ""}, {"x.", "x"}};
  TCvDataset dataset;
  for (const auto& [given, kept] : names) {
    dataset.SetTableName(given);
    EXPECT_EQ(dataset.TableName(), kept) << given;
  }
  EXPECT_EQ(dataset.CurrentVersion(), "3.02 ");
  dataset.SetCurrentVersion("9.99");
  EXPECT_EQ(dataset.CurrentVersion(), "3.02 ");
  EXPECT_EQ(dataset.BLOBBlockSize(), 512);
  EXPECT_FALSE(dataset.Exclusive());
  dataset.SetExclusive(true);
  EXPECT_TRUE(dataset.Exclusive());
}

TEST_F(DatasetTest, ExclusiveCanOnlyChangeWhileClosedAndNamesNotAtAll) {
  TCvTable table;
  OpenWordList(table, {});
  table.SetExclusive(true);
  EXPECT_FALSE(table.Exclusive());
  EXPECT_EQ(ErrorOf([&] { table.SetTableName("OTHER"); }), "Cannot perform this operation on an open dataset");
  table.SetTableName("HYPLIST.dat");  // the same name again is harmless
  table.Close();
  table.SetExclusive(true);
  EXPECT_TRUE(table.Exclusive());
}

TEST_F(DatasetTest, OpeningRebuildsFieldDefsWithTheIdentifierLast) {
  TCvTable table;
  OpenWordList(table, {});
  const TFieldDefs& defs = table.FieldDefs();
  ASSERT_EQ(defs.Count(), 3);
  const std::tuple<std::string, FieldType, int> expected[] = {
      {"NWORD", FieldType::ftString, 30}, {"HWORD", FieldType::ftString, 30}, {"ID", FieldType::ftAutoInc, 0}};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(defs[i].name, std::get<0>(expected[i]));
    EXPECT_EQ(defs[i].type, std::get<1>(expected[i]));
    EXPECT_EQ(defs[i].size, std::get<2>(expected[i]));
  }
  EXPECT_EQ(table.FieldCount(), 3);
  EXPECT_TRUE(table.FieldByName("id").IsIdentifier());
  EXPECT_EQ(ErrorOf([&] { table.FieldByName("XWORD"); }),
            "Error in TCvDataManager.InternalGetFieldNo - field \"XWORD\" not found!");
}

TEST_F(DatasetTest, CreateTableRefusesBadDefinitionsAndLeavesTheOldTable) {
  struct Case {
    std::function<void(TCvTable&)> change;
    std::string message;
  };
  const std::string long19 = "NWORD_IS_TOO_LONG_X";
  const Case cases[] = {
      {[&](TCvTable& t) { t.FieldDefs().Add(long19, FieldType::ftString, 5); },
       "Field name must have no more than 18 chars. Please shorten field name \"" + long19 + "\""},
      {[&](TCvTable& t) { t.IndexDefs().Add(long19, "NWORD"); },
       "Index name must have no more than 18 chars. Please shorten index name \"" + long19 + "\""},
      {[](TCvTable& t) { t.SetBLOBBlockSize(0); }, "TCvDataSet.InternalCreateTable - BlobBlockSize must be > 0"},
      {[](TCvTable& t) { t.FieldDefs().Add("", FieldType::ftInteger); },
       "TCvDataManager.CreateTable - field name is empty."},
      {[](TCvTable& t) { t.FieldDefs().Add("RAW", FieldType::ftBytes, 0); },
       "Error in TCvDataManager.CreateTable - illegal ftBytes size !"},
      {[](TCvTable& t) { t.FieldDefs().Add("S", FieldType::ftString, -1); },
       "Error in TCvDataManager.CreateTable - illegal string size !"},
      {[](TCvTable& t) { t.FieldDefs().Add("W", FieldType::ftWideString, -3); },
       "Error in TCvDataManager.CreateTable - illegal wide string size !"},
      {[](TCvTable& t) { t.FieldDefs().Add("U", FieldType::ftUnknown); },
       "Error in TCvDataManager.CreateTable - Unsupported DB type!"},
      {[](TCvTable& t) { t.IndexDefs().Add("Empty", " ; "); },
       "Error in TCvDataManager.CreateTable without params - invalid index definition, #2."},
      {[](TCvTable& t) { t.IndexDefs().Add("ByX", "XWORD"); },
       "Error in TCvDataManager.InternalGetFieldNo - field \"XWORD\" not found!"},
  };
  for (const Case& c : cases) {
    TCvTable table;
    OpenWordList(table, {{"kalem", "ka_lem"}});
    table.Close();
    c.change(table);
    EXPECT_EQ(ErrorOf([&] { table.CreateTable(); }), c.message);
    table.Open();
    EXPECT_EQ(table.RecordCount(), 1) << c.message;
    table.Close();
  }
}

TEST_F(DatasetTest, TheIdentifierIsTheAutoIncFieldElseThePrimaryIntegerElseId) {
  struct Case {
    std::vector<TFieldDef> fields;
    std::vector<std::tuple<std::string, std::string, TIndexOptions>> indexes;
    std::string identifier;  // or the message
    int stored;
  };
  const Case cases[] = {
      {{{"A", FieldType::ftInteger}, {"N", FieldType::ftAutoInc}, {"M", FieldType::ftAutoInc}}, {}, "N", 2},
      {{{"K", FieldType::ftInteger}, {"S", FieldType::ftString, 4}}, {{"PK", "k", ixPrimary}}, "K", 1},
      {{{"S", FieldType::ftString, 4}}, {{"ByS", "S", ixUnique}}, "id", 1},
      {{{"S", FieldType::ftString, 4}}, {{"PK", "S", ixPrimary}},
       "TCvDataManager.Create - Primary index should contain one field of AutoInc type.", 0},
      {{{"K", FieldType::ftInteger}, {"L", FieldType::ftInteger}}, {{"PK", "K;L", ixPrimary}},
       "TCvDataManager.Create - Primary index should contain one field of AutoInc type.", 0},
      {{{"K", FieldType::ftInteger}}, {{"PK", "Q", ixPrimary}},
       "TCvDataManager.Create - cannot find field \"Q\" of primary index.", 0},
  };
  for (const Case& c : cases) {
    TCvTable table;
    table.SetDatabaseFileName(DbFile());  // created on the way
    table.SetTableName("T");
    for (const TFieldDef& f : c.fields) table.FieldDefs().Add(f);
    for (const auto& [name, fields, options] : c.indexes) table.IndexDefs().Add(name, fields, options);
    const std::string error = ErrorOf([&] { table.CreateTable(); });
    if (c.stored == 0) {
      EXPECT_EQ(error, c.identifier);
      continue;
    }
    ASSERT_EQ(error, "");
    table.Open();
    EXPECT_EQ(table.FieldCount(), c.stored + 1);
    EXPECT_EQ(table.FieldDefs()[c.stored].name, c.identifier);
    EXPECT_EQ(table.FieldDefs()[c.stored].type, FieldType::ftAutoInc);
    table.Close();
  }
}

TEST_F(DatasetTest, CreateTableReplacesATableButNotOneInUse) {
  TCvTable table;
  OpenWordList(table, kWords);
  EXPECT_EQ(ErrorOf([&] { table.CreateTable(); }),
            "TCvDataSet.InternalCreateTable - Cannot perform this operation on an open DataSet.");
  TCvTable other;
  NameWordList(other);
  other.FieldDefs() = table.FieldDefs();
  EXPECT_EQ(ErrorOf([&] { other.CreateTable(); }), "TCvDataSet.InternalCreateTable - Table is busy, table HYPLIST");
  EXPECT_EQ(ErrorOf([&] { other.DeleteTable(); }), "TCvDataSet.DeleteTable - Table is busy, table HYPLIST");
  table.Close();

  CreateWordList(table);
  table.Open();
  EXPECT_EQ(table.RecordCount(), 0);
  AddWord(table, "yeni", "ye_ni");
  EXPECT_EQ(table.FieldByName("ID").AsInteger(), 1) << "identifiers start again";
  table.Close();

  EXPECT_TRUE(table.Exists());
  table.DeleteTable();
  EXPECT_FALSE(table.Exists());
  EXPECT_EQ(ErrorOf([&] { table.Open(); }), "TCvDataset.OpenTable - table \"HYPLIST\" does not exist.");
}

TEST_F(DatasetTest, InsertPostAndTheirChecks) {
  TCvTable table;
  OpenWordList(table, {});
  EXPECT_EQ(ErrorOf([&] { table.Post(); }), "Error in TCvDataSet.InternalPost - invalid state.");
  EXPECT_EQ(ErrorOf([&] { table.FieldByName("NWORD").SetAsString("x"); }), "Dataset not in edit or insert mode");
  EXPECT_EQ(ErrorOf([&] { table.Delete(); }), "Error in TCvDataSet.InternalDelete - no records in table.");

  table.Insert();
  EXPECT_EQ(table.State(), TDataSetState::dsInsert);
  table.Edit();
  EXPECT_EQ(table.State(), TDataSetState::dsInsert) << "Edit keeps a record being inserted";
  EXPECT_EQ(ErrorOf([&] { table.FieldByName("ID").SetAsInteger(7); }), "Field 'ID' cannot be modified");
  const std::string marked35 = "a_b_c_d_e_f_g_h_i_j_k_l_m_n_o_p_q";  // 35 characters
  table.FieldByName("HWORD").SetAsString(marked35);
  table.FieldByName("NWORD").SetAsString("abcdefghijklmnopq");
  table.Post();
  EXPECT_EQ(table.State(), TDataSetState::dsBrowse);
  EXPECT_EQ(table.FieldByName("HWORD").AsString(), marked35.substr(0, 30));
  EXPECT_EQ(table.FieldByName("ID").AsString(), "1");

  AddWord(table, "ikinci", "i_kin_ci");
  EXPECT_EQ(table.FieldByName("ID").AsInteger(), 2);
  table.Edit();
  table.FieldByName("HWORD").SetAsString("ikin_ci");
  table.Post();
  EXPECT_EQ(table.RecordCount(), 2);
  ASSERT_TRUE(table.Locate("ID", 2));
  EXPECT_EQ(table.FieldByName("HWORD").AsString(), "ikin_ci");

  table.Insert();
  table.FieldByName("NWORD").SetAsString("vazgec");
  table.Cancel();
  EXPECT_EQ(table.RecordCount(), 2);
  EXPECT_EQ(table.FieldByName("NWORD").AsString(), "ikinci") << "Cancel goes back to the record";

  table.Delete();
  EXPECT_EQ(table.RecordCount(), 1);
  EXPECT_EQ(Column(table, "NWORD"), Strings{"abcdefghijklmnopq"});
}

TEST_F(DatasetTest, ReadOnlyDatasetsRefuseChanges) {
  TCvTable table;
  OpenWordList(table, {{"kalem", "ka_lem"}});
  table.Close();
  table.SetReadOnly(true);
  table.Open();
  EXPECT_FALSE(table.CanModify());
  EXPECT_EQ(ErrorOf([&] { table.Insert(); }), "Cannot modify a read-only dataset");
  EXPECT_EQ(ErrorOf([&] { table.Edit(); }), "Cannot modify a read-only dataset");
  EXPECT_EQ(ErrorOf([&] { table.Post(); }), "Error in TCvDataSet.InternalPost - table is read only.");
  EXPECT_EQ(ErrorOf([&] { table.Delete(); }), "Error in TCvDataSet.InternalDelete - table is read only.");
}

TEST_F(DatasetTest, UniqueIndexesRefuseDuplicateKeysPrimaryAndPlainOnesDoNot) {
  TCvTable table;
  table.SetDatabaseFileName(DbFile());
  table.SetTableName("KEYS");
  table.FieldDefs().Add("K", FieldType::ftInteger);
  table.FieldDefs().Add("U", FieldType::ftString, 10);
  table.FieldDefs().Add("P", FieldType::ftString, 10);
  table.IndexDefs().Add("PK", "K", ixPrimary);
  table.IndexDefs().Add("ByU", "U", ixUnique | ixCaseInsensitive);
  table.IndexDefs().Add("ByP", "P");
  table.CreateTable();
  table.Open();
  const auto add = [&](const std::string& u, const std::string& p) {
    table.Insert();
    table.FieldByName("U").SetAsString(u);
    table.FieldByName("P").SetAsString(p);
    table.Post();
  };
  add("one", "same");
  add("two", "same");  // a plain index takes duplicates
  try {
    add("ONE", "other");
    FAIL() << "a duplicate unique key was posted";
  } catch (const DatabaseError& e) {
    EXPECT_STREQ(e.what(),
                 "TCvDataSet.InternalPost - key violation.\r\nTable name = \"KEYS\".\r\nUnique index name = \"ByU\".");
  }
  EXPECT_EQ(table.State(), TDataSetState::dsInsert) << "the record stays to be corrected";
  table.Cancel();
  EXPECT_EQ(table.RecordCount(), 2);
  ASSERT_TRUE(table.Locate("U", "two"));
  table.Edit();
  table.FieldByName("P").SetAsString("changed");
  table.Post();  // the record's own key is no violation
  table.Edit();
  table.FieldByName("U").SetAsString("One");
  EXPECT_THROW(table.Post(), DatabaseError);
  table.Cancel();
}

TEST_F(DatasetTest, InMemoryAndTemporaryTablesLiveApartFromTheDatabase) {
  for (const bool in_memory : {true, false}) {
    TCvTable table;
    table.SetDatabaseFileName(DbFile());  // never created
    table.SetTableName("SCRATCH");
    if (in_memory) {
      table.SetInMemory(true);
    } else {
      table.SetTemporary(true);
    }
    table.FieldDefs().Add("W", FieldType::ftString, 8);
    table.CreateTable();
    EXPECT_TRUE(table.Exists());
    table.Open();
    for (const char* word : {"", "bellek"}) {
      table.Insert();
      table.FieldByName("W").SetAsString(word);
      table.Post();
    }
    EXPECT_TRUE(table.Locate("W", "bellek"));
    EXPECT_TRUE(table.Locate("W", "")) << "an empty string is a value";
    EXPECT_EQ(table.RecordCount(), 2);

    TCvTable normal;
    normal.SetDatabaseFileName(DbFile());
    normal.SetTableName("SCRATCH");
    EXPECT_EQ(ErrorOf([&] { normal.Open(); }), in_memory ? "Cannot open dataset in both InMemory and other modes."
                                                         : "Cannot open dataset in both Temporary and other modes.");
    table.Close();
    EXPECT_FALSE(table.Exists()) << "the table lives while it is open";
    EXPECT_FALSE(std::filesystem::exists(DbFile())) << "nothing reached the database";
  }
}

TEST_F(DatasetTest, AnInMemoryTableIsSavedToItsDatabaseOnRequest) {
  TCvTable scratch;
  scratch.SetDatabaseFileName(DbFile());
  scratch.SetTableName("HYPLIST");
  scratch.SetInMemory(true);
  scratch.FieldDefs().Add("NWORD", FieldType::ftString, 30);
  scratch.FieldDefs().Add("HWORD", FieldType::ftString, 30);
  scratch.IndexDefs().Add("ByNWORD", "NWORD", ixCaseInsensitive);
  scratch.CreateTable();
  scratch.Open();
  for (const auto& [nword, hword] : kWords) AddWord(scratch, nword, hword);
  scratch.InternalSaveTable();
  AddWord(scratch, "sonra", "son_ra");  // after the save: stays in memory
  scratch.Close();

  TCvTable table;
  NameWordList(table);
  table.Open();
  EXPECT_EQ(table.RecordCount(), 5);
  EXPECT_EQ(table.FieldDefs()[2].name, "id");
  table.SetIndexName("ByNWORD");
  EXPECT_EQ(Column(table, "NWORD").front(), kAgac);
  EXPECT_FALSE(table.Locate("NWORD", "sonra"));
}

TEST_F(DatasetTest, RebuildingIndexesReportsProgress) {
  const std::string dir = Path("db");
  std::filesystem::create_directories(dir);
  TCvTable table;
  table.SetDatabaseName(dir);
  table.SetTableName("T");
  table.FieldDefs().Add("W", FieldType::ftString, 8);
  table.CreateTable();
  table.Open();
  table.Insert();
  table.FieldByName("W").SetAsString("b");
  table.Post();
  table.Close();
  std::filesystem::remove(dir + "/T.idx");

  std::vector<std::tuple<bool, bool, int>> calls;
  table.OnBuildIndexesProgress = [&](TCvDataset& d, bool starting, bool finished, int percent) {
    EXPECT_EQ(&d, &table);
    calls.emplace_back(starting, finished, percent);
  };
  table.Open();
  ASSERT_GE(calls.size(), 2u);
  EXPECT_TRUE(std::get<0>(calls.front()));
  EXPECT_TRUE(std::get<1>(calls.back()));
  EXPECT_EQ(std::get<2>(calls.back()), 100);
  table.SetIndexName("@W");
  EXPECT_TRUE(table.Locate("W", "b"));
}

TEST_F(DatasetTest, BlobValuesTravelWithTheirRecord) {
  TCvTable table;
  table.SetDatabaseFileName(DbFile());
  table.SetTableName("NOTES");
  table.FieldDefs().Add("TITLE", FieldType::ftString, 10);
  table.FieldDefs().Add("BODY", FieldType::ftMemo);
  table.CreateTable();
  table.Open();
  table.Insert();
  table.FieldByName("TITLE").SetAsString("first");
  {
    TCvBlobStream body(table.FieldByName("BODY"), TBlobStreamMode::bmWrite);
    body.Write("hello ", 6);
    body.Write("world", 5);
  }
  table.Post();
  table.Insert();
  table.FieldByName("TITLE").SetAsString("second");
  table.FieldByName("BODY").SetAsString(std::string(3000, 'x'));
  table.Post();

  ASSERT_TRUE(table.Locate("TITLE", "first"));
  EXPECT_EQ(table.FieldByName("BODY").AsString(), "hello world");
  TCvBlobStream read(table.FieldByName("BODY"), TBlobStreamMode::bmRead);
  char buffer[5];
  read.Seek(6, 0);
  EXPECT_EQ(read.Read(buffer, 5), 5);
  EXPECT_EQ(std::string(buffer, 5), "world");
  EXPECT_EQ(ErrorOf([&] { read.Write("x", 1); }), "Cannot write to a read-only BLOB stream");

  table.Edit();
  {
    TCvBlobStream edit(table.FieldByName("BODY"), TBlobStreamMode::bmReadWrite);
    edit.Seek(0, 2);
    edit.Write("!", 1);
    table.Cancel();  // the stream is released with the record
    EXPECT_TRUE(edit.Released());
  }
  EXPECT_EQ(table.FieldByName("BODY").AsString(), "hello world");
  table.Delete();
  ASSERT_TRUE(table.Locate("TITLE", "second"));
  EXPECT_EQ(table.FieldByName("BODY").AsString(), std::string(3000, 'x'));
  EXPECT_EQ(ErrorOf([&] { TCvBlobStream s(table.FieldByName("TITLE"), TBlobStreamMode::bmRead); }),
            "Field 'TITLE' is not a BLOB field");
}

TEST_F(DatasetTest, ANewDetailRecordTakesItsKeyFromTheMaster) {
  TCvTable master, detail;
  OpenWordList(master, {{"kalem", "ka_lem"}});
  detail.SetDatabaseFileName(DbFile());
  detail.SetTableName("SENSES");
  detail.FieldDefs().Add("WORD", FieldType::ftString, 30);
  detail.FieldDefs().Add("SENSE", FieldType::ftString, 40);
  detail.CreateTable();
  detail.SetIndexFieldNames("WORD");
  detail.SetMasterSource(&master);
  detail.SetMasterFields("NWORD");
  detail.Open();
  detail.Insert();
  EXPECT_EQ(detail.FieldByName("WORD").AsString(), "kalem");
  EXPECT_FALSE(detail.Modified());
  detail.Cancel();
}

}  // namespace
}  // namespace corvane::table
