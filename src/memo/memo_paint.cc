// Drawing the runs of a colouring pass over the text the editor painted.
//
// Each run is drawn row by row in its colour on the window's background, at
// the places the editor's own layout gives its characters, so the coloured
// text covers the plain text exactly.
#include <QPainter>
#include <QTextBlock>
#include <QTextLayout>
#include <algorithm>

#include "memo/color_memo.h"
#include "memo/memo_state.h"
#include "memo/readable_colour.h"

namespace corvane::memo {
namespace {

using editor::TKeyDescr;

QColor ToQColor(editor::TColor color, const QPalette& palette) {
  if (!editor::IsSystemColor(color)) {
    // The rules' hues were chosen for a white page.
    return ReadableOn(QColor(editor::RedOf(color), editor::GreenOf(color), editor::BlueOf(color)),
                      palette.color(QPalette::Base));
  }
  switch (color) {
    case editor::clWindow: return palette.color(QPalette::Base);
    case editor::clHighlight: return palette.color(QPalette::Highlight);
    case editor::clHighlightText: return palette.color(QPalette::HighlightedText);
    default: return palette.color(QPalette::Text);
  }
}

// The selection and tabs keep the editor's own painting.
bool Drawn(const TKeyDescr& run) {
  return run.StartPos >= 0 && run.EndPos != editor::kEmptyPos &&
         run.Priority != editor::kSelectionPriority && run.Priority != editor::kTabPriority;
}

// One row of laid-out text in viewport coordinates.
struct Row {
  QTextBlock block;
  QTextLine line;
  QPointF origin;     // layout origin of the block
  int32_t start = 0;  // text offset of the row's first character
  int32_t end = 0;    // one past its last character
};

struct RowPainter {
  QPainter& painter;
  const TColorMemo& memo;
  const TKeyDrawEvent& on_draw_key;
  const editor::THotSpot& hot_spot;
  std::u16string_view text;  // the region's text
  int32_t text_start;        // its offset in the whole text

  qreal X(const Row& row, int32_t offset) const {
    return row.origin.x() + row.line.cursorToX(offset - row.block.position());
  }

  // Characters from..to (inclusive) of `row`, split at tabs, which the
  // editor lays out itself.
  void DrawText(const Row& row, int32_t from, int32_t to, const QColor& background) {
    const qreal top = row.origin.y() + row.line.y();
    const qreal baseline = top + row.line.ascent();
    for (int32_t a = from; a <= to;) {
      if (text[a - text_start] == u'\t') {
        ++a;
        continue;
      }
      int32_t b = a;
      while (b < to && text[b + 1 - text_start] != u'\t') ++b;
      const qreal x = X(row, a);
      painter.fillRect(QRectF(x, top, X(row, b + 1) - x, row.line.height()), background);
      painter.drawText(QPointF(x, baseline), QString::fromRawData(reinterpret_cast<const QChar*>(
                                                                      text.data() + (a - text_start)),
                                                                  b - a + 1));
      a = b + 1;
    }
  }

  void DrawRun(const Row& row, const TKeyDescr& run) {
    const int32_t from = std::max(run.StartPos, row.start);
    const int32_t to = std::min(run.EndPos, row.end - 1);
    if (to < from || from < text_start || to - text_start >= static_cast<int32_t>(text.size())) return;
    const QPalette& palette = memo.palette();
    const QColor colour = ToQColor(run.Color, palette);
    QColor background = palette.color(QPalette::Base);
    QFont font = memo.font();
    const bool whole = run.StartPos >= row.start && run.EndPos < row.end;
    if (whole && run.IsKeyword && on_draw_key) {
      const QString key = QString::fromStdU16String(std::u16string(text.substr(from - text_start, to - from + 1)));
      const qreal top = row.origin.y() + row.line.y();
      const QRect rect(QPoint(int(X(row, from)), int(top)),
                       QSize(memo.fontMetrics().horizontalAdvance(key), int(row.line.height())));
      painter.setPen(colour);
      on_draw_key(painter, key, rect, palette.color(QPalette::Text));
      return;
    }
    if (whole && run.Priority == editor::kHotSpotMarkerPriority) background = colour;
    if (whole && run.Priority == editor::kHotSpotTextPriority && hot_spot.Underlined) font.setUnderline(true);
    painter.setFont(font);
    painter.setPen(colour);
    DrawText(row, from, to, background);
  }
};

}  // namespace

void TColorMemo::PaintRuns(QPainter& painter) {
  const std::vector<TKeyDescr>& runs = state_->pass.Runs();
  if (runs.empty()) return;
  RowPainter rows{painter, *this, OnDrawKey, state_->hot_spot, state_->text, state_->region.scan_start};
  const int bottom = viewport()->height();
  size_t next = 0;  // runs are in text order and do not overlap
  QPointF offset = contentOffset();
  for (QTextBlock block = firstVisibleBlock(); block.isValid() && next < runs.size(); block = block.next()) {
    const QRectF bounds = blockBoundingRect(block).translated(offset);
    if (bounds.top() > bottom) break;
    const QTextLayout* layout = block.layout();
    for (int i = 0; block.isVisible() && i < layout->lineCount(); ++i) {
      Row row{block, layout->lineAt(i), offset + layout->position(), 0, 0};
      row.start = block.position() + row.line.textStart();
      row.end = row.start + row.line.textLength();
      while (next < runs.size() && runs[next].EndPos < row.start) ++next;
      for (size_t k = next; k < runs.size() && runs[k].StartPos < row.end; ++k) {
        if (Drawn(runs[k])) rows.DrawRun(row, runs[k]);
      }
    }
    offset.ry() += bounds.height();
  }
}

}  // namespace corvane::memo
