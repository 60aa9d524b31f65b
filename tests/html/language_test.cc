#include "html/language.h"

#include <gtest/gtest.h>

#include <random>

#include "html/decoded_view.h"
#include "html/markup.h"
#include "html/word_bytes.h"

namespace corvane::html {
namespace {

// One letter per word of the page's text: T Turkish, E English.
std::string WordLanguages(std::string_view page, Language setting = Language::kAuto) {
  const DecodedView view(page, ClassifyMarkup(page));
  const LanguageMap map =
      MapLanguages(view.Text(), view.Kinds(), LanguageScopesOfPage(view.Text(), view.Kinds(), setting));
  std::string out;
  const std::string_view text = view.Text();
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool starts_word = view.Kinds()[i] == ByteKind::kText && text[i] != ' ' &&
                             (i == 0 || view.Kinds()[i - 1] != ByteKind::kText || text[i - 1] == ' ');
    if (starts_word) out += map.At(i) == Language::kTurkish ? 'T' : 'E';
  }
  return out;
}

TEST(LanguageTest, ScopesFromTags) {
  struct Case {
    std::string page, languages;
  };
  const Case cases[] = {
      {"<html lang=\"tr\"><p>bir <span lang=\"en\">two</span> uc</p>", "TET"},
      {"<html lang=\"en\"><p>one <i lang=\"TR-tr\">iki</i> three", "ETE"},
      {"<p xml:lang='tr'>bir</p>two", "TE"},
      {"<p LANG=tr-TR>bir</P>two", "TE"},                      // names in any case
      {"<p lang=tr>bir <br lang=en> iki <img lang=\"en\"/> uc", "TTT"},  // void, "/>"
      {"<p lang=tr/>two", "E"},
      {"<p lang=tr>bir</b>iki</p>three", "TTE"},                // only its own name closes it
      {"<div lang=en>one <span lang=tr>bir</div> \xFE" "ey", "ETT"},  // closes later scopes too
      {"<div lang=tr>bir <div lang=en>two</div> three</div>", "TEE"},  // the next end tag closes
      {"one <b lang=tr>bir", "ET"},                             // open to the end
      {"<p lang=\"\">one</p>", "E"},
      {"<!-- <p lang=tr> --><script>x=\"<p lang=tr>\"</script>one", "E"},  // no tags there
      {"<p>lang=tr LANG=tr</p> <b>iki</b>", "EEE"},                       // text is no tag
  };
  for (const Case& c : cases) EXPECT_EQ(WordLanguages(c.page), c.languages) << c.page;
  EXPECT_EQ(WordLanguages("<p lang=en>one</p>", Language::kTurkish), "T");  // fixed settings
  EXPECT_EQ(WordLanguages("<p lang=tr>bir</p>", Language::kEnglish), "E");
}

TEST(LanguageTest, PageLanguageIsTurkishFromOnePercent) {
  const std::string a99(99, 'a');
  const std::string a100(100, 'a');
  struct Case {
    std::string page;
    Language expected;
  };
  const Case cases[] = {
      {a99 + "\xFE", Language::kTurkish},  // 1 of 100 letters
      {a100 + "\xFE", Language::kEnglish},  // 1 of 101
      {a99 + " &#351;", Language::kTurkish},  // a reference counts as its letter
      {a99 + " &scedil;", Language::kTurkish},
      {a99 + " 0123456789 _ \xFE", Language::kTurkish},  // digits are no letters
      {"<p title=\"\xFE\xFE\">" + a99 + "</p>", Language::kEnglish},  // markup is not counted
      {"<!-- \xFE -->" + a99, Language::kEnglish},
      {"", Language::kEnglish},
      {std::string(4950, 'a') + std::string(50, '\xFE'), Language::kTurkish},  // long pages too
      {std::string(4951, 'a') + std::string(50, '\xFE'), Language::kEnglish},
  };
  for (const Case& c : cases) {
    const DecodedView view(c.page, ClassifyMarkup(c.page));
    EXPECT_EQ(PageLanguage(view.Text(), view.Kinds()), c.expected) << c.page;
  }
}

// The count reads many bytes at a time: pages of every length around the
// 1 % edge, with letters, digits, other high bytes and markup mixed in,
// must come out as a byte-by-byte count says.
TEST(LanguageTest, PageLanguageAgreesWithAByteByByteCount) {
  std::mt19937 rng(7);
  const std::string alphabet = "aZq0_ @[`{\xFE\xE7\xDD\xE9\x80\xC0\xFF<>";
  for (int round = 0; round < 400; ++round) {
    std::string page;
    const std::size_t length = rng() % 90;
    for (std::size_t i = 0; i < length; ++i) page += alphabet[rng() % alphabet.size()];
    page += std::string(rng() % 3 == 0 ? 0 : rng() % 40, 'k');
    const std::vector<ByteKind> kinds = ClassifyMarkup(page);
    std::size_t letters = 0, turkish = 0;
    for (std::size_t i = 0; i < page.size(); ++i) {
      if (kinds[i] != ByteKind::kText) continue;
      letters += IsCodePageLetter(static_cast<uint8_t>(page[i]));
      turkish += IsTurkishSpecialLetter(static_cast<uint8_t>(page[i]));
    }
    const Language expected = letters > 0 && turkish * 100 >= letters ? Language::kTurkish : Language::kEnglish;
    EXPECT_EQ(PageLanguage(page, kinds), expected) << page;
  }
}

TEST(LanguageTest, StateAtAnOffsetOfTheWholePage) {
  const std::string page = "<body lang=en>one <div lang=tr>bir <b>iki</b></div> two";
  EXPECT_EQ(LanguageScopesAt(page, page.find("one"), Language::kAuto).Current(), Language::kEnglish);
  EXPECT_EQ(LanguageScopesAt(page, page.find("iki"), Language::kAuto).Current(), Language::kTurkish);
  EXPECT_EQ(LanguageScopesAt(page, page.find("two"), Language::kAuto).Current(), Language::kEnglish);
  EXPECT_EQ(LanguageScopesAt(page, page.find("iki"), Language::kEnglish).Current(), Language::kEnglish);
}

TEST(LanguageTest, DeepNestingStaysLinear) {
  std::string page;
  for (int i = 0; i < 100000; ++i) page += "<b lang=tr>";
  for (int i = 0; i < 100000; ++i) page += "<i lang=en>x</i>";
  EXPECT_EQ(WordLanguages(page).size(), 100000u);
}

}  // namespace
}  // namespace corvane::html
