// The colour memo's properties and the events that ask for a recolouring.
#include "memo/color_memo.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include "memo/memo_state.h"

namespace corvane::memo {

TColorMemo::TColorMemo(QWidget* parent) : QPlainTextEdit(parent), state_(std::make_unique<State>()) {
  state_->events.OnDraw = &OnDraw;
  state_->rules.SetEvents(&state_->events);
  connect(document(), &QTextDocument::contentsChange, this,
          [this](int position, int, int) { state_->last_change_block = document()->findBlock(position).blockNumber(); });
  connect(this, &QPlainTextEdit::textChanged, this, &TColorMemo::TextChanged);
}

TColorMemo::~TColorMemo() = default;

const editor::TDrawRules& TColorMemo::ColorRules() const { return state_->rules; }
editor::TDrawRules& TColorMemo::MutableColorRules() { return state_->rules; }

void TColorMemo::SetColorRules(const editor::TDrawRules& rules) {
  state_->rules.Assign(rules);
  viewport()->update();
}

int TColorMemo::ColorLimMax() const { return static_cast<int>(state_->draw_buffer.size()); }

void TColorMemo::SetColorLimMax(int entries) {
  const size_t wanted = entries > 0 ? static_cast<size_t>(entries) : 0;
  if (wanted == state_->draw_buffer.size()) return;
  std::vector<editor::TKeyDescr>(wanted).swap(state_->draw_buffer);
  state_->events.buffer = state_->draw_buffer;
}

bool TColorMemo::RedrawAlways() const { return state_->redraw_always; }
void TColorMemo::SetRedrawAlways(bool on) { state_->redraw_always = on; }

const editor::THotSpot& TColorMemo::HotSpot() const { return state_->hot_spot; }

void TColorMemo::SetHotSpot(const editor::THotSpot& hot_spot) {
  state_->hot_spot = hot_spot;
  if (hot_spot.Active) viewport()->setMouseTracking(true);  // the cursor follows hot spots
  viewport()->update();
}

void TColorMemo::RedrawColors(bool current_line_only) {
  state_->pending_line_only = current_line_only;
  if (!current_line_only) {
    viewport()->update();
    return;
  }
  QRect row = cursorRect();
  viewport()->update(QRect(0, row.top(), viewport()->width(), row.height()));
}

// A single character typed within the caret's line recolours that line
// alone; anything else recolours every visible line.
void TColorMemo::TextChanged() {
  const int line_count = document()->blockCount();
  const int text_end = document()->characterCount() - 1;
  const bool one_character_typed = line_count == state_->last_line_count &&
                                   text_end == state_->last_text_end + 1 &&
                                   state_->last_change_block == textCursor().blockNumber();
  state_->last_line_count = line_count;
  state_->last_text_end = text_end;
  RedrawColors(!state_->redraw_always && one_character_typed);
}

void TColorMemo::scrollContentsBy(int dx, int dy) {
  QPlainTextEdit::scrollContentsBy(dx, dy);
  // The editor moves the painted pixels; lines that were cut off at the
  // bottom were not coloured, so everything is coloured again.
  RedrawColors(false);
  if (dy != 0 && OnVScroll) OnVScroll();
  if (dx != 0 && OnHScroll) OnHScroll();
}

void TColorMemo::resizeEvent(QResizeEvent* event) {
  PlaceLineNumbers();
  QPlainTextEdit::resizeEvent(event);
  RedrawColors(false);
}

void TColorMemo::keyPressEvent(QKeyEvent* event) {
  const int key = event->key();
  const bool moves_caret = key == Qt::Key_PageUp || key == Qt::Key_PageDown || key == Qt::Key_End ||
                           key == Qt::Key_Home || key == Qt::Key_Left || key == Qt::Key_Up ||
                           key == Qt::Key_Right || key == Qt::Key_Down;
  const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
  if (moves_caret && plain && textCursor().hasSelection()) {
    // The caret leaves from the selection's end, so no selected look is left behind.
    QTextCursor cursor = textCursor();
    cursor.setPosition(cursor.selectionEnd());
    setTextCursor(cursor);
    RedrawColors(false);
  }
  QPlainTextEdit::keyPressEvent(event);
}

void TColorMemo::keyReleaseEvent(QKeyEvent* event) {
  // Some platforms still report the released Shift among the modifiers.
  if (event->key() == Qt::Key_Shift && (event->modifiers() & ~Qt::ShiftModifier) == Qt::NoModifier) {
    RedrawColors(false);
  }
  QPlainTextEdit::keyReleaseEvent(event);
}

void TColorMemo::mousePressEvent(QMouseEvent* event) {
  QPlainTextEdit::mousePressEvent(event);
  if (event->button() == Qt::LeftButton && event->buttons() == Qt::LeftButton) RedrawColors(false);
}

void TColorMemo::mouseReleaseEvent(QMouseEvent* event) {
  QPlainTextEdit::mouseReleaseEvent(event);
  if (event->button() != Qt::LeftButton) return;
  RedrawColors(false);
  if (state_->pointing) ClickHotSpot(event->position().toPoint());
}

void TColorMemo::mouseMoveEvent(QMouseEvent* event) {
  UpdateHotSpotCursor(event->position().toPoint());
  QPlainTextEdit::mouseMoveEvent(event);
}

namespace {

struct LineAt {
  std::u16string text;
  size_t offset = 0;
};

LineAt LineUnder(const QPlainTextEdit& memo, const QPoint& pos) {
  const QTextCursor cursor = memo.cursorForPosition(pos);
  const QTextBlock block = cursor.block();
  return {block.text().toStdU16String(), static_cast<size_t>(cursor.position() - block.position())};
}

}  // namespace

void TColorMemo::UpdateHotSpotCursor(const QPoint& pos) {
  if (!state_->hot_spot.Active) return;
  const LineAt line = LineUnder(*this, pos);
  const bool over = editor::IsOverHotSpot(line.text, line.offset, state_->hot_spot);
  if (over == state_->pointing) return;
  state_->pointing = over;
  viewport()->setCursor(over ? Qt::PointingHandCursor : Qt::IBeamCursor);
}

void TColorMemo::ClickHotSpot(const QPoint& pos) {
  const LineAt line = LineUnder(*this, pos);
  const auto text = editor::HotSpotTextAt(line.text, line.offset, state_->hot_spot);
  if (text && OnHotSpotClick) OnHotSpotClick(*this, QString::fromStdU16String(*text));
}

}  // namespace corvane::memo
