#include "html/text_runs.h"

#include <gtest/gtest.h>

#include <random>

#include "html/decoded_view.h"
#include "html/hyphenation_pass.h"
#include "html/language.h"
#include "html/tokenizer.h"

namespace corvane::html {
namespace {

using Runs = std::vector<std::pair<std::string, std::size_t>>;

// What the tokenizer gives for the blanked page as one line.
Runs TokenizerRuns(const std::string& page, bool join_lines) {
  std::string line = BlankHiddenText(page, ClassifyMarkup(page));
  if (join_lines) JoinEditorLines(line);
  THTMLParser parser;
  parser.Lines().push_back(line);
  Runs runs;
  parser.ParseTexts([&](std::string_view text, std::size_t at) { runs.emplace_back(text, at); });
  return runs;
}

Runs ScannedRuns(const std::string& page, bool join_lines) {
  Runs runs;
  ForEachTextRun(page, ClassifyMarkup(page), join_lines,
                 [&](std::string_view raw, std::size_t at) { runs.emplace_back(DecodeText(raw), at); });
  return runs;
}

TEST(TextRunsTest, SameRunsAsTheTokenizerOverTheBlankedPage) {
  std::vector<std::string> pages = {
      "a<b>c>d<<e>f", "x\r\ny\rz\n", "<!-- a<b> -->c &amp;d&uuml;e &#65 f", "<script>a<b</script>c",
      "see http://x.org/<a>b</a> &#305;k", "\r<p\r\n>\r\n", "caf&eacute;\r\n&shy;x",
  };
  std::mt19937 rng(13);
  const std::string alphabet = "ab <>/!-&;#\r\n\xFC\"'=";
  const char* const pieces[] = {"<!--", "-->", "<pre>", "</pre>", "&uuml;", "&amp;", "www.", "&#305;"};
  for (int round = 0; round < 3000; ++round) {
    std::string page;
    for (int k = static_cast<int>(rng() % 30); k > 0; --k) {
      if (rng() % 5 == 0) {
        page += pieces[rng() % 8];
      } else {
        page += alphabet[rng() % alphabet.size()];
      }
    }
    pages.push_back(page);
  }
  for (const std::string& page : pages) {
    for (bool join : {true, false}) {
      ASSERT_EQ(ScannedRuns(page, join), TokenizerRuns(page, join)) << page << " join " << join;
    }
  }
}

TEST(TextRunsTest, PageLanguageOfThePageEqualsThatOfItsView) {
  const std::string pages[] = {
      "k&#305;rm&#305;z&#305; kitap abcdefghijklmnopqrstuvwxyz abcdefghijklmnopqrstuvwxyz",
      "G&uuml;zel &ccedil;ok <b>&#x131;</b> a",
      "plain english text &amp; &uuml",
      "&#305;",
  };
  for (const std::string& page : pages) {
    const std::vector<ByteKind> kinds = ClassifyMarkup(page);
    const DecodedView view(page, kinds);
    EXPECT_EQ(PageLanguage(page, kinds), PageLanguage(view.Text(), view.Kinds())) << page;
  }
}

}  // namespace
}  // namespace corvane::html
