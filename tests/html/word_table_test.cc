#include "html/word_table.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>

namespace corvane::html {
namespace {

// Grows through several rehashes; every word keeps its number, near misses
// (a prefix, one byte changed, the empty word) are absent.
TEST(WordTableTest, FindsWhatWasInsertedAcrossGrowth) {
  std::deque<std::string> words;
  WordTable table;
  for (uint32_t i = 0; i < 5000; ++i) {
    words.push_back("w" + std::to_string(i * 7919));
    table.Insert(words.back(), WordTable::Hash(words.back()), i);
  }
  EXPECT_EQ(table.size(), 5000u);
  for (uint32_t i = 0; i < words.size(); ++i) ASSERT_EQ(table.Find(words[i]), i) << words[i];
  for (const std::string& miss : {std::string("w"), std::string(""), std::string("w79190x"), std::string("x7919")}) {
    EXPECT_EQ(table.Find(miss), WordTable::kAbsent) << miss;
  }
  EXPECT_EQ(WordTable().Find("kitap"), WordTable::kAbsent);
}

}  // namespace
}  // namespace corvane::html
