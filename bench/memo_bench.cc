// The colour memo on a 10 MB HTML document with the main window's rules,
// in an offscreen window of the main window's size:
//   FullPass        one colouring pass of the visible region (rules, merge, runs)
//   TypedLinePass   the pass after typing one character within a line
//   Repaint/1       the editor's own painting of every line plus the colouring
//   Repaint/0       the editor's painting alone
//   ScrollEndAndBack  a pass at the end of the text and one at its start;
//                   the counters show that the memo's buffers and the process
//                   do not grow with the scrolling
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QScrollBar>
#include <QTextBlock>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <unistd.h>

#include "editor/draw_rules.h"
#include "memo/color_memo.h"

namespace {

QString MakeDocument(qsizetype bytes) {
  static const char* const kLines[] = {
      "<p>The <b>quick</b> brown fox&nbsp;jumps over the <i>lazy</i> dog again.</p>",
      "<table width=\"100%\" border=0 bgcolor=\"#FFFFFF\"><tr><td>cell text</td></tr></table>",
      "<!-- a comment with <B>bold</B> and a color=red attribute inside -->",
      "Plain running text of a paragraph that goes on for a while without tags.",
      "<a href=\"page.html\" name=\"top\">link</a> <img src=\"x.png\" alt=\"picture\" height=20>",
      "<font face=\"Arial\" color=\"navy\">Styled words</font> and &nbsp; spaces.",
  };
  std::mt19937 rng(7);
  QString text;
  text.reserve(bytes + 128);
  while (text.size() < bytes) {
    text += kLines[rng() % std::size(kLines)];
    text += '\n';
  }
  return text;
}

long ResidentBytes() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0, resident = 0;
  statm >> pages >> resident;
  return resident * sysconf(_SC_PAGESIZE);
}

corvane::memo::TColorMemo& Memo() {
  static std::unique_ptr<corvane::memo::TColorMemo> memo = [] {
    auto m = std::make_unique<corvane::memo::TColorMemo>();
    m->setFont(QFont("DejaVu Sans Mono", 8));
    m->resize(578, 300);
    m->SetColorRules(corvane::editor::MainWindowRules());
    m->setPlainText(MakeDocument(10 * 1024 * 1024));
    m->show();
    QApplication::processEvents();
    return m;
  }();
  return *memo;
}

void ScrollTo(corvane::memo::TColorMemo& memo, double fraction) {
  QScrollBar& bar = *memo.verticalScrollBar();
  bar.setValue(static_cast<int>(bar.maximum() * fraction));
  QApplication::processEvents();
}

void BM_FullPass(benchmark::State& state) {
  auto& memo = Memo();
  ScrollTo(memo, 0.5);
  for (auto _ : state) benchmark::DoNotOptimize(memo.ComputeColors(false).size());
  state.counters["runs"] = static_cast<double>(memo.LastRuns().size());
}
BENCHMARK(BM_FullPass)->Unit(benchmark::kMicrosecond);

void BM_TypedLinePass(benchmark::State& state) {
  auto& memo = Memo();
  ScrollTo(memo, 0.5);
  QTextCursor caret = memo.cursorForPosition(QPoint(0, 40));  // a line near the top
  caret.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, 30);
  memo.setTextCursor(caret);
  for (auto _ : state) benchmark::DoNotOptimize(memo.ComputeColors(true).size());
}
BENCHMARK(BM_TypedLinePass)->Unit(benchmark::kMicrosecond);

// Argument 0: the same repaint without rules, the editor's painting alone.
void BM_Repaint(benchmark::State& state) {
  auto& memo = Memo();
  ScrollTo(memo, 0.5);
  if (state.range(0) == 0) memo.SetColorRules({});
  for (auto _ : state) memo.viewport()->repaint();
  memo.SetColorRules(corvane::editor::MainWindowRules());
}
BENCHMARK(BM_Repaint)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);

void BM_ScrollEndAndBack(benchmark::State& state) {
  auto& memo = Memo();
  ScrollTo(memo, 0);
  memo.ComputeColors(false);
  const long rss_before = ResidentBytes();
  const size_t buffers_before = memo.ColoringBufferBytes();
  for (auto _ : state) {
    ScrollTo(memo, 1.0);
    memo.viewport()->repaint();
    ScrollTo(memo, 0);
    memo.viewport()->repaint();
  }
  state.counters["text_bytes"] = static_cast<double>(memo.document()->characterCount() * 2);
  state.counters["buffer_bytes"] = static_cast<double>(memo.ColoringBufferBytes());
  state.counters["buffer_growth"] = static_cast<double>(memo.ColoringBufferBytes() - buffers_before);
  state.counters["rss_growth"] = static_cast<double>(ResidentBytes() - rss_before);
}
BENCHMARK(BM_ScrollEndAndBack)->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
