// Large inputs that fit in a test run; the larger ones are in
// scripts/limits.sh.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "container/container_check.h"
#include "container/container_file_system.h"
#include "scenarios.h"
#include "wordlist/import.h"
#include "wordlist/line_cipher.h"
#include "wordlist/list_file.h"
#include "wordlist/word_list_table.h"

namespace corvane::testing {
namespace {

// A 10 MB line decodes to a 5 MB word, stored cut to 30 characters.
TEST(LimitsTest, TenMegabyteListLine) {
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("corvane_limits_" + std::to_string(getpid()));
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  std::string marked;
  for (int i = 0; marked.size() < 5'000'000; ++i) marked += MarkedWord(i);
  std::string text = wordlist::LineCipher::Encode(marked, "", 7) + "\r\n";
  text += wordlist::LineCipher::Encode("ki_tap", "", 9);
  {
    wordlist::TWordList list((dir / wordlist::kDatabaseFileName).string());
    list.CreateEmptyTable();
    wordlist::WordListImport import(
        std::make_unique<wordlist::ListFileReader>(wordlist::ListFileReader::FromText(std::move(text))), list);
    while (!import.ImportDone()) import.ImportBatch();
    EXPECT_EQ(list.RecordCount(), 2);
    EXPECT_EQ(list.Lookup("kitap"), "ki_tap");
    std::string plain = marked;
    std::erase(plain, '_');
    EXPECT_EQ(list.Lookup(plain.substr(0, 30)), marked.substr(0, 30));
    list.Close();
  }
  ReleaseStores(dir);
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace corvane::testing

namespace corvane::testing {
namespace {

// A container that outgrows its first part file, written the way a table
// writes: many small writes, each growing the file.
TEST(LimitsTest, ContainerPastItsFirstPartInSmallWrites) {
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("corvane_parts_" + std::to_string(getpid()));
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  const std::string path = (dir / "c.edb").string();
  container::ContainerSettings settings;
  settings.part_size = 280 + 100000;  // pages straddle part boundaries
  std::string data(400000, '\0');
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 31 + i / 4096);
  {
    container::TContainerFileSystem c(path, settings, true);
    const int h = c.FileCreate("big");
    for (std::size_t at = 0; at < data.size(); at += 1000) {
      ASSERT_EQ(c.FileWrite(h, data.data() + at, 1000), 1000) << at;
    }
    c.FileClose(h);
  }
  EXPECT_EQ(container::CheckContainer(path), std::vector<std::string>{});
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace corvane::testing
