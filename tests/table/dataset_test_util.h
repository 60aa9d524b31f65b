// Shared pieces of the dataset and database tests: a fresh folder per test,
// the word-list table built the way the application builds it, and the
// message of a failing call.
#ifndef CORVANE_TESTS_TABLE_DATASET_TEST_UTIL_H_
#define CORVANE_TESTS_TABLE_DATASET_TEST_UTIL_H_

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "container/container_check.h"
#include "container/file_store_registry.h"
#include "platform/error.h"
#include "table/collation.h"
#include "table/table_check.h"
#include "table/database.h"
#include "table/dataset.h"
#include "table/table.h"
#include "support/scratch_dir.h"

namespace corvane::table::dataset_testing {

// Code page 1254 text: "ağaç" and its marked form.
inline const std::string kAgac = "a\xF0" "a\xE7";
inline const std::string kAgacMarked = "a_\xF0" "a\xE7";

// Plain and marked words in insertion order; kalem and Kalem differ only in case.
inline const std::vector<std::pair<std::string, std::string>> kWords = {
    {"kalem", "ka_lem"}, {kAgac, kAgacMarked}, {"Kalem", "Ka_lem"}, {"deniz", "de_niz"}, {"bal", "bal"}};

class DatasetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = test_support::FreshScratchDirForTest("dataset");
  }
  void TearDown() override {
    // Every component a test made is gone by now; so must be the managers,
    // or a test leaked an open table.
    EXPECT_TRUE(DatabaseManagerRegistry().empty());
    // Whatever a test wrote must pass the integrity checks.
    if (std::filesystem::exists(DbFile())) {
      EXPECT_EQ(container::CheckContainer(DbFile()), std::vector<std::string>{});
      container::FileStoreRegistry& stores = container::FileStoreRegistry::Instance();
      bool read_only = false;
      if (auto* store = stores.GetStore(DbFile(), container::StoreMode::kContainer, false, read_only)) {
        std::vector<std::string> names;
        store->ListFiles(".dat", names);
        for (const std::string& name : names) {
          EXPECT_EQ(CheckTable(*store, name, Collation::User()), std::vector<std::string>{}) << name;
        }
        stores.ReleaseStore(DbFile(), container::StoreMode::kContainer);
      }
    }
    std::filesystem::remove_all(dir_);
  }

  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  std::string DbFile() const { return Path("CVHYPLIST.EDB"); }

  // CreateDatabase, then CreateTable of HYPLIST with ID (ftAutoInc), NWORD
  // and HWORD (strings of 30), PrimaryKey on ID and ByNWORD on NWORD
  // (case-insensitive). The table stays closed.
  void CreateWordList(TCvTable& table) {
    TCvDatabase database;
    database.SetDatabaseName("CVHYPLIST");
    database.SetDatabaseFileName(DbFile());
    database.CreateDatabase();
    NameWordList(table);
    table.FieldDefs().Clear();
    table.FieldDefs().Add("ID", FieldType::ftAutoInc, 0, false);
    table.FieldDefs().Add("NWORD", FieldType::ftString, 30, false);
    table.FieldDefs().Add("HWORD", FieldType::ftString, 30, false);
    table.IndexDefs().Clear();
    table.IndexDefs().Add("PrimaryKey", "ID", ixPrimary);
    table.IndexDefs().Add("ByNWORD", "NWORD", ixCaseInsensitive);
    table.CreateTable();
  }

  void NameWordList(TCvDataset& table) {
    table.SetDatabaseName("CVHYPLIST");
    table.SetDatabaseFileName(DbFile());
    table.SetTableName("HYPLIST");
  }

  static void AddWord(TCvDataset& table, const std::string& nword, const std::string& hword) {
    table.Insert();
    table.FieldByName("NWORD").SetAsString(nword);
    table.FieldByName("HWORD").SetAsString(hword);
    table.Post();
  }

  // A created, open word list holding `words` (plain, marked) in this order.
  void OpenWordList(TCvTable& table, const std::vector<std::pair<std::string, std::string>>& words) {
    CreateWordList(table);
    table.Open();
    for (const auto& [nword, hword] : words) AddWord(table, nword, hword);
  }

  // The values of `field` over the view, from First to Eof.
  static std::vector<std::string> Column(TCvDataset& table, const std::string& field) {
    std::vector<std::string> values;
    for (table.First(); !table.Eof(); table.Next()) values.push_back(table.FieldByName(field).AsString());
    return values;
  }

  std::filesystem::path dir_;
};

// The message of the corvane::Error `action` raises; "" when it raises none.
inline std::string ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const Error& e) {
    return e.what();
  }
  return "";
}

}  // namespace corvane::table::dataset_testing

#endif  // CORVANE_TESTS_TABLE_DATASET_TEST_UTIL_H_
