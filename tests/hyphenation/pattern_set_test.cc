// The code-point automaton against Liang's method done the plain way, on
// every installed TeX set that has a word list, and the pattern files'
// own rules (exceptions, minimums, two levels, encodings).
#include "hyphenation/pattern_set.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "hyphenation/language_catalog.h"
#include "hyphenation/language_test_words.h"
#include "platform/error.h"
#include "platform/file_io.h"

namespace corvane::hyphenation {
namespace {

// Liang's method as his thesis gives it: look up every substring of the
// dotted word in the pattern table, keep the largest digit at each gap,
// break at odd gaps outside the minimums; an exception word gives its own.
class PlainLiang {
 public:
  PlainLiang(std::string_view patterns, std::string_view exceptions) {
    std::u32string text = DecodeUtf8(patterns);
    std::replace_if(text.begin(), text.end(), [](char32_t c) { return c <= U' '; }, U' ');
    size_t at = 0;
    while (at < text.size()) {
      size_t end = text.find(U' ', at);
      if (end == std::u32string::npos) end = text.size();
      std::u32string letters;
      std::vector<uint8_t> digits(1, 0);
      for (size_t i = at; i < end; ++i) {
        if (text[i] >= U'0' && text[i] <= U'9') {
          digits.back() = static_cast<uint8_t>(text[i] - U'0');
        } else {
          letters += text[i];
          digits.push_back(0);
        }
      }
      if (!letters.empty()) {
        std::vector<uint8_t>& kept = table_[letters];
        kept.resize(digits.size());
        for (size_t g = 0; g < digits.size(); ++g) kept[g] = std::max(kept[g], digits[g]);
        longest_ = std::max(longest_, letters.size());
      }
      at = end + 1;
    }
    std::u32string words = DecodeUtf8(exceptions);
    std::replace_if(words.begin(), words.end(), [](char32_t c) { return c <= U' '; }, U' ');
    for (size_t a = 0, e; a < words.size(); a = e + 1) {
      e = std::min(words.find(U' ', a), words.size());
      std::u32string word;
      std::vector<uint8_t> breaks(1, 0);
      for (size_t i = a; i < e; ++i) {
        if (words[i] == U'-') {
          breaks.back() = 1;
        } else {
          word += words[i];
          breaks.push_back(0);
        }
      }
      if (!word.empty()) exceptions_.emplace(LowerWord(word), breaks);
    }
  }

  std::vector<uint8_t> Breaks(const std::u32string& word, Minimums m) const {
    const size_t n = word.size();
    std::vector<uint8_t> breaks(n + 1, 0);
    if (auto e = exceptions_.find(word); e != exceptions_.end()) {
      breaks = e->second;
    } else {
      const std::u32string dotted = U"." + word + U".";
      std::vector<uint8_t> levels(dotted.size() + 1, 0);
      for (size_t i = 0; i < dotted.size(); ++i) {
        for (size_t len = 1; len <= longest_ && i + len <= dotted.size(); ++len) {
          const auto p = table_.find(dotted.substr(i, len));
          if (p == table_.end()) continue;
          for (size_t g = 0; g <= len; ++g) levels[i + g] = std::max(levels[i + g], p->second[g]);
        }
      }
      for (size_t k = 1; k < n; ++k) breaks[k] = levels[k + 1] & 1;
    }
    for (size_t k = 0; k <= n; ++k) {
      if (k < static_cast<size_t>(m.left) || k + static_cast<size_t>(m.right) > n) breaks[k] = 0;
    }
    return breaks;
  }

 private:
  std::map<std::u32string, std::vector<uint8_t>> table_;
  std::map<std::u32string, std::vector<uint8_t>> exceptions_;
  size_t longest_ = 0;
};

struct ListedLanguage {
  const char* tag;
  const char* word_list;
};

class TexSetAgreement : public testing::TestWithParam<ListedLanguage> {};

TEST_P(TexSetAgreement, EveryWordMarkedAsPlainLiangMarksIt) {
  const LanguageCatalog catalog = LanguageCatalog::Find({});
  const Language* language = catalog.Match(GetParam().tag);
  const std::string list = std::string("/usr/share/dict/") + GetParam().word_list;
  if (language == nullptr || language->kind != LanguageKind::kTexPatterns || language->tag != GetParam().tag ||
      !std::ifstream(list).good()) {
    GTEST_SKIP() << "TeX's patterns for " << GetParam().tag << " or " << list << " are not installed";
  }
  const std::string patterns = platform::ReadFile(language->file);
  const std::string exceptions = language->exceptions_file.empty() ? "" : platform::ReadFile(language->exceptions_file);
  const PatternSet set = PatternSet::FromTexText(patterns, exceptions, language->minimums);
  const PlainLiang reference(patterns, exceptions);
  std::vector<uint8_t> breaks;
  size_t checked = 0;
  for (const std::string& word : SampleWords(list, 3000)) {
    const std::u32string lowered = LowerWord(DecodeUtf8(word));
    set.Breaks(lowered, language->minimums, breaks);
    ASSERT_EQ(breaks, reference.Breaks(lowered, language->minimums)) << word;
    ++checked;
  }
  EXPECT_GT(checked, 1000u);
}

INSTANTIATE_TEST_SUITE_P(
    WordLists, TexSetAgreement,
    testing::Values(ListedLanguage{"de-1996", "ngerman"}, ListedLanguage{"fr", "french"},
                    ListedLanguage{"it", "italian"}, ListedLanguage{"es", "spanish"},
                    ListedLanguage{"nl", "nederlands"}, ListedLanguage{"pl", "polish"},
                    ListedLanguage{"sv", "swedish"}, ListedLanguage{"da", "danish"},
                    ListedLanguage{"pt", "portuguese"}, ListedLanguage{"bg", "bulgarian"},
                    ListedLanguage{"uk", "ukrainian"}, ListedLanguage{"ca", "catalan"},
                    ListedLanguage{"nb", "bokmål"}),
    [](const testing::TestParamInfo<ListedLanguage>& info) {
      std::string name = info.param.tag;
      std::replace(name.begin(), name.end(), '-', '_');
      return name;
    });

std::string Marked(const PatternSet& set, std::string_view word, Minimums m) { return MarkedWord(set, word, m); }

TEST(PatternSetTest, TexSetsHonourExceptionsMinimumsAndCase) {
  const PatternSet set = PatternSet::FromTexText("1ba 1be 1na a1 e1", "ba-na-na\nx-y-z", {2, 2});
  EXPECT_EQ(Marked(set, "Abena", {2, 2}), "Abe_na");  // patterns on the lowered word, letters kept
  EXPECT_EQ(Marked(set, "abena", {1, 1}), "a_be_na");
  EXPECT_EQ(Marked(set, "BANANA", {2, 2}), "BA_NA_NA");  // the exception, not the patterns
  EXPECT_EQ(Marked(set, "ÄBENA", {2, 2}), "ÄBE_NA");
}

TEST(PatternSetTest, DictionariesReadTheirEncodingOptionsAndTwoLevels) {
  // Latin-1 text: "ä1" is the pattern a-umlaut 1.
  const PatternSet latin = PatternSet::FromDicText("ISO8859-1\nLEFTHYPHENMIN 1\nRIGHTHYPHENMIN 1\n\xe4" "1\n", "t");
  EXPECT_EQ(Marked(latin, "bär", latin.OwnMinimums()), "bä_r");
  // Spelling-changing patterns are skipped and counted.
  const PatternSet respelling = PatternSet::FromDicText("UTF-8\nssz/sz=sz,1,3\n1ba\n", "t");
  EXPECT_EQ(respelling.SkippedPatterns(), 1u);
  // Level one finds the joint; each part is then a word of its own, the
  // compound minimums keeping "ab" and "ta" whole beside it.
  const PatternSet compound = PatternSet::FromDicText(
      "UTF-8\nLEFTHYPHENMIN 1\nRIGHTHYPHENMIN 1\nCOMPOUNDLEFTHYPHENMIN 3\nCOMPOUNDRIGHTHYPHENMIN 3\n"
      "b1t\nNEXTLEVEL\n1b\n1t\n1a\n",
      "t");
  EXPECT_EQ(Marked(compound, "abta", compound.OwnMinimums()), "ab_ta");
  EXPECT_EQ(Marked(compound, "aba", compound.OwnMinimums()), "a_b_a");
  // Without NEXTLEVEL, an apostrophe is a joint never broken at, with three
  // letters kept whole beside it unless the file says otherwise.
  const PatternSet plain = PatternSet::FromDicText("UTF-8\n1a\n", "t");
  EXPECT_EQ(Marked(plain, "aaaaa'aaaaaaa", {1, 1}), "a_a_aaa'aaa_a_a_aa");
}

TEST(PatternSetTest, EqualFormsAndLongConvertedText) {
  // TeX sets apply both of two equal forms (the larger digit wins);
  // dictionaries keep the later one. Other patterns sharing the prefix
  // stand between them.
  struct Case {
    bool dictionary;
    const char* patterns;
    const char* marked;
  } cases[] = {
      {false, "a1b ab1c a2b", "ab_c"}, {false, "a2b ab1c a1b", "ab_c"},
      {true, "a1b\nab1c\na2b", "ab_c"}, {true, "a2b\nab1c\na1b", "a_b_c"},
  };
  for (const Case& c : cases) {
    std::string text = c.patterns;
    std::replace(text.begin(), text.end(), '\n', ' ');
    const PatternSet set = c.dictionary ? PatternSet::FromDicText(std::string("UTF-8\n") + c.patterns + "\n", "t")
                                        : PatternSet::FromTexText(text, "", {1, 1});
    EXPECT_EQ(Marked(set, "abc", {1, 1}), c.marked) << c.patterns;
  }
  // A converted dictionary far longer than one piece of the converter's
  // output keeps its last pattern (ISO 8859-2: 0xB3 is l with stroke).
  std::string latin2 = "ISO8859-2\n";
  for (int i = 0; i < 3000; ++i) latin2 += "% a comment line\n";
  const PatternSet set = PatternSet::FromDicText(latin2 + "\xb3" "1\n", "t");
  EXPECT_EQ(Marked(set, "a\u0142b", {1, 1}), "a\u0142_b");
}

TEST(PatternSetTest, BadFilesEndInAnError) {
  EXPECT_THROW(PatternSet::FromDicText("NO-SUCH-CODING\n1a\n", "t"), Error);
  EXPECT_THROW(PatternSet::FromDicText("UTF-8\nLEFTHYPHENMIN x\n", "t"), Error);
  EXPECT_THROW(PatternSet::FromDicText("1a", "t"), Error);  // no line after the encoding
  // The longest pattern a state can describe, and one letter more.
  const PatternSet longest = PatternSet::FromTexText(std::string(254, 'a') + "1", "", {1, 1});
  EXPECT_EQ(Marked(longest, std::string(255, 'a'), {1, 1}), std::string(254, 'a') + "_a");
  EXPECT_THROW(PatternSet::FromTexText(std::string(255, 'a') + "1", "", {1, 1}), Error);
}

TEST(PatternSetTest, MalformedUtf8ComesBackByteForByte) {
  const PatternSet set = PatternSet::FromTexText("1b", "", {1, 1});
  EXPECT_EQ(Marked(set, "a\xff" "b\xc3", {1, 1}), "a\xff_b\xc3");
  EXPECT_EQ(LowerWord(U"IİıiÄ", true), U"ıiıiä");
}

}  // namespace
}  // namespace corvane::hyphenation
