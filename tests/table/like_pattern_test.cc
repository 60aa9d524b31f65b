// The "like" match: "%" and "_", the ends of value and pattern, and which
// characters match without regard to case.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "platform/locale.h"
#include "table/collation.h"
#include "table/like_pattern.h"

namespace corvane::table {
namespace {

const Collation& Turkish() { return Collation::ForLocale(platform::kLocaleTurkish); }
const Collation& English() { return Collation::ForLocale(1033); }

bool Like(const std::string& value, const std::string& pattern, bool ci, const Collation& collation = Turkish()) {
  const bool narrow = LikePattern(pattern, ci, collation).Matches(value);
  // Wide strings follow the same rules on 16-bit units (ASCII rows only).
  const auto ascii = [](const std::string& s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<uint8_t>(c) < 0x80; });
  };
  if (ascii(value) && ascii(pattern)) {
    const std::u16string v(value.begin(), value.end());
    const std::u16string p(pattern.begin(), pattern.end());
    EXPECT_EQ(LikePattern(p, ci, collation).Matches(v), narrow) << value << " like " << pattern << " (wide)";
  }
  return narrow;
}

TEST(LikePatternTest, WildcardsAndEnds) {
  struct Row {
    const char* value;
    const char* pattern;
    bool expected;
  } const rows[] = {
      {"abbc", "a%c", true},  {"abcd", "a%c", false}, {"ac", "a_c", false},  {"", "", true},
      {"a", "", false},       {"", "_", false},       {"kalemler", "%lar", false},
      {"kitaplar", "%lar", true}, {"larlar", "%lar%lar", true}, {"abab", "%ab", true},
      // "%" may match nothing, at the end of the value too.
      {"a", "a%%", true},     {"", "%%", true},       {"a", "a%_", false},
  };
  for (const Row& r : rows) EXPECT_EQ(Like(r.value, r.pattern, false), r.expected) << r.value << " like " << r.pattern;
}

TEST(LikePatternTest, CaseFollowsTheCollation) {
  struct Row {
    const char* value;
    const char* pattern;
    bool turkish, english;
  } const rows[] = {
      {"ABC", "abc", true, true},
      {"Q", "1", false, false},            // codes 32 apart are not a case pair
      {"`", "@", false, false},
      {"\xDD", "i", true, false},          // İ is the capital of i in Turkish
      {"I", "i", false, true},
      {"I", "\xFD", true, true},           // and I that of ı (also for the English casing)
      {"\xC7", "\xE7", true, true},        // Ç ç
      {"\xDE", "\xFE", true, true},        // Ş ş
  };
  for (const Row& r : rows) {
    EXPECT_EQ(Like(r.value, r.pattern, true), r.turkish) << r.value << " like " << r.pattern;
    EXPECT_EQ(Like(r.value, r.pattern, true, English()), r.english) << r.value << " like " << r.pattern;
    EXPECT_EQ(Like(r.value, r.pattern, false), std::strcmp(r.value, r.pattern) == 0);
  }
}

TEST(LikePatternTest, ManyWildcardsStayCheap) {
  const std::string value(4000, 'a');
  EXPECT_FALSE(Like(value, "%a%a%a%a%a%a%a%a%a%a%b", false));
  EXPECT_TRUE(Like(value, "%a%a%a%a%a%a%a%a%a%a%", false));
}

}  // namespace
}  // namespace corvane::table
