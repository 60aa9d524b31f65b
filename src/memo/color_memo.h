// TColorMemo: a plain-text editor that colours its text by colour rules.
//
// The editor does all editing, scrolling, caret and selection work itself;
// after it paints, the memo paints the characters of the visible lines that
// the rules (see editor/draw_rules.h), hot spots, tabs and the selection say
// something about. Every paint colours the current text: spans are never
// kept from one paint to the next. Colouring never touches the text, the
// caret, the selection or the undo history.
//
// The region coloured is the fully visible lines, plus KeyMaxHeight - 1
// lines above them (KeyMaxHeight of the first rule), so that spans that
// begin a little above the window still show. The selection and tabs stay as
// the editor paints them. Typing one character within a line recolours only
// the caret's line when nothing on it can reach another line.
//
// Rule offsets count UTF-16 code units of the text, each standing for one
// character of the rules' matching.
#ifndef CORVANE_MEMO_COLOR_MEMO_H_
#define CORVANE_MEMO_COLOR_MEMO_H_

#include <QColor>
#include <QPlainTextEdit>
#include <QRect>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "editor/color_rule.h"
#include "editor/draw_rules.h"
#include "editor/hot_spot.h"
#include "editor/key_descr.h"

class QPainter;

namespace corvane::memo {

class TColorMemo;

// Raised with the clicked hot spot's text.
using THotSpotClickEvent = std::function<void(TColorMemo& sender, const QString& src)>;
// Lets the owner draw a keyword run: its text, its rectangle, and the
// memo's own text colour; the painter's pen already has the run's colour.
using TKeyDrawEvent = std::function<void(QPainter& canvas, const QString& key, const QRect& rect,
                                         const QColor& font_color)>;

class TColorMemo : public QPlainTextEdit {
  Q_OBJECT

 public:
  explicit TColorMemo(QWidget* parent = nullptr);
  ~TColorMemo() override;

  // The rules; setting copies the items into the memo's own collection.
  const editor::TDrawRules& ColorRules() const;
  editor::TDrawRules& MutableColorRules();
  void SetColorRules(const editor::TDrawRules& rules);

  // Capacity of the buffer handed to OnDraw; 0: event rules colour nothing.
  int ColorLimMax() const;
  void SetColorLimMax(int entries);

  // Recolour everything on each change, and colour the caret's line up to
  // the caret in the text colour.
  bool RedrawAlways() const;
  void SetRedrawAlways(bool on);

  const editor::THotSpot& HotSpot() const;
  void SetHotSpot(const editor::THotSpot& hot_spot);

  std::function<void()> OnVScroll;
  std::function<void()> OnHScroll;
  THotSpotClickEvent OnHotSpotClick;
  editor::TDrawEvent OnDraw;
  TKeyDrawEvent OnDrawKey;

  // Asks for the colours to be redrawn: the caret's line only, or every
  // visible line. The colouring itself happens when the editor paints.
  virtual void RedrawColors(bool current_line_only);

  // Line numbers in a margin at the left; off at first.
  void SetLineNumbers(bool on);
  bool LineNumbers() const { return line_numbers_ != nullptr; }

  // The runs of the last colouring pass, in text offsets (for tests and
  // measurements); ComputeColors runs a pass without painting.
  const std::vector<editor::TKeyDescr>& LastRuns() const;
  const std::vector<editor::TKeyDescr>& ComputeColors(bool current_line_only);
  size_t ColoringBufferBytes() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;

 private:
  struct State;

  void TextChanged();
  bool CanColor() const;
  void FindRegion(bool current_line_only);
  void FetchRegionText();
  bool LineOnlyPaint(const QRect& painted);
  const std::vector<editor::TKeyDescr>& RunPass(bool current_line_only);
  void RememberFullPass();
  void PaintRuns(QPainter& painter);
  void UpdateHotSpotCursor(const QPoint& pos);
  void ClickHotSpot(const QPoint& pos);

  // line_numbers.cc
  friend class LineNumberMargin;
  int LineNumberWidth() const;
  void PlaceLineNumbers();
  void PaintLineNumbers(QPaintEvent* event);

  std::unique_ptr<State> state_;
  QWidget* line_numbers_ = nullptr;
};

}  // namespace corvane::memo

#endif  // CORVANE_MEMO_COLOR_MEMO_H_
