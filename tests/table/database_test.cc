// TCvDatabase, TCvDatabaseManager and the registries: how datasets find
// their database, the connection modes, CreateDatabase and lifetimes.
#include <algorithm>

#include "dataset_test_util.h"

namespace corvane::table {
namespace {

using dataset_testing::DatasetTest;
using dataset_testing::ErrorOf;

using DatabaseTest = DatasetTest;

bool Registered(const TCvDatabase* db) {
  const auto& all = DatabaseRegistry();
  return std::find(all.begin(), all.end(), db) != all.end();
}

TEST_F(DatabaseTest, ComponentsJoinTheRegistryForTheirLifetimeAndAreFoundIgnoringCase) {
  EXPECT_EQ(FindDatabase("Words"), nullptr);
  const TCvDatabase* gone = nullptr;
  {
    TCvDatabase db;
    db.SetDatabaseName("Words");
    gone = &db;
    EXPECT_TRUE(Registered(&db));
    EXPECT_EQ(FindDatabase("WORDS"), &db);
    EXPECT_EQ(FindDatabase("words"), &db);
    EXPECT_EQ(FindDatabase(""), nullptr);
  }
  EXPECT_FALSE(Registered(gone));
  EXPECT_EQ(FindDatabase("Words"), nullptr);
}

TEST_F(DatabaseTest, DatasetsNamingOneLocationShareOneManagerAndItGoesWithTheLast) {
  TCvTable creator;
  CreateWordList(creator);
  EXPECT_TRUE(DatabaseManagerRegistry().empty()) << "creation leaves no manager behind";

  TCvTable a, b;
  NameWordList(a);
  b.SetDatabaseFileName(DbFile());
  b.SetTableName("hyplist.dat");
  a.Open();
  b.Open();
  ASSERT_EQ(DatabaseManagerRegistry().size(), 1u);
  TCvDatabaseManager* manager = DatabaseManagerRegistry()[0];
  std::string upper = DbFile();
  std::transform(upper.begin(), upper.end(), upper.begin(), [](char c) { return c >= 'a' && c <= 'z' ? c - 32 : c; });
  EXPECT_EQ(TCvDatabaseManager::Find(upper), manager) << "locations compare ignoring case";
  EXPECT_EQ(manager->GetKind(), TCvDatabaseManager::Kind::kSingleFile);
  ASSERT_EQ(DataManagerRegistry().size(), 1u) << "one data manager per open table";
  EXPECT_EQ(DataManagerRegistry()[0]->datasets.size(), 2u);
  EXPECT_EQ(manager->OpenDatasetCount(), 2);

  a.Close();
  EXPECT_EQ(DatabaseManagerRegistry().size(), 1u);
  b.Close();
  EXPECT_TRUE(DatabaseManagerRegistry().empty());
  EXPECT_TRUE(DataManagerRegistry().empty());
}

TEST_F(DatabaseTest, ManagerMatchingRules) {
  TCvTable creator;
  CreateWordList(creator);

  // A dataset naming a component by its DatabaseName connects it and uses
  // its manager.
  {
    TCvDatabase db;
    db.SetDatabaseName("Words");
    db.SetDatabaseFileName(DbFile());
    TCvTable table;
    table.SetDatabaseName("WORDS");
    table.SetTableName("HYPLIST");
    table.Open();
    EXPECT_TRUE(db.Connected());
    ASSERT_EQ(DatabaseManagerRegistry().size(), 1u);
    EXPECT_EQ(db.Manager(), DatabaseManagerRegistry()[0]);
    EXPECT_EQ(TCvDatabaseManager::Find("words"), db.Manager()) << "a connected component's name";
    EXPECT_EQ(TCvDatabaseManager::Find(DbFile()), db.Manager()) << "the location itself";
    table.Close();
    EXPECT_EQ(DatabaseManagerRegistry().size(), 1u) << "the connected component keeps it";
  }
  EXPECT_TRUE(DatabaseManagerRegistry().empty());

  // A component that is not connected still leads to the manager of its file.
  {
    TCvTable table;
    NameWordList(table);
    table.Open();
    TCvDatabase alias;
    alias.SetDatabaseName("Alias");
    alias.SetDatabaseFileName(DbFile());
    EXPECT_EQ(TCvDatabaseManager::Find("ALIAS"), DatabaseManagerRegistry()[0]);
    EXPECT_EQ(TCvDatabaseManager::Find("Other"), nullptr);
  }
  EXPECT_TRUE(DatabaseManagerRegistry().empty());
}

TEST_F(DatabaseTest, ADatabaseNameThatIsADirectoryMeansDirectoryMode) {
  const std::string dir = Path("tables");
  std::filesystem::create_directories(dir);
  TCvTable table;
  table.SetDatabaseName(dir);
  table.SetTableName("T");
  table.FieldDefs().Add("NAME", FieldType::ftString, 10);
  table.CreateTable();
  EXPECT_TRUE(std::filesystem::exists(dir + "/T.dat"));
  EXPECT_TRUE(std::filesystem::exists(dir + "/T.idx"));
  table.Open();
  ASSERT_EQ(DatabaseManagerRegistry().size(), 1u);
  EXPECT_EQ(DatabaseManagerRegistry()[0]->GetKind(), TCvDatabaseManager::Kind::kDirectory);
  table.Close();

  // A component with a Directory connects only to one that exists.
  TCvDatabase db;
  db.SetDirectory(Path("missing"));
  EXPECT_EQ(ErrorOf([&] { db.SetConnected(true); }),
            "TCvDatabase.SetConnected - Directory \"" + Path("missing") + "\" doesn't exist.");
  db.SetDirectory(dir);
  db.SetConnected(true);
  EXPECT_EQ(db.Manager()->GetKind(), TCvDatabaseManager::Kind::kDirectory);
}

TEST_F(DatabaseTest, ConnectingChecksTheFileAndTheModesOfTheFirstComponent) {
  TCvTable creator;
  CreateWordList(creator);

  TCvDatabase missing;
  missing.SetDatabaseFileName(Path("none.edb"));
  EXPECT_EQ(ErrorOf([&] { missing.SetConnected(true); }),
            "TCvDatabase.SetConnected - File \"" + Path("none.edb") + "\" doesn't exist.");
  missing.SetInMemory(true);
  missing.SetConnected(true);  // an in-memory database needs no file
  EXPECT_TRUE(missing.Connected());
  missing.SetConnected(false);

  TCvDatabase first, second;
  first.SetDatabaseFileName(DbFile());
  first.SetReadOnly(true);
  first.SetConnected(true);
  second.SetDatabaseFileName(DbFile());
  EXPECT_EQ(ErrorOf([&] { second.SetConnected(true); }),
            "TCvDatabaseManager.ConnectDatabase - database is already open in read-only mode.");
  second.SetReadOnly(true);
  second.SetInMemory(true);
  EXPECT_EQ(ErrorOf([&] { second.SetConnected(true); }),
            "TCvDatabaseManager.ConnectDatabase - database is already open with other in-memory mode value.");
  second.SetInMemory(false);
  second.SetConnected(true);
  EXPECT_EQ(first.Manager(), second.Manager());

  // Datasets of a read-only database cannot write.
  TCvTable table;
  NameWordList(table);
  table.Open();
  EXPECT_FALSE(table.CanModify());
  EXPECT_EQ(ErrorOf([&] { table.Delete(); }), "Error in TCvDataSet.InternalDelete - table is read only.");

  // Disconnecting a component closes the datasets of its database.
  first.SetConnected(false);
  EXPECT_FALSE(table.Active());
  EXPECT_TRUE(second.Connected());
  second.SetConnected(false);
  EXPECT_TRUE(DatabaseManagerRegistry().empty());
}

TEST_F(DatabaseTest, NamePropertiesDisconnectAndExcludeEachOther) {
  TCvTable creator;
  CreateWordList(creator);
  TCvDatabase db;
  db.SetDatabaseFileName(DbFile());
  db.SetConnected(true);
  db.SetDatabaseName("Other");
  EXPECT_FALSE(db.Connected());

  db.SetConnected(true);
  db.SetDirectory(Path(""));
  EXPECT_FALSE(db.Connected());
  EXPECT_EQ(db.DatabaseFileName(), "");
  db.SetDatabaseFileName(DbFile());
  EXPECT_EQ(db.Directory(), "");
  EXPECT_EQ(db.Location(), DbFile());
}

TEST_F(DatabaseTest, CreateDatabaseChecksInOrderThenWritesAnEmptyContainer) {
  TCvDatabase db;
  EXPECT_EQ(ErrorOf([&] { db.CreateDatabase(); }), "DatabaseFileName property is blank.");

  db.SetDatabaseName("CVHYPLIST");
  db.SetDatabaseFileName(DbFile());
  std::vector<int> progress;
  db.OnProgress = [&](int percent) { progress.push_back(percent); };
  db.CreateDatabase();
  EXPECT_TRUE(std::filesystem::is_regular_file(DbFile()));
  EXPECT_EQ(progress, (std::vector<int>{0, 100}));
  EXPECT_TRUE(DatabaseManagerRegistry().empty()) << "CreateDatabase does not connect";

  db.SetConnected(true);
  EXPECT_EQ(ErrorOf([&] { db.CreateDatabase(); }), "CreateDatabase error. Database is connected.");
  db.SetConnected(false);

  TCvTable table;
  CreateWordList(table);
  table.Open();
  AddWord(table, "kalem", "ka_lem");
  EXPECT_EQ(ErrorOf([&] { db.CreateDatabase(); }),
            "TCvDatabaseManager.CreateDatabase - Some datasets are connected.");
  table.Close();

  // A new database holds no table.
  db.CreateDatabase();
  EXPECT_EQ(ErrorOf([&] { table.Open(); }), "TCvDataset.OpenTable - table \"HYPLIST\" does not exist.");
}

}  // namespace
}  // namespace corvane::table
