// The user's own words answer for their word in any Turkish letter case and
// for the stem before an apostrophe; the answer keeps the asked letters.
#include "wordlist/dictionary.h"

#include <gtest/gtest.h>

#include "html/word_lookup.h"

namespace corvane::wordlist {
namespace {

TEST(MyWordsTest, FindsInAnyCaseAndBeforeAnApostrophe) {
  // Code page 1254: FD ı, DD İ, 92 ’, DE Ş, FE ş.
  MyWords words = ParseDictionary("ki_tap_lar\xFD\n\xDDstan_bul\nKi_r\nk\xFDr_m\xFDz\n\xDE" "e_ker\n");
  const struct {
    std::string key;  // as the passes ask: A-Z lower-cased
    std::optional<std::string> marked;
  } kCases[] = {
      {"kitaplar\xFD", "ki_tap_lar\xFD"},
      {"k\xDDtaplari", "k\xDD_tap_lari"},          // KİTAPLARI
      {"kitaplar\xFD\x92n\xFD", "ki_tap_lar\xFD\x92n\xFD"},  // kitapları’nı
      {"\xDDstanbul\x92" "dan", "\xDDstan_bul\x92" "dan"},   // İstanbul’dan
      {"\xDDstanbul'u", "\xDDstan_bul'u"},
      {"kir", "ki_r"},                            // the exact entry before kır
      {"k\xFDrm\xFDz\xFD", std::nullopt},        // no entry for the whole word, no apostrophe
      {"\xDE" "eker", "\xDE" "e_ker"},            // Şeker
      {"\xFE" "eker", "\xFE" "e_ker"},
      {"'kitaplar\xFD", std::nullopt},            // an apostrophe first is no stem
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(words.Find(c.key), c.marked) << c.key;
    if (c.marked) {
      EXPECT_EQ(html::RemoveMarks(*c.marked), c.key);
    }
  }
  EXPECT_EQ(words.size(), 5u);
}

}  // namespace
}  // namespace corvane::wordlist
