#include "html/soft_hyphen_inserter.h"

#include <gtest/gtest.h>

#include <random>

namespace corvane::html {
namespace {

// Replaces the words one after another on a copy of the text, as the rules
// read: each word's occurrences judged on the text before its own soft
// hyphens, leftmost first, whole words only, never touching markup.
struct Sequential {
  std::string text;
  std::vector<bool> markup;
  WordBytes word_bytes;

  bool SoftHyphenAt(std::size_t at) const { return text.compare(at, 5, "&shy;") == 0; }

  bool Valid(std::size_t start, const std::string& word) const {
    const std::size_t end = start + word.size();
    if (end > text.size() || text.compare(start, word.size(), word) != 0) return false;
    for (std::size_t i = start; i < end; ++i) {
      if (markup[i]) return false;
    }
    if (start > 0 && word_bytes(text[start - 1])) return false;
    if (end < text.size() && word_bytes(text[end])) return false;
    if (start >= 5 && SoftHyphenAt(start - 5)) return false;
    return !SoftHyphenAt(end);
  }

  std::size_t Replace(const HyphenatedWord& w) {
    std::vector<std::size_t> starts;
    for (std::size_t p = 0; p + w.word.size() <= text.size();) {
      if (Valid(p, w.word)) {
        starts.push_back(p);
        p += w.word.size();
      } else {
        ++p;
      }
    }
    for (auto it = starts.rbegin(); it != starts.rend(); ++it) {
      for (auto b = w.breaks.rbegin(); b != w.breaks.rend(); ++b) {
        text.insert(*it + *b, "&shy;");
        markup.insert(markup.begin() + static_cast<long>(*it + *b), 5, true);
      }
    }
    return starts.size();
  }
};

std::vector<ByteKind> KindsFromMask(const std::vector<bool>& mask) {
  std::vector<ByteKind> kinds;
  for (bool m : mask) kinds.push_back(m ? ByteKind::kTag : ByteKind::kText);
  return kinds;
}

TEST(SoftHyphenInserterTest, WholeWordsOnly) {
  const std::string text = "kitap kitaplar Kitap kitap. (kitap) kitap_ 1kitap &shy;kitap kitap&shy;";
  const std::vector<ByteKind> kinds(text.size(), ByteKind::kText);
  WordBytes word_bytes;
  const DecodedView view(text, kinds);
  SoftHyphenInserter inserter(view, word_bytes);
  const auto counts = inserter.Apply({{"kitap", {2}}});
  EXPECT_EQ(inserter.Result(),
            "ki&shy;tap kitaplar Kitap ki&shy;tap. (ki&shy;tap) kitap_ 1kitap &shy;kitap kitap&shy;");
  EXPECT_EQ(counts, std::vector<std::size_t>{3});
}

TEST(SoftHyphenInserterTest, MarkupIsNeverTouched) {
  const std::string text = "<a title=\"kitap\">kitap</a>";
  std::vector<ByteKind> kinds(text.size(), ByteKind::kText);
  for (std::size_t i = 0; i < 17; ++i) kinds[i] = ByteKind::kTag;
  for (std::size_t i = 22; i < text.size(); ++i) kinds[i] = ByteKind::kTag;
  WordBytes word_bytes;
  const DecodedView view(text, kinds);
  SoftHyphenInserter inserter(view, word_bytes);
  inserter.Apply({{"kitap", {2}}});
  EXPECT_EQ(inserter.Result(), "<a title=\"kitap\">ki&shy;tap</a>");
}

TEST(SoftHyphenInserterTest, WordsWithPunctuationAndTheirParts) {
  const std::string text = "don't stop. don't, isn't it e.g.x";
  const std::vector<ByteKind> kinds(text.size(), ByteKind::kText);
  WordBytes word_bytes;
  Sequential reference{text, std::vector<bool>(text.size()), word_bytes};
  const std::vector<HyphenatedWord> words = {{"don't", {3}}, {"don", {1}}, {"e.g.x", {2}}, {"g.x", {1}}};
  std::vector<std::size_t> expected;
  for (const auto& w : words) expected.push_back(reference.Replace(w));
  const DecodedView view(text, kinds);
  SoftHyphenInserter inserter(view, word_bytes);
  EXPECT_EQ(inserter.Apply(words), expected);
  EXPECT_EQ(inserter.Result(), reference.text);
  EXPECT_EQ(inserter.Result(), "don&shy;'t stop. don&shy;'t, isn't it e.&shy;g.x");
}

// The one-scan inserter must give what replacing word after word gives.
TEST(SoftHyphenInserterTest, MatchesSequentialReplacementOnRandomTexts) {
  std::mt19937 rng(2024);
  const std::string alphabet = "ab'. -&;_\xFC";
  WordBytes word_bytes;
  for (int round = 0; round < 4000; ++round) {
    std::string text(rng() % 40, ' ');
    for (char& c : text) c = alphabet[rng() % alphabet.size()];
    if (rng() % 4 == 0) text.insert(rng() % (text.size() + 1), "&shy;");
    std::vector<bool> mask(text.size());
    for (std::size_t i = 0; i < mask.size(); ++i) mask[i] = rng() % 12 == 0;

    std::vector<HyphenatedWord> words;
    for (int w = 0, n = 1 + static_cast<int>(rng() % 5); w < n; ++w) {
      std::string word(1 + rng() % 5, 'a');
      for (char& c : word) c = "ab'.\xFC"[rng() % 5];
      if (std::any_of(words.begin(), words.end(), [&](const auto& x) { return x.word == word; })) continue;
      std::vector<uint32_t> breaks;
      for (uint32_t k = 0; k <= word.size(); ++k) {
        if (rng() % 3 == 0) breaks.push_back(k);
      }
      words.push_back({word, breaks});
    }

    Sequential reference{text, mask, word_bytes};
    std::vector<std::size_t> expected;
    for (const auto& w : words) expected.push_back(reference.Replace(w));
    const std::vector<ByteKind> kinds = KindsFromMask(mask);
    const DecodedView view(text, kinds);
    SoftHyphenInserter inserter(view, word_bytes);
    ASSERT_EQ(inserter.Apply(words), expected) << text;
    ASSERT_EQ(inserter.Result(), reference.text) << text;
  }
}

TEST(SoftHyphenInserterTest, BreaksOfMarkedForms) {
  EXPECT_EQ(BreaksOfMarkedForm("hy_phen_ation", '_'), (std::vector<uint32_t>{2, 6}));
  EXPECT_EQ(BreaksOfMarkedForm("table", '_'), std::vector<uint32_t>{});
  EXPECT_EQ(BreaksOfMarkedForm("_a_", '_'), (std::vector<uint32_t>{0, 1}));
}

}  // namespace
}  // namespace corvane::html
