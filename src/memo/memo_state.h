// What a colour memo keeps between paints (private to the memo).
#ifndef CORVANE_MEMO_MEMO_STATE_H_
#define CORVANE_MEMO_MEMO_STATE_H_

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "editor/color_pass.h"
#include "editor/draw_rules.h"
#include "editor/hot_spot.h"
#include "memo/color_memo.h"

namespace corvane::memo {

// The stretch of text a pass colours: from scan_start up to (not including)
// region_end, with `text` holding exactly those characters.
struct PassRegion {
  int32_t scan_start = 0;
  int32_t region_end = 0;
  int32_t caret_row_start = 0;
};

struct TColorMemo::State {
  editor::TDrawRules rules;
  editor::THotSpot hot_spot;
  std::vector<editor::TKeyDescr> draw_buffer;  // ColorLimMax entries for OnDraw
  editor::DrawEventSource events;
  bool redraw_always = false;

  editor::ColorPass pass;
  std::u16string text;  // the region's text; reused, only grows
  PassRegion region;

  // The typing shortcut: what the last change saw, and whether the next
  // paint may colour the caret's line alone.
  int last_line_count = 0;
  int last_text_end = 0;
  int last_change_block = -1;
  bool pending_line_only = false;
  std::pair<int, int> line_blocks;  // first and last line of a one-line pass

  // What the last full pass found that one line's pass could not see: the
  // first begin marker left open, and spans that cross a line break. Text
  // typed since then moves them right by at most `typed_since_full`.
  int32_t first_open_begin = -1;
  std::vector<std::pair<int32_t, int32_t>> multi_line_spans;
  int32_t typed_since_full = 0;

  bool pointing = false;  // the hot-spot cursor is shown
};

}  // namespace corvane::memo

#endif  // CORVANE_MEMO_MEMO_STATE_H_
