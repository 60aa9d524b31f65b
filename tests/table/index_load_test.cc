// Saving the indexes and loading them back, with every fallback of Load.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <random>
#include <span>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "memory_records.h"
#include "platform/locale.h"
#include "table/index_file.h"

namespace corvane::table {
namespace {

using testing::Slot;
using testing::Table;
using Bytes = std::vector<uint8_t>;
using Call = std::tuple<bool, bool, int>;  // starting, finished, percent

constexpr uint32_t kCounter = 77;

class IndexLoadTest : public ::testing::Test {
 protected:
  IndexLoadTest() : t_(testing::WordList()) {
    t_.indexes->AddAutomaticIndexes("ID");
    t_.indexes->AddIndex("ByNWORD", {0}, {true}, {true}, true, false, ixCaseInsensitive);
    std::mt19937 rng(3);
    for (int i = 0; i < 60; ++i) {
      std::string w;
      for (int n = 1 + static_cast<int>(rng() % 6); n > 0; --n) w.push_back(static_cast<char>('a' + rng() % 26));
      t_.InsertWord(w + std::to_string(i));
    }
  }
  // Loads `bytes` into fresh indexes over the same records.
  std::vector<Call> Reload(const Bytes& bytes, uint32_t counter = kCounter,
                           const Collation& collation = testing::Turkish()) {
    std::vector<Call> calls;
    t_.indexes = std::make_unique<TableIndexes>(t_.layout, t_.records, collation);
    t_.indexes->Load(bytes, counter, 2, 2.2, "ID", [&calls](bool s, bool f, int p) {
      calls.emplace_back(s, f, p);
    });
    return calls;
  }
  // The same through LoadFrom, the file being `bytes`; counts the bytes read.
  std::vector<Call> ReloadFrom(const Bytes& bytes) {
    std::vector<Call> calls;
    file_ = bytes;
    reads_.clear();
    t_.indexes = std::make_unique<TableIndexes>(t_.layout, t_.records, testing::Turkish());
    auto read = [this](uint64_t at, std::size_t size, uint8_t* out) -> std::size_t {
      const std::size_t n = at >= file_.size() ? 0 : std::min<std::size_t>(size, file_.size() - at);
      std::copy_n(file_.begin() + static_cast<std::ptrdiff_t>(at), n, out);
      reads_.emplace_back(at, size);
      return n;
    };
    t_.indexes->LoadFrom(file_.size(), read, kCounter, 2, 2.2, "ID", [&calls](bool s, bool f, int p) {
      calls.emplace_back(s, f, p);
    });
    return calls;
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> out;
    for (int i = 0; i < t_.indexes->Count(); ++i) out.push_back(t_.indexes->Header(i).name);
    return out;
  }
  // The bytes a saved file holds after its arrays: the key prefixes of
  // @NWORD, their description, the checks and the mark.
  std::size_t AfterArrays() const {
    const std::size_t n = static_cast<std::size_t>(t_.records.RecordCount());
    return 8 * n + IndexTailSize(1, static_cast<std::size_t>(t_.indexes->Count()));
  }
  // Offset of entry p of index i's array in a saved file.
  std::size_t Entry(const Bytes& bytes, int index, int32_t p) const {
    const std::size_t n = static_cast<std::size_t>(t_.records.RecordCount());
    const auto x = static_cast<std::size_t>(t_.indexes->Count());
    const std::size_t arrays = bytes.size() - AfterArrays() - 4 * n * x;
    return arrays + 4 * (n * static_cast<std::size_t>(index) + static_cast<std::size_t>(p));
  }
  void ExpectAllSortedAndCurrent() {
    for (int i = 0; i < t_.indexes->Count(); ++i) {
      EXPECT_TRUE(t_.indexes->IsCurrent(i)) << i;
      t_.ExpectSorted(i);
    }
  }

  Table t_;
  Bytes file_;
  std::vector<std::pair<uint64_t, std::size_t>> reads_;  // offset, size
};

const std::vector<std::string> kAll = {"@ID", "@@NWORD", "@NWORD", "@@HWORD", "@HWORD", "ByNWORD"};
const std::vector<std::string> kAutomatic = {"@ID", "@@NWORD", "@NWORD", "@@HWORD", "@HWORD"};
const std::vector<Call> kOneRebuilt = {{true, false, 0}, {false, false, 100}, {false, true, 100}};

TEST_F(IndexLoadTest, IntactFileIsTakenAsItIs) {
  std::vector<std::vector<int32_t>> before;
  for (int i = 0; i < t_.indexes->Count(); ++i) before.push_back(t_.Order(i));
  const Bytes bytes = t_.indexes->Save(kCounter);
  EXPECT_TRUE(Reload(bytes).empty());
  EXPECT_EQ(Names(), kAll);
  for (int i = 0; i < t_.indexes->Count(); ++i) {
    EXPECT_TRUE(t_.indexes->IsCurrent(i));
    EXPECT_EQ(t_.Order(i), before[static_cast<std::size_t>(i)]) << i;
  }
  EXPECT_EQ(t_.indexes->SavedChangeCounter(), kCounter);
}

TEST_F(IndexLoadTest, FileWithoutSortMarkIsCheckedOnceThenSavedWithIt) {
  const Bytes marked = t_.indexes->Save(kCounter);
  const Bytes unmarked(marked.begin(), marked.end() - static_cast<std::ptrdiff_t>(kSortMarkSize));
  EXPECT_TRUE(Reload(unmarked).empty());
  ExpectAllSortedAndCurrent();
  EXPECT_NE(t_.indexes->SavedChangeCounter(), kCounter);  // closing will save it, marked
  EXPECT_EQ(t_.indexes->Save(kCounter), marked);
  EXPECT_TRUE(Reload(marked).empty());
  EXPECT_EQ(t_.indexes->SavedChangeCounter(), kCounter);
}

TEST_F(IndexLoadTest, StaleCounterRebuildsEveryIndex) {
  const Bytes bytes = t_.indexes->Save(kCounter);
  const std::vector<Call> expected = {{true, false, 0},   {false, false, 16}, {false, false, 33},
                                      {false, false, 50}, {false, false, 66}, {false, false, 83},
                                      {false, false, 100}, {false, true, 100}};
  EXPECT_EQ(Reload(bytes, kCounter + 1), expected);
  EXPECT_EQ(Names(), kAll);
  ExpectAllSortedAndCurrent();
  EXPECT_NE(t_.indexes->SavedChangeCounter(), kCounter + 1);  // closing will save
}

TEST_F(IndexLoadTest, UnreadableHeadersLeaveOnlyTheAutomaticIndexes) {
  const Bytes bytes = t_.indexes->Save(kCounter);
  for (std::size_t size : {std::size_t{0}, std::size_t{15}, std::size_t{16 + 21 + 3}, std::size_t{200}}) {
    const std::vector<Call> calls = Reload(Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(size)));
    EXPECT_EQ(Names(), kAutomatic) << size;
    ASSERT_EQ(calls.size(), kAutomatic.size() + 2) << size;
    EXPECT_EQ(calls.front(), Call(true, false, 0));
    EXPECT_EQ(calls.back(), Call(false, true, 100));
    ExpectAllSortedAndCurrent();
    EXPECT_NE(t_.indexes->SavedChangeCounter(), kCounter);
  }
}

TEST_F(IndexLoadTest, ShortArraysRebuildEveryIndex) {
  Bytes bytes = t_.indexes->Save(kCounter);
  bytes.resize(Entry(bytes, static_cast<int>(kAll.size()), 0) - 1);
  EXPECT_EQ(Reload(bytes).size(), kAll.size() + 2);
  EXPECT_EQ(Names(), kAll);
  ExpectAllSortedAndCurrent();
}

TEST_F(IndexLoadTest, UntrustworthyArraysAreRebuiltAlone) {
  const int nword = 2;
  struct Row {
    const char* what;
    std::function<void(Bytes&)> damage;
  } rows[] = {
      {"duplicate entry", [&](Bytes& b) { std::copy_n(b.begin() + static_cast<std::ptrdiff_t>(Entry(b, nword, 0)), 4,
                                                      b.begin() + static_cast<std::ptrdiff_t>(Entry(b, nword, 1))); }},
      {"entry out of range", [&](Bytes& b) { b[Entry(b, nword, 5) + 3] = 0x40; }},
      {"out of order", [&](Bytes& b) { std::swap_ranges(b.begin() + static_cast<std::ptrdiff_t>(Entry(b, nword, 0)),
                                                        b.begin() + static_cast<std::ptrdiff_t>(Entry(b, nword, 0) + 4),
                                                        b.begin() + static_cast<std::ptrdiff_t>(Entry(b, nword, 59))); }},
  };
  const Bytes good = t_.indexes->Save(kCounter);
  for (const Row& r : rows) {
    Bytes bytes = good;
    r.damage(bytes);
    EXPECT_EQ(Reload(bytes), kOneRebuilt) << r.what;
    ExpectAllSortedAndCurrent();
    EXPECT_NE(t_.indexes->SavedChangeCounter(), kCounter) << r.what;
  }
}

TEST_F(IndexLoadTest, LoadFromReadsEachArrayOnFirstUseAndTrustsItOnlyWhenItsCheckHolds) {
  const int nword = 2;
  const Bytes good = t_.indexes->Save(kCounter);
  const std::vector<int32_t> order = t_.Order(nword);
  const std::size_t array_bytes = 4 * static_cast<std::size_t>(t_.records.RecordCount());
  EXPECT_TRUE(ReloadFrom(good).empty());
  const std::size_t at_load = reads_.size();  // the headers and the checks
  EXPECT_EQ(t_.Order(nword), order);
  ASSERT_EQ(reads_.size(), at_load + 1);  // that array alone
  EXPECT_EQ(reads_.back(), std::make_pair(uint64_t{Entry(good, nword, 0)}, array_bytes));
  EXPECT_EQ(t_.indexes->SavedChangeCounter(), kCounter);
  EXPECT_EQ(t_.indexes->Save(kCounter), good);

  // Damaged arrays are found on use: rebuilt, and the file saved again.
  // Swapped entries keep every record once, so only the check catches
  // them; entries under forged checks are still bounds-checked.
  const auto forge_checks = [&](Bytes& b) {
    const std::size_t tail = b.size() - ArrayChecksSize(kAll.size());
    const uint64_t check = ArrayCheckNumber(std::span<const uint8_t>(b).subspan(Entry(b, nword, 0), array_bytes));
    for (int i = 0; i < 8; ++i) b[tail + 8 + 8 * nword + i] = static_cast<uint8_t>(check >> (8 * i));
    Bytes covered(b.begin(), b.begin() + static_cast<std::ptrdiff_t>(Entry(b, 0, 0)));
    covered.insert(covered.end(), b.end() - static_cast<std::ptrdiff_t>(IndexTailSize(1, kAll.size())), b.end() - 8);
    const uint64_t mark = ArrayCheckNumber(covered);
    for (int i = 0; i < 8; ++i) b[b.size() - 8 + i] = static_cast<uint8_t>(mark >> (8 * i));
  };
  const std::function<void(Bytes&)> damages[] = {
      [&](Bytes& b) { std::swap_ranges(b.begin() + static_cast<std::ptrdiff_t>(Entry(b, nword, 0)),
                                       b.begin() + static_cast<std::ptrdiff_t>(Entry(b, nword, 0) + 4),
                                       b.begin() + static_cast<std::ptrdiff_t>(Entry(b, nword, 59))); },
      [&](Bytes& b) { b[Entry(b, nword, 5) + 3] = 0x40; forge_checks(b); },
  };
  for (const auto& damage : damages) {
    Bytes bytes = good;
    damage(bytes);
    ReloadFrom(bytes);
    ExpectAllSortedAndCurrent();
    EXPECT_EQ(t_.Order(nword), order);
    EXPECT_NE(t_.indexes->SavedChangeCounter(), kCounter);
  }
}

// A lookup's first searches probe the stored array where it lies, reading
// a few entries, and find what the array in memory gives. An entry that
// names no record sends the array through the whole read and its check
// (rebuilt, right answers); swapped entries, which only the array's check
// would see, may hide a record but never give one with another key.
TEST_F(IndexLoadTest, FirstSearchesProbeTheStoredArrayInPlace) {
  const int nword = 2;
  const int32_t n = t_.records.RecordCount();
  std::vector<SearchCondition> conditions;
  std::vector<std::vector<int32_t>> expected;
  std::vector<std::string> words = t_.Words(nword);
  words.push_back("absent");
  for (const std::string& w : words) {
    conditions.push_back(t_.Condition(0, [&](Slot& s) { t_.records.SetString(s, 0, w); }));
    expected.push_back(t_.indexes->GetMatchedRecordsArray(conditions.back(), false, nullptr));
  }
  const Bytes good = t_.indexes->Save(kCounter);
  const auto xor_byte = [&](Bytes& b, int32_t p, uint8_t v) { b[Entry(b, nword, p) + 3] ^= v; };
  struct Row {
    const char* what;
    std::function<void(Bytes&)> damage;
    bool exact;         // else a record may be missed
    bool probes_alone;  // else the array is read whole
  } const rows[] = {
      {"intact", [](Bytes&) {}, true, true},
      {"entries out of range", [&](Bytes& b) { for (int32_t p = 0; p < n; ++p) xor_byte(b, p, 0x40); }, true, false},
      {"entries swapped", [&](Bytes& b) {
         for (int32_t p = 0; p + 1 < n; p += 2) {
           std::swap_ranges(b.begin() + static_cast<std::ptrdiff_t>(Entry(b, nword, p)),
                            b.begin() + static_cast<std::ptrdiff_t>(Entry(b, nword, p) + 4),
                            b.begin() + static_cast<std::ptrdiff_t>(Entry(b, nword, p + 1)));
         }
       }, false, true},
  };
  for (const Row& row : rows) {
    Bytes bytes = good;
    row.damage(bytes);
    for (std::size_t i = 0; i < conditions.size(); i += 5) {
      ReloadFrom(bytes);
      const std::size_t at_load = reads_.size();
      const std::vector<int32_t> found = t_.indexes->GetMatchedRecordsArray(conditions[i], false, nullptr);
      if (row.exact) {
        EXPECT_EQ(found, expected[i]) << row.what << " " << words[i];
      } else {
        EXPECT_TRUE(found.empty() || found == expected[i]) << row.what << " " << words[i];
      }
      if (row.probes_alone) {
        // Entries and stored key prefixes, one at a time.
        for (std::size_t k = at_load; k < reads_.size(); ++k) EXPECT_LE(reads_[k].second, 8u) << row.what;
        if (row.exact) {
          EXPECT_LT(reads_.size() - at_load, 20u) << row.what;
        }
      }
    }
  }
  // Past its first few searches a table reads the array whole, as saved.
  ReloadFrom(good);
  for (std::size_t i = 0; i < conditions.size(); ++i) {
    EXPECT_EQ(t_.indexes->GetMatchedRecordsArray(conditions[i], false, nullptr), expected[i]) << words[i];
  }
  EXPECT_EQ(std::count(reads_.begin(), reads_.end(),
                       std::make_pair(uint64_t{Entry(good, nword, 0)}, 4 * static_cast<std::size_t>(n))),
            1);
  EXPECT_EQ(t_.indexes->SavedChangeCounter(), kCounter);
}

// Searches land where they do on freshly built indexes, whether the stored
// key prefixes are intact (used: few records read) or damaged (not used).
TEST_F(IndexLoadTest, StoredKeyPrefixesAreUsedOnlyWhenIntact) {
  const int nword = 2;
  const auto n = static_cast<std::size_t>(t_.records.RecordCount());
  std::vector<int32_t> expected;
  for (std::size_t r = 0; r < n; ++r) expected.push_back(t_.indexes->FindPosition(nword, t_.records.At(static_cast<int32_t>(r)).data()));
  const Bytes good = t_.indexes->Save(kCounter);
  const std::size_t prefixes = Entry(good, static_cast<int>(kAll.size()), 0);  // @NWORD's, the only ones stored
  for (const bool damaged : {false, true}) {
    Bytes bytes = good;
    if (damaged) bytes[prefixes + 8 * 30 + 7] ^= 0x80;
    ReloadFrom(bytes);
    const int64_t before = t_.records.Reads();
    for (std::size_t r = 0; r < n; ++r) {
      const Slot key = t_.records.At(static_cast<int32_t>(r));
      EXPECT_EQ(t_.indexes->FindPosition(nword, key.data()), expected[r]) << damaged << " " << r;
    }
    const int64_t reads = t_.records.Reads() - before;
    if (damaged) {
      EXPECT_GT(reads, static_cast<int64_t>(4 * n));
    } else {
      EXPECT_LT(reads, static_cast<int64_t>(n));
    }
  }
}

TEST_F(IndexLoadTest, FileWithoutKeyPrefixesIsSavedOnceWithThem) {
  const Bytes good = t_.indexes->Save(kCounter);
  std::vector<RecordNumberArray> arrays(kAll.size());
  std::vector<const RecordNumberArray*> pointers;
  std::vector<IndexHeader> headers;
  for (std::size_t i = 0; i < kAll.size(); ++i) {
    arrays[i].Assign(t_.Order(static_cast<int>(i)));
    pointers.push_back(&arrays[i]);
    headers.push_back(t_.indexes->Header(static_cast<int>(i)));
  }
  const Bytes older = EncodeIndexFile(kCounter, headers, pointers, t_.records.RecordCount(), testing::Turkish().Mark());
  EXPECT_TRUE(ReloadFrom(older).empty());
  EXPECT_NE(t_.indexes->SavedChangeCounter(), kCounter);
  EXPECT_EQ(t_.indexes->Save(kCounter), good);
}

TEST_F(IndexLoadTest, ArraysSortedUnderAnotherLocaleAreRebuilt) {
  // Written by a process with another locale: ç after z there, before d here.
  Table other(testing::WordList());
  other.indexes = std::make_unique<TableIndexes>(other.layout, other.records,
                                                 Collation::ForLocale(platform::kLocaleEnglishUs));
  other.indexes->AddAutomaticIndexes("ID");
  for (const char* w : {"\xE7" "am", "dam", "cam"}) other.InsertWord(w);
  const Bytes bytes = other.indexes->Save(kCounter);
  std::vector<Call> calls;
  other.indexes = std::make_unique<TableIndexes>(other.layout, other.records, testing::Turkish());
  other.indexes->Load(bytes, kCounter, 2, 2.2, "ID", [&calls](bool s, bool f, int p) { calls.emplace_back(s, f, p); });
  // @NWORD and @@NWORD change order; @ID and the empty HWORD indexes do not.
  EXPECT_EQ(calls.size(), 2u + 2u);
  EXPECT_EQ(other.Words(2), (std::vector<std::string>{"cam", "\xE7" "am", "dam"}));
}

TEST_F(IndexLoadTest, ThrottledArraysAreSavedInOrder) {
  Table tiny(testing::WordList());
  tiny.indexes->AddAutomaticIndexes("ID");
  for (int r = 0; r < 5; ++r) tiny.InsertWord("w" + std::to_string(r), 2);
  for (int op = 0; op < 150; ++op) {
    tiny.Update(op % 5, [&](Slot& s) { tiny.records.SetString(s, 0, "v" + std::to_string(op * 7 % 13)); }, 2);
  }
  ASSERT_FALSE(tiny.indexes->IsCurrent(1));
  const Bytes bytes = tiny.indexes->Save(kCounter);
  std::vector<Call> calls;
  tiny.indexes = std::make_unique<TableIndexes>(tiny.layout, tiny.records, testing::Turkish());
  tiny.indexes->Load(bytes, kCounter, 2, 2.2, "ID", [&calls](bool s, bool f, int p) { calls.emplace_back(s, f, p); });
  EXPECT_TRUE(calls.empty());
  for (int i = 0; i < tiny.indexes->Count(); ++i) tiny.ExpectSorted(i);
}

TEST_F(IndexLoadTest, EmptyTableLoadsWithoutBuilding) {
  Table empty(testing::WordList());
  empty.indexes->AddAutomaticIndexes("ID");
  const Bytes bytes = empty.indexes->Save(5);
  std::vector<Call> calls;
  empty.indexes = std::make_unique<TableIndexes>(empty.layout, empty.records, testing::Turkish());
  empty.indexes->Load(bytes, 6, 2, 2.2, "ID", [&calls](bool s, bool f, int p) { calls.emplace_back(s, f, p); });
  EXPECT_TRUE(calls.empty());
  EXPECT_EQ(empty.indexes->Count(), 5);
  EXPECT_TRUE(empty.indexes->IsCurrent(0));
  empty.InsertWord("first");
  EXPECT_EQ(empty.indexes->RecordAt(2, 0), 0);
}

}  // namespace
}  // namespace corvane::table
