#include "hyphenation/pattern_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "hyphenation/pattern_matcher.h"

namespace corvane::hyphenation {
namespace {

std::string LettersOnly(std::string_view pattern) {
  std::string letters;
  for (char c : pattern) {
    if (c < '0' || c > '9') letters += c;
  }
  return letters;
}

TEST(PatternTableTest, PublishedEntriesInOrder) {
  ASSERT_EQ(kPatterns.size(), 4447u);
  EXPECT_EQ(kPatterns[0], ".ach4");
  EXPECT_EQ(kPatterns[1], ".ad4der");
  EXPECT_EQ(kPatterns[2], ".af1t");
  EXPECT_EQ(kPatterns[4445], "4z1z2");
  EXPECT_EQ(kPatterns[4446], "z4zy");
  EXPECT_EQ(kPatterns[38], ".chill5i");

  size_t longest = 0;
  for (std::string_view p : kPatterns) {
    longest = std::max(longest, p.size());
    for (char c : p) {
      EXPECT_TRUE(c == '.' || (c >= 'a' && c <= 'z') || (c >= '1' && c <= '5')) << p;
    }
  }
  EXPECT_EQ(longest, 9u);
}

TEST(PatternTableTest, FirstCharacterIndex) {
  const std::string order = ".abcdefghijklmnopqrstuvwxyz";
  const int first[] = {1,    199,  512,  630,  819,  987,  1417, 1520, 1650, 1779, 2099, 2109, 2156, 2372,
                       2534, 2762, 3033, 3226, 3231, 3538, 3781, 4014, 4198, 4283, 4331, 4364, 4427};
  for (int k = 0; k < kFirstCharCount; ++k) {
    EXPECT_EQ(kFirstCharIndex[k].first, order[k]);
    EXPECT_EQ(kFirstCharIndex[k].entry, first[k]) << order[k];
  }
  EXPECT_EQ(kFirstCharIndexEnd, 4447);
}

// Every entry sits in its own character's run, and the letters-only forms
// are distinct; the engine's lookup keeps the rules for when they are not,
// but with this table every short entry must take effect.
TEST(PatternTableTest, EveryShortEntryIsReachable) {
  std::set<std::string> forms;
  size_t short_forms = 0;
  for (int k = 0; k < kFirstCharCount; ++k) {
    const int last = k + 1 < kFirstCharCount ? kFirstCharIndex[k + 1].entry - 1 : kFirstCharIndexEnd;
    for (int entry = kFirstCharIndex[k].entry; entry <= last; ++entry) {
      const std::string form = LettersOnly(kPatterns[entry - 1]);
      EXPECT_EQ(form[0], kFirstCharIndex[k].first) << "entry " << entry;
      EXPECT_TRUE(forms.insert(form).second) << form;
      if (form.size() <= 6) ++short_forms;
    }
  }
  EXPECT_EQ(forms.size(), 4447u);
  EXPECT_EQ(short_forms, 4447u - 40u);
  EXPECT_EQ(PatternMatcher::Instance().EntryCount(), short_forms);
}

// The automaton compiled into the programs is the one the table builds.
TEST(PatternTableTest, ReadyMadeAutomatonIsTheBuiltOne) {
  const PatternMatcher built = PatternMatcher::Build();
  const PatternMatcher::Packed ready = PatternMatcher::Instance().packed();
  const PatternMatcher::Packed fresh = built.packed();
  EXPECT_TRUE(std::equal(ready.next.begin(), ready.next.end(), fresh.next.begin(), fresh.next.end()));
  EXPECT_TRUE(std::equal(ready.window.begin(), ready.window.end(), fresh.window.begin(), fresh.window.end()));
  EXPECT_EQ(ready.entry_count, fresh.entry_count);
}

}  // namespace
}  // namespace corvane::hyphenation
