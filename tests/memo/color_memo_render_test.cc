// What a person sees: the memo with the main window's rules, drawn in an
// offscreen window and grabbed to an image.
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QTextBlock>
#include <QTextCursor>
#include <gtest/gtest.h>

#include <algorithm>

#include "editor/draw_rules.h"
#include "memo/color_memo.h"
#include "memo/readable_colour.h"

namespace corvane::memo {
namespace {

QString OutputPath(const QString& name) {
  QDir().mkpath(CORVANE_TEST_OUTPUT_DIR);
  return QString(CORVANE_TEST_OUTPUT_DIR) + "/" + name;
}

class MemoRender : public ::testing::Test {
 protected:
  void SetUp() override {
    memo_.setFont(QFont("DejaVu Sans Mono", 11));
    memo_.resize(560, 200);
    memo_.SetColorRules(editor::MainWindowRules());
  }

  QImage Show(const QString& text, const QString& image_name) {
    memo_.setPlainText(text);
    memo_.show();
    QApplication::processEvents();
    QImage image = memo_.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    image.save(OutputPath(image_name));
    return image;
  }

  // Viewport rectangle of the characters from..to-1, all on one row.
  QRect CharsRect(int from, int to) {
    QTextCursor c(memo_.document());
    c.setPosition(from);
    const QRect a = memo_.cursorRect(c);
    c.setPosition(to);
    const QRect b = memo_.cursorRect(c);
    return QRect(a.left() + 1, a.top(), b.left() - a.left() - 1, a.height());
  }

  TColorMemo memo_;
};

// Counts the pixels of `rect` near `colour`, and those of plain black text.
struct InkCount {
  int matching = 0;
  int other_ink = 0;
};

InkCount Ink(const QImage& image, const QRect& rect, QColor colour, QColor background) {
  InkCount count;
  for (int y = rect.top(); y <= rect.bottom(); ++y) {
    for (int x = rect.left(); x <= rect.right(); ++x) {
      const QColor p = image.pixelColor(x, y);
      if (p == background) continue;
      auto near = [&](QColor c) {
        // Anti-aliased edges mix the colour with the background.
        const int d = std::abs(p.red() - c.red()) + std::abs(p.green() - c.green()) + std::abs(p.blue() - c.blue());
        return d < 60;
      };
      const int high = std::max({p.red(), p.green(), p.blue()});
      const int low = std::min({p.red(), p.green(), p.blue()});
      if (near(colour)) ++count.matching;
      else if (high < 90 && high - low < 25) ++count.other_ink;  // the editor's black text
    }
  }
  return count;
}

TEST_F(MemoRender, MainWindowRulesColourTagsCommentsAndAttributes) {
  const QString text =
      "<p>plain text <i>tag</i></p>\n"
      "<!-- note <B> bold </B> <i>x</i> -->\n"
      "<font color=red face=x>word &nbsp; end</font>\n";
  const QImage image = Show(text, "main_window_rules.png");
  const QColor white = memo_.palette().color(QPalette::Base);
  struct Case {
    const char* what;
    QString needle;
    int from_line;
    QColor colour;
  } cases[] = {
      {"tag", "<i>", 0, QColor(0, 0, 255)},
      {"comment", "note", 1, QColor(128, 128, 128)},
      {"tag inside comment", "<i>", 1, QColor(128, 128, 128)},
      {"bold inside comment", "<B>", 1, QColor(255, 0, 0)},
      {"attribute name", "color", 2, QColor(255, 0, 255)},
      {"entity", "&nbsp", 2, QColor(0, 128, 0)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const QTextBlock block = memo_.document()->findBlockByNumber(c.from_line);
    const int at = block.position() + block.text().indexOf(c.needle);
    // The rules' hues, darkened where they are too pale to read on white.
    const InkCount ink = Ink(image, CharsRect(at, at + c.needle.size()), ReadableOn(c.colour, white), white);
    EXPECT_GT(ink.matching, 10);
    EXPECT_EQ(ink.other_ink, 0);
  }
}

TEST_F(MemoRender, SelectionKeepsTheEditorsSelectionColours) {
  Show("<table width=5>cell</table>\n", "selection_before.png");
  QTextCursor c(memo_.document());
  c.setPosition(1);
  c.setPosition(12, QTextCursor::KeepAnchor);  // "table width"
  memo_.setTextCursor(c);
  QApplication::processEvents();
  QImage image = memo_.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
  image.save(OutputPath("selection.png"));

  const QPalette palette = memo_.palette();
  const QRect selected = CharsRect(2, 11);
  const InkCount ink = Ink(image, selected, palette.color(QPalette::HighlightedText),
                           palette.color(QPalette::Highlight));
  EXPECT_GT(ink.matching, 10);
  EXPECT_EQ(Ink(image, selected, QColor(255, 0, 255), palette.color(QPalette::Highlight)).matching, 0);
  // Outside the selection the tag keeps its colour.
  EXPECT_GT(Ink(image, CharsRect(15, 19), QColor(0, 0, 0), palette.color(QPalette::Base)).matching, 10);
  EXPECT_GT(Ink(image, CharsRect(0, 1), QColor(0, 0, 255), palette.color(QPalette::Base)).matching, 5);
}

TEST_F(MemoRender, HotSpotMarkersVanishAndTheirTextIsUnderlined) {
  editor::THotSpot hs;
  hs.Active = true;
  hs.BeginChar = u'[';
  hs.EndChar = u']';
  memo_.SetHotSpot(hs);
  memo_.SetColorRules({});
  const QImage image = Show("see [home] end", "hot_spot.png");
  const QColor white = memo_.palette().color(QPalette::Base);
  for (int marker : {4, 9}) {
    const InkCount ink = Ink(image, CharsRect(marker, marker + 1), white, white);
    EXPECT_EQ(ink.matching + ink.other_ink, 0) << marker;
  }
  const QRect word = CharsRect(5, 9);
  EXPECT_GT(Ink(image, word, QColor(0, 0, 255), white).matching, 10);
  int underline_rows = 0;
  for (int y = word.top(); y <= word.bottom(); ++y) {
    int blue = 0;
    for (int x = word.left(); x <= word.right(); ++x) blue += image.pixelColor(x, y).blue() > 200 && image.pixelColor(x, y).red() < 100;
    underline_rows += blue == word.width();
  }
  EXPECT_GE(underline_rows, 1);
}

}  // namespace
}  // namespace corvane::memo

namespace corvane::memo {
namespace {

TEST(ReadableColour, ReachesTextContrastOnLightAndDarkThemes) {
  const struct {
    QColor colour, background;
    bool kept;
  } kCases[] = {
      {QColor(0, 0, 255), Qt::white, true},       // blue on white reads already
      {QColor(128, 128, 128), Qt::white, false},  // comments' gray is darkened
      {QColor(255, 0, 255), Qt::white, false},
      {QColor(0, 0, 255), QColor(30, 30, 30), false},  // lightened on a dark theme
      {QColor(128, 0, 0), QColor(30, 30, 30), false},
  };
  for (const auto& c : kCases) {
    const QColor readable = ReadableOn(c.colour, c.background);
    EXPECT_GE(ContrastRatio(readable, c.background), kTextContrast) << c.colour.name().toStdString();
    EXPECT_EQ(readable == c.colour, c.kept) << c.colour.name().toStdString();
  }
}

}  // namespace
}  // namespace corvane::memo
