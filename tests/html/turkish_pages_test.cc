// Turkish pages through the passes: the syllable rule for words no list
// holds, languages of pages and elements, words spelled with references.
#include <gtest/gtest.h>

#include <iterator>
#include <random>

#include "html/hyphenation_pass.h"
#include "html/toggles.h"

namespace corvane::html {
namespace {

class TurkishPagesTest : public ::testing::Test {
 protected:
  TurkishPagesTest() {
    engine.SetMark('_');
    words.AddMarked("ki_tap");
    words.AddMarked("keli_me");  // the list's own marks beat the rule
  }

  std::string Hyphenate(std::string_view page, Language language) {
    pass.SetLanguage(language);
    return pass.HyphenateDocument(page);
  }

  hyphenation::TCorvaneHyphenator engine;
  MapWordLookup words;
  HyphenationPass pass{engine, &words, nullptr};
};

TEST_F(TurkishPagesTest, TheRuleMarksWhatTheListLacks) {
  struct Case {
    std::string word, marked;
  };
  const Case cases[] = {
      {"H\xDD\xC7" "B\xDDR", "H\xDD\xC7&shy;B\xDDR"},  // HİÇBİR
      {"\xC7" "EV\xDDRMENLER\xDDNE", "\xC7" "E&shy;V\xDDR&shy;MEN&shy;LE&shy;R\xDD&shy;NE"},
      {"Irmak", "Ir&shy;mak"},
      {"Ankara'dan", "An&shy;ka&shy;ra'dan"},
      {"Ankara\x92" "dan", "An&shy;ka&shy;ra\x92" "dan"},  // ’ in code page 1254
      {"araba", "ara&shy;ba"},                              // 2 letters at either end
      {"kelime", "keli&shy;me"},                            // the list first
      {"kitapl\xFDk", "ki&shy;tap&shy;l\xFDk"},
      {"strst", "strst"},                                   // no vowel, no mark
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Hyphenate(c.word, Language::kTurkish), c.marked) << c.word;
    EXPECT_EQ(Hyphenate("<p lang=\"tr\">" + c.word + "</p>", Language::kAuto),
              "<p lang=\"tr\">" + c.marked + "</p>") << c.word;
  }
  // Digits and other non-letters go to the engine, as in English.
  for (const char* word : {"abc1def", "ver-iyor", "f\xFB\x8F" "tbol"}) {
    EXPECT_EQ(Hyphenate(word, Language::kTurkish), Hyphenate(word, Language::kEnglish)) << word;
  }
}

TEST_F(TurkishPagesTest, EachStretchByItsLanguage) {
  // "kelimeler" is not in the list: the rule gives ke-li-me-ler, the English
  // patterns something else.
  const std::string en_form = Hyphenate("kelimeler", Language::kEnglish);
  ASSERT_NE(en_form, "ke&shy;li&shy;me&shy;ler");
  EXPECT_EQ(Hyphenate("<html lang=tr><p>kelimeler <q lang=en>kelimeler</q></p>", Language::kAuto),
            "<html lang=tr><p>ke&shy;li&shy;me&shy;ler <q lang=en>" + en_form + "</q></p>");
  EXPECT_EQ(Hyphenate("<html lang=en><p>kelimeler <q lang=tr>kelimeler</q></p>", Language::kAuto),
            "<html lang=en><p>" + en_form + " <q lang=tr>ke&shy;li&shy;me&shy;ler</q></p>");
  EXPECT_EQ(pass.UniqueWordCount(), 2u);  // one word, two languages
  // Without lang, the page's letters decide.
  EXPECT_EQ(Hyphenate("kelimeler g\xFCzel", Language::kAuto), "ke&shy;li&shy;me&shy;ler g\xFC&shy;zel");
  EXPECT_EQ(Hyphenate("kelimeler guzel", Language::kAuto).substr(0, en_form.size()), en_form);
}

TEST_F(TurkishPagesTest, WordsSpelledWithReferences) {
  struct Case {
    std::string page, expected;
  };
  const Case cases[] = {
      {"G&uuml;zel", "G&uuml;&shy;zel"},
      {"k&#305;rm&#305;z&#305;", "k&#305;r&shy;m&#305;&shy;z&#305;"},
      {"k&#x131;rm&#X131;z&#00305;", "k&#x131;r&shy;m&#X131;&shy;z&#00305;"},
      {"&Idot;stanbul &#304;STANBUL", "&Idot;s&shy;tan&shy;bul &#304;S&shy;TAN&shy;BUL"},
      {"da&gbreve;&inodot;t&imath;rken", "da&shy;&gbreve;&inodot;&shy;t&imath;r&shy;ken"},
      {"ba&scedil;ar&#x0131; &Scedil;ehir", "ba&shy;&scedil;a&shy;r&#x0131; &Scedil;e&shy;hir"},
      {"kitapl&#305;k kitap", "ki&shy;tap&shy;l&#305;k ki&shy;tap"},  // one word, not kitap + l
      {"d&uuml nya AT&amp;T &#0252;mit k&#8217;z", "d&uuml nya AT&amp;T &#0252;mit k&#8217;z"},
      // Markup keeps its references as written.
      {"<a href=\"g&uuml;zel.html\" title=\"g&uuml;zel\">x</a><!-- g&uuml;zel -->"
       "<script>g&uuml;zel</script>http://g&uuml;zel.tr/ g&uuml;zel",
       "<a href=\"g&uuml;zel.html\" title=\"g&uuml;zel\">x</a><!-- g&uuml;zel -->"
       "<script>g&uuml;zel</script>http://g&uuml;zel.tr/ g&uuml;&shy;zel"},
      {"<title>kitap</title>kitap", "<title>kitap</title>ki&shy;tap"},
  };
  for (const Case& c : cases) {
    const std::string once = Hyphenate(c.page, Language::kTurkish);
    EXPECT_EQ(once, c.expected) << c.page;
    EXPECT_EQ(RemoveSoftHyphens(once), c.page);
    EXPECT_EQ(Hyphenate(RemoveSoftHyphens(once), Language::kTurkish), once);
  }
}

TEST_F(TurkishPagesTest, PagesFullOfReferencesGoBackByteForByte) {
  const std::string page =
      "<html><head><title>T&uuml;rk&ccedil;e</title></head><body>\r\n"
      "<p>&Ccedil;ocuklar&#305;n &ouml;&#x11F;retmenleri &#304;stanbul&#8217;da "
      "&amp; Ankara&#39;da; k&#305;rm&#305;z&#305;, ye&#x15F;il &amp;amp; mavi "
      "&#xFE;&#254;&thorn; &#&#; &#x; &uuml &#99999999999; &#x131&#x131;</p>\r\n"
      "<p lang=en>hyphenation &eacute;tude caf&eacute;s</p></body></html>\r\n";
  for (Language language : {Language::kAuto, Language::kTurkish, Language::kEnglish}) {
    const std::string once = Hyphenate(page, language);
    EXPECT_NE(once, page);
    EXPECT_EQ(RemoveSoftHyphens(once), page);
    EXPECT_EQ(Hyphenate(RemoveSoftHyphens(once), language), once);
  }
}

TEST_F(TurkishPagesTest, RandomPagesComeBackByteForByte) {
  const char* const kPieces[] = {"ka", "l\xFD", "tap", "e", "&uuml;", "&#305;", "&#x15F;", "&amp;",
                                 "&", ";", "#", "<b>", "</b>", "<p lang=tr>", "</p>", "<!--",
                                 "-->", " ", "'", "\x92", "_", "\r\n", "<pre>", "<", ">", "ler"};
  std::mt19937 rng(8);
  for (int page_number = 0; page_number < 300; ++page_number) {
    std::string page;
    for (int i = 0; i < 120; ++i) page += kPieces[rng() % std::size(kPieces)];
    for (Language language : {Language::kAuto, Language::kTurkish, Language::kEnglish}) {
      ASSERT_EQ(RemoveSoftHyphens(Hyphenate(page, language)), page);
    }
  }
}

TEST_F(TurkishPagesTest, SelectionStartsInTheLanguageOfTheWholeText) {
  const std::string en_form = Hyphenate("kelimeler", Language::kEnglish);
  const std::string text = "<div lang=\"tr\">one <b>kelimeler</b></div> kelimeler";
  const std::size_t start = text.find("kelimeler");
  pass.SetLanguage(Language::kAuto);
  const EditResult result =
      HyphenateSelection(pass, text, start, text.size() - start, SelectionCommand::kMenu);
  EXPECT_EQ(result.text,
            "<div lang=\"tr\">one <b>ke&shy;li&shy;me&shy;ler</b></div> " + en_form);
}

}  // namespace
}  // namespace corvane::html
