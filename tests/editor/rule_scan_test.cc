// Scanning text against single rules: which spans each drawing type finds.
#include <gtest/gtest.h>

#include "editor/color_rule.h"

namespace corvane::editor {
namespace {

struct Span {
  int32_t start, end;
  TColor color;
  bool operator==(const Span&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Span& s) {
  return os << "{" << s.start << "," << s.end << "," << std::hex << s.color << std::dec << "}";
}

std::vector<Span> Scan(TColorRule& rule, std::u16string_view text, int32_t scan_start = 0,
                       DrawEventSource* events = nullptr) {
  rule.PrepareRule();
  SpanList spans;
  rule.ScanRule(text, scan_start, spans, events);
  std::vector<Span> out;
  for (const TKeyDescr& d : spans.Items()) out.push_back({d.StartPos, d.EndPos, d.Color});
  return out;
}

TColorRule Keywords(TStrings keywords, bool key_case = false, bool part_word = false) {
  TColorRule rule;
  rule.SetKeyDrawingType(dtKeyShow);
  rule.SetKeyCase(key_case);
  rule.SetPartWord(part_word);
  rule.SetKeywords(keywords);
  return rule;
}

TEST(ScanRule, KeywordsMatchWholeWordsByTheLetterRule) {
  const struct {
    const char* what;
    TColorRule rule;
    std::u16string text;
    std::vector<Span> expected;
  } cases[] = {
      {"attribute after a blank", Keywords({u"COLOR"}), u"<FONT COLOR=red>", {{6, 10, clRed}}},
      {"inside a longer word", Keywords({u"COLOR"}), u"BGCOLOR=1", {}},
      {"part words allowed", Keywords({u"COLOR"}, false, true), u"BGCOLOR", {{2, 6, clRed}}},
      {"digits are not letters", Keywords({u"COLOR"}), u"COLOR1", {{0, 4, clRed}}},
      {"the at sign is a letter", Keywords({u"COLOR"}), u"@COLOR", {}},
      {"text is upper-cased", Keywords({u"href"}), u"a href=", {{2, 5, clRed}}},
      {"case kept when asked", Keywords({u"HREF"}, true), u"href HREF", {{5, 8, clRed}}},
      {"accented letters separate words", Keywords({u"SRC"}), u"\u0131src\u015f", {{1, 3, clRed}}},
      {"entity before its colour separator", Keywords({u"&nbsp;green"}), u"a &nbsp;b", {{2, 6, clGreen}}},
      {"one keyword never overlaps itself", Keywords({u"AA"}, false, true), u"aaaa", {{0, 1, clRed}, {2, 3, clRed}}},
      {"a star inside a keyword", Keywords({u"A*+B"}), u"x a*+b", {{2, 5, clRed}}},
      {"keywords longer than 31 characters", Keywords({u"<" + std::u16string(40, u'x') + u">"}),
       u" <" + std::u16string(40, u'x') + u">", {{1, 42, clRed}}},
      {"keywords searched independently", Keywords({u"<B>", u"B"}), u"<B>", {{0, 2, clRed}, {1, 1, clRed}}},
  };
  for (auto c : cases) {
    EXPECT_EQ(Scan(c.rule, c.text), c.expected) << c.what;
  }
}

TEST(ScanRule, OffsetsAreInTheWholeTextAndTheRegionEdgeIsANonLetter) {
  TColorRule rule = Keywords({u"ALT"});
  // The region starts in the middle of "xalt"; the letter before it is not seen.
  EXPECT_EQ(Scan(rule, u"alt", 100), (std::vector<Span>{{100, 102, clRed}}));
}

TColorRule Markers(TStrings pairs) {
  TColorRule rule;
  rule.SetKeyBegEndLst(pairs);
  return rule;
}

TEST(ScanRule, BeginEndMarkers) {
  const struct {
    const char* what;
    TColorRule rule;
    std::u16string_view text;
    std::vector<Span> expected;
  } cases[] = {
      {"an empty comment is one span", Markers({u"<!--;-->;gray"}), u"<!-->x", {{0, 4, clGray}}},
      {"spans in sequence", Markers({u"<;>;blue"}), u"<a>b<c>", {{0, 2, clBlue}, {4, 6, clBlue}}},
      {"missing end ends the scan", Markers({u"<;>;blue"}), u"<a> <b c", {{0, 2, clBlue}}},
      {"earliest begin of all slots", Markers({u"[;]", u"<;>"}), u"<[>]", {{0, 2, clRed}}},
      {"equal begins: earlier slot", Markers({u"<;>;blue", u"<!;!>"}), u"<!x!>", {{0, 4, clBlue}}},
      {"markers are case-sensitive", Markers({u"a;b"}), u"AxB axb", {{4, 6, clRed}}},
      {"a span spreads over lines", Markers({u"<!--;-->"}), u"<!--\r\nx\n-->", {{0, 10, clRed}}},
      {"empty end marker colours nothing", Markers({u"<;;green"}), u"<a>", {}},
  };
  for (auto c : cases) {
    EXPECT_EQ(Scan(c.rule, c.text), c.expected) << c.what;
  }
}

TEST(ScanRule, AnOpenBeginIsReported) {
  TColorRule rule = Markers({u"<;>"});
  rule.PrepareRule();
  SpanList spans;
  rule.ScanRule(u"<a> <b", 10, spans);
  EXPECT_EQ(spans.FirstOpenBegin(), 14);
}

TEST(ScanRule, LineEndMarkersStopAtTheLineBreak) {
  TColorRule rule;
  rule.SetKeyDrawingType(dtBeginLineEnd);
  rule.SetKeyLineEndLst({u"//;green", u";;blue"});
  EXPECT_EQ(Scan(rule, u"a // b\r\nc; d\n;"),
            (std::vector<Span>{{2, 5, clGreen}, {9, 11, clBlue}, {13, 13, clBlue}}));
}

TEST(ScanRule, EventRulesTakeTheHandlersSpansRelativeToTheScanStart) {
  TColorRule rule;
  rule.SetKeyDrawingType(dtEventDraw);
  rule.SetZOrder(7);
  int calls = 0;
  TDrawEvent handler = [&](const TColorRule&, std::u16string_view from, std::span<TKeyDescr> a, int& count) {
    ++calls;
    EXPECT_EQ(from, u"abc");
    a[0] = {0, 1, clBlue, 0, 0};
    a[1] = {2, 2, clGreen, 9, 0};
    count = 5;  // more than the buffer holds
  };
  std::vector<TKeyDescr> buffer(2);
  DrawEventSource events{&handler, buffer};
  rule.PrepareRule();
  SpanList spans;
  rule.ScanRule(u"abc", 50, spans, &events);
  ASSERT_EQ(spans.Items().size(), 2u);
  EXPECT_EQ(spans.Items()[0], (TKeyDescr{50, 51, clBlue, 7, 0}));
  EXPECT_EQ(spans.Items()[1], (TKeyDescr{52, 52, clGreen, 9, 0}));

  DrawEventSource no_buffer{&handler, {}};  // ColorLimMax 0
  EXPECT_TRUE(Scan(rule, u"abc", 0, &no_buffer).empty());
  EXPECT_EQ(calls, 1);
}

}  // namespace
}  // namespace corvane::editor
