// The built-in English set over code points must break every a-z word as the
// classic engine does: the new word rules change which words are read, not
// how English breaks them.
#include "hyphenation/built_in_english.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "hyphenation/engine_setup.h"
#include "hyphenation/hyphenator.h"

namespace corvane::hyphenation {
namespace {

bool IsLowerAscii(const std::string& word) {
  if (word.empty()) return false;
  for (char c : word) {
    if (c < 'a' || c > 'z') return false;
  }
  return true;
}

TEST(BuiltInEnglishTest, BreaksEveryWordAsTheClassicEngine) {
  TCorvaneHyphenator engine;
  ConfigureEngine(engine);
  const PatternSet& set = *BuiltInEnglishSet();
  std::vector<std::string> words = {"hyphenation", "associate", "table", "present", "project", "ab", "abc",
                                    "supercalifragilisticexpialidocious", "rhythm", "characteristically"};
  // Debian's English word list, where installed, tries the set on every word.
  std::ifstream list("/usr/share/dict/american-english");
  for (std::string line; std::getline(list, line);) {
    if (IsLowerAscii(line) && line != "hellos") words.push_back(line);
  }
  for (const std::string& word : words) {
    EXPECT_EQ(MarkedWord(set, word, kBuiltInEnglishMinimums), engine.HyphenateWord(word)) << word;
  }
}

TEST(BuiltInEnglishTest, KeepsTheMinimumsOverTheExceptionWordAndCapitals) {
  const PatternSet& set = *BuiltInEnglishSet();
  EXPECT_EQ(MarkedWord(set, "hellos", kBuiltInEnglishMinimums), "he_llos");
  EXPECT_EQ(MarkedWord(set, "Hyphenation", kBuiltInEnglishMinimums), "Hy_phen_ation");
  EXPECT_EQ(BuiltInEnglishSet().get(), &set);  // compiled once
}

}  // namespace
}  // namespace corvane::hyphenation
