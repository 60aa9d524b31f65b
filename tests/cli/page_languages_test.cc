// Pages whose stretches are in other languages: each element's lang chooses
// the installed patterns that break its words. German and French come from
// the system's hyphen-de and hyphen-fr packages (skipped when missing); the
// rest from a made-up set.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/cli.h"
#include "ebook/epub_book.h"
#include "support/scratch_dir.h"
#include "support/zip_maker.h"

namespace corvane::cli {
namespace {

namespace fs = std::filesystem;

struct PageRun {
  int status;
  std::string out, err;
};

PageRun Hyphenate(std::vector<std::string> args, const std::string& page) {
  args.insert(args.begin(), "hyphenate");
  args.push_back("--no-wordlist");
  std::istringstream in(page);
  std::ostringstream out, err;
  const int status = RunCli(args, in, out, err);
  return {status, out.str(), err.str()};
}

bool GermanAndFrenchInstalled() {
  return fs::exists("/usr/share/hyphen/hyph_de_DE.dic") && fs::exists("/usr/share/hyphen/hyph_fr.dic");
}

// Unhyphenating gives the page back, and hyphenating the result again
// changes nothing.
void ExpectStable(const std::vector<std::string>& args, const std::string& page, const std::string& result) {
  std::vector<std::string> undo = args;
  undo.push_back("--mode=unhyphenate");
  EXPECT_EQ(Hyphenate(undo, result).out, page);
  EXPECT_EQ(Hyphenate(args, result).out, result);
}

TEST(PageLanguagesTest, EachStretchTakesItsOwnLanguage) {
  if (!GermanAndFrenchInstalled()) GTEST_SKIP() << "hyphen-de and hyphen-fr are not installed";
  struct Case {
    std::vector<std::string> args;
    std::string page, expected;
  };
  const Case cases[] = {
      // One paragraph per language; the tag's case does not matter, xml:lang counts.
      {{},
       "<div lang=\"DE-de\"><p>Silbentrennung <span lang=\"en\">hyphenation</span> "
       "<i xml:lang=\"fr\">anticonstitutionnellement</i> \xC3\x84rger</p></div>",
       "<div lang=\"DE-de\"><p>Sil&shy;ben&shy;tren&shy;nung <span lang=\"en\">hy&shy;phen&shy;ation</span> "
       "<i xml:lang=\"fr\">an&shy;ti&shy;cons&shy;ti&shy;tu&shy;tion&shy;nel&shy;le&shy;ment</i> "
       "\xC3\x84r&shy;ger</p></div>"},
      // Punctuation at either end is no part of a word; compounds part by part.
      {{},
       "<p lang=\"de\">(Silbentrennung), \xE2\x80\x9E" "Donaudampfschifffahrts-Kapit\xC3\xA4nsm\xC3\xBCtze\xE2\x80\x9C</p>",
       "<p lang=\"de\">(Sil&shy;ben&shy;tren&shy;nung), \xE2\x80\x9E"
       "Do&shy;nau&shy;dampf&shy;schiff&shy;fahrts-Ka&shy;pi&shy;t\xC3\xA4ns&shy;m\xC3\xBCt&shy;ze\xE2\x80\x9C</p>"},
      // Excluded elements keep their words whole in every language.
      {{},
       "<p lang=\"de\" class=\"donthyphenate\">Silbentrennung</p>"
       "<p lang=\"de\"><span translate=\"no\">Silbentrennung</span> Silbentrennung</p>",
       "<p lang=\"de\" class=\"donthyphenate\">Silbentrennung</p>"
       "<p lang=\"de\"><span translate=\"no\">Silbentrennung</span> Sil&shy;ben&shy;tren&shy;nung</p>"},
      // One language forced over the page's own tags.
      {{"--language=de-DE"}, "<p lang=\"tr\">Silbentrennung</p>",
       "<p lang=\"tr\">Sil&shy;ben&shy;tren&shy;nung</p>"},
      // The default language serves an untagged page the Turkish letters do not claim.
      {{"--default-language", "de"}, "<p>Silbentrennung</p>", "<p>Sil&shy;ben&shy;tren&shy;nung</p>"},
      {{"--default-language", "de"}, "<p>Kitaplar g\xC3\xBCzeldir</p>",
       "<p>Ki&shy;tap&shy;lar g\xC3\xBC&shy;zel&shy;dir</p>"},
      // XML readers know no &shy;.
      {{},
       "<?xml version=\"1.0\" encoding=\"utf-8\"?><html xmlns=\"http://www.w3.org/1999/xhtml\">"
       "<p xml:lang=\"de\">Silbentrennung</p></html>",
       "<?xml version=\"1.0\" encoding=\"utf-8\"?><html xmlns=\"http://www.w3.org/1999/xhtml\">"
       "<p xml:lang=\"de\">Sil\xC2\xAD" "ben\xC2\xAD" "tren\xC2\xAD" "nung</p></html>"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.page);
    const PageRun r = Hyphenate(c.args, c.page);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, c.expected);
    ExpectStable(c.args, c.page, r.out);
  }
}

TEST(PageLanguagesTest, ClassicKeepsTheOldEnglishPathByteForByte) {
  // What --language=en always gave: English patterns everywhere, tags ignored.
  const std::string page =
      "<p lang=\"de\">Silbentrennung \xE2\x80\x9E" "Donaudampfschifffahrts-Kapit\xC3\xA4nsm\xC3\xBCtze\xE2\x80\x9C</p>"
      "<p lang=\"tr\">kitaplar</p><p>hyphenation</p>";
  const std::string expected =
      "<p lang=\"de\">Sil&shy;ben&shy;tren&shy;nung \xE2\x80\x9E" "Donaudampfschifffahrts-Kapit\xC3\xA4nsm\xC3\xBCtze\xE2\x80\x9C</p>"
      "<p lang=\"tr\">ki&shy;ta&shy;plar</p><p>hy&shy;phen&shy;ation</p>";
  EXPECT_EQ(Hyphenate({"--classic"}, page).out, expected);
  EXPECT_EQ(Hyphenate({"--language=de", "--classic"}, page).out, expected);
  EXPECT_EQ(Hyphenate({"--language=en", "--classic"}, page).out, expected);
  // English without --classic reads Unicode words: quotes trimmed, compounds
  // part by part, the Turkish word list never asked.
  EXPECT_EQ(Hyphenate({"--language=en"}, page).out,
            "<p lang=\"de\">Sil&shy;ben&shy;tren&shy;nung \xE2\x80\x9E"
            "Donau&shy;dampf&shy;schiff&shy;fahrts-Kapit\xC3\xA4ns&shy;m\xC3\xBCtze\xE2\x80\x9C</p>"
            "<p lang=\"tr\">ki&shy;ta&shy;plar</p><p>hy&shy;phen&shy;ation</p>");
}

TEST(PageLanguagesTest, TurkishLettersDecideTheUntaggedPageInEveryEncoding) {
  // The 1 % rule is read from the page's own bytes when the classic pass may
  // be skipped: a Turkish letter as UTF-8, a reference or a code page byte
  // counts alike, and one among many English letters leaves the page English.
  std::string english;
  for (int i = 0; i < 10; ++i) english += "hyphenation ";
  std::string marked_english;
  for (int i = 0; i < 10; ++i) marked_english += "hy&shy;phen&shy;ation ";
  const std::string letters[] = {"\xC3\xBC", "&uuml;", "\xFC"};
  for (const std::string& u : letters) {
    SCOPED_TRACE(u);
    EXPECT_EQ(Hyphenate({}, "<p>g" + u + "zel kitaplar</p>").out, "<p>g" + u + "&shy;zel ki&shy;tap&shy;lar</p>");
    EXPECT_EQ(Hyphenate({}, "<p>" + english + "Z" + u + "rich kitaplar</p>").out,
              "<p>" + marked_english + "Z" + u + "rich ki&shy;ta&shy;plar</p>");
  }
}

class MadeUpLanguageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = test_support::FreshScratchDirForTest("cli_page_languages");
    // Breaks before every b, d and g.
    std::ofstream(dir_ / "hyph-qq.pat.txt") << "1b 1d 1g\n";
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::vector<std::string> With(std::vector<std::string> args) const {
    args.push_back("--patterns-dir=" + dir_.string());
    return args;
  }
  fs::path dir_;
};

TEST_F(MadeUpLanguageTest, MinimumsLengthsAndLegacyBytes) {
  struct Case {
    std::vector<std::string> args;
    std::string page, expected;
  };
  const Case cases[] = {
      {{}, "<p lang=\"qq\">abadaga</p>", "<p lang=\"qq\">aba&shy;da&shy;ga</p>"},
      {{"--left-min", "1", "--right-min", "3"}, "<p lang=\"qq\">abadaga</p>", "<p lang=\"qq\">a&shy;ba&shy;daga</p>"},
      {{"--min-word-length", "8"}, "<p lang=\"qq\">abadaga abadagab</p>",
       "<p lang=\"qq\">abadaga aba&shy;da&shy;gab</p>"},
      // A code page page keeps its bytes; a letter reference is its letter,
      // never cut.
      {{}, "<p lang=\"qq\">\xFE" "abadaga ab&auml;daga ab&auml;&#98;a</p>",
       "<p lang=\"qq\">\xFE" "a&shy;ba&shy;da&shy;ga ab&auml;&shy;da&shy;ga ab&auml;&shy;&#98;a</p>"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.page);
    const PageRun r = Hyphenate(With(c.args), c.page);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, c.expected);
    ExpectStable(With(c.args), c.page, r.out);
  }
}

TEST_F(MadeUpLanguageTest, IdentifiersStayWholeAndTheUsersOwnWordsWin) {
  std::ofstream(dir_ / "mine.txt") << "rep_resen_tation\nab_adaga\n";
  const std::string mine = "--dictionary=" + (dir_ / "mine.txt").string();
  struct Case {
    std::vector<std::string> args;
    std::string page, expected;
  };
  const Case cases[] = {
      // Letters beside "_" or a digit belong to a name or a code.
      {{}, "<p>B_MARGIN _representation representation_ mp3player utf8 representation</p>",
       "<p>B_MARGIN _representation representation_ mp3player utf8 rep&shy;re&shy;sen&shy;ta&shy;tion</p>"},
      {{}, "<p lang=\"qq\">abadaga_abadaga abadaga2</p>", "<p lang=\"qq\">abadaga_abadaga abadaga2</p>"},
      // The user's marks before any language's patterns, in any case, part by part.
      {{mine}, "<p>Representation</p><p lang=\"qq\">ABADAGA abadaga-abadaga abadag</p>",
       "<p>Rep&shy;resen&shy;tation</p><p lang=\"qq\">AB&shy;ADAGA ab&shy;adaga-ab&shy;adaga aba&shy;dag</p>"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.page);
    const PageRun r = Hyphenate(With(c.args), c.page);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, c.expected);
    ExpectStable(With(c.args), c.page, r.out);
  }
}

TEST_F(MadeUpLanguageTest, LanguagesWithoutPatternsAreLeftAndWarnedOnce) {
  const std::string page = "<p lang=\"xx\">abadaga</p><p lang=\"XX\">abadaga</p><p lang=\"qq\">abadaga</p>";
  const PageRun r = Hyphenate(With({"--stats"}), page);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "<p lang=\"xx\">abadaga</p><p lang=\"XX\">abadaga</p><p lang=\"qq\">aba&shy;da&shy;ga</p>");
  const std::string warning = "no hyphenation patterns are installed for the language 'xx'";
  EXPECT_NE(r.err.find(warning), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find(warning), r.err.rfind(warning)) << r.err;
  EXPECT_NE(r.err.find("Words Without Patterns : 2"), std::string::npos) << r.err;
  // A page's tag reaches the terminal without its control characters.
  const PageRun escape = Hyphenate(With({}), "<p lang=\"\x1b]0;x\x07\">abadaga</p>");
  EXPECT_NE(escape.err.find("'?]0;x?'"), std::string::npos) << escape.err;
}

TEST_F(MadeUpLanguageTest, BooksTextOutsideEveryTagIsInTheBooksLanguage) {
  const std::string book = (dir_ / "in.epub").string(), out = (dir_ / "out.epub").string();
  test_support::MakeZip(
      book, {{"mimetype", "application/epub+zip", true},
             {"META-INF/container.xml",
              "<?xml version=\"1.0\"?><container version=\"1.0\" "
              "xmlns=\"urn:oasis:names:tc:opendocument:xmlns:container\"><rootfiles><rootfile "
              "full-path=\"a.opf\" media-type=\"application/oebps-package+xml\"/></rootfiles></container>"},
             {"a.opf",
              "<?xml version=\"1.0\"?><package xmlns=\"http://www.idpf.org/2007/opf\" version=\"3.0\" "
              "unique-identifier=\"id\"><metadata xmlns:dc=\"http://purl.org/dc/elements/1.1/\"><dc:identifier "
              "id=\"id\">x</dc:identifier><dc:title>T</dc:title><dc:language>qq</dc:language></metadata><manifest>"
              "<item id=\"a\" href=\"a.xhtml\" media-type=\"application/xhtml+xml\"/></manifest><spine>"
              "<itemref idref=\"a\"/></spine></package>"},
             {"a.xhtml",
              "<?xml version=\"1.0\" encoding=\"utf-8\"?><html xmlns=\"http://www.w3.org/1999/xhtml\"><body>"
              "<p>abadaga</p><p xml:lang=\"en\">hyphenation</p></body></html>"}});
  const PageRun r = Hyphenate(With({book, "-o", out}), "");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(ebook::Book(out).ReadDocument(0).find("<p>aba\u00ADda\u00ADga</p><p xml:lang=\"en\">hy\u00ADphen\u00ADation</p>"),
            std::string::npos);
}

}  // namespace
}  // namespace corvane::cli
