// The line-number margin: a strip left of the text that shows the number of
// each visible line, painted from the editor's own layout as it scrolls.
#include <QPainter>
#include <QPaintEvent>
#include <QTextBlock>

#include "memo/color_memo.h"
#include "memo/readable_colour.h"

namespace corvane::memo {

class LineNumberMargin : public QWidget {
 public:
  explicit LineNumberMargin(TColorMemo* memo) : QWidget(memo), memo_(memo) {}
  QSize sizeHint() const override { return {memo_->LineNumberWidth(), 0}; }

 protected:
  void paintEvent(QPaintEvent* event) override { memo_->PaintLineNumbers(event); }

 private:
  TColorMemo* memo_;
};

void TColorMemo::SetLineNumbers(bool on) {
  if (on == LineNumbers()) return;
  if (!on) {
    delete line_numbers_;
    line_numbers_ = nullptr;
    setViewportMargins(0, 0, 0, 0);
    return;
  }
  line_numbers_ = new LineNumberMargin(this);
  connect(this, &QPlainTextEdit::blockCountChanged, line_numbers_, [this] { PlaceLineNumbers(); });
  connect(this, &QPlainTextEdit::updateRequest, line_numbers_, [this](const QRect& rect, int dy) {
    if (dy != 0) {
      line_numbers_->scroll(0, dy);
    } else {
      line_numbers_->update(0, rect.y(), line_numbers_->width(), rect.height());
    }
  });
  PlaceLineNumbers();
  line_numbers_->show();
}

int TColorMemo::LineNumberWidth() const {
  int digits = 1;
  for (int count = std::max(1, blockCount()); count >= 10; count /= 10) ++digits;
  return 8 + fontMetrics().horizontalAdvance(QLatin1Char('9')) * std::max(digits, 3);
}

void TColorMemo::PlaceLineNumbers() {
  if (line_numbers_ == nullptr) return;
  setViewportMargins(LineNumberWidth(), 0, 0, 0);
  const QRect inside = contentsRect();
  line_numbers_->setGeometry(inside.left(), inside.top(), LineNumberWidth(), inside.height());
}

void TColorMemo::PaintLineNumbers(QPaintEvent* event) {
  QPainter painter(line_numbers_);
  const QPalette& colours = palette();
  const QColor background = colours.color(QPalette::AlternateBase);
  painter.fillRect(event->rect(), background);
  painter.setPen(ReadableOn(colours.color(QPalette::PlaceholderText), background));
  painter.setFont(font());
  const int width = line_numbers_->width() - 4;
  QTextBlock block = firstVisibleBlock();
  qreal top = blockBoundingGeometry(block).translated(contentOffset()).top();
  for (; block.isValid() && top <= event->rect().bottom(); block = block.next()) {
    const qreal height = blockBoundingRect(block).height();
    if (block.isVisible() && top + height >= event->rect().top()) {
      painter.drawText(QRectF(0, top, width, fontMetrics().height()), Qt::AlignRight,
                       QString::number(block.blockNumber() + 1));
    }
    top += height;
  }
}

}  // namespace corvane::memo
