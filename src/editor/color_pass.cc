#include "editor/color_pass.h"

#include <algorithm>

namespace corvane::editor {
namespace {

constexpr size_t kNone = std::u16string_view::npos;

int32_t At(const PassInput& input, size_t local) { return input.scan_start + static_cast<int32_t>(local); }

void CollectHotSpots(const PassInput& input, SpanList& spans) {
  const THotSpot& hs = input.hot_spot;
  if (!hs.Active || hs.BeginChar == 0) return;
  const std::u16string_view text = input.region;
  for (size_t pos = 0;;) {
    const size_t begin = text.find(hs.BeginChar, pos);
    if (begin == kNone) return;
    const size_t end = text.find(hs.EndChar, begin + 1);
    if (end == kNone) return;
    spans.Add({At(input, begin), At(input, begin), hs.MarkerColor, kHotSpotMarkerPriority, 0});
    if (end > begin + 1) {
      spans.Add({At(input, begin + 1), At(input, end - 1), hs.Color, kHotSpotTextPriority, 0});
    }
    spans.Add({At(input, end), At(input, end), hs.MarkerColor, kHotSpotMarkerPriority, 0});
    pos = end + 1;
  }
}

void CollectTabs(const PassInput& input, SpanList& spans) {
  if (!input.want_tabs) return;
  for (size_t at = input.region.find(u'\t'); at != kNone; at = input.region.find(u'\t', at + 1)) {
    spans.Add({At(input, at), At(input, at), input.control_color, kTabPriority, 0});
  }
}

bool SameRun(const ColorCell& a, const ColorCell& b) {
  return a.color == b.color && a.priority == b.priority && a.is_keyword == b.is_keyword &&
         a.covered == b.covered;
}

}  // namespace

void CollectSpans(const PassInput& input, TDrawRules& rules, SpanList& spans) {
  spans.Clear();
  CollectHotSpots(input, spans);
  CollectTabs(input, spans);
  if (input.redraw_always) {
    spans.Add({input.caret_line_start, input.caret, input.font_color, 0, 0});
  }
  for (int i = 0; i < rules.Count(); ++i) {
    if (rules[i].Enabled()) rules[i].ScanRule(input.region, input.scan_start, spans, rules.Events());
  }
  if (input.sel_length > 0) {
    spans.Add({input.sel_start, input.sel_start + input.sel_length - 1, clHighlightText,
               kSelectionPriority, 0});
  }
}

void MergeRuns(const SpanList& spans, int32_t clip_begin, int32_t clip_end,
               std::vector<ColorCell>& cells, std::vector<TKeyDescr>& runs) {
  runs.clear();
  if (spans.Empty()) return;
  const int32_t lo = std::max(clip_begin, spans.LowestStart());
  const int32_t hi = std::min(clip_end - 1, spans.HighestEnd());
  if (hi < lo) return;
  const size_t range = static_cast<size_t>(hi - lo) + 1;
  if (cells.size() < range + 1) cells.resize(range + 2);  // one more for the sentinel
  std::fill_n(cells.begin(), range + 1, ColorCell{});

  for (const TKeyDescr& span : spans.Items()) {
    if (span.StartPos == kEmptyPos || span.EndPos == kEmptyPos || span.EndPos < span.StartPos) continue;
    const int32_t first = std::max(span.StartPos, lo);
    const int32_t last = std::min(span.EndPos, hi);
    for (int32_t at = first; at <= last; ++at) {
      ColorCell& cell = cells[static_cast<size_t>(at - lo)];
      if (cell.priority <= span.Priority) cell = {span.Color, span.Priority, span.IsKeyword, 1};
    }
  }

  size_t run_start = 0;
  for (size_t i = 1; i <= range; ++i) {
    if (SameRun(cells[i], cells[run_start])) continue;
    const ColorCell& cell = cells[run_start];
    if (cell.covered) {
      runs.push_back({lo + static_cast<int32_t>(run_start), lo + static_cast<int32_t>(i - 1), cell.color,
                      cell.priority, cell.is_keyword});
    }
    run_start = i;
  }
}

const std::vector<TKeyDescr>& ColorPass::Run(const PassInput& input, TDrawRules& rules) {
  CollectSpans(input, rules, spans_);
  const int32_t region_end = input.scan_start + static_cast<int32_t>(input.region.size());
  MergeRuns(spans_, input.scan_start, region_end, cells_, runs_);
  return runs_;
}

size_t ColorPass::BufferBytes() const {
  return spans_.Items().capacity() * sizeof(TKeyDescr) + cells_.capacity() * sizeof(ColorCell) +
         runs_.capacity() * sizeof(TKeyDescr);
}

}  // namespace corvane::editor
