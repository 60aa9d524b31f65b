// Spans: coloured stretches of editor text, and the list a redraw fills.
//
// Offsets are character offsets into the editor's whole text, 0-based; a
// span covers StartPos..EndPos inclusive. The priorities 252..255 are the
// editor's own (hot spots, selection, tabs); rules should stay below them.
#ifndef CORVANE_EDITOR_KEY_DESCR_H_
#define CORVANE_EDITOR_KEY_DESCR_H_

#include <cstdint>
#include <vector>

#include "editor/colors.h"

namespace corvane::editor {

inline constexpr int32_t kEmptyPos = 2147483647;  // StartPos of an unused entry

inline constexpr uint8_t kHotSpotTextPriority = 252;
inline constexpr uint8_t kHotSpotMarkerPriority = 253;
inline constexpr uint8_t kSelectionPriority = 254;
inline constexpr uint8_t kTabPriority = 255;

struct TKeyDescr {
  int32_t StartPos = kEmptyPos;
  int32_t EndPos = 0;
  TColor Color = 0;
  uint8_t Priority = 0;
  uint8_t IsKeyword = 0;  // 1 for keyword matches, which an owner may draw itself

  bool operator==(const TKeyDescr&) const = default;
};

// The spans of one redraw, in the order they were collected (later spans win
// ties in the merge), with the lowest start and highest end seen (-1 while
// the list is empty). Its storage is kept between redraws.
class SpanList {
 public:
  void Clear();
  void Add(const TKeyDescr& span);

  const std::vector<TKeyDescr>& Items() const { return items_; }
  int32_t LowestStart() const { return lowest_start_; }
  int32_t HighestEnd() const { return highest_end_; }
  bool Empty() const { return items_.empty(); }

  // Where a begin marker without its end stopped some rule's scan (-1: none).
  // Text below it may belong to a span the scanned region cannot show.
  int32_t FirstOpenBegin() const { return first_open_begin_; }
  void NoteOpenBegin(int32_t offset);

 private:
  std::vector<TKeyDescr> items_;
  int32_t lowest_start_ = -1;
  int32_t highest_end_ = -1;
  int32_t first_open_begin_ = -1;
};

}  // namespace corvane::editor

#endif  // CORVANE_EDITOR_KEY_DESCR_H_
