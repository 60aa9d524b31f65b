// The pass over offsets: spans collected from every source, merged by
// priority into the runs that get drawn.
#include "editor/color_pass.h"

#include <gtest/gtest.h>

namespace corvane::editor {

void PrintTo(const TKeyDescr& d, std::ostream* os) {
  *os << "{" << d.StartPos << "," << d.EndPos << ",$" << std::hex << d.Color << std::dec << ","
      << int{d.Priority} << "," << int{d.IsKeyword} << "}";
}

namespace {

std::vector<TKeyDescr> Merge(std::vector<TKeyDescr> spans, int32_t clip_begin = 0, int32_t clip_end = 1000) {
  SpanList list;
  for (const TKeyDescr& s : spans) list.Add(s);
  std::vector<ColorCell> cells;
  std::vector<TKeyDescr> runs;
  MergeRuns(list, clip_begin, clip_end, cells, runs);
  return runs;
}

TEST(MergeRuns, PriorityDecidesAndLaterSpansWinTies) {
  const struct {
    const char* what;
    std::vector<TKeyDescr> spans;
    std::vector<TKeyDescr> runs;
  } cases[] = {
      {"higher priority wins", {{0, 9, clGray, 2, 0}, {2, 4, clBlue, 0, 0}}, {{0, 9, clGray, 2, 0}}},
      {"equal priority: later wins",
       {{0, 9, clGray, 2, 0}, {2, 4, clRed, 2, 1}},
       {{0, 1, clGray, 2, 0}, {2, 4, clRed, 2, 1}, {5, 9, clGray, 2, 0}}},
      {"selection wins", {{3, 5, clHighlightText, 254, 0}, {0, 9, clFuchsia, 3, 1}},
       {{0, 2, clFuchsia, 3, 1}, {3, 5, clHighlightText, 254, 0}, {6, 9, clFuchsia, 3, 1}}},
      {"gaps stay unpainted", {{0, 1, clBlue, 0, 0}, {5, 6, clBlue, 0, 0}},
       {{0, 1, clBlue, 0, 0}, {5, 6, clBlue, 0, 0}}},
      {"black spans next to plain text are kept", {{2, 3, clBlack, 0, 0}}, {{2, 3, clBlack, 0, 0}}},
      {"empty and reversed spans are skipped", {{kEmptyPos, 0, clRed, 0, 0}, {4, 2, clRed, 0, 0}, {1, kEmptyPos, clRed, 0, 0}}, {}},
  };
  for (const auto& c : cases) EXPECT_EQ(Merge(c.spans), c.runs) << c.what;
}

TEST(MergeRuns, WorkStaysInsideTheRegion) {
  // A handler's wild offsets and a selection of the whole document.
  EXPECT_EQ(Merge({{-5, 2000000000, clRed, 0, 0}, {0, 2000000000, clBlue, 254, 0}}, 100, 110),
            (std::vector<TKeyDescr>{{100, 109, clBlue, 254, 0}}));
  SpanList list;
  list.Add({-2147483647 - 1, 2147483646, clRed, 0, 0});
  std::vector<ColorCell> cells;
  std::vector<TKeyDescr> runs;
  MergeRuns(list, 10, 20, cells, runs);
  EXPECT_LE(cells.size(), 12u);
}

std::vector<TKeyDescr> RunMainRules(std::u16string_view text, PassInput input = {}) {
  TDrawRules rules = MainWindowRules();
  rules.PrepareRules();
  input.region = text;
  ColorPass pass;
  return pass.Run(input, rules);
}

TEST(ColorPass, MainWindowRulesInsideAComment) {
  // <!-- <i> <B> color -->
  // 0    5   9   13    19
  EXPECT_EQ(RunMainRules(u"<!-- <i> <B> color -->"),
            (std::vector<TKeyDescr>{{0, 8, clGray, 2, 0},
                                    {9, 11, clRed, 2, 1},
                                    {12, 12, clGray, 2, 0},
                                    {13, 17, clFuchsia, 3, 1},
                                    {18, 21, clGray, 2, 0}}));
}

TEST(ColorPass, HotSpotsTabsCaretLineAndSelection) {
  PassInput input;
  input.hot_spot.Active = true;
  input.redraw_always = true;
  input.caret_line_start = 0;
  input.caret = 1;
  input.sel_start = 8;
  input.sel_length = 2;
  input.scan_start = 0;
  TDrawRules no_rules;
  input.region = u"ab\x1Ego\x1F\t<\x1Ex";
  ColorPass pass;
  EXPECT_EQ(pass.Run(input, no_rules),
            (std::vector<TKeyDescr>{{0, 1, clWindowText, 0, 0},
                                    {2, 2, clWindow, kHotSpotMarkerPriority, 0},
                                    {3, 4, clBlue, kHotSpotTextPriority, 0},
                                    {5, 5, clWindow, kHotSpotMarkerPriority, 0},
                                    {6, 6, clWindow, kTabPriority, 0},
                                    {8, 9, clHighlightText, kSelectionPriority, 0}}));
}

TEST(HotSpot, TextUnderTheMouse) {
  THotSpot hs;
  hs.BeginChar = u'[';
  hs.EndChar = u']';
  const std::u16string_view line = u"see [home page] and [x";
  EXPECT_EQ(HotSpotTextAt(line, 7, hs), u"home page");
  EXPECT_EQ(HotSpotTextAt(line, 4, hs), std::nullopt) << "over the begin marker, another follows";
  EXPECT_EQ(HotSpotTextAt(line, 1, hs), std::nullopt);
  EXPECT_EQ(HotSpotTextAt(line, 21, hs), std::nullopt) << "no end";
  EXPECT_EQ(HotSpotTextAt(u"plain] text", 2, hs), u"plain");
}

}  // namespace
}  // namespace corvane::editor
