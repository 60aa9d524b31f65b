#include "table/key_compare.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "platform/locale.h"
#include "memory_records.h"

namespace corvane::table {
namespace {

using testing::Field;
using testing::MemoryRecords;
using Slot = std::vector<uint8_t>;

enum : int { kS, kSmall, kInt, kWord, kBool, kFloat, kCurrency, kBcd, kDate, kTime, kDateTime, kWide, kLarge };

class KeyCompareTest : public ::testing::Test {
 protected:
  KeyCompareTest()
      : layout_(RecordLayout::Make({
            Field("S", FieldType::ftString, 10), Field("SM", FieldType::ftSmallint),
            Field("I", FieldType::ftInteger), Field("W", FieldType::ftWord),
            Field("B", FieldType::ftBoolean), Field("F", FieldType::ftFloat),
            Field("C", FieldType::ftCurrency), Field("BCD", FieldType::ftBCD),
            Field("D", FieldType::ftDate), Field("T", FieldType::ftTime),
            Field("DT", FieldType::ftDateTime), Field("WS", FieldType::ftWideString, 10),
            Field("L", FieldType::ftLargeint)})),
        records_(layout_) {}

  static IndexHeader Index(std::vector<int32_t> fields, std::vector<bool> ascending = {},
                           std::vector<bool> ci = {}) {
    IndexHeader h;
    h.name = "X";
    h.ascending = ascending.empty() ? std::vector<bool>(fields.size(), true) : ascending;
    h.case_insensitive = ci.empty() ? std::vector<bool>(fields.size(), false) : ci;
    h.fields = std::move(fields);
    return h;
  }
  int Compare(const IndexHeader& h, const Slot& a, const Slot& b, int key_fields = -1) const {
    return Sign(KeyComparator(layout_, h, Collation::ForLocale(platform::kLocaleTurkish))
                    .Compare(a.data(), b.data(), key_fields));
  }
  static int Sign(int c) { return c < 0 ? -1 : (c > 0 ? 1 : 0); }
  void SetWide(Slot& s, const std::u16string& text) const {
    std::vector<uint8_t> bytes;
    for (char16_t u : text) {
      bytes.push_back(static_cast<uint8_t>(u));
      bytes.push_back(static_cast<uint8_t>(u >> 8));
    }
    bytes.resize(12, 0);
    records_.SetBytes(s, kWide, bytes);
  }

  RecordLayout layout_;
  MemoryRecords records_;
};

TEST_F(KeyCompareTest, ValuesByType) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  struct Row {
    const char* what;
    int field;
    std::function<void(Slot&)> a;
    std::function<void(Slot&)> b;
    int expected;
  };
  auto str = [this](const char* t) { return [this, t](Slot& s) { records_.SetString(s, kS, t); }; };
  auto num = [this](int f, int64_t v) { return [this, f, v](Slot& s) { records_.SetInt(s, f, v); }; };
  auto dbl = [this](int f, double v) { return [this, f, v](Slot& s) { records_.SetDouble(s, f, v); }; };
  auto bcd = [this](std::vector<uint8_t> v) { return [this, v](Slot& s) { records_.SetBytes(s, kBcd, v); }; };
  auto wide = [this](std::u16string t) { return [this, t](Slot& s) { SetWide(s, t); }; };
  const Row rows[] = {
      {"string", kS, str("abc"), str("abd"), -1},
      {"string prefix", kS, str("ab"), str("abc"), -1},
      {"string Turkish", kS, str("\xE7" "am"), str("dam"), -1},
      {"small signed", kSmall, num(kSmall, -1), num(kSmall, 1), -1},
      {"word unsigned", kWord, num(kWord, 0xFFFF), num(kWord, 1), 1},
      {"integer signed", kInt, num(kInt, -5), num(kInt, 3), -1},
      {"large signed", kLarge, num(kLarge, std::numeric_limits<int64_t>::min()), num(kLarge, 0), -1},
      {"boolean any true", kBool, num(kBool, 0xFFFF), num(kBool, 1), 0},
      {"boolean false first", kBool, num(kBool, 0), num(kBool, 1), -1},
      {"float", kFloat, dbl(kFloat, -1.5), dbl(kFloat, 2.0), -1},
      {"float zeros", kFloat, dbl(kFloat, -0.0), dbl(kFloat, 0.0), 0},
      {"float NaN last", kFloat, dbl(kFloat, nan), dbl(kFloat, 1e300), 1},
      {"float NaN equal", kFloat, dbl(kFloat, nan), dbl(kFloat, nan), 0},
      {"currency", kCurrency, dbl(kCurrency, 10.25), dbl(kCurrency, 10.5), -1},
      {"date-time", kDateTime, dbl(kDateTime, 8.64e7), dbl(kDateTime, 8.64e7 + 1), -1},
      {"date signed", kDate, num(kDate, -1), num(kDate, 5), -1},
      {"date ignores its upper half", kDate, num(kDate, 7 | (int64_t{1} << 40)), num(kDate, 7), 0},
      {"time", kTime, num(kTime, 1000), num(kTime, 999), 1},
      {"BCD first byte most significant", kBcd, bcd({1, 0xFF, 0xFF}), bcd({2, 0, 0}), -1},
      {"BCD equal", kBcd, bcd({9, 8, 7, 6, 5, 4, 3, 2}), bcd({9, 8, 7, 6, 5, 4, 3, 2}), 0},
      {"wide", kWide, wide(u"cam"), wide(u"\u00E7am"), -1},
      {"wide prefix", kWide, wide(u"ab"), wide(u"abc"), -1},
  };
  for (const Row& row : rows) {
    Slot a = records_.New();
    Slot b = records_.New();
    row.a(a);
    row.b(b);
    const IndexHeader h = Index({row.field});
    EXPECT_EQ(Compare(h, a, b), row.expected) << row.what;
    EXPECT_EQ(Compare(h, b, a), -row.expected) << row.what << " (swapped)";
    EXPECT_EQ(Compare(Index({row.field}, {false}), a, b), -row.expected) << row.what << " (descending)";
  }
}

TEST_F(KeyCompareTest, EmptyValuesSortFirstAndEqualEachOther) {
  Slot empty1 = records_.New();
  Slot empty2 = records_.New();
  Slot value = records_.New();
  records_.SetInt(value, kInt, std::numeric_limits<int32_t>::min());
  const IndexHeader up = Index({kInt});
  EXPECT_EQ(Compare(up, empty1, empty2), 0);
  EXPECT_EQ(Compare(up, empty1, value), -1);
  EXPECT_EQ(Compare(Index({kInt}, {false}), empty1, value), 1);
  // An empty string is not an empty value: the flag decides.
  records_.SetString(empty2, kS, "");
  EXPECT_EQ(Compare(Index({kS}), empty1, empty2), -1);
}

TEST_F(KeyCompareTest, FieldsInTurnAndDescendingPerField) {
  Slot a = records_.New();
  Slot b = records_.New();
  records_.SetString(a, kS, "same");
  records_.SetString(b, kS, "same");
  records_.SetInt(a, kInt, 1);
  records_.SetInt(b, kInt, 2);
  EXPECT_EQ(Compare(Index({kS, kInt}), a, b), -1);
  EXPECT_EQ(Compare(Index({kS, kInt}, {true, false}), a, b), 1);
  EXPECT_EQ(Compare(Index({kS, kInt}), a, b, 1), 0);  // first key field only
  IndexHeader all_desc = Index({kS, kInt});
  all_desc.all_descending = 1;
  EXPECT_EQ(Compare(all_desc, a, b), 1);
}

TEST_F(KeyCompareTest, IdentifierIsSignedFinalAndNeverInverted) {
  Slot a = records_.New();  // identifiers 1 and 2
  Slot b = records_.New();
  layout_.SetId(a.data(), -7);
  records_.SetString(a, kS, "z");
  records_.SetString(b, kS, "a");
  EXPECT_EQ(Compare(Index({-1}), a, b), -1);
  EXPECT_EQ(Compare(Index({-1}, {false}), a, b), -1);
  layout_.SetId(a.data(), 2);
  EXPECT_EQ(Compare(Index({-1, kS}), a, b), 0);  // equal identifiers end the comparison
}

TEST_F(KeyCompareTest, CaseAndPartialKeys) {
  Slot key = records_.New();
  Slot rec = records_.New();
  records_.SetString(key, kS, "KAL");
  records_.SetString(rec, kS, "kalem");
  const Collation& tr = Collation::ForLocale(platform::kLocaleTurkish);
  struct Row {
    bool field_ci;
    bool all_ci;
    bool partial;
    int expected;
  } rows[] = {
      {false, false, false, 1}, {false, false, true, 1}, {true, false, true, 0},
      {false, true, true, 0},   {true, false, false, -1},
  };
  for (const Row& r : rows) {
    IndexHeader h = Index({kS}, {true}, {r.field_ci});
    h.all_case_insensitive = r.all_ci ? 1 : 0;
    const KeyComparator c(layout_, h, tr);
    EXPECT_EQ(Sign(c.CompareKey(key.data(), rec.data(), r.partial)), r.expected)
        << r.field_ci << r.all_ci << r.partial;
  }
  // A case-insensitive bit on a number changes nothing.
  Slot n1 = records_.New();
  Slot n2 = records_.New();
  records_.SetInt(n1, kInt, 1);
  records_.SetInt(n2, kInt, 33);
  EXPECT_EQ(Compare(Index({kInt}, {true}, {true}), n1, n2), -1);
}

}  // namespace
}  // namespace corvane::table
