// How the memo keeps its colours in step with the text: typing, pasting,
// scrolling, selections, hot spots and event rules.
#include "memo/color_memo.h"

#include <QApplication>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <gtest/gtest.h>

#include "editor/draw_rules.h"

namespace corvane::memo {
namespace {

using editor::TKeyDescr;

class Memo : public ::testing::Test {
 protected:
  void SetUp() override {
    memo_.setFont(QFont("DejaVu Sans Mono", 10));
    memo_.resize(400, 160);
    memo_.SetColorRules(editor::MainWindowRules());
  }

  void Load(const QString& text) {
    memo_.setPlainText(text);
    memo_.show();
    Settle();
  }

  void Settle() {
    QApplication::processEvents();
    QApplication::processEvents();
  }

  void PutCaret(int block, int column) {
    QTextCursor c(memo_.document()->findBlockByNumber(block));
    c.setPosition(c.position() + column);
    memo_.setTextCursor(c);
    Settle();
  }

  int BlockOf(int offset) { return memo_.document()->findBlock(offset).blockNumber(); }

  bool AnyRun(editor::TColor color) {
    const auto& runs = memo_.LastRuns();
    return std::any_of(runs.begin(), runs.end(), [&](const TKeyDescr& r) { return r.Color == color; });
  }

  TColorMemo memo_;
};

TEST_F(Memo, TypingInALineColoursThatLineAlonePastingALineBreakColoursAll) {
  Load("<a>\n<b>\n<c>\n<d>1</d>\n<e>\n<f>\n<g>\n");
  PutCaret(3, 4);
  QTest::keyClick(&memo_, Qt::Key_X);
  Settle();
  // The editor repaints the typed line and a pixel of its neighbours.
  ASSERT_FALSE(memo_.LastRuns().empty());
  for (const TKeyDescr& run : memo_.LastRuns()) {
    EXPECT_GE(BlockOf(run.StartPos), 2);
    EXPECT_LE(BlockOf(run.StartPos), 4);
  }
  EXPECT_EQ(memo_.toPlainText(), "<a>\n<b>\n<c>\n<d>1x</d>\n<e>\n<f>\n<g>\n") << "colouring leaves the text alone";
  EXPECT_EQ(memo_.textCursor().position(), 17);

  memo_.insertPlainText("\n");
  Settle();
  EXPECT_EQ(BlockOf(memo_.LastRuns().front().StartPos), 0);
  EXPECT_EQ(BlockOf(memo_.LastRuns().back().StartPos), 7);
}

TEST_F(Memo, TypingThatBreaksASpanOverSeveralLinesRecoloursThemAll) {
  Load("<!-- one\ntwo\nthree -->\n");
  ASSERT_TRUE(AnyRun(editor::clGray));
  PutCaret(0, 2);
  QTest::keyClick(&memo_, Qt::Key_X);  // "<!x-- one": no longer a comment
  Settle();
  EXPECT_FALSE(AnyRun(editor::clGray));
  EXPECT_EQ(BlockOf(memo_.LastRuns().back().EndPos), 2) << "the whole visible text was coloured again";

  Load("one\ntwo\nthree\nfour>\n");
  PutCaret(1, 1);
  QTest::keyClick(&memo_, Qt::Key_Less);  // "t<wo": a tag that ends two lines below
  Settle();
  ASSERT_FALSE(memo_.LastRuns().empty());
  EXPECT_EQ(memo_.LastRuns().back().Color, editor::clBlue);
  EXPECT_EQ(BlockOf(memo_.LastRuns().back().EndPos), 3);
}

TEST_F(Memo, OnlyFullyVisibleLinesAndKeyMaxHeightLinesAboveAreScanned) {
  QString text = "<!-- above -->\n";
  for (int i = 0; i < 10; ++i) text += QString("<t%1>\n").arg(i);
  text += "<!-- start\n";
  for (int i = 0; i < 60; ++i) text += QString("<u%1>\n").arg(i);
  text += "end -->\n";
  Load(text);
  EXPECT_TRUE(AnyRun(editor::clGray));
  int last_whole_line = 0;
  for (QTextBlock b = memo_.document()->begin(); b.isValid(); b = b.next()) {
    if (memo_.cursorRect(QTextCursor(b)).bottom() + 1 < memo_.viewport()->height()) last_whole_line = b.blockNumber();
  }
  EXPECT_EQ(BlockOf(memo_.LastRuns().back().EndPos), last_whole_line) << "a line cut off at the bottom is left";

  QScrollBar& bar = *memo_.verticalScrollBar();
  bar.setValue(3);
  Settle();
  EXPECT_FALSE(AnyRun(editor::clGray)) << "a comment above the window is not seen";

  editor::TDrawRules rules = editor::MainWindowRules();
  rules[0].SetKeyMaxHeight(4);
  memo_.SetColorRules(rules);
  Settle();
  EXPECT_TRUE(AnyRun(editor::clGray)) << "unless it lies within KeyMaxHeight - 1 lines";

  bar.setValue(8);
  Settle();
  EXPECT_FALSE(AnyRun(editor::clGray)) << "a comment that ends below the window is not seen";
  bar.setValue(bar.maximum());
  Settle();
  EXPECT_FALSE(AnyRun(editor::clGray)) << "nor one that begins far above it";
}

TEST_F(Memo, ArrowKeysLeaveASelectionFromItsEnd) {
  Load("<a>text</a>");
  QTextCursor c = memo_.textCursor();
  c.setPosition(1);
  c.setPosition(6, QTextCursor::KeepAnchor);
  memo_.setTextCursor(c);
  QTest::keyClick(&memo_, Qt::Key_Left);
  EXPECT_FALSE(memo_.textCursor().hasSelection());
  EXPECT_EQ(memo_.textCursor().position(), 5);
}

TEST_F(Memo, HotSpotsAreColouredAndClicked) {
  editor::THotSpot hs;
  hs.Active = true;
  memo_.SetHotSpot(hs);
  QString clicked;
  memo_.OnHotSpotClick = [&](TColorMemo&, const QString& src) { clicked = src; };
  Load(QString("go \x1E") + "home" + QString("\x1F") + " \x1E" + "x");
  EXPECT_TRUE(AnyRun(editor::clBlue));

  QTextCursor c(memo_.document());
  c.setPosition(5);
  const QPoint over = memo_.cursorRect(c).center();
  QTest::mouseMove(memo_.viewport(), over);
  EXPECT_EQ(memo_.viewport()->cursor().shape(), Qt::PointingHandCursor);
  QTest::mouseClick(memo_.viewport(), Qt::LeftButton, Qt::NoModifier, over);
  EXPECT_EQ(clicked, "home");
}

TEST_F(Memo, TheOwnerMayDrawKeywordsItself) {
  QStringList keys;
  memo_.OnDrawKey = [&](QPainter&, const QString& key, const QRect& rect, const QColor&) {
    EXPECT_GT(rect.width(), 0);
    keys << key;
  };
  Load("<font color=red>a&nbsp;b &nbsp; c</font>");
  EXPECT_EQ(keys, QStringList({"color", "&nbsp"}));  // "a&nbsp" is no whole word
}

TEST_F(Memo, EventRulesNeedABuffer) {
  editor::TDrawRules rules;
  rules.Add().SetKeyDrawingType(editor::dtEventDraw);
  memo_.SetColorRules(rules);
  memo_.OnDraw = [](const editor::TColorRule&, std::u16string_view, std::span<TKeyDescr> a, int& count) {
    a[0] = {1, 2, editor::clGreen, 1, 0};
    count = 1;
  };
  Load("abcdef");
  EXPECT_TRUE(memo_.LastRuns().empty());
  memo_.SetColorLimMax(4);
  memo_.viewport()->update();
  Settle();
  EXPECT_EQ(memo_.LastRuns(), (std::vector<TKeyDescr>{{1, 2, editor::clGreen, 1, 0}}));
}

}  // namespace
}  // namespace corvane::memo
