// The shipped list file must build a database that start-up accepts as
// complete (at least 16 MiB), or every start would rebuild it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "wordlist/import.h"
#include "wordlist/list_file.h"
#include "wordlist/word_list_table.h"

namespace corvane::wordlist {
namespace {

TEST(ShippedListTest, BuildsACompleteDatabase) {
  const std::string list_file = std::string(CORVANE_DATA_DIR) + "/" + kListFileName;
  const std::filesystem::path db =
      std::filesystem::temp_directory_path() / ("corvane_shipped_" + std::to_string(getpid()) + ".EDB");
  std::filesystem::remove(db);
  {
    TWordList list(db.string());
    list.CreateEmptyTable();
    WordListImport import(std::make_unique<ListFileReader>(list_file), list);
    while (!import.ImportDone()) import.ImportBatch();
    EXPECT_GE(import.LineCount(), 170000);
    EXPECT_EQ(list.Lookup("kitap").value_or(""), "ki_tap");
    EXPECT_EQ(list.Lookup("\xDDstanbul").value_or(""), "\xDDs_tan_bul");  // İstanbul, for sentence starts
    EXPECT_FALSE(list.Lookup("Kitap").has_value());                          // keys are lower case
    list.Close();
  }
  EXPECT_TRUE(TWordList::DatabaseComplete(db.string()));
  EXPECT_GE(std::filesystem::file_size(db), static_cast<std::uintmax_t>(kMinDatabaseSize));
  std::filesystem::remove(db);
}

}  // namespace
}  // namespace corvane::wordlist
