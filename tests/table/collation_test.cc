#include "table/collation.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "platform/case_tables.h"
#include "platform/codepage.h"
#include "platform/locale.h"

namespace corvane::table {
namespace {

const Collation& Turkish() { return Collation::ForLocale(platform::kLocaleTurkish); }
const Collation& English() { return Collation::ForLocale(platform::kLocaleEnglishUs); }

int Sign(int c) { return c < 0 ? -1 : (c > 0 ? 1 : 0); }

// Every earlier entry sorts strictly before every later one, both ways round.
void ExpectAscending(const Collation& c, const std::vector<std::string>& words, bool ci) {
  for (std::size_t i = 0; i < words.size(); ++i) {
    for (std::size_t j = i + 1; j < words.size(); ++j) {
      EXPECT_LT(c.Compare(words[i], words[j], ci), 0) << words[i] << " / " << words[j];
      EXPECT_GT(c.Compare(words[j], words[i], ci), 0) << words[j] << " / " << words[i];
    }
  }
}

TEST(CollationTest, TurkishOrderOfWords) {
  // ç = E7, ı = FD, İ = DD in code page 1254.
  ExpectAscending(Turkish(), {"cam", "Cam", "\xE7" "am", "dam"}, false);
  ExpectAscending(Turkish(), {"\xFD" "l\xFD" "k", "Irak", "iki", "\xDD" "zmir"}, false);
  // The blank comes right after the zero byte, before the control characters.
  ExpectAscending(Turkish(), {"", " ", "\x01", "a", "ab", "abc", "b"}, false);
}

TEST(CollationTest, TurkishCaseInWeightSpace) {
  const Collation& c = Turkish();
  ASSERT_TRUE(c.UsesTable());
  // i goes to İ, ı to I, the blank to the zero byte and back.
  EXPECT_EQ(c.UpperWeight(c.Weight('i')), c.Weight(0xDD));
  EXPECT_EQ(c.UpperWeight(c.Weight(0xFD)), c.Weight('I'));
  EXPECT_EQ(c.UpperWeight(c.Weight(' ')), 0);
  EXPECT_EQ(c.LowerWeight(c.Weight('I')), c.Weight(0xFD));
  EXPECT_EQ(c.LowerWeight(0), c.Weight(' '));
}

struct Case {
  const char* a;
  const char* b;
  int turkish;  // sign, case-insensitive
  int english;
};

TEST(CollationTest, CaseInsensitiveComparisons) {
  const Case cases[] = {
      {"K\xDDTAP", "kitap", 0, 1},   // KİTAP = kitap only with the Turkish i
      {"ILIK", "\xFDl\xFDk", 0, 0},  // ILIK = ılık (English folds ı into I too)
      {"KITAP", "kitap", -1, 0},     // I is the capital of ı in Turkish
      {"ab ", "ab", 0, 1},           // the blank's capital is the zero byte
      {"ab", "ab ", 0, -1},
      {"ab c", "ab", 0, 1},          // ... and the comparison stops there
      {"a b", "ab", -1, -1},         // a blank inside still counts
      {"ab", "abc", -1, -1},
      {"\xC7" "AM", "\xE7" "am", 0, 0},
      {"", "", 0, 0},
      {"", "a", -1, -1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Sign(Turkish().Compare(c.a, c.b, true)), c.turkish) << c.a << " / " << c.b;
    EXPECT_EQ(Sign(English().Compare(c.a, c.b, true)), c.english) << c.a << " / " << c.b;
  }
}

TEST(CollationTest, EmptyStringSortsFirst) {
  for (int b = 1; b < 256; ++b) {
    const std::string one(1, static_cast<char>(b));
    EXPECT_LT(Turkish().Compare("", one, false), 0) << b;
    EXPECT_LT(English().Compare("", one, false), 0) << b;
  }
}

TEST(CollationTest, StringsEndAtTheirZeroByteOrViewEnd) {
  const std::string padded("ab\0zz", 5);
  EXPECT_EQ(Turkish().Compare(padded, "ab", false), 0);
  EXPECT_EQ(Turkish().Compare(padded, "ab", true), 0);
  EXPECT_EQ(Turkish().Compare(std::string_view("abc", 2), "ab", false), 0);
}

TEST(CollationTest, LimitedComparisons) {
  struct Limited {
    const char* a;
    const char* b;
    long limit;
    bool ci;
    int expected;
  } cases[] = {
      {"kal", "kalem", 3, false, 0},  {"kal", "kalem", 4, false, -1}, {"kal", "ka", 3, false, 1},
      {"KAL", "kalem", 3, true, 0},   {"KAL", "kalem", 3, false, 1},  {"x", "y", 0, false, 0},
      {"", "anything", 0, true, 0},   {"kal", "kalem", -1, false, -1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Sign(Turkish().Compare(c.a, c.b, c.ci, c.limit)), c.expected)
        << c.a << " / " << c.b << " limit " << c.limit;
  }
}

TEST(CollationTest, EnglishWeightsAreAPermutationWithLettersInPairs) {
  const Collation& c = English();
  ASSERT_TRUE(c.UsesTable());
  std::vector<bool> seen(256);
  for (int b = 0; b < 256; ++b) {
    EXPECT_FALSE(seen[c.Weight(static_cast<uint8_t>(b))]) << b;
    seen[c.Weight(static_cast<uint8_t>(b))] = true;
  }
  EXPECT_EQ(c.Weight(0), 0);
  ExpectAscending(c, {"a", "A", "b", "B", "z", "Z", "\xE0"}, false);
  // The dotted capital İ folds to i, after plain I.
  ExpectAscending(c, {"i", "I", "\xDD", "j"}, false);
}

// A byte's weight is the number of bytes below it, whatever way it is
// computed: stored files carry the mark of these weights.
TEST(CollationTest, WeightsCountTheBytesBelow) {
  const auto& ansi = platform::AnsiCase::ForLocale(platform::kLocaleEnglishUs);
  auto folded = [](uint8_t a, uint8_t b) {
    const auto& lower = platform::AsciiLowerTable();
    return int{lower[a]} - int{lower[b]};
  };
  // Fold, then lower before upper, then the code point.
  auto english = [&](uint8_t a, uint8_t b) {
    auto key = [&](uint8_t x) {
      return std::tuple(platform::Cp1254ToUnicode(ansi.Lower(x)), ansi.Lower(x) != x, platform::Cp1254ToUnicode(x));
    };
    return key(a) < key(b) ? -1 : (key(b) < key(a) ? 1 : 0);
  };
  const Collation made = Collation::FromCharComparison(folded, ansi.UpperTable(), ansi.LowerTable());
  const std::pair<const Collation*, Collation::CharComparison> cases[] = {{&English(), english}, {&made, folded}};
  for (const auto& [c, compare] : cases) {
    for (int x = 0; x < 256; ++x) {
      int below = 0;
      for (int y = 0; y < 256; ++y) below += compare(uint8_t(y), uint8_t(x)) < 0 ? 1 : 0;
      EXPECT_EQ(c->Weight(uint8_t(x)), std::min(below, 255)) << x;
    }
  }
}

TEST(CollationTest, FallsBackToTheCharacterComparisonWithoutAPermutation) {
  // A comparison that ties a with A cannot give a permutation.
  auto folded = [](uint8_t a, uint8_t b) {
    const auto& lower = platform::AsciiLowerTable();
    return int{lower[a]} - int{lower[b]};
  };
  const Collation c = Collation::FromCharComparison(folded, platform::AsciiUpperTable(),
                                                    platform::AsciiLowerTable());
  ASSERT_FALSE(c.UsesTable());
  EXPECT_EQ(c.Compare("abc", "ABC", false), 0);
  EXPECT_LT(c.Compare("abc", "abd", false), 0);
  EXPECT_LT(c.Compare("ab", "abc", false), 0);
  EXPECT_GT(c.Compare("b", "a", true), 0);
  EXPECT_EQ(c.Compare("abx", "ABy", true, 2), 0);

  // A strict comparison built the same way does use its table.
  auto strict = [](uint8_t a, uint8_t b) { return int{a} - int{b}; };
  EXPECT_TRUE(Collation::FromCharComparison(strict, platform::AsciiUpperTable(),
                                            platform::AsciiLowerTable())
                  .UsesTable());
}

std::string Utf16(std::u16string_view s) {
  std::string out;
  for (char16_t u : s) {
    out.push_back(static_cast<char>(u & 0xFF));
    out.push_back(static_cast<char>(u >> 8));
  }
  return out;
}

TEST(CollationTest, WideStringsFollowTheByteWeights) {
  const Collation& c = Turkish();
  EXPECT_LT(c.CompareWide(Utf16(u"cam"), Utf16(u"Cam"), false), 0);
  EXPECT_LT(c.CompareWide(Utf16(u"Cam"), Utf16(u"\u00E7am"), false), 0);
  EXPECT_LT(c.CompareWide(Utf16(u"\u0131l\u0131k"), Utf16(u"Irak"), false), 0);
  EXPECT_EQ(c.CompareWide(Utf16(u"K\u0130TAP"), Utf16(u"kitap"), true), 0);
  // Casing of wide strings has no blank rule.
  EXPECT_GT(c.CompareWide(Utf16(u"ab "), Utf16(u"ab"), true), 0);
  // A character the code page lacks sorts after every one it has.
  EXPECT_GT(c.CompareWide(Utf16(u"\u4E00"), Utf16(u"\u00FF"), false), 0);
  EXPECT_EQ(c.CompareWide(Utf16(u"kalem"), Utf16(u"kal"), false, 3), 0);
  EXPECT_EQ(c.CompareWide(Utf16(u"ab") + std::string(4, '\0'), Utf16(u"ab"), false), 0);
}

}  // namespace
}  // namespace corvane::table
