// Colour names and the parsing of rule lists into tables.
#include "editor/color_rule.h"

#include <gtest/gtest.h>

#include "editor/colors.h"
#include "editor/draw_rules.h"

namespace corvane::editor {
namespace {

TEST(ColorFromName, ReadsNamesAndHtmlColours) {
  const struct {
    std::u16string_view text;
    TColor expected;
  } cases[] = {
      {u"gray", 0x808080},    {u" Fuchsia\t", 0xFF00FF}, {u"#00FF00", 0x00FF00},
      {u"#123456", 0x563412}, {u"#FF0000", 0x0000FF},    {u"$0000FF", 0xFF0000},
      {u"123456", 0x563412},  {u"nonsense", 0xFFFFFF},   {u"", 0xFFFFFF},
      {u"#123456789", 0xFFFFFF},  // more than 32 bits
      {u"#12345678", 0x785634},   // bits above 24 dropped
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ColorFromName(c.text), c.expected) << std::string(c.text.begin(), c.text.end());
  }
}

TEST(ColorRuleParse, KeywordTableHoldsTextIndexAndColour) {
  TColorRule rule;
  rule.SetKeyDrawingType(dtKeyShow);
  rule.SetKeywords({u"<TABLE>;maroon", u"  ", u"<b>", u";red", u"&nbsp;green", u"x;maroon"});
  EXPECT_EQ(rule.KeywordTable(), std::u16string(u"*<TABLE>*+\1*<B>*+\2*&NBSP*+\3*X*+\1*"));
  EXPECT_EQ(rule.ColorTable(), (std::vector<TColor>{clMaroon, clRed, clGreen}));

  rule.SetKeyCase(true);  // takes effect at the next parse
  EXPECT_TRUE(rule.PrepareRule());
  EXPECT_NE(rule.KeywordTable().find(u"<b>"), std::u16string::npos);
}

TEST(ColorRuleParse, TheFortySecondColourTakesThePreviousKeywordsIndex) {
  TColorRule rule;
  rule.SetKeyDrawingType(dtKeyShow);
  TStrings lines;
  for (int i = 0; i < 42; ++i) {
    const std::string line = "k" + std::to_string(i) + ";$" + std::to_string(i);
    lines.emplace_back(line.begin(), line.end());
  }
  rule.SetKeywords(lines);
  ASSERT_EQ(rule.ColorTable().size(), 41u);
  const std::u16string& table = rule.KeywordTable();
  EXPECT_EQ(table[table.size() - 2], char16_t{41});  // the 42nd keyword reuses index 41
}

TEST(ColorRuleParse, MarkerPairs) {
  TColorRule rule;
  TStrings lines = {u"<!--;-->;gray", u" <longmarker; end ", u"<;>"};
  rule.SetKeyBegEndLst(lines);
  const auto& pairs = rule.MarkerPairs();
  EXPECT_EQ(pairs[0].begin, u"<!--");
  EXPECT_EQ(pairs[0].end, u"-->");
  EXPECT_EQ(pairs[0].color, clGray);
  EXPECT_EQ(pairs[1].begin, u" <long");  // untrimmed, cut to six characters
  EXPECT_EQ(pairs[1].end, u" end ");
  EXPECT_EQ(pairs[2].color, clRed);  // DefKeyColor

  for (int i = 0; i < 41; ++i) lines.push_back(u"a;b");
  lines[1] = u";x";  // a slot that stays empty
  rule.SetKeyBegEndLst(lines);
  EXPECT_TRUE(pairs[1].begin.empty());
  EXPECT_EQ(pairs[39].begin, u"a");  // lines after the fortieth are ignored
}

TEST(ColorRuleParse, LineEndMarkers) {
  TColorRule rule;
  rule.SetKeyDrawingType(dtBeginLineEnd);
  rule.SetDefKeyColor(clBlue);
  rule.SetKeyLineEndLst({u";;green", u"//", u"rem;red", u";x"});
  const auto& pairs = rule.MarkerPairs();
  EXPECT_EQ(pairs[0].begin, u";");
  EXPECT_EQ(pairs[0].color, clGreen);
  EXPECT_EQ(pairs[1].begin, u"//");
  EXPECT_EQ(pairs[1].color, clBlue);
  EXPECT_EQ(pairs[2].begin, u"rem");
  EXPECT_EQ(pairs[2].color, clRed);
  EXPECT_EQ(pairs[3].begin, u";x");
  EXPECT_TRUE(pairs[3].end.empty());
}

TEST(DrawRules, ListsChangedInPlaceAreParsedEveryOtherRedraw) {
  TDrawRules rules;
  TColorRule& rule = rules.Add();
  rule.SetKeyDrawingType(dtKeyShow);
  rule.MutableKeywords().push_back(u"one");
  EXPECT_TRUE(rules.NeedsParse());
  rules.PrepareRules();
  EXPECT_FALSE(rules.NeedsParse());
  EXPECT_EQ(rule.KeywordTable(), std::u16string(u"*ONE*+\1*"));

  rule.MutableKeywords().push_back(u"two");
  rules.PrepareRules();  // skipped
  EXPECT_EQ(rule.KeywordTable(), std::u16string(u"*ONE*+\1*"));
  rules.PrepareRules();
  EXPECT_EQ(rule.KeywordTable(), std::u16string(u"*ONE*+\1*TWO*+\1*"));

  rule.MutableKeywords().clear();  // without content every redraw parses
  rules.PrepareRules();
  rules.PrepareRules();
  EXPECT_TRUE(rules.NeedsParse());
}

TEST(DrawRules, AssignCopiesRulesWithTheirTables) {
  TDrawRules copy;
  copy.Assign(MainWindowRules());
  ASSERT_EQ(copy.Count(), 5);
  EXPECT_EQ(copy[4].DefKeyColor(), clFuchsia);
  EXPECT_EQ(copy[4].ZOrder(), 3);
  EXPECT_EQ(copy[0].MarkerPairs()[0].begin, u"<!--");
  EXPECT_EQ(copy[1].KeywordTable(), std::u16string(u"*&NBSP*+\1*"));
  EXPECT_EQ(copy[1].ColorTable()[0], clGreen);

  DrawEventSource events;
  copy.SetEvents(&events);
  copy = TDrawRules();
  EXPECT_EQ(copy.Events(), &events) << "the editor's handler stays with its collection";
  EXPECT_EQ(TDrawRules(copy).Events(), nullptr);
}

}  // namespace
}  // namespace corvane::editor
