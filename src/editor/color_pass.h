// The colouring pass over offsets: which colour each character of the
// redrawn region gets, without any window.
//
// Spans are collected in a fixed order (hot spots, tabs, the caret line when
// redrawing always, each enabled rule, the selection), then merged cell by
// cell: a character takes the span of the highest priority, and of equal
// priorities the one collected later. Maximal stretches of equal colour,
// priority and keyword flag over covered characters become the runs that the
// editor draws. Everything is clipped to the region, so the work and memory
// of a pass follow the region's size, never the document's.
#ifndef CORVANE_EDITOR_COLOR_PASS_H_
#define CORVANE_EDITOR_COLOR_PASS_H_

#include <cstdint>
#include <string_view>
#include <vector>

#include "editor/draw_rules.h"
#include "editor/hot_spot.h"
#include "editor/key_descr.h"

namespace corvane::editor {

struct PassInput {
  std::u16string_view region;  // editor text from scan_start to the region end
  int32_t scan_start = 0;
  THotSpot hot_spot;
  bool want_tabs = true;
  TColor control_color = clWindow;   // background; tabs take it
  TColor font_color = clWindowText;  // the caret-line span takes it
  bool redraw_always = false;
  int32_t caret_line_start = 0;
  int32_t caret = 0;
  int32_t sel_start = 0;
  int32_t sel_length = 0;
};

// One merge cell per character offset of the covered range.
struct ColorCell {
  TColor color = 0;
  uint8_t priority = 0;
  uint8_t is_keyword = 0;
  uint8_t covered = 0;
};

// Appends the spans of one pass to `spans` (cleared first).
void CollectSpans(const PassInput& input, TDrawRules& rules, SpanList& spans);

// Merges `spans` over the offsets clip_begin..clip_end-1 and writes the runs
// to `runs` (cleared first). `cells` is scratch, grown as needed.
void MergeRuns(const SpanList& spans, int32_t clip_begin, int32_t clip_end,
               std::vector<ColorCell>& cells, std::vector<TKeyDescr>& runs);

// Collect, merge and runs with buffers kept between passes.
class ColorPass {
 public:
  const std::vector<TKeyDescr>& Run(const PassInput& input, TDrawRules& rules);
  const SpanList& Spans() const { return spans_; }
  const std::vector<TKeyDescr>& Runs() const { return runs_; }
  size_t BufferBytes() const;  // what the kept buffers hold

 private:
  SpanList spans_;
  std::vector<ColorCell> cells_;
  std::vector<TKeyDescr> runs_;
};

}  // namespace corvane::editor

#endif  // CORVANE_EDITOR_COLOR_PASS_H_
