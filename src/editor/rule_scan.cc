// Scanning a region of editor text against one colour rule.
#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>

#include "editor/color_rule.h"

namespace corvane::editor {
namespace {

constexpr size_t kNone = std::u16string_view::npos;

int32_t Offset(int32_t scan_start, size_t local) { return scan_start + static_cast<int32_t>(local); }

// Handler offsets are relative to the scan start; keep the sum in range.
int32_t ShiftedOffset(int32_t value, int32_t scan_start) {
  const int64_t v = int64_t{value} + scan_start;
  return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(), kEmptyPos - 1));
}

// End of the line holding `from`: the offset of its line feed (CR LF or a
// lone LF, the memo's own line break), or the region's size.
size_t LineBreakAfter(std::u16string_view region, size_t from) {
  const size_t lf = region.find(u'\n', from);
  return lf == kNone ? region.size() : lf;
}

}  // namespace

void TColorRule::ScanRule(std::u16string_view region, int32_t scan_start, SpanList& spans,
                          DrawEventSource* events) {
  switch (drawing_type_) {
    case dtKeyShow:
      ScanKeywords(region, scan_start, spans);
      break;
    case dtEventDraw:
      ScanEvents(region, scan_start, spans, events);
      break;
    case dtBeginEnd:
    case dtBeginLineEnd:
      ScanMarkers(region, scan_start, spans);
      break;
  }
}

void TColorRule::ScanKeywords(std::u16string_view region, int32_t scan_start, SpanList& spans) {
  if (parsed_keywords_.empty()) return;
  std::u16string_view text = region;
  if (!key_case_) {
    upper_copy_.assign(region);
    for (char16_t& c : upper_copy_) {
      if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
    }
    text = upper_copy_;
  }
  for (const Keyword& keyword : parsed_keywords_) {
    const size_t length = keyword.text.size();
    for (size_t at = text.find(keyword.text); at != kNone; at = text.find(keyword.text, at + length)) {
      // Outside the region counts as a non-letter on both sides.
      const bool letter_before = at > 0 && IsRuleLetter(text[at - 1]);
      const bool letter_after = at + length < text.size() && IsRuleLetter(text[at + length]);
      if (!part_word_ && (letter_before || letter_after)) continue;
      spans.Add({Offset(scan_start, at), Offset(scan_start, at + length - 1),
                 color_table_[keyword.index - 1], z_order_, 1});
    }
  }
}

void TColorRule::ScanMarkers(std::u16string_view region, int32_t scan_start, SpanList& spans) {
  // Next occurrence of each slot's begin marker, searched again only once
  // the scan has passed it.
  std::array<size_t, kMarkerSlots> next;
  next.fill(0);
  std::array<bool, kMarkerSlots> searched{};
  size_t slots = 0;
  while (slots < kMarkerSlots && !pairs_[slots].begin.empty()) ++slots;

  size_t pos = 0;
  while (pos < region.size()) {
    size_t begin = kNone;
    size_t slot = 0;
    for (size_t i = 0; i < slots; ++i) {
      if (!searched[i] || (next[i] != kNone && next[i] < pos)) {
        next[i] = region.find(pairs_[i].begin, pos);
        searched[i] = true;
      }
      if (next[i] < begin) {
        begin = next[i];
        slot = i;
      }
    }
    if (begin == kNone) return;
    const MarkerPair& pair = pairs_[slot];

    if (drawing_type_ == dtBeginLineEnd) {
      const size_t lf = LineBreakAfter(region, begin);
      const size_t end = (lf > begin && region[lf - 1] == u'\r') ? lf - 1 : lf;
      if (end > begin) {
        spans.Add({Offset(scan_start, begin), Offset(scan_start, end - 1), pair.color, z_order_, 0});
      }
      if (lf >= region.size()) return;
      pos = std::max(lf, begin + 1);
      continue;
    }

    const size_t end = pair.end.empty() ? kNone : region.find(pair.end, begin + 1);
    if (end == kNone) {
      // The rest of this span may lie below the region.
      if (!pair.end.empty()) spans.NoteOpenBegin(Offset(scan_start, begin));
      return;
    }
    spans.Add({Offset(scan_start, begin), Offset(scan_start, end + pair.end.size() - 1),
               pair.color, z_order_, 0});
    pos = end + 1;
  }
}

void TColorRule::ScanEvents(std::u16string_view region, int32_t scan_start, SpanList& spans,
                            DrawEventSource* events) const {
  if (events == nullptr || events->OnDraw == nullptr || !*events->OnDraw || events->buffer.empty()) {
    return;
  }
  std::fill(events->buffer.begin(), events->buffer.end(), TKeyDescr{0, 0, 0, 0, 0});
  int items_count = 0;
  (*events->OnDraw)(*this, region, events->buffer, items_count);
  // A handler that claims more entries than the buffer holds gets only the buffer.
  const size_t count = std::min<size_t>(std::max(items_count, 0), events->buffer.size());
  for (size_t i = 0; i < count; ++i) {
    const TKeyDescr& e = events->buffer[i];
    spans.Add({ShiftedOffset(e.StartPos, scan_start), ShiftedOffset(e.EndPos, scan_start), e.Color,
               e.Priority != 0 ? e.Priority : z_order_, 0});
  }
}

}  // namespace corvane::editor
