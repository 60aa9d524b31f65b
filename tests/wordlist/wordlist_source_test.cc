// The word-list generator's helpers: what it accepts of the dictionary, which
// words and keys it makes of it, and the file it writes.
#include <algorithm>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "../../tools/make_wordlist_source.h"
#include "platform/codepage.h"
#include "platform/error.h"
#include "wordlist/import.h"
#include "wordlist/line_cipher.h"
#include "wordlist/list_file.h"
#include "hyphenation/turkish_syllabifier.h"

namespace corvane::wordlist_source {
namespace {

std::string Cp(std::string_view utf8) { return platform::Utf8ToCp1254(utf8).text; }
std::string Utf(std::string_view cp1254) { return platform::Cp1254ToUtf8(cp1254); }

constexpr std::string_view kHead = "SET UTF-8\nFLAG num\n";

TEST(AffixFileTest, ReadsPlainSuffixRules) {
  const auto suffixes = ParseAffixFile(
      "LANG tr_TR\nSET UTF-8\nTRY abc\nFLAG num\n\n"
      "SFX 0 N 1\nSFX 0 0 lar .\n\n"
      "SFX 2 Y 1\r\nSFX 2 0 0 .\r\n");
  ASSERT_EQ(suffixes.size(), 3u);
  EXPECT_EQ(suffixes[0], "lar");
  EXPECT_FALSE(suffixes[1].has_value());
  EXPECT_EQ(suffixes[2], "");  // "0" appends nothing
}

TEST(AffixFileTest, RejectsAnyOtherShape) {
  const struct {
    const char* what;
    std::string text;
  } cases[] = {
      {"prefix", std::string(kHead) + "PFX 0 N 1\nPFX 0 0 re .\n"},
      {"stripping", std::string(kHead) + "SFX 0 N 1\nSFX 0 k ğı .\n"},
      {"condition", std::string(kHead) + "SFX 0 N 1\nSFX 0 0 lar k\n"},
      {"continuation", std::string(kHead) + "SFX 0 N 1\nSFX 0 0 lar/1 .\n"},
      {"morphology", std::string(kHead) + "SFX 0 N 1\nSFX 0 0 lar . po:noun\n"},
      {"two rules", std::string(kHead) + "SFX 0 N 2\nSFX 0 0 lar .\nSFX 0 0 ler .\n"},
      {"no header", std::string(kHead) + "SFX 0 0 lar .\n"},
      {"no rule", std::string(kHead) + "SFX 0 N 1\n"},
      {"twice", std::string(kHead) + "SFX 0 N 1\nSFX 0 0 lar .\nSFX 0 N 1\nSFX 0 0 ler .\n"},
      {"letter flag", std::string(kHead) + "SFX A N 1\nSFX A 0 lar .\n"},
      {"huge flag", std::string(kHead) + "SFX 99999999 N 1\nSFX 99999999 0 lar .\n"},
      {"long flags", "SET UTF-8\nFLAG long\nSFX 0 N 1\nSFX 0 0 lar .\n"},
      {"other code page", "SET ISO8859-9\nFLAG num\nSFX 0 N 1\nSFX 0 0 lar .\n"},
      {"other directive", std::string(kHead) + "REP 1\nREP ı i\n"},
  };
  for (const auto& c : cases) {
    EXPECT_THROW(ParseAffixFile(c.text), Error) << c.what;
  }
}

std::string TestAffixes() {
  return std::string(kHead) +
         "SFX 0 N 1\nSFX 0 0 lar .\n"
         "SFX 1 N 1\nSFX 1 0 'da .\n"
         "SFX 2 N 1\nSFX 2 0 u .\n"
         "SFX 3 N 1\nSFX 3 0 ler .\n";
}

TEST(DictionaryTest, ExpandsEntriesIntoTurkishLowerCaseListWords) {
  const Dictionary d = ReadDictionary(TestAffixes(), "5\nkitap/0\nİzmir/1\nIğdır\nçocuk/0,2\nev/3\n");
  EXPECT_EQ(d.entries.size(), 5u);
  EXPECT_EQ(d.expanded_forms, 10u);
  std::multiset<std::string> words;
  d.ForEachListWord([&](const std::string& w, const auto&, std::string_view) { words.insert(Utf(w)); });
  // The proper noun keeps its stem but not its apostrophe form; "ev" is too
  // short, its plural is not.
  const std::multiset<std::string> expected = {"kitap", "kitaplar", "izmir",    "ığdır",
                                               "çocuk", "çocuklar", "çocuku", "evler"};
  EXPECT_EQ(words, expected);
}

TEST(DictionaryTest, RejectsWhatWouldLoseWordsSilently) {
  for (const char* dic : {"3\nkitap\nev\n", "1\nkitap/7\n", "1\nkitap/x\n", "1\nkitap/\n",
                          "1\nkitap/0,\n", "2\nkitap\n\nev\n", "kitap\n"}) {
    EXPECT_THROW(ReadDictionary(TestAffixes(), dic), Error) << dic;
  }
}

TEST(ListWordTest, KeepsWordsOfTurkishLettersThatFitTheTable) {
  const struct {
    const char* utf8;
    bool kept;
  } cases[] = {
      {"kitap", true},
      {"şoförlük", true},
      {"hâlâ", true},
      {"xwq", true},
      {"ev", false},
      {"abc1", false},
      {"kedi'ler", false},
      {"naïve", false},
      {"çay-ocağı", false},
      {"Kitap", false},                    // keys are made from lower case
      {"ababababababababababa", true},     // marked: 30 characters
      {"ababababababababababab", false},   // marked: 31
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsListWord(Cp(c.utf8)), c.kept) << c.utf8;
  }
  EXPECT_EQ(TurkishLower("IŞIK İçin"), Cp("ışık için"));
  EXPECT_FALSE(TurkishLower("ŉ").has_value());  // no byte in the code page
}

TEST(CapitalisedKeyTest, OnlyWhereTheLookupCannotFoldTheCapital) {
  const struct {
    const char* lower;
    const char* key;  // "" for none
  } cases[] = {
      {"çocuk", "Çocuk"}, {"ğxy", "Ğxy"},     {"istanbul", "İstanbul"}, {"ödev", "Ödev"},
      {"şubat", "Şubat"}, {"ürün", "Ürün"},   {"ığdır", ""},            {"ankara", ""},
      {"âdem", ""},       {"zaman", ""},
  };
  for (const auto& c : cases) {
    const auto key = CapitalisedKey(Cp(c.lower));
    EXPECT_EQ(key ? Utf(*key) : "", c.key) << c.lower;
  }
}

TEST(SuffixClassTest, FoldsTheSpellingsOfOneSuffixOnly) {
  const std::pair<const char*, const char*> same[] = {
      {"lar", "ler"}, {"dan", "ten"}, {"ya", "e"}, {"nın", "ün"}, {"sı", "i"}, {"çı", "cu"},
      {"ları", "leri"}};
  for (const auto& [a, b] : same) EXPECT_EQ(SuffixClass(Cp(a)), SuffixClass(Cp(b))) << a << " " << b;
  const std::pair<const char*, const char*> different[] = {
      {"lar", "dan"}, {"da", "dan"}, {"s", "ı"}, {"lar", "lık"}, {"ma", "mı"}};
  for (const auto& [a, b] : different) EXPECT_NE(SuffixClass(Cp(a)), SuffixClass(Cp(b))) << a << " " << b;
}

TEST(SplitOffStemTest, TiesInflectedEntriesToTheirStem) {
  const std::set<std::string> stems = {Cp("çubuk"), Cp("metin"), Cp("kitap"), Cp("ağaç"),
                                       Cp("kalem"), Cp("kalemlik"), Cp("burun")};
  const auto is_stem = [&](const std::string& s) { return stems.count(s) != 0; };
  const struct {
    const char* word;
    const char* stem;  // "" for none
    const char* suffix;
  } cases[] = {
      {"çubuğu", "çubuk", "u"},          {"metni", "metin", "i"},   {"kitabı", "kitap", "ı"},
      {"ağacı", "ağaç", "ı"},            {"burnu", "burun", "u"},   {"kalemler", "kalem", "ler"},
      {"kalemlikler", "kalemlik", "ler"},  // the longest stem wins
      {"kalem", "", ""},                   // a stem alone has no suffix to split off
      {"defter", "", ""},
  };
  for (const auto& c : cases) {
    const auto split = SplitOffStem(Cp(c.word), is_stem);
    EXPECT_EQ(split ? Utf(split->stem) : "", c.stem) << c.word;
    if (split) {
      EXPECT_EQ(Utf(split->suffix), c.suffix) << c.word;
    }
  }
}

TEST(RankScoreTest, MoreEvidenceRanksHigher) {
  Derivation base;
  base.stem_forms = 20;
  base.class_stems = 500;
  base.letters = 8;
  auto with = [&](auto change) {
    Derivation d = base;
    change(d);
    return RankScore(d, 1000, RankWeights{});
  };
  const double score = RankScore(base, 1000, RankWeights{});
  EXPECT_GT(with([](Derivation& d) { d.stem_forms = 200; }), score);
  EXPECT_GT(with([](Derivation& d) { d.frequent_forms = 3; }), score);
  EXPECT_GT(with([](Derivation& d) { d.class_stems = 1000; }), score);
  EXPECT_GT(with([](Derivation& d) { d.listed = true; }), score);
  EXPECT_LT(with([](Derivation& d) { d.letters = 14; }), score);
}

TEST(ListFileTextTest, SortedMarkedEncodedAndReproducible) {
  const std::vector<std::string> keys = {Cp("çocuk"), Cp("Çocuk"), Cp("dolap"), Cp("cam"),
                                         Cp("kitap"), Cp("kitaplar"), Cp("ılık"), Cp("ilik"),
                                         Cp("İlik"), Cp("ağaç")};
  const std::vector<std::string> order = {"ağaç", "cam", "çocuk", "Çocuk", "dolap",
                                          "ılık", "ilik", "İlik", "kitap", "kitaplar"};
  const std::string text = ListFileText(keys);
  std::vector<std::string> reversed(keys.rbegin(), keys.rend());
  EXPECT_EQ(ListFileText(reversed), text);  // input order and runs do not matter

  std::vector<std::string> decoded;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t end = text.find("\r\n", pos);
    ASSERT_NE(end, std::string::npos) << "every line ends with CR LF";
    const std::string line = text.substr(pos, end - pos);
    EXPECT_EQ(line.find('\n'), std::string::npos);
    decoded.push_back(wordlist::LineCipher::Decode(line, ""));
    pos = end + 2;
  }
  ASSERT_EQ(decoded.size(), order.size());
  for (std::size_t i = 0; i < order.size(); ++i) {
    EXPECT_EQ(Utf(decoded[i]), Utf(hyphenation::Syllabify(Cp(order[i])))) << i;
  }
}

class Collect : public wordlist::EntrySink {
 public:
  void Append(std::string_view plain, std::string_view marked) override {
    entries.emplace_back(Utf(plain), Utf(marked));
  }
  std::vector<std::pair<std::string, std::string>> entries;
};

// The file has to come back through the import exactly: no empty entry from
// the last line end, every byte of the Turkish letters intact, and the
// longest marked form uncut.
TEST(ListFileTextTest, TheImportReadsEveryEntryBack) {
  std::vector<std::string> keys;
  for (const char* w : {"ağaç", "Ağaç", "şöför", "Şöför", "ığdır", "hâlâ", "ababababababababababa"}) {
    keys.push_back(Cp(w));
  }
  // More than one batch of the import.
  for (int i = 0; i < 3000; ++i) {
    keys.push_back(std::string("kitap") + char('a' + i / 676) + char('a' + i / 26 % 26) + char('a' + i % 26));
  }
  Collect sink;
  wordlist::WordListImport import(
      std::make_unique<wordlist::ListFileReader>(wordlist::ListFileReader::FromText(ListFileText(keys))),
      sink);
  while (!import.ImportDone() && import.BatchReady()) import.ImportBatch();
  ASSERT_TRUE(import.ImportDone());
  ASSERT_EQ(sink.entries.size(), keys.size());
  std::sort(keys.begin(), keys.end(), [](const auto& a, const auto& b) { return CollationLess(a, b); });
  for (std::size_t i = 0; i < keys.size(); ++i) {
    EXPECT_EQ(sink.entries[i].first, Utf(keys[i])) << i;
    EXPECT_EQ(sink.entries[i].second, Utf(hyphenation::Syllabify(keys[i]))) << i;
  }
}

}  // namespace
}  // namespace corvane::wordlist_source
