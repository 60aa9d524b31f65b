#include "html/fast_replace.h"

#include <gtest/gtest.h>

#include <random>

#include "platform/locale.h"

namespace corvane::html {
namespace {

const UpperTable& TurkishUpper() {
  return platform::AnsiCase::ForLocale(platform::kLocaleTurkish).UpperTable();
}

// Plain left-to-right replacement, to check the Horspool search against.
std::string NaiveReplace(std::string_view s, std::string_view from, std::string_view to,
                         bool case_sensitive, const UpperTable& upper, std::size_t& count) {
  count = 0;
  if (s.empty() || from.empty()) return std::string(s);
  std::string out;
  std::size_t i = 0;
  while (i < s.size()) {
    bool match = i + from.size() <= s.size();
    for (std::size_t k = 0; match && k < from.size(); ++k) {
      const auto a = static_cast<uint8_t>(s[i + k]);
      const auto b = static_cast<uint8_t>(from[k]);
      match = case_sensitive ? a == b : upper[a] == upper[b];
    }
    if (match) {
      out += to;
      i += from.size();
      ++count;
    } else {
      out += s[i++];
    }
  }
  return out;
}

TEST(FastReplaceTest, WorkedCases) {
  struct Case {
    std::string source, search, replacement;
    bool case_sensitive;
    std::string expected;
    std::size_t count;
  };
  const Case cases[] = {
      {"", "a", "b", true, "", 0},
      {"abc", "", "x", true, "abc", 0},
      {"aaa", "aa", "b", true, "ba", 1},  // no overlaps
      {"ki_tap", "_", "&shy;", false, "ki&shy;tap", 1},
      {"a&shy;b&SHY;c", "&shy;", "", false, "abc", 2},
      {"a&shy;b&SHY;c", "&shy;", "", true, "ab&SHY;c", 1},
      {"x+123-y+123-", "+123-", "_", false, "x_y_", 2},
      {"abcabc", "abc", "", true, "", 2},
      {"short", "longer than the source", "x", true, "short", 0},
      {"end match", "match", "M", true, "end M", 1},
  };
  for (const Case& c : cases) {
    std::size_t count = 99;
    EXPECT_EQ(FastReplace(c.source, c.search, c.replacement, c.case_sensitive, &count), c.expected)
        << c.source << " / " << c.search;
    EXPECT_EQ(count, c.count) << c.source << " / " << c.search;
  }
}

TEST(FastReplaceTest, CaseInsensitiveUsesTheLocaleTable) {
  std::size_t count = 0;
  // Under the Turkish casing, i and İ are one letter and so are ı and I.
  EXPECT_EQ(FastReplace("\xDD" "stanbul", "istanbul", "X", false, TurkishUpper(), &count), "X");
  EXPECT_EQ(FastReplace("Irak", "\xFDrak", "X", false, TurkishUpper(), &count), "X");
  EXPECT_EQ(FastReplace("Irak", "irak", "X", false, TurkishUpper(), &count), "Irak");
  EXPECT_EQ(count, 0u);
}

TEST(FastReplaceTest, AgreesWithNaiveReplacementOnRandomText) {
  std::mt19937 rng(1254);
  const std::string alphabet = "abAB_&;\xDD\xFDi";
  auto random_string = [&](std::size_t max_len) {
    std::string s(rng() % (max_len + 1), ' ');
    for (char& c : s) c = alphabet[rng() % alphabet.size()];
    return s;
  };
  for (int round = 0; round < 3000; ++round) {
    const std::string source = random_string(60);
    const std::string search = random_string(4);
    const std::string replacement = random_string(6);
    for (bool cs : {true, false}) {
      std::size_t expected_count = 0;
      std::size_t count = 0;
      const std::string expected =
          NaiveReplace(source, search, replacement, cs, TurkishUpper(), expected_count);
      ASSERT_EQ(FastReplace(source, search, replacement, cs, TurkishUpper(), &count), expected)
          << source << " / " << search;
      ASSERT_EQ(count, expected_count);
    }
  }
}

TEST(FastReplaceTest, LargeGrowthKeepsEveryByte) {
  const std::string source(1 << 20, '_');
  std::size_t count = 0;
  const std::string out = FastReplace(source, "_", "&shy;", true, &count);
  EXPECT_EQ(count, source.size());
  EXPECT_EQ(out.size(), source.size() * 5);
  EXPECT_EQ(out.substr(out.size() - 5), "&shy;");
}

}  // namespace
}  // namespace corvane::html
