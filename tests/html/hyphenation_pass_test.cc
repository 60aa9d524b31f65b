#include "html/hyphenation_pass.h"

#include <gtest/gtest.h>

#include "html/toggles.h"
#include "html/tokenizer.h"
#include "html/unique_words.h"
#include "platform/error.h"

namespace corvane::html {
namespace {

// Records what a pass shows, in order.
class RecordingObserver : public PassObserver {
 public:
  void BeginBusy() override { log.push_back("busy"); }
  void EndBusy() override { log.push_back("idle"); }
  void SetStatusText(const std::string& text) override { log.push_back("status:" + text); }
  void Beep() override { log.push_back("beep"); }
  void ShowStatusWindow() override { log.push_back("show"); }
  void ResetStatistics() override { log.push_back("reset"); }
  void SetProgress(int percent) override { progress.push_back(percent); }
  void SetTotalWords(std::size_t n) override { total = n; }
  void SetUniqueWords(std::size_t n) override { unique = n; }
  void SetWordsHyphenated(std::size_t n) override { hyphenated = n; }
  void EnableDone() override { log.push_back("done-enabled"); }

  std::vector<std::string> log;
  std::vector<int> progress;
  std::size_t total = 0, unique = 0, hyphenated = 0;
};

class FailingLookup : public WordLookup {
 public:
  std::optional<std::string> Find(const std::string&) override { throw Error("lookup failed"); }
};

class HyphenationPassTest : public ::testing::Test {
 protected:
  HyphenationPassTest() {
    engine.SetMark('_');
    engine.SetExceptionList({"h_e_ll_os"});
    words.AddMarked("mer_ha_ba");
    words.AddMarked("d\xFCn_ya");
    words.AddMarked("ki_tap");
    words.AddMarked("bir");
    words.AddMarked("ki_tap_lar");
  }

  std::string Text(std::string_view input) { return pass.HyphenateText(input); }
  std::string Document(std::string_view input) { return pass.HyphenateDocument(input); }

  hyphenation::TCorvaneHyphenator engine;
  MapWordLookup words;
  RecordingObserver observer;
  HyphenationPass pass{engine, &words, &observer};
};

TEST_F(HyphenationPassTest, WorkedExampleOfTheTextPass) {
  EXPECT_EQ(Text("<p>Merhaba d\xFCnya, bu bir kitap.</p>"),
            "<p>Mer&shy;ha&shy;ba d\xFCn&shy;ya, bu bir ki&shy;tap.</p>");
  EXPECT_EQ(observer.total, 5u);
  EXPECT_EQ(observer.unique, 4u);
  EXPECT_EQ(observer.hyphenated, 3u);
  EXPECT_EQ(observer.progress, (std::vector<int>{25, 50, 75, 100}));
  EXPECT_EQ(observer.log, (std::vector<std::string>{"busy", "reset", "done-enabled", "idle"}));
}

TEST_F(HyphenationPassTest, DocumentPassReportsInTheStatusBar) {
  EXPECT_EQ(Document("<p>Merhaba d\xFCnya,\r\nbu bir kitap.</p>\r\n"),
            "<p>Mer&shy;ha&shy;ba d\xFCn&shy;ya,\r\nbu bir ki&shy;tap.</p>\r\n");
  EXPECT_EQ(observer.log, (std::vector<std::string>{"busy", "status:Unique Words 4", "beep",
                                                    "status:Done", "idle"}));
  EXPECT_TRUE(observer.progress.empty());
}

TEST_F(HyphenationPassTest, CollectingWords) {
  struct Case {
    std::string input;
    std::size_t total, unique;
  };
  const Case cases[] = {
      {"<p><br/></p>", 0, 0},                       // only tags
      {"Merhaba, d\xFCnya.", 2, 2},
      {"(Merhaba)", 1, 1},
      {"a bc de kitap", 4, 1},                      // words under 3 bytes are not looked up
      {"kitap kitap Kitap kitap kitap", 5, 2},      // Kitap and kitap are two entries
      {"bir kitap.", 2, 2},                         // the last word too
      {"(word).", 1, 1},                            // one byte off each end: "word)"
      {"x\ty\rz\nw . ! ?", 4, 0},                    // tabs and line breaks separate words
      {"<b>bold</b>er", 2, 1},                      // tags split text runs
  };
  for (const Case& c : cases) {
    Text(c.input);
    EXPECT_EQ(observer.total, c.total) << c.input;
    EXPECT_EQ(observer.unique, c.unique) << c.input;
  }
}

TEST_F(HyphenationPassTest, ReplacementRules) {
  struct Case {
    std::string input, expected;
  };
  const Case cases[] = {
      // Every occurrence, each with its own capitals.
      {"kitap Kitap KITAP", "ki&shy;tap Ki&shy;tap KI&shy;TAP"},
      // Never inside a longer word, whatever comes first.
      {"kitap kitaplar", "ki&shy;tap ki&shy;tap&shy;lar"},
      // The document's own underscores and placeholders stay.
      {"+123- ki_tap kitap_ kitap", "+123- ki_tap kitap_ ki&shy;tap"},
      // Markup: attributes, comments, raw elements, addresses, references.
      {"<a title=\"kitap\">kitap</a>", "<a title=\"kitap\">ki&shy;tap</a>"},
      {"<!-- kitap --> kitap", "<!-- kitap --> ki&shy;tap"},
      {"<pre>kitap</pre><code>kitap</code><script>kitap</script>kitap",
       "<pre>kitap</pre><code>kitap</code><script>kitap</script>ki&shy;tap"},
      {"www.kitap.com kitap@x.org http://kitap kitap", "www.kitap.com kitap@x.org http://kitap ki&shy;tap"},
      {"&kitap; kitap", "&kitap; ki&shy;tap"},
      // A carriage return ends a word like a space.
      {"kitap\r\nkitap.\r\n", "ki&shy;tap\r\nki&shy;tap.\r\n"},
  };
  for (const Case& c : cases) EXPECT_EQ(Text(c.input), c.expected) << c.input;
}

// Each element whose content is never hyphenated, by name and whatever its
// attributes hold.
TEST_F(HyphenationPassTest, RawElementsAndAttributesStayAsTheyAre) {
  for (const std::string name : {"title", "script", "style", "textarea", "pre", "code", "kbd", "samp",
                                 "xmp", "iframe", "noembed", "noframes", "noscript", "TextArea"}) {
    const std::string inside = "<" + name + " title=\"<b>\">kitap <b>kitap</b> kitap</" + name + ">";
    EXPECT_EQ(Document(inside + "kitap"), inside + "ki&shy;tap") << name;
  }
  EXPECT_EQ(Document("<plaintext>kitap</plaintext> kitap"), "<plaintext>kitap</plaintext> kitap");
  const std::string tag = "<p title=\"<b>kitap</b>\" onclick=\"alert('kitap')\">";
  EXPECT_EQ(Document(tag + "kitap</p>"), tag + "ki&shy;tap</p>");
  EXPECT_EQ(observer.log[observer.log.size() - 4], "status:Unique Words 1");
}

TEST_F(HyphenationPassTest, StoredFormsAreTrustedOnlyWhenTheySpellTheKey) {
  words.Add("merhaba", "mer_ha");         // stored cut short
  words.Add("hyphenation", "hyp_hena_tionx");  // damaged
  EXPECT_EQ(Text("merhaba hyphenation"), "mer&shy;haba hy&shy;phen&shy;ation");
}

TEST_F(HyphenationPassTest, LongWordsAreHyphenatedWhole) {
  const std::string word = "internationalizationinternationalizationinternationalization";
  const std::string out = Text(word);
  EXPECT_EQ(RemoveSoftHyphens(out), word);
  EXPECT_GT(out.size(), word.size() + 20);
}

TEST_F(HyphenationPassTest, TextPassLeavesUnmarkedWordsAndCountsOccurrences) {
  EXPECT_EQ(Text("bir bir bir table"), "bir bir bir table");
  EXPECT_EQ(observer.hyphenated, 0u);
  Text("kitap kitap kitap kitap kitap");
  EXPECT_EQ(observer.hyphenated, 5u);
}

TEST_F(HyphenationPassTest, EveryDistinctWordOfALongDocument) {
  // 12,000 distinct words "ki" + 6 consonants + "tap": all get their marks.
  pass.SetLanguage(Language::kTurkish);
  std::string input;
  for (int i = 0; i < 12000; ++i) {
    std::string word = "ki";
    for (int n = i, k = 0; k < 6; ++k, n /= 6) word += "bdkmst"[n % 6];
    input += word + "tap ";
  }
  const std::string out = Text(input);
  EXPECT_EQ(observer.unique, 12000u);
  EXPECT_EQ(observer.hyphenated, 12000u);
  EXPECT_EQ(RemoveSoftHyphens(out), input);
}

// Handed on in pieces, the result is the same bytes, however many blocks
// it fills and whichever pass made it.
TEST_F(HyphenationPassTest, ResultInPiecesIsTheWholeResult) {
  std::string page = "<p>" + std::string(70000, 'x') + " ";
  while (page.size() < 300000) page += "representation and <b>concatenation</b> of documentation\n";
  const auto joined = [&](auto run) {
    std::string out;
    run([&](std::string_view piece) { out.append(piece); });
    return out;
  };
  EXPECT_EQ(joined([&](const auto& sink) { pass.HyphenateDocument(page, sink); }), pass.HyphenateDocument(page));
  EXPECT_EQ(joined([&](const auto& sink) { pass.HyphenateText(page, sink); }), pass.HyphenateText(page));
}

TEST_F(HyphenationPassTest, HyphenatingAgainGivesTheSameDocument) {
  const std::string page =
      "<html><body><p>Merhaba d\xFCnya, representation and concatenation of\n"
      "internationalization. <a href=\"x.html\">documentation</a></p></body></html>\n";
  const std::string once = Document(page);
  EXPECT_NE(once, page);
  EXPECT_EQ(Document(RemoveSoftHyphens(once)), once);
  EXPECT_EQ(RemoveSoftHyphens(once), page);
}

TEST_F(HyphenationPassTest, LookupErrorsEndThePass) {
  FailingLookup failing;
  HyphenationPass failing_pass(engine, &failing, &observer);
  EXPECT_THROW(failing_pass.HyphenateText("kitap"), Error);
  EXPECT_EQ(observer.log.back(), "idle");  // the busy cursor is restored
}

TEST(ProgressPercentTest, RoundsHalvesToEven) {
  EXPECT_EQ(ProgressPercent(1, 8), 12);   // 12.5
  EXPECT_EQ(ProgressPercent(3, 8), 38);   // 37.5
  EXPECT_EQ(ProgressPercent(1, 3), 33);
  EXPECT_EQ(ProgressPercent(2, 3), 67);
  EXPECT_EQ(ProgressPercent(1, 200), 0);  // 0.5
  EXPECT_EQ(ProgressPercent(3, 200), 2);  // 1.5
  EXPECT_EQ(ProgressPercent(5, 5), 100);
}

TEST(JoinEditorLinesTest, EveryBreakBecomesOneLineFeed) {
  std::string text = "a\nb\r\nc\rd\r";
  JoinEditorLines(text);
  EXPECT_EQ(text, "a\nb \nc\nd\n");
}

// Reading the document as separate lines and as one joined line must give the
// same words, tags spanning line breaks included.
TEST(JoinEditorLinesTest, SameWordsAsLineByLine) {
  const std::string documents[] = {
      "ab<\r\ncd>ef\r\ngh", "\n\nab\n\ncd\n", "x<a\nhref=y>z w\r\n<b\rc>d", "a &amp;\nb &#65\nc",
      "<p>Merhaba\r\nd\xFCnya</p>\r\n",
  };
  for (const std::string& doc : documents) {
    THTMLParser by_lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= doc.size(); ++i) {
      if (i < doc.size() && doc[i] != '\r' && doc[i] != '\n') continue;
      if (i < doc.size() || start < doc.size()) by_lines.Lines().push_back(doc.substr(start, i - start));
      if (i + 1 < doc.size() && doc[i] == '\r' && doc[i + 1] == '\n') ++i;
      start = i + 1;
    }
    UniqueWords expected;
    by_lines.ParseTexts([&](std::string_view run, std::size_t) { expected.AddText(run); });

    THTMLParser joined;
    std::string text = doc;
    JoinEditorLines(text);
    joined.Lines().push_back(text);
    UniqueWords actual;
    joined.ParseTexts([&](std::string_view run, std::size_t) { actual.AddText(run); });
    EXPECT_EQ(actual.words(), expected.words()) << doc;
    EXPECT_EQ(actual.total_words(), expected.total_words()) << doc;
  }
}

}  // namespace
}  // namespace corvane::html
