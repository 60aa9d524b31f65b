// A lookup that meets a damaged page of the index it searches. The first
// probe of every search lands in the middle of the array, so damage there is
// met by every word looked up.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "container/container_file_system.h"
#include "container/file_store_registry.h"
#include "container/user_file_page_map_manager.h"
#include "platform/error.h"
#include "scenarios.h"
#include "table/collation.h"
#include "table/index_file.h"
#include "table/table_check.h"
#include "wordlist/word_list_table.h"

namespace corvane::testing {
namespace {

constexpr int kWords = 5000;

class DamagedIndexTest : public ScratchFolderTest {
 protected:
  // Where entry `p` of @NWORD (the third array) lies in the container file.
  int64_t EntryOffset(const std::string& path, int32_t p) {
    container::ContainerSettings settings;
    settings.read_only = true;
    container::TContainerFileSystem c(path, settings, false);
    for (const container::ContainerEntry& e : c.Entries()) {
      if (e.name != "HYPLIST.idx") continue;
      const int32_t d = c.Pages().DataSize();
      const int64_t x = 7;  // indexes: the five automatic ones, PrimaryKey, ByNWORD
      const int64_t after_arrays = 8 * int64_t{kWords} + 32 + static_cast<int64_t>(table::ArrayChecksSize(x));
      const int64_t at = e.size - after_arrays - 4 * int64_t{kWords} * (x - 2) + 4 * int64_t{p};
      const container::FilePageMap& map = c.PageMaps().GetMaps(e.first_map_page, container::PagesFor(e.size, d));
      const int64_t page = map.data_pages[static_cast<std::size_t>(at / d)];
      return static_cast<int64_t>(container::kPartHeaderSize) + page * c.Pages().geometry().page_size +
             static_cast<int64_t>(container::kPageHeaderSize) + at % d;
    }
    ADD_FAILURE() << "no HYPLIST.idx";
    return 0;
  }
};

TEST_F(DamagedIndexTest, LookupsAnswerRightOrMissButNeverFail) {
  const std::string path = (dir_ / wordlist::kDatabaseFileName).string();
  Fresh();
  Journal journal;
  ImportWordList(dir_, kWords, journal);
  ReleaseStores(dir_);
  std::ifstream in(path, std::ios::binary);
  const std::string good{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  in.close();
  // Entries 4 apart share a byte lane of the page's XOR checksum.
  const auto first = static_cast<std::size_t>(EntryOffset(path, kWords / 2));
  const std::size_t second = first + 4 * 3;
  ReleaseStores(dir_);
  struct Case {
    const char* what;
    std::function<void(std::string&)> damage;
    bool exact;           // else a word may be missed
    const char* checked;  // what the check of the whole file says
  } const cases[] = {
      {"a byte the page checksum sees", [&](std::string& b) { b[first] ^= 0x10; }, true, "read error"},
      {"entries out of range, checksum kept",
       [&](std::string& b) {
         b[first + 3] ^= 0x40;
         b[second + 3] ^= 0x40;
       },
       true, "@NWORD"},
      {"entries swapped, checksum kept",
       [&](std::string& b) { std::swap_ranges(b.begin() + first, b.begin() + first + 4, b.begin() + second); },
       false, "@NWORD"},
  };
  for (const Case& c : cases) {
    std::string bytes = good;
    c.damage(bytes);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    for (int i = 1; i <= kWords; i += 397) {
      std::string key = MarkedWord(i);
      std::erase(key, '_');
      std::optional<std::string> found;
      try {
        wordlist::TWordList list(path);
        list.OpenReadOnly();
        found = list.Lookup(key);
      } catch (const Error& e) {
        ADD_FAILURE() << c.what << ": " << key << ": " << e.what();
      }
      ReleaseStores(dir_);
      if (c.exact || found) {
        EXPECT_EQ(found, MarkedWord(i)) << c.what << ": " << key;
      }
    }
    // What the lookups let pass, the check of the whole file finds.
    bool read_only = true;
    auto* store = container::FileStoreRegistry::Instance().GetStore(path, container::StoreMode::kContainer, false,
                                                                     read_only);
    ASSERT_NE(store, nullptr);
    const std::vector<std::string> problems = table::CheckTable(*store, "HYPLIST", table::Collation::User());
    ReleaseStores(dir_);
    EXPECT_TRUE(std::any_of(problems.begin(), problems.end(),
                            [&](const std::string& p) { return p.find(c.checked) != std::string::npos; }))
        << c.what << ": " << ::testing::PrintToString(problems);
  }
}

}  // namespace
}  // namespace corvane::testing
