#include "container/pattern_match.h"

#include <gtest/gtest.h>

#include <string>

namespace corvane::container {
namespace {

TEST(PatternMatchTest, Wildcards) {
  struct Case {
    const char* name;
    const char* pattern;
    bool match;
  };
  const Case cases[] = {
      {"hyplist.dat", "*.dat", true},
      {"HYPLIST.DAT", "*.dat", true},
      {"hyplist.dat", "*.DaT", true},
      {"dat", "*.dat", false},
      {".dat", "*.dat", true},
      {"hyplist.dat.bak", "*.dat", false},
      {"hyplist.idx", "*.dat", false},
      {"a.b.dat", "*.dat", true},
      {"anything", "*", true},
      {"", "*", true},
      {"", "", true},
      {"a", "", false},
      {"", "?", false},
      {"abc", "a?c", true},
      {"ac", "a?c", false},
      {"abbc", "a?c", false},
      {"a?c", "a?c", true},
      {"abcbd", "a*bd", true},  // the first "b" is not the one the pattern wants
      {"abcbdx", "a*bd", false},
      {"aXbYc", "a*b*c", true},
      {"ab", "a*b*", true},
      {"ab", "**a**b**", true},
      {"table1.dat", "table?.*", true},
      {"table12.dat", "table?.*", false},
      // Only A-Z fold: the code page's letters stay themselves.
      {"\xDE.dat", "\xFE.dat", false},
      {"\xFE.dat", "\xFE.DAT", true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MatchesPattern(c.name, c.pattern), c.match) << c.name << " ~ " << c.pattern;
  }
}

TEST(PatternMatchTest, ManyStarsOverLongNameFinish) {
  // Backtracking into every earlier star would take astronomically long.
  const std::string name(3000, 'a');
  std::string pattern;
  for (int i = 0; i < 40; ++i) pattern += "*a";
  EXPECT_FALSE(MatchesPattern(name, pattern + "b"));
  EXPECT_TRUE(MatchesPattern(name, pattern + "*"));
}

TEST(PatternMatchTest, NamesAndExtensions) {
  EXPECT_TRUE(SameName("HypList.DAT", "hyplist.dat"));
  EXPECT_FALSE(SameName("hyplist.dat", "hyplist.da"));
  EXPECT_FALSE(SameName("\xDD", "i"));

  struct Case {
    const char* name;
    const char* stripped;
  };
  const Case cases[] = {
      {"hyplist.dat", "hyplist"}, {"a.b.c", "a.b"}, {"noext", "noext"},
      {".profile", ".profile"},   {"dir.d/file", "dir.d/file"}, {"dir/.x", "dir/.x"},
      {"dir\\f.x", "dir\\f"},
  };
  for (const Case& c : cases) EXPECT_EQ(StripExtension(c.name), c.stripped) << c.name;
}

}  // namespace
}  // namespace corvane::container
