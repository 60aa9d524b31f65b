// The engine's pattern lookup must give exactly the marks of the plain
// linear walk (reference_hyphenator.h) for every input, however the engine
// finds its patterns.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "hyphenation/hyphenator.h"
#include "reference_hyphenator.h"

namespace corvane::hyphenation {
namespace {

const std::vector<std::string> kOwnerList = {"h_e_ll_os"};

bool LoweredHolds(std::string_view word, char mark) {
  return std::any_of(word.begin(), word.end(), [mark](char c) { return reference::Fold(c) == mark; });
}

// Compares one word under each mark; words whose lowered form holds the
// mark are left to the engine's own rule for them.
void ExpectSameAsReference(TCorvaneHyphenator& h, const std::string& word) {
  if (LoweredHolds(word, h.Mark())) return;
  ASSERT_EQ(h.HyphenateWord(word), reference::HyphenateWord(word, h.Mark(), h.ExceptionList())) << word;
}

TEST(EquivalenceTest, KnownWords) {
  TCorvaneHyphenator h;
  h.SetExceptionList(kOwnerList);
  for (const char* word : {"hyphenation", "HYPHENATION", "Programming", "concatenation", "merhaba",
                           "\xF6\xF0retmen", "table", "hellos", "Hellos", "ab-cd", "abcd", "\xDDstanbul",
                           "internationalization", "chilli", "corner", "machine", "automatic", "a",
                           "..", ".", "e.g.", "x", "zzzzzz", "reciprocity", "presents"}) {
    ExpectSameAsReference(h, word);
  }
}

TEST(EquivalenceTest, DictionaryWords) {
  std::ifstream in("/usr/share/dict/words");
  if (!in) GTEST_SKIP() << "/usr/share/dict/words is not installed";
  TCorvaneHyphenator h;
  h.SetExceptionList(kOwnerList);
  std::string word;
  size_t count = 0;
  while (std::getline(in, word)) {
    ExpectSameAsReference(h, word);
    ++count;
  }
  EXPECT_GT(count, 1000u);
}

std::string RandomWord(std::mt19937& rng, size_t max_length) {
  static const std::string kBytes =
      "abcdefghijklmnopqrstuvwxyzaeiouaeiounrst"
      "ABCDEFGHIJKLMNOPQRSTUVWXYZ"
      "....0123456789--  "
      "\xE7\xF0\xFD\xF6\xFE\xFC\xC7\xD0\xDD\xD6\xDE\xDC";
  std::uniform_int_distribution<size_t> length(0, max_length);
  std::uniform_int_distribution<size_t> pick(0, kBytes.size() - 1);
  std::string word(length(rng), ' ');
  for (char& c : word) c = kBytes[pick(rng)];
  return word;
}

TEST(EquivalenceTest, RandomWordsUnderSeveralMarks) {
  std::mt19937 rng(20240611);
  for (char mark : {'_', '=', ' ', 'e'}) {
    TCorvaneHyphenator h;
    h.SetMark(mark);
    for (int i = 0; i < 20000; ++i) {
      // Some words double as exception entries, marked at random places.
      const std::string word = RandomWord(rng, i % 10 == 0 ? 120 : 24);
      if (i % 50 == 0) {
        std::string entry;
        for (char c : word) {
          if (rng() % 3 == 0) entry += mark;
          entry += reference::Fold(c);
        }
        h.SetExceptionList({"h_e_ll_os", entry});
      }
      ExpectSameAsReference(h, word);
    }
  }
}

TEST(EquivalenceTest, RandomTextThroughHyphenate) {
  std::mt19937 rng(7);
  TCorvaneHyphenator h;
  h.SetExceptionList(kOwnerList);
  for (int i = 0; i < 2000; ++i) {
    std::string text = RandomWord(rng, 80);
    text.erase(std::remove(text.begin(), text.end(), '_'), text.end());
    h.SetInput(text);
    h.Hyphenate();
    ASSERT_EQ(h.OutPut(), reference::Hyphenate(text, '_', kOwnerList)) << text;
  }
}

// Many lines at once, each as Hyphenate() marks it alone; what `out`
// already holds stays in front.
TEST(EquivalenceTest, RandomLinesThroughAppendMarkedLines) {
  std::mt19937 rng(11);
  TCorvaneHyphenator h;
  h.SetExceptionList(kOwnerList);
  for (int i = 0; i < 300; ++i) {
    std::string text, expected = "kept";
    for (int line = 0, lines = static_cast<int>(rng() % 6); line < lines; ++line) {
      std::string one = RandomWord(rng, 60);
      one.erase(std::remove(one.begin(), one.end(), '_'), one.end());
      text += one;
      expected += reference::Hyphenate(one, '_', kOwnerList) + "\n";
      // An empty last line exists only with its LF.
      if (line + 1 < lines || one.empty() || rng() % 2 == 0) text += '\n';
    }
    std::string out = "kept";
    h.AppendMarkedLines(text, out);
    ASSERT_EQ(out, expected) << text;
  }
}

TEST(EquivalenceTest, WordsLongerThanFortyEightBytes) {
  TCorvaneHyphenator h;
  std::string word;
  while (word.size() < 3000) word += "supercalifragilisticexpialidociousAntidisestablishment";
  for (size_t length : {47u, 48u, 49u, 50u, 51u, 200u, 3000u}) ExpectSameAsReference(h, word.substr(0, length));
}

// Arbitrary bytes, NULs and 0xFF included, in tokens far longer than any
// word: the result must be the token with marks inserted and nothing else.
TEST(EquivalenceTest, HugeArbitraryTokens) {
  std::mt19937 rng(99);
  TCorvaneHyphenator h;
  h.SetExceptionList(kOwnerList);
  std::string letters(1 << 20, 'a');
  for (char& c : letters) c = static_cast<char>('a' + rng() % 26);
  std::string bytes(1 << 20, '\0');
  for (char& c : bytes) {
    do {
      c = static_cast<char>(rng() % 256);
    } while (c == '_' || c == '-');
  }
  bytes[0] = '\0';
  bytes[bytes.size() - 1] = '\xFF';
  for (const std::string& word : {letters, bytes}) {
    std::string marked = h.HyphenateWord(word);
    EXPECT_GT(marked.size(), word.size());
    marked.erase(std::remove(marked.begin(), marked.end(), '_'), marked.end());
    EXPECT_TRUE(marked == word);
  }
}

}  // namespace
}  // namespace corvane::hyphenation
