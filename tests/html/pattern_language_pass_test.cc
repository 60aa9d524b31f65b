// A large page is hyphenated on two threads, parted near its middle: the
// result must be the one-thread result wherever the parting falls.
#include "html/pattern_language_pass.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "hyphenation/built_in_english.h"

namespace corvane::html {
namespace {

PatternPassResult HyphenatePage(std::string_view page, std::size_t parallel_from,
                                std::vector<std::string>* pieces = nullptr) {
  static const PatternLanguage english{hyphenation::BuiltInEnglishSet(), hyphenation::kBuiltInEnglishMinimums};
  TagReading reading;
  reading.classify = [](std::string_view) { return Language::kOther; };
  reading.default_tag = "en";
  reading.default_language = Language::kOther;
  ClassicStart start;
  start.page_language = Language::kOther;
  start.reading = &reading;
  PatternPassSettings settings;
  settings.parallel_from = parallel_from;
  if (pieces != nullptr) settings.sink = [pieces](std::string_view piece) { pieces->emplace_back(piece); };
  const ExclusionRules exclusions;
  std::optional<PatternPassResult> result = HyphenateWithPatternsAlone(
      page, start, exclusions, [](std::string_view tag) { return tag == "xx" ? nullptr : &english; }, settings);
  EXPECT_TRUE(result.has_value());
  return result ? std::move(*result) : PatternPassResult{};
}

TEST(PatternPassThreadsTest, TwoThreadsGiveWhatOneGivesWhereverThePartingFalls) {
  // Each piece is put across the middle of the page, so that the parting
  // falls in it or where it ends.
  const std::string pieces[] = {
      "<a title=\"representation > hyphenation\" href=x>representation</a>",
      "<!-- representation <p> hyphenation -->",
      "<script>var representation = \"<p>hyphenation\";</script>",
      "<p class=nohyphenate>representation <b>hyphenation</b> representation</p>",
      "<p lang=xx>representation <i lang=en>hyphenation</i> representation</p>",
      "<p>representation hyphenation concatenation representation hyphenation</p>",
      "repre&shy;sentation CHAPTER_TITLE hyphen&uuml;ation",
      "representation hyphenation concatenation representation hyphenation",  // no markup near the middle
  };
  std::string half;
  for (int i = 0; i < 200; ++i) half += "<p>International representation, concatenation.</p>\n";
  for (const std::string& piece : pieces) {
    SCOPED_TRACE(piece);
    for (std::size_t cut : {std::size_t{0}, piece.size() / 3, piece.size() / 2, piece.size() - 1}) {
      // The middle of the page falls `cut` bytes into the piece.
      const std::string page = (half + half).substr(0, piece.size() + half.size() - 2 * cut) + piece + half;
      const PatternPassResult one = HyphenatePage(page, std::numeric_limits<std::size_t>::max());
      const PatternPassResult two = HyphenatePage(page, 0);
      EXPECT_EQ(two.text, one.text);
      EXPECT_EQ(two.words, one.words);
      EXPECT_EQ(two.unique_words, one.unique_words);
      EXPECT_EQ(two.words_hyphenated, one.words_hyphenated);
      EXPECT_EQ(two.soft_hyphens, one.soft_hyphens);
      EXPECT_EQ(two.words_without_patterns, one.words_without_patterns);
      EXPECT_EQ(two.tags_without_patterns, one.tags_without_patterns);
      EXPECT_EQ(two.words_by_tag, one.words_by_tag);
    }
  }
}

// A result handed out in pieces is the same bytes, and a large one never
// comes whole.
TEST(PatternPassThreadsTest, ResultInPiecesIsTheWholeResult) {
  std::string page;
  for (int i = 0; i < 4000; ++i) page += "<p>International representation, concatenation.</p>\n";
  const PatternPassResult whole = HyphenatePage(page, 0);
  std::vector<std::string> pieces;
  const PatternPassResult streamed = HyphenatePage(page, 0, &pieces);
  EXPECT_TRUE(streamed.text.empty());
  EXPECT_GT(pieces.size(), 2u);
  std::string joined;
  for (const std::string& piece : pieces) joined += piece;
  EXPECT_EQ(joined, whole.text);
  EXPECT_EQ(streamed.soft_hyphens, whole.soft_hyphens);
}

// A page with no lang goes to the pattern pass alone only when the 1 % rule
// finds it not Turkish: one Turkish letter in 100 letters of text is
// Turkish, in 101 not, however markup, references and other characters lie
// around them.
TEST(PatternPassAloneTest, TheOnePercentRuleCountsOnlyTheLettersOfText) {
  static const PatternLanguage english{hyphenation::BuiltInEnglishSet(), hyphenation::kBuiltInEnglishMinimums};
  TagReading reading;
  reading.classify = [](std::string_view) { return Language::kOther; };
  reading.default_tag = "en";
  reading.default_language = Language::kOther;
  ClassicStart start;
  start.reading = &reading;
  std::string padding;
  for (int i = 0; i < 60; ++i) padding += i % 3 ? "<div class=\"x\"></div>\n" : "<b>&nbsp;</b> 12 \u00bb <!-- a -->";
  struct Case {
    std::string turkish;  // one Turkish letter, as text or reference
    std::string more;     // what else holds letters, or only seems to
    bool alone;
  };
  const std::string letters_99 = std::string(40, 'a') + " " + std::string(30, 'b') + "-" + std::string(29, 'c');
  const Case cases[] = {
      {"\u015f", letters_99, false},
      {"\u015f", letters_99 + "d", true},
      {"&scedil;", letters_99, false},
      {"&scedil;", letters_99 + "&eacute;", true},
      {"\u015f", letters_99 + "<!-- \u015f\u015f e -->\u00bb<i title=\"\u015f\">", false},
      {"\u015f", letters_99 + "<!-- \u015f\u015f e -->\u00bb<i title=\"\u015f\">f", true},
  };
  for (const Case& c : cases) {
    const std::string page = padding + "<p>" + c.more.substr(0, 37) + c.turkish + c.more.substr(37) + "</p>" + padding;
    const std::optional<PatternPassResult> result = HyphenateWithPatternsAlone(
        page, start, ExclusionRules(), [](std::string_view) { return &english; }, PatternPassSettings());
    EXPECT_EQ(result.has_value(), c.alone) << c.turkish << " " << c.more;
  }
}

}  // namespace
}  // namespace corvane::html
