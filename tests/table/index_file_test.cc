#include "table/index_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "memory_records.h"

namespace corvane::table {
namespace {

using Bytes = std::vector<uint8_t>;
using testing::Field;

void Put32(Bytes& b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void Put64(Bytes& b, uint64_t v) {
  for (int i = 0; i < 8; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
uint32_t U32At(const Bytes& b, std::size_t at) {
  return uint32_t{b[at]} | uint32_t{b[at + 1]} << 8 | uint32_t{b[at + 2]} << 16 | uint32_t{b[at + 3]} << 24;
}
void PutName(Bytes& b, const std::string& name) {
  b.push_back(static_cast<uint8_t>(name.size()));
  for (std::size_t i = 0; i < 20; ++i) b.push_back(i < name.size() ? static_cast<uint8_t>(name[i]) : 0);
}

class IndexFileTest : public ::testing::Test {
 protected:
  IndexFileTest()
      : layout_(RecordLayout::Make({Field("NWORD", FieldType::ftString, 30),
                                    Field("HWORD", FieldType::ftString, 30)})) {}

  // Two indexes over three records, change counter 0x01020304:
  //   "@ID"  K=1 fields {-1}       ascending, case-sensitive, options 0
  //   "ByNW" K=2 fields {0, 1}     ascending/descending, ci on field 0,
  //                                all-ci 1, options 2|8
  // arrays {2,0,1} and {1,2,0}.
  Bytes HandBuilt(bool with_options = true, bool with_arrays = true) const {
    Bytes b = {
        0x04, 0x03, 0x02, 0x01,                          // change counter
        0x02, 0x00, 0x00, 0x00,                          // X = 2
        0x9A, 0x99, 0x99, 0x99, 0x99, 0x99, 0x01, 0x40,  // 2.2
    };
    PutName(b, "@ID");
    Put32(b, 1);
    Put32(b, 0xFFFFFFFF);
    b.insert(b.end(), {0x01, 0x00, 0x00, 0x00});  // ascending, ci, all-ci, all-desc
    if (with_options) b.push_back(0x00);
    PutName(b, "ByNW");
    Put32(b, 2);
    Put32(b, 0);
    Put32(b, 1);
    b.insert(b.end(), {0x01, 0x01, 0x01, 0x00});
    if (with_options) b.push_back(0x0A);
    if (with_arrays) {
      for (uint32_t r : {2, 0, 1, 1, 2, 0}) Put32(b, r);
    }
    return b;
  }
  static std::vector<IndexHeader> Headers() {
    IndexHeader id;
    id.name = "@ID";
    id.fields = {-1};
    id.ascending = {true};
    id.case_insensitive = {false};
    IndexHeader by;
    by.name = "ByNW";
    by.fields = {0, 1};
    by.ascending = {true, false};
    by.case_insensitive = {true, false};
    by.all_case_insensitive = 1;
    by.options = ixUnique | ixCaseInsensitive;
    return {id, by};
  }
  DecodedIndexFile Decode(const Bytes& b, double version = 2.2, uint32_t counter = 0x01020304,
                          int32_t n = 3) const {
    return DecodeIndexFile(b, layout_, version, counter, n);
  }

  RecordLayout layout_;
};

TEST_F(IndexFileTest, EncodesTheLayoutByteForByte) {
  RecordNumberArray a;
  RecordNumberArray b;
  a.Assign({2, 0, 1});
  b.Assign({1, 2, 0});
  EXPECT_EQ(EncodeIndexFile(0x01020304, Headers(), {&a, &b}, 3, 0), HandBuilt());
  // No records: no arrays, and no sort mark.
  EXPECT_EQ(EncodeIndexFile(0x01020304, Headers(), {&a, &b}, 0, 0x55), HandBuilt(true, false));
}

TEST_F(IndexFileTest, ArrayChecksAndSortMarkFollowTheArraysAndAreReadOnlyWhenIntact) {
  RecordNumberArray a;
  RecordNumberArray b;
  a.Assign({2, 0, 1});
  b.Assign({1, 2, 0});
  const Bytes marked = EncodeIndexFile(0x01020304, Headers(), {&a, &b}, 3, 0x1122334455667788);
  const Bytes plain = HandBuilt();
  ASSERT_EQ(marked.size(), plain.size() + ArrayChecksSize(2));
  EXPECT_TRUE(std::equal(plain.begin(), plain.end(), marked.begin()));
  const auto at = [&](std::size_t from, std::size_t n) {
    return Bytes(marked.begin() + static_cast<std::ptrdiff_t>(from), marked.begin() + static_cast<std::ptrdiff_t>(from + n));
  };
  EXPECT_EQ(at(plain.size(), 8), (Bytes{'C', 'V', 'I', 'X', 'S', 'U', 'M', 'S'}));
  EXPECT_EQ(at(marked.size() - kSortMarkSize, 16),
            (Bytes{'C', 'V', 'I', 'X', 'S', 'O', 'R', 'T', 0x88, 0x77, 0x66, 0x55, 0x44, 0x33, 0x22, 0x11}));
  const DecodedIndexFile d = Decode(marked);
  EXPECT_EQ(d.sorted_by, 0x1122334455667788u);
  EXPECT_EQ(d.arrays, (std::vector<std::vector<int32_t>>{{2, 0, 1}, {1, 2, 0}}));
  const std::size_t arrays = plain.size() - 24;
  EXPECT_EQ(d.array_checks, (std::vector<uint64_t>{ArrayCheckNumber(at(arrays, 12)), ArrayCheckNumber(at(arrays + 12, 12))}));
  EXPECT_EQ(Decode(plain).sorted_by, 0u);
  // A changed byte in a header, the checks or the mark voids the mark; one
  // in an array leaves it, but that array's bytes no longer match its check.
  for (std::size_t pos : {std::size_t{4}, std::size_t{20}, plain.size() + 9, marked.size() - 20, marked.size() - 1}) {
    Bytes damaged = marked;
    damaged[pos] ^= 0x04;
    EXPECT_EQ(Decode(damaged, 2.2, U32At(damaged, 0)).sorted_by, 0u) << pos;
  }
  Bytes damaged = marked;
  damaged[arrays + 13] ^= 0x04;
  const DecodedIndexFile one_off = Decode(damaged);
  EXPECT_EQ(one_off.sorted_by, 0x1122334455667788u);
  EXPECT_NE(ArrayCheckNumber(Bytes(damaged.begin() + static_cast<std::ptrdiff_t>(arrays + 12),
                                   damaged.begin() + static_cast<std::ptrdiff_t>(arrays + 24))),
            one_off.array_checks[1]);
  Bytes longer = marked;
  longer.push_back(0);
  EXPECT_EQ(Decode(longer).sorted_by, 0u);

  // Files saved with the plain mark alone, over every byte before it, still read.
  Bytes older = plain;
  older.insert(older.end(), {'C', 'V', 'I', 'X', 'S', 'O', 'R', 'T', 0x88, 0x77, 0x66, 0x55, 0x44, 0x33, 0x22, 0x11});
  const uint64_t check = ArrayCheckNumber(older);
  for (int i = 0; i < 8; ++i) older.push_back(static_cast<uint8_t>(check >> (8 * i)));
  EXPECT_EQ(Decode(older).sorted_by, 0x1122334455667788u);
  EXPECT_TRUE(Decode(older).array_checks.empty());
  older[20] ^= 0x04;
  EXPECT_EQ(Decode(older).sorted_by, 0u);
}

TEST_F(IndexFileTest, KeyPrefixesLieBetweenTheArraysAndTheirChecks) {
  RecordNumberArray a;
  RecordNumberArray b;
  a.Assign({2, 0, 1});
  b.Assign({1, 2, 0});
  const std::vector<uint64_t> keys = {0x0102030405060708, 1, 0xF0E0D0C0B0A09080};
  const Bytes with = EncodeIndexFile(0x01020304, Headers(), {&a, &b}, 3, 0x55, {{1, keys}});
  const Bytes without = EncodeIndexFile(0x01020304, Headers(), {&a, &b}, 3, 0x55);
  const std::size_t arrays_end = HandBuilt().size();
  ASSERT_EQ(with.size(), without.size() + 3 * 8 + 16 + 16);
  Bytes expected(with.begin(), with.begin() + static_cast<std::ptrdiff_t>(arrays_end));
  for (uint64_t k : keys) Put64(expected, k);
  const uint64_t check = PrefixCheckNumber(Bytes(expected.end() - 24, expected.end()));
  expected.insert(expected.end(), {'C', 'V', 'I', 'X', 'K', 'E', 'Y', 'S'});
  Put64(expected, 1);  // P
  Put64(expected, 1);  // the index
  Put64(expected, check);
  ASSERT_TRUE(std::equal(expected.begin(), expected.end(), with.begin()));
  // The checks and mark follow as without prefixes, the mark covering them.
  EXPECT_TRUE(std::equal(without.begin() + static_cast<std::ptrdiff_t>(arrays_end), without.end() - 8,
                         with.begin() + static_cast<std::ptrdiff_t>(expected.size())));

  const DecodedIndexFile d = Decode(with);
  EXPECT_EQ(d.sorted_by, 0x55u);
  ASSERT_EQ(d.prefixes.size(), 1u);
  EXPECT_EQ(d.prefixes[0].index, 1u);
  EXPECT_EQ(d.prefixes[0].offset, arrays_end);
  EXPECT_EQ(d.prefixes[0].check, check);
  EXPECT_TRUE(Decode(without).prefixes.empty());
  // A changed description, or a size no P fits, voids the mark.
  for (std::size_t pos : {arrays_end + 24, arrays_end + 24 + 8, arrays_end + 24 + 16}) {
    Bytes damaged = with;
    damaged[pos] ^= 0x01;
    EXPECT_EQ(Decode(damaged).sorted_by, 0u) << pos;
    EXPECT_TRUE(Decode(damaged).prefixes.empty()) << pos;
  }
  Bytes longer = with;
  longer.insert(longer.begin() + static_cast<std::ptrdiff_t>(arrays_end), 8, 0);
  EXPECT_EQ(Decode(longer).sorted_by, 0u);
}

TEST_F(IndexFileTest, DecodesHeadersAndArrays) {
  const DecodedIndexFile d = Decode(HandBuilt());
  ASSERT_TRUE(d.headers_read);
  ASSERT_TRUE(d.arrays_read);
  EXPECT_EQ(d.change_counter, 0x01020304u);
  EXPECT_DOUBLE_EQ(d.version, 2.2);
  ASSERT_EQ(d.headers.size(), 2u);
  const auto expected = Headers();
  for (std::size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(d.headers[i].name, expected[i].name);
    EXPECT_EQ(d.headers[i].fields, expected[i].fields);
    EXPECT_EQ(d.headers[i].ascending, expected[i].ascending);
    EXPECT_EQ(d.headers[i].case_insensitive, expected[i].case_insensitive);
    EXPECT_EQ(d.headers[i].all_case_insensitive, expected[i].all_case_insensitive);
    EXPECT_EQ(d.headers[i].all_descending, expected[i].all_descending);
    EXPECT_EQ(d.headers[i].options, expected[i].options);
  }
  EXPECT_EQ(d.arrays, (std::vector<std::vector<int32_t>>{{2, 0, 1}, {1, 2, 0}}));
}

TEST_F(IndexFileTest, OptionsByteOnlyFromVersion22) {
  // An older table's file has no options bytes at all.
  const DecodedIndexFile old = Decode(HandBuilt(false), 2.1);
  ASSERT_TRUE(old.headers_read);
  ASSERT_TRUE(old.arrays_read);
  EXPECT_EQ(old.headers[1].options, 0);
  EXPECT_EQ(old.arrays[1], (std::vector<int32_t>{1, 2, 0}));
  // A version a hair below 2.2 counts as 2.2.
  const DecodedIndexFile near = Decode(HandBuilt(), 2.2 - 1e-9);
  ASSERT_TRUE(near.headers_read);
  EXPECT_EQ(near.headers[1].options, 0x0A);
  // The last options byte may be missing when nothing follows.
  Bytes cut = HandBuilt(true, false);
  cut.pop_back();
  const DecodedIndexFile d = Decode(cut, 2.2, 0x01020304, 0);
  ASSERT_TRUE(d.headers_read);
  EXPECT_EQ(d.headers[1].options, 0);
}

TEST_F(IndexFileTest, WhatIsRefusedOrLeftUnread) {
  const std::size_t second = 16 + 21 + 4 + 4 + 5;  // offset of the second header
  struct Row {
    const char* what;
    std::function<void(Bytes&)> damage;
    uint32_t counter;
    int32_t n;
    bool headers;
    bool arrays;
  } rows[] = {
      {"intact", [](Bytes&) {}, 0x01020304, 3, true, true},
      {"empty file", [](Bytes& b) { b.clear(); }, 0x01020304, 3, false, false},
      {"15 bytes", [](Bytes& b) { b.resize(15); }, 0x01020304, 3, false, false},
      {"fewer indexes than fields", [](Bytes& b) { b[4] = 1; }, 0x01020304, 3, false, false},
      {"more indexes than headers", [](Bytes& b) { b[4] = 3; }, 0x01020304, 3, false, false},
      {"index count huge", [](Bytes& b) { b[7] = 0x7F; }, 0x01020304, 3, false, false},
      {"name cut", [=](Bytes& b) { b.resize(second + 20); }, 0x01020304, 3, false, false},
      {"K cut", [=](Bytes& b) { b.resize(second + 21 + 3); }, 0x01020304, 3, false, false},
      {"field numbers cut", [=](Bytes& b) { b.resize(second + 25 + 7); }, 0x01020304, 3, false, false},
      {"flags cut", [=](Bytes& b) { b.resize(second + 33 + 1); }, 0x01020304, 3, false, false},
      {"all-descending cut", [=](Bytes& b) { b.resize(second + 33 + 3); }, 0x01020304, 3, false, false},
      {"name longer than 20", [=](Bytes& b) { b[second] = 21; }, 0x01020304, 3, false, false},
      {"K zero", [=](Bytes& b) { b[second + 21] = 0; }, 0x01020304, 3, false, false},
      {"K huge", [=](Bytes& b) { b[second + 24] = 0x7F; }, 0x01020304, 3, false, false},
      {"field past F", [=](Bytes& b) { b[second + 25] = 2; }, 0x01020304, 3, false, false},
      {"field below -1", [=](Bytes& b) { b[second + 25] = 0xFE; b[second + 26] = 0xFF;
                                         b[second + 27] = 0xFF; b[second + 28] = 0xFF; },
       0x01020304, 3, false, false},
      {"stale counter", [](Bytes&) {}, 0x01020305, 3, true, false},
      {"stale counter, no records", [](Bytes&) {}, 0x01020305, 0, true, true},
      {"arrays one byte short", [](Bytes& b) { b.pop_back(); }, 0x01020304, 3, true, false},
      {"more records than stored", [](Bytes&) {}, 0x01020304, 4, true, false},
      {"records count huge", [](Bytes&) {}, 0x01020304, 0x7FFFFFFF, true, false},
  };
  for (const Row& r : rows) {
    Bytes b = HandBuilt();
    r.damage(b);
    const DecodedIndexFile d = Decode(b, 2.2, r.counter, r.n);
    EXPECT_EQ(d.headers_read, r.headers) << r.what;
    EXPECT_EQ(d.arrays_read, r.arrays) << r.what;
    if (!d.headers_read) {
      EXPECT_TRUE(d.headers.empty()) << r.what;
    }
    if (b.size() < 16) {
      EXPECT_EQ(d.change_counter, r.counter) << r.what;
    }
  }
}

TEST_F(IndexFileTest, BytesAndBlobFieldsAreNoKeys) {
  const RecordLayout with_bytes =
      RecordLayout::Make({Field("RAW", FieldType::ftBytes, 4), Field("B", FieldType::ftBlob)});
  Bytes b = {0, 0, 0, 0, 2, 0, 0, 0, 0x9A, 0x99, 0x99, 0x99, 0x99, 0x99, 0x01, 0x40};
  for (int field : {0, 1}) {
    Bytes file = b;
    for (int i = 0; i < 2; ++i) {
      PutName(file, "X" + std::to_string(i));
      Put32(file, 1);
      Put32(file, static_cast<uint32_t>(i == 0 ? -1 : field));
      file.insert(file.end(), {1, 0, 0, 0, 0});
    }
    EXPECT_FALSE(DecodeIndexFile(file, with_bytes, 2.2, 0, 0).headers_read) << field;
  }
}

TEST_F(IndexFileTest, DamagedBytesNeverCrash) {
  std::mt19937 rng(99);
  const Bytes good = HandBuilt();
  for (int round = 0; round < 20000; ++round) {
    Bytes b = good;
    if (round % 3 == 0) b.resize(rng() % (b.size() + 1));
    const int flips = 1 + static_cast<int>(rng() % 4);
    for (int f = 0; f < flips && !b.empty(); ++f) b[rng() % b.size()] = static_cast<uint8_t>(rng());
    const DecodedIndexFile d = Decode(b, 2.2, 0x01020304, static_cast<int32_t>(rng() % 5));
    if (d.arrays_read) {
      for (const auto& a : d.arrays) EXPECT_LE(a.size(), 4u);
    }
  }
}

}  // namespace
}  // namespace corvane::table
