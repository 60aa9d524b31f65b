// A lookup that meets a damaged page of the index it searches. Every search
// probes the middle of @NWORD's stored key prefixes first, and the words
// stored around the middle end their searches on @NWORD's middle entries,
// so damage there is met.
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
#include "platform/coding.h"
#include "platform/error.h"
#include "scenarios.h"
#include "table/collation.h"
#include "table/index_file.h"
#include "table/table_check.h"
#include "wordlist/word_list_table.h"

namespace corvane::testing {
namespace {

constexpr int kWords = 5000;
constexpr int32_t kMiddle = kWords / 2;

class DamagedIndexTest : public ScratchFolderTest {
 protected:
  // Where byte `at` of "HYPLIST.idx" lies in the container file.
  int64_t InContainer(int64_t at) {
    container::ContainerSettings settings;
    settings.read_only = true;
    container::TContainerFileSystem c(path_, settings, false);
    const int32_t d = c.Pages().DataSize();
    const container::FilePageMap& map = c.PageMaps().GetMaps(idx_.first_map_page, container::PagesFor(idx_.size, d));
    const int64_t page = map.data_pages[static_cast<std::size_t>(at / d)];
    return static_cast<int64_t>(container::kPartHeaderSize) + page * c.Pages().geometry().page_size +
           static_cast<int64_t>(container::kPageHeaderSize) + at % d;
  }
  // @NWORD is the third of 7 arrays (the automatic indexes, PrimaryKey,
  // ByNWORD); its key prefixes follow the arrays.
  int64_t Prefix(int32_t p) {
    const int64_t after = 32 + static_cast<int64_t>(table::ArrayChecksSize(7));
    return InContainer(idx_.size - after - 8 * int64_t{kWords} + 8 * int64_t{p});
  }
  int64_t Entry(int32_t p) {
    const int64_t after = 8 * int64_t{kWords} + 32 + static_cast<int64_t>(table::ArrayChecksSize(7));
    return InContainer(idx_.size - after - 4 * int64_t{kWords} * 5 + 4 * int64_t{p});
  }

  std::string path_;
  container::ContainerEntry idx_;
};

TEST_F(DamagedIndexTest, LookupsAnswerRightOrMissButNeverFail) {
  path_ = (dir_ / wordlist::kDatabaseFileName).string();
  Fresh();
  Journal journal;
  ImportWordList(dir_, kWords, journal);
  ReleaseStores(dir_);
  {
    container::ContainerSettings settings;
    settings.read_only = true;
    for (const auto& e : container::TContainerFileSystem(path_, settings, false).Entries()) {
      if (e.name == "HYPLIST.idx") idx_ = e;
    }
  }
  std::ifstream in(path_, std::ios::binary);
  const std::string good{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  in.close();
  // The words stored around the middle (record r holds word r + 1), and a
  // spread of others.
  std::vector<int> words;
  for (int32_t p = kMiddle - 4; p <= kMiddle + 4; ++p) {
    words.push_back(platform::GetI32(reinterpret_cast<const uint8_t*>(good.data()) + Entry(p)) + 1);
  }
  for (int i = 1; i <= kWords; i += 797) words.push_back(i);
  // Entries 4 bytes (prefixes 8) apart share the byte lanes of the page's
  // XOR checksum, which then does not change.
  const auto entry = static_cast<std::size_t>(Entry(kMiddle));
  const auto prefix = static_cast<std::size_t>(Prefix(kMiddle));
  const auto swap = [](std::string& b, std::size_t a, std::size_t c, std::size_t n) {
    std::swap_ranges(b.begin() + static_cast<std::ptrdiff_t>(a), b.begin() + static_cast<std::ptrdiff_t>(a + n),
                     b.begin() + static_cast<std::ptrdiff_t>(c));
  };
  ReleaseStores(dir_);
  struct Case {
    const char* what;
    std::function<void(std::string&)> damage;
    bool exact;           // else a word may be missed
    const char* checked;  // what the check of the whole file says
  } const cases[] = {
      {"an entry byte the page checksum sees", [&](std::string& b) { b[entry] ^= 0x10; }, true, "read error"},
      {"a prefix byte the page checksum sees", [&](std::string& b) { b[prefix + 7] ^= 0x10; }, true, "read error"},
      {"entries out of range, checksum kept",
       [&](std::string& b) {
         b[entry + 3] ^= 0x40;
         b[entry + 4 * 2 + 3] ^= 0x40;
       },
       true, "@NWORD"},
      {"entries swapped, checksum kept", [&](std::string& b) { swap(b, entry, entry + 4 * 3, 4); }, false, "@NWORD"},
      {"prefixes swapped, checksum kept", [&](std::string& b) { swap(b, prefix, prefix + 8, 8); }, false,
       "@NWORD has damaged key prefixes"},
  };
  for (const Case& c : cases) {
    std::string bytes = good;
    c.damage(bytes);
    std::ofstream(path_, std::ios::binary | std::ios::trunc) << bytes;
    for (const int i : words) {
      std::string key = MarkedWord(i);
      std::erase(key, '_');
      std::optional<std::string> found;
      try {
        wordlist::TWordList list(path_);
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
    auto* store = container::FileStoreRegistry::Instance().GetStore(path_, container::StoreMode::kContainer, false,
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
