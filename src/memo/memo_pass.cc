// The colouring pass of the colour memo: which stretch of text to colour,
// when one line may be coloured alone, and the pass run at each paint.
#include <QAbstractTextDocumentLayout>
#include <QPaintEvent>
#include <QPainter>
#include <QTextBlock>
#include <QTextLayout>
#include <algorithm>
#include <climits>

#include "memo/color_memo.h"
#include "memo/memo_state.h"

namespace corvane::memo {
using editor::TKeyDescr;

bool TColorMemo::CanColor() const {
  return isEnabled() && isVisible() && (state_->rules.Count() > 0 || state_->hot_spot.Active);
}

// Rows are the laid-out lines of the text blocks. The region runs from the
// first visible row (or the first of the lines repainted after typing),
// KeyMaxHeight - 1 lines higher, down to the last row that is fully visible.
void TColorMemo::FindRegion(bool current_line_only) {
  PassRegion& region = state_->region;
  const QTextCursor caret = textCursor();
  const QTextBlock caret_block = caret.block();
  const QTextLine caret_line = caret_block.layout()->lineForTextPosition(caret.positionInBlock());
  region.caret_row_start = caret_block.position() + (caret_line.isValid() ? caret_line.textStart() : 0);

  const QTextBlock first =
      current_line_only ? document()->findBlockByNumber(state_->line_blocks.first) : firstVisibleBlock();
  const int32_t first_row_start = first.position();
  region.scan_start = first_row_start;
  if (state_->rules.Count() > 0) {
    QTextBlock above = first;
    for (int i = 1; i < state_->rules[0].KeyMaxHeight() && above.previous().isValid(); ++i) {
      above = above.previous();
      region.scan_start = above.position();
    }
  }

  const int bottom = viewport()->height();
  const int last_block = current_line_only ? state_->line_blocks.second : INT_MAX;
  int32_t end_of_last_row = first_row_start;
  QPointF offset = blockBoundingGeometry(first).translated(contentOffset()).topLeft();
  for (QTextBlock block = first; block.isValid() && block.blockNumber() <= last_block; block = block.next()) {
    const QTextLayout* layout = block.layout();
    for (int i = 0; block.isVisible() && i < layout->lineCount(); ++i) {
      const QTextLine line = layout->lineAt(i);
      const int32_t row_start = block.position() + line.textStart();
      const qreal top = offset.y() + layout->position().y() + line.y();
      if (row_start < first_row_start || top < 0) continue;
      if (top + line.height() >= bottom) {  // a row cut off at the bottom stays as painted
        region.region_end = row_start;
        return;
      }
      end_of_last_row = row_start + line.textLength();
    }
    offset.ry() += blockBoundingRect(block).height();
  }
  region.region_end = current_line_only ? end_of_last_row : document()->characterCount() - 1;
}

void TColorMemo::FetchRegionText() {
  const PassRegion& region = state_->region;
  std::u16string& text = state_->text;
  text.clear();
  for (QTextBlock block = document()->findBlock(region.scan_start);
       block.isValid() && block.position() < region.region_end; block = block.next()) {
    const QString line = block.text();
    const int32_t from = std::max(region.scan_start - block.position(), 0);
    const int32_t to = std::min<int32_t>(line.size(), region.region_end - block.position());
    if (to > from) text.append(reinterpret_cast<const char16_t*>(line.utf16()) + from, to - from);
    if (block.position() + line.size() < region.region_end) text.push_back(u'\n');
  }
}

const std::vector<TKeyDescr>& TColorMemo::ComputeColors(bool current_line_only) {
  const int caret_block = textCursor().blockNumber();
  state_->line_blocks = {caret_block, caret_block};
  return RunPass(current_line_only);
}

const std::vector<TKeyDescr>& TColorMemo::RunPass(bool current_line_only) {
  State& s = *state_;
  s.rules.PrepareRules();
  FindRegion(current_line_only);
  if (s.region.region_end < s.region.scan_start) s.region.region_end = s.region.scan_start;
  FetchRegionText();

  const QTextCursor caret = textCursor();
  editor::PassInput input;
  input.region = s.text;
  input.scan_start = s.region.scan_start;
  input.hot_spot = s.hot_spot;
  input.want_tabs = !tabChangesFocus();
  input.redraw_always = s.redraw_always;
  input.caret_line_start = s.region.caret_row_start;
  input.caret = caret.position();
  input.sel_start = caret.selectionStart();
  input.sel_length = caret.selectionEnd() - caret.selectionStart();
  return s.pass.Run(input, s.rules);
}

const std::vector<TKeyDescr>& TColorMemo::LastRuns() const { return state_->pass.Runs(); }

size_t TColorMemo::ColoringBufferBytes() const {
  return state_->pass.BufferBytes() + state_->text.capacity() * sizeof(char16_t) +
         state_->multi_line_spans.capacity() * sizeof(std::pair<int32_t, int32_t>);
}

// The typed line may be coloured alone when the editor repaints only it
// (and perhaps a pixel of its neighbours, whose lines are then coloured
// too), and no span of the last full pass reaches into or out of them.
bool TColorMemo::LineOnlyPaint(const QRect& painted) {
  State& s = *state_;
  if (!s.pending_line_only) return false;
  if (painted.height() > 3 * cursorRect().height()) return false;
  const QTextBlock first = cursorForPosition(QPoint(0, painted.top())).block();
  const QTextBlock last = cursorForPosition(QPoint(0, painted.bottom())).block();
  const int caret_block = textCursor().blockNumber();
  if (caret_block < first.blockNumber() || caret_block > last.blockNumber()) return false;
  s.line_blocks = {first.blockNumber(), last.blockNumber()};
  const int32_t row_start = first.position();
  const int32_t row_end = last.position() + last.length();
  if (s.first_open_begin >= 0 && s.first_open_begin < row_start) return false;
  return std::none_of(s.multi_line_spans.begin(), s.multi_line_spans.end(), [&](const auto& span) {
    return span.first <= row_end + 1 && span.second + s.typed_since_full >= row_start - 1;
  });
}

void TColorMemo::RememberFullPass() {
  State& s = *state_;
  s.first_open_begin = s.pass.Spans().FirstOpenBegin();
  s.multi_line_spans.clear();
  s.typed_since_full = 0;
  const std::u16string_view text = s.text;
  for (const TKeyDescr& span : s.pass.Spans().Items()) {
    const int64_t from = std::max<int64_t>(span.StartPos - int64_t{s.region.scan_start}, 0);
    const int64_t to = std::min<int64_t>(span.EndPos - int64_t{s.region.scan_start}, int64_t(text.size()) - 1);
    if (to <= from) continue;
    if (text.substr(from, to - from + 1).find(u'\n') != std::u16string_view::npos) {
      s.multi_line_spans.emplace_back(span.StartPos, span.EndPos);
    }
  }
}

void TColorMemo::paintEvent(QPaintEvent* event) {
  QPlainTextEdit::paintEvent(event);
  State& s = *state_;
  const bool typed = s.pending_line_only;
  bool line_only = LineOnlyPaint(event->rect());
  s.pending_line_only = false;
  if (!CanColor()) return;

  RunPass(line_only);
  if (line_only && s.pass.Spans().FirstOpenBegin() >= 0) {  // a span may reach below the line
    line_only = false;
    RunPass(false);
  }
  if (line_only) {
    ++s.typed_since_full;
  } else {
    // The editor repainted only the typed line, but colours elsewhere may
    // have changed with it.
    if (typed) viewport()->update();
    RememberFullPass();
  }
  QPainter painter(viewport());
  // The caret stays as the editor painted it.
  painter.setClipRegion(hasFocus() ? event->region().subtracted(QRegion(cursorRect())) : event->region());
  PaintRuns(painter);
}

}  // namespace corvane::memo
