// An edit is lost only when the user says so: Cancel and Escape keep the
// window and the text, Save writes to the document's own file, and undo back
// to the saved text leaves nothing to save.
#include <QAction>
#include <QLabel>
#include <QMimeData>
#include <QPlainTextEdit>

#include "app_test_util.h"

namespace corvane::app {
namespace {

TEST_F(AppTest, CancelInTheSavePromptKeepsWindowAndText) {
  const struct {
    const char* what;
    std::function<bool(TMainForm&)> command;  // true when the command went on
  } kCommands[] = {
      {"Exit", [](TMainForm& f) { f.Exit(); return !f.isVisible(); }},
      {"window close", [](TMainForm& f) { return f.close(); }},
      {"Open", [this](TMainForm& f) { f.OpenDocument(); return dialogs_.open_calls > 0; }},
  };
  for (const auto& c : kCommands) {
    SCOPED_TRACE(c.what);
    TMainForm& form = Start();
    form.show();
    form.Editor()->setPlainText("unsaved");
    dialogs_.open_calls = 0;
    dialogs_.answers = {Answer::kCancel};
    EXPECT_FALSE(c.command(form));
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(form.Modified());
    EXPECT_EQ(form.Editor()->toPlainText(), "unsaved");
    EXPECT_TRUE(dialogs_.answers.empty());
  }
}

TEST_F(AppTest, SaveWritesToItsOwnFileOrAsksForOne) {
  TMainForm& form = Start();
  form.Editor()->setPlainText("first");
  dialogs_.save_answers = {Path("doc.html")};
  form.Action("SaveDocument1")->trigger();  // a new document asks for a name
  EXPECT_EQ(ReadFile("doc.html"), "first");
  form.Editor()->insertPlainText("more ");
  form.Action("SaveDocument1")->trigger();  // then saves there without asking
  EXPECT_EQ(dialogs_.proposed_names.size(), 1);
  EXPECT_EQ(ReadFile("doc.html"), "more first");
  EXPECT_FALSE(form.Modified());
  EXPECT_EQ(form.Action("SaveDocument1")->shortcut(), QKeySequence::Save);
}

TEST_F(AppTest, UndoBackToTheSavedTextClearsTheMark) {
  TMainForm& form = Start();
  form.Editor()->insertPlainText("ab");
  EXPECT_TRUE(form.windowTitle().endsWith(" *"));
  form.Editor()->undo();
  EXPECT_FALSE(form.Modified());
  EXPECT_FALSE(form.windowTitle().endsWith(" *"));
  form.Editor()->redo();
  EXPECT_TRUE(form.Modified());
  // A whole new text that happens to leave the editor's flag clear still counts.
  form.Editor()->setPlainText("other");
  EXPECT_TRUE(form.Modified());
}

}  // namespace
}  // namespace corvane::app

namespace corvane::app {
namespace {

TEST_F(AppTest, EditorCommands) {
  WriteFile("a.html", "one\r\ntwo cat\r\nthree cat\r\n");
  TMainForm& form = Start();
  QPlainTextEdit* memo = form.Editor();
  form.OpenFile(Path("a.html"));
  EXPECT_EQ(form.findChild<QLabel*>("DocumentFormat")->text(), "UTF-8  CR LF");

  dialogs_.text_answers = {"3"};
  form.GoToLine();
  EXPECT_EQ(memo->textCursor().blockNumber(), 2);
  dialogs_.text_answers = {"cat"};
  form.Find();
  EXPECT_EQ(memo->textCursor().selectionStart(), 18);  // from the caret on
  form.FindNext();
  EXPECT_EQ(memo->textCursor().selectionStart(), 8);  // round again from the top
  dialogs_.text_answers = {"cat", "dog"};
  form.Replace();
  EXPECT_EQ(memo->toPlainText(), "one\ntwo dog\nthree dog\n");
  form.Undo();  // the replacements are one step
  EXPECT_EQ(memo->toPlainText(), "one\ntwo cat\nthree cat\n");
  EXPECT_FALSE(form.Modified());

  memo->insertPlainText("x");
  dialogs_.answers = {Answer::kNo};
  form.NewDocument();
  EXPECT_EQ(memo->toPlainText(), "");
  EXPECT_EQ(form.CurrentFileName(), "noname.html");
  EXPECT_EQ(form.findChild<QLabel*>("DocumentFormat")->text(), "UTF-8  LF");
  EXPECT_EQ(settings_->RecentFiles(), QStringList(Path("a.html")));
  form.OpenRecent(Path("a.html"));
  EXPECT_EQ(form.CurrentFileName(), Path("a.html"));
}

// A file dropped on the editor opens as Open would, save prompt first.
TEST_F(AppTest, DroppedFileOpens) {
  WriteFile("b.html", "<p>dropped</p>");
  TMainForm& form = Start();
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(Path("b.html"))});
  form.OpenDropped(&data);
  QCoreApplication::processEvents();
  EXPECT_EQ(form.Editor()->toPlainText(), "<p>dropped</p>");
  EXPECT_EQ(form.CurrentFileName(), Path("b.html"));
}

}  // namespace
}  // namespace corvane::app
