// Key prefixes: searches that compare prefixes before records must land on
// exactly the positions, runs and records the plain comparison gives.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "memory_records.h"
#include "platform/locale.h"
#include "table/position_search.h"
#include "table/record_number_array.h"

namespace corvane::table {
namespace {

using testing::Field;
using testing::Slot;
using testing::Table;

int Sign(int64_t c) { return c < 0 ? -1 : (c > 0 ? 1 : 0); }

// Words that tie on long prefixes: stems of 7 to 10 bytes with short tails,
// Turkish letters, the blank, bytes 01, 80 and FF, empty words, and now and
// then a random word of up to 13 bytes. Null values are drawn with Rarely().
class Words {
 public:
  explicit Words(unsigned seed) : rng_(seed) {}
  std::string Next() {
    static const std::string kAlphabet =
        "abzAZI i0\x01\x80\xFF\xE7\xC7\xF0\xD0\xFD\xDD\xF6\xD6\xFE\xDE\xFC\xDC";
    static const std::vector<std::string> kStems = {
        "kalemlik",  "kalemli",  "kalemlikler", "\xE7i\xE7" "ek\xE7i", "\xC7i\xE7" "ek\xE7iler",
        "\xFD\xFD\xFD\xFD\xFD\xFD\xFD", "IIIIIIII", "iiiiiiiii", "zzzzzzz ",
        "a\xFF\xFF\xFF\xFF\xFF\xFF"};
    auto pick = [this](std::size_t n) { return static_cast<std::size_t>(rng_() % n); };
    std::string w;
    const std::size_t kind = pick(10);
    if (kind == 0) return w;
    if (kind < 8) w = kStems[pick(kStems.size())];
    const std::size_t tail = kind < 8 ? pick(4) : pick(14);
    for (std::size_t i = 0; i < tail; ++i) w += kAlphabet[pick(kAlphabet.size())];
    return w;
  }
  bool Rarely() { return rng_() % 20 == 0; }

 private:
  std::mt19937 rng_;
};

// A collation whose zero byte weighs in the middle: the terminator must
// still end a string before any character.
const Collation& ZeroInTheMiddle() {
  static const Collation c = Collation::FromCharComparison(
      [](uint8_t a, uint8_t b) {
        return int{static_cast<uint8_t>(a + 128)} - int{static_cast<uint8_t>(b + 128)};
      },
      platform::AnsiCase::ForLocale(platform::kLocaleEnglishUs).UpperTable(),
      platform::AnsiCase::ForLocale(platform::kLocaleEnglishUs).LowerTable());
  return c;
}

struct CollationCase {
  const char* name;
  const Collation* collation;
};

std::vector<CollationCase> Collations() {
  return {{"Turkish", &Collation::ForLocale(platform::kLocaleTurkish)},
          {"English", &Collation::ForLocale(platform::kLocaleEnglishUs)},
          {"zero in the middle", &ZeroInTheMiddle()}};
}

// Every pair of slots compares the same through prefixes as in full, for
// one- and two-field indexes and for a field narrower than a prefix.
TEST(KeyPrefixTest, PrefixedComparisonAgreesWithTheFullOne) {
  const RecordLayout layout = RecordLayout::Make(
      {Field("NWORD", FieldType::ftString, 30), Field("HWORD", FieldType::ftString, 30),
       Field("SHORT", FieldType::ftString, 4)});
  IndexHeader one{"one", {0}, {true}, {false}, 0, 0, 0};
  IndexHeader two{"two", {0, 1}, {true, true}, {false, false}, 0, 0, 0};
  IndexHeader narrow{"narrow", {2}, {true}, {false}, 0, 0, 0};
  Words words(7);
  testing::MemoryRecords helper(layout);
  std::vector<Slot> slots;
  for (int i = 0; i < 300; ++i) {
    Slot s = layout.NewRecord(i + 1);
    for (int f = 0; f < 3; ++f) {
      if (!words.Rarely()) helper.SetString(s, f, words.Next());
    }
    slots.push_back(s);
  }
  for (const CollationCase& cc : Collations()) {
    for (const IndexHeader* h : {&one, &two, &narrow}) {
      const KeyComparator c(layout, *h, *cc.collation);
      ASSERT_TRUE(c.HasPrefixes()) << cc.name;
      for (const Slot& a : slots) {
        const uint64_t pa = c.Prefix(a.data());
        if (pa == KeyComparator::kNullPrefix) continue;  // null keys take the full path
        for (const Slot& b : slots) {
          for (int key_fields : {-1, 1, 2}) {
            const int full = c.CompareKey(a.data(), b.data(), false, key_fields);
            const int fast = c.CompareKeyPrefixed(a.data(), pa, c.Prefix(b.data()),
                                                  [&] { return b.data(); }, key_fields);
            ASSERT_EQ(Sign(fast), Sign(full)) << cc.name << " " << h->name << " '"
                << reinterpret_cast<const char*>(a.data() + layout.fields[0].offset) << "' / '"
                << reinterpret_cast<const char*>(b.data() + layout.fields[0].offset) << "'";
          }
        }
      }
    }
  }
}

TEST(KeyPrefixTest, OnlyCaseSensitiveAscendingStringsHavePrefixes) {
  const RecordLayout layout = RecordLayout::Make(
      {Field("NWORD", FieldType::ftString, 30), Field("N", FieldType::ftInteger)});
  const Collation& tr = Collation::ForLocale(platform::kLocaleTurkish);
  struct Row {
    IndexHeader header;
    bool expected;
  } rows[] = {
      {{"string", {0, 1}, {true, true}, {false, false}, 0, 0, 0}, true},
      {{"ci", {0}, {true}, {true}, 0, 0, 0}, false},
      {{"all ci", {0}, {true}, {false}, 1, 0, 0}, false},
      {{"descending", {0}, {false}, {false}, 0, 0, 0}, false},
      {{"integer first", {1, 0}, {true, true}, {false, false}, 0, 0, 0}, false},
      {{"identifier", {-1}, {true}, {false}, 0, 0, 0}, false},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(KeyComparator(layout, r.header, tr).HasPrefixes(), r.expected) << r.header.name;
  }
}

// The plain search: the position search over the comparator, reading the
// record at every probe (counted in `probes` when given).
int32_t PlainPosition(Table& t, int index, const std::vector<int32_t>& order, const Slot& key,
                      const Collation& collation, int64_t* probes = nullptr) {
  const KeyComparator c(t.layout, t.indexes->Header(index), collation);
  return PositionSearch(static_cast<int32_t>(order.size()), [&](int32_t p) {
    if (probes) ++*probes;
    return c.CompareKey(key.data(), t.records.At(order[static_cast<std::size_t>(p)]).data(), false);
  });
}

// Positions, Locate and condition counts over random words, searched often
// enough for the prefixes to be built, then again right after changes.
TEST(KeyPrefixTest, SearchesLandWhereThePlainSearchDoes) {
  for (const CollationCase& cc : Collations()) {
    SCOPED_TRACE(cc.name);
    Table t({Field("NWORD", FieldType::ftString, 30), Field("HWORD", FieldType::ftString, 30),
             Field("SHORT", FieldType::ftString, 4)});
    t.indexes = std::make_unique<TableIndexes>(t.layout, t.records, *cc.collation);
    t.indexes->AddAutomaticIndexes("ID");
    t.indexes->AddIndex("ByBoth", {0, 1}, {false, false}, {true, true}, false, false, 0);
    Words words(11);
    auto fill = [&](Slot& s) {
      for (int f = 0; f < 3; ++f) {
        if (!words.Rarely()) t.records.SetString(s, f, words.Next());
      }
    };
    for (int i = 0; i < 3000; ++i) t.Insert(fill);
    std::vector<Slot> keys;
    for (int i = 0; i < 400; ++i) {
      Slot k = i % 2 == 0 ? t.records.At(i * 7) : t.layout.NewRecord(0);
      if (i % 2 == 1) fill(k);
      keys.push_back(k);
    }

    auto check = [&](const char* phase) {
      SCOPED_TRACE(phase);
      for (const char* name : {"@NWORD", "ByBoth", "@SHORT"}) {
        const int index = t.indexes->Get(name);
        // Enough searches for the flat copy and then the prefixes.
        for (int i = 0; i < 2 * RecordNumberArray::kFlatAfterReads; ++i) {
          t.indexes->FindPosition(index, keys[static_cast<std::size_t>(i) % keys.size()].data());
        }
        const std::vector<int32_t> order = t.Order(index);
        int64_t reads = 0;
        int64_t probes = 0;
        for (const Slot& k : keys) {
          const int64_t before = t.records.Reads();
          const int32_t pos = t.indexes->FindPosition(index, k.data());
          reads += t.records.Reads() - before;
          ASSERT_EQ(pos, PlainPosition(t, index, order, k, *cc.collation, &probes)) << name;
        }
        // The prefixes are in use: they settle most probes, and every probe
        // of the narrow field, whose prefixes hold whole values, except
        // those of null keys.
        EXPECT_LT(reads * 2, probes) << name;
        if (std::string(name) == "@SHORT") {
          EXPECT_LT(reads, probes / 10);
        }
      }
      // Locate and the condition runs on NWORD against record-by-record answers.
      const int by_nword = t.indexes->Get("@NWORD");
      const std::vector<int32_t> order = t.Order(by_nword);
      for (std::size_t i = 0; i < keys.size(); i += 8) {
        SearchCondition eq = t.Condition(0, [&](Slot& s) { s = keys[i]; });
        int32_t first_in_order = -1;
        int32_t lowest = -1;
        for (int32_t r : order) {
          if (!t.indexes->IsRecordMatches(r, eq)) continue;
          if (first_in_order < 0) first_in_order = r;
          if (lowest < 0 || r < lowest) lowest = r;
        }
        ASSERT_EQ(t.indexes->Locate({eq}, by_nword, {}), first_in_order) << i;
        ASSERT_EQ(t.indexes->Locate({eq}, -1, {}), lowest) << i;
        for (auto op : {SearchCondition::kEqual, SearchCondition::kLess,
                        SearchCondition::kLessOrEqual, SearchCondition::kGreater,
                        SearchCondition::kGreaterOrEqual}) {
          SearchCondition c = eq;
          c.op = op;
          int64_t expected = 0;
          for (int32_t r = 0; r < t.records.RecordCount(); ++r) {
            expected += t.indexes->IsRecordMatches(r, c);
          }
          int64_t count = -1;
          t.indexes->GetMatchedRecordsArray(c, true, &count);
          ASSERT_EQ(count, expected) << i << " op " << op;
        }
      }
    };
    check("searched");
    // Changes move, rename, drop and add records under built prefixes.
    const int by_nword = t.indexes->Get("@NWORD");
    for (std::size_t i = 0; i < 40; ++i) {
      t.Update(static_cast<int32_t>(i * 31), fill);
      t.Delete(static_cast<int32_t>(i * 17 + 5));
      t.Insert(fill);
      ASSERT_EQ(t.indexes->FindPosition(by_nword, keys[i].data()),
                PlainPosition(t, by_nword, t.Order(by_nword), keys[i], *cc.collation));
    }
    check("changed");
  }
}

}  // namespace
}  // namespace corvane::table
