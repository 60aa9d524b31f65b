// Words of Unicode text: what is a word, where punctuation ends it, and how
// compounds are broken part by part.
#include "hyphenation/word_reader.h"

#include <gtest/gtest.h>
#include <unicode/uchar.h>

#include "hyphenation/pattern_set.h"

namespace corvane::hyphenation {
namespace {

std::vector<std::string> Words(std::string_view text, std::u32string_view inner = U"") {
  std::vector<std::string> out;
  for (const TextWord& w : ReadWords(text, inner)) out.emplace_back(text.substr(w.begin, w.end - w.begin));
  return out;
}

TEST(WordReaderTest, PunctuationOfAnyKindEndsAWord) {
  using V = std::vector<std::string>;
  struct Case {
    std::string text;
    std::u32string inner;
    V words;
  };
  const Case cases[] = {
      {"\"OLDUĞU GİBİ\",", U"", V{"OLDUĞU", "GİBİ"}},
      {"«Bonjour» ‹x› “Grüße” ‘ok’ ¿Qué? ¡Sí! (paréntesis) [a] —dash— …fin…", U"",
       V{"Bonjour", "x", "Grüße", "ok", "Qué", "Sí", "paréntesis", "a", "dash", "fin"}},
      {"yazarı/çevirmeni Donau-Kapitän a--b -x- a/", U"", V{"yazarı/çevirmeni", "Donau-Kapitän", "a", "b", "x", "a"}},
      {"l’homme l'ami col·lecció", U"’'·", V{"l’homme", "l'ami", "col·lecció"}},
      {"l’homme ’a", U"", V{"l", "homme", "a"}},
      {"Слово ΛΈΞΗ हिन्दी 3D x2 a\xff" "b", U"", V{"Слово", "ΛΈΞΗ", "हिन्दी", "D", "x", "a", "b"}},
  };
  for (const Case& c : cases) EXPECT_EQ(Words(c.text, c.inner), c.words) << c.text;
}

// The Latin letters are answered without the character database: every
// one must still be a letter, and lower-cased, exactly as the database says.
TEST(WordReaderTest, LatinLettersAgreeWithTheCharacterDatabase) {
  for (char32_t c = 0x80; c < 0x250; ++c) {
    const bool letter = (U_GET_GC_MASK(static_cast<UChar32>(c)) & (U_GC_L_MASK | U_GC_M_MASK)) != 0;
    std::string text(1, 'a');
    AppendUtf8(c, text);
    text.push_back('b');
    EXPECT_EQ(Words(text).size(), letter ? 1u : 2u) << std::hex << static_cast<uint32_t>(c);
    EXPECT_EQ(LowerWord(std::u32string(1, c)), std::u32string(1, static_cast<char32_t>(u_tolower(static_cast<UChar32>(c)))))
        << std::hex << static_cast<uint32_t>(c);
  }
}

std::string Marked(const PatternSet& set, std::string_view word, Minimums m) {
  std::string out;
  size_t written = 0;
  for (size_t at : WordBreaks(set, word, m)) {
    out.append(word.substr(written, at - written)).push_back('_');
    written = at;
  }
  return out.append(word.substr(written));
}

TEST(WordReaderTest, CompoundsBreakPartByPartAwayFromTheJoint) {
  const PatternSet set = PatternSet::FromTexText("1b 1k 1t", "", {1, 1});
  EXPECT_EQ(Marked(set, "abab-kaka", {1, 1}), "a_bab-ka_ka");  // nothing within two of the joint
  EXPECT_EQ(Marked(set, "abab‐kaka/tata", {1, 1}), "a_bab‐ka_ka/ta_ta");
  EXPECT_EQ(Marked(set, "ABAB", {1, 1}), "A_BA_B");
  EXPECT_EQ(Marked(set, "ab-", {1, 1}), "ab-");  // a trailing joint keeps two too
}

}  // namespace
}  // namespace corvane::hyphenation
