#include "html/toggles.h"

#include <gtest/gtest.h>

namespace corvane::html {
namespace {

class ShowCounter : public PassObserver {
 public:
  void ShowStatusWindow() override { ++shown; }
  void SetTotalWords(std::size_t n) override { total = n; }
  int shown = 0;
  std::size_t total = 99;
};

class TogglesTest : public ::testing::Test {
 protected:
  TogglesTest() {
    engine.SetMark('_');
    words.AddMarked("ki_tap");
    words.AddMarked("mer_ha_ba");
  }
  EditResult Select(std::string_view text, std::size_t start, std::size_t length,
                    SelectionCommand command = SelectionCommand::kMenu) {
    return HyphenateSelection(pass, text, start, length, command, &observer);
  }

  hyphenation::TCorvaneHyphenator engine;
  MapWordLookup words;
  ShowCounter observer;
  HyphenationPass pass{engine, &words, &observer};
};

// Only the spellings browsers read as a soft hyphen count; the character
// itself only where the page is UTF-8.
TEST(SoftHyphensTest, WhatCountsAndWhatIsRemoved) {
  struct Case {
    std::string_view text, removed, removed_in_utf8;
  };
  const Case cases[] = {
      {"a&shy;b&#173;c&#xad;d&#XAD;e&#x0Ad;f&#000173;g", "abcdefg", "abcdefg"},
      {"&SHY;&Shy;&shy &#173 &#1730; &#x0ad0; &amp;shy; &#;&#x;", "&SHY;&Shy;&shy &#173 &#1730; &#x0ad0; &amp;shy; &#;&#x;",
       "&SHY;&Shy;&shy &#173 &#1730; &#x0ad0; &amp;shy; &#;&#x;"},
      {"&&shy;;ki\xADtap", "&;ki\xADtap", "&;kitap"},
      {"\xAD", "\xAD", ""},
      {"", "", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RemoveSoftHyphens(c.text, SoftHyphenCharacter::kIgnored), c.removed) << c.text;
    EXPECT_EQ(RemoveSoftHyphens(c.text, SoftHyphenCharacter::kCounted), c.removed_in_utf8) << c.text;
    EXPECT_EQ(ContainsSoftHyphen(c.text, SoftHyphenCharacter::kIgnored), c.removed != c.text) << c.text;
    EXPECT_EQ(ContainsSoftHyphen(c.text, SoftHyphenCharacter::kCounted), c.removed_in_utf8 != c.text) << c.text;
  }
}

TEST_F(TogglesTest, HyphenateAllToggles) {
  EXPECT_EQ(HyphenateAll(pass, "kitap kitap").text, "ki&shy;tap ki&shy;tap");
  // One soft hyphen anywhere, in any spelling: all of them go, nothing else.
  EXPECT_EQ(HyphenateAll(pass, "kitap ki&#173;tap ki&SHY;tap").text, "kitap kitap ki&SHY;tap");
  EXPECT_EQ(HyphenateAll(pass, "ki\xADtap kitap", SoftHyphenCharacter::kCounted).text, "kitap kitap");
  // "&SHY;" is no soft hyphen: hyphenated, and it stays.
  EXPECT_EQ(HyphenateAll(pass, "kitap ki&SHY;tap").text, "ki&shy;tap ki&SHY;tap");
}

TEST_F(TogglesTest, SelectionToggles) {
  const std::string text = "bir kitap bir kitap";
  EditResult r = Select(text, 4, 5);
  EXPECT_EQ(r.text, "bir ki&shy;tap bir kitap");
  EXPECT_EQ(r.caret, 14u);
  // Running it again on the new selection removes; once more restores.
  r = Select(r.text, 4, 10);
  EXPECT_EQ(r.text, text);
  EXPECT_EQ(r.caret, 9u);
  EXPECT_EQ(Select(r.text, 4, 5).text, "bir ki&shy;tap bir kitap");
}

TEST_F(TogglesTest, SelectionEdgeCases) {
  // Empty selection: the text pass runs on nothing and nothing changes.
  EditResult r = Select("kitap", 2, 0, SelectionCommand::kToolbar);
  EXPECT_EQ(r.text, "kitap");
  EXPECT_EQ(r.caret, 2u);
  EXPECT_EQ(observer.total, 0u);
  EXPECT_EQ(observer.shown, 1);
  // A partly hyphenated selection is only unhyphenated.
  EXPECT_EQ(Select("ki&shy;tap kitap", 0, 16).text, "kitap kitap");
  // The soft hyphen byte is removed only from UTF-8 text.
  EXPECT_EQ(Select("a&shy;b&#173;c\xAD" "d", 0, 14).text, "abc\xAD" "d");
  EXPECT_EQ(HyphenateSelection(pass, "a\xAD" "b", 0, 3, SelectionCommand::kMenu, nullptr,
                               SoftHyphenCharacter::kCounted).text, "ab");
  // A selection past the end is clamped.
  EXPECT_EQ(Select("kitap", 0, 100).text, "ki&shy;tap");
  // The menu command does not show the status window.
  EXPECT_EQ(observer.shown, 1);
}

TEST_F(TogglesTest, SelectionStartingInsideATag) {
  // The rest of the tag and the first word after ">" form one word, which the
  // text does not hold; later words are hyphenated.
  const std::string text = "<a href=\"x\">merhaba kitap</a>";
  const EditResult r = Select(text, 3, 22);
  EXPECT_EQ(r.text, "<a href=\"x\">merhaba ki&shy;tap</a>");
}

}  // namespace
}  // namespace corvane::html
