#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTextCursor>
#include <sstream>

#include "app_test_util.h"
#include "cli/cli.h"

namespace corvane::app {
namespace {

void Select(QPlainTextEdit* memo, int start, int length) {
  QTextCursor cursor = memo->textCursor();
  cursor.setPosition(start);
  cursor.setPosition(start + length, QTextCursor::KeepAnchor);
  memo->setTextCursor(cursor);
}

TEST_F(AppTest, SelectionTogglesBothWays) {
  TMainForm& form = Start();
  const struct {
    const char* command;
    bool status_window_shown;
  } kCommands[] = {{"Save1", false}, {"hyphenatetool", true}};
  for (const auto& c : kCommands) {
    SCOPED_TRACE(c.command);
    status_->hide();
    // Before the selection, a character code page 1254 lacks (two UTF-16 units).
    form.Editor()->setPlainText("\U0001F600<b>bir kitap</b> merhaba");
    Select(form.Editor(), 5, 9);  // "bir kitap"
    form.Action(c.command)->trigger();
    EXPECT_EQ(form.Editor()->toPlainText(), "\U0001F600<b>bir ki&shy;tap</b> merhaba");
    EXPECT_EQ(status_->isVisible(), c.status_window_shown);
    EXPECT_EQ(status_->WordsHyphenated()->text(), "1");
    EXPECT_EQ(status_->TotalWords()->text(), "2");
    EXPECT_TRUE(status_->DoneButton()->isEnabled());
    EXPECT_TRUE(form.Modified());
    Select(form.Editor(), 5, 14);  // the hyphenated selection again
    form.Action(c.command)->trigger();
    EXPECT_EQ(form.Editor()->toPlainText(), "\U0001F600<b>bir kitap</b> merhaba");
    EXPECT_EQ(form.Editor()->textCursor().position(), 14);  // the caret after the new text
  }
}

TEST_F(AppTest, HyphenateAllReportsInTheStatusBarAndUndoesItself) {
  TMainForm& form = Start();
  // A character code page 1254 lacks comes back unchanged.
  form.Editor()->setPlainText("Merhaba d\u00fcnya, kitap kitaplar \U0001F600 kitap");
  form.Action("HypenateText1")->trigger();
  EXPECT_EQ(form.Editor()->toPlainText(),
            "Mer&shy;ha&shy;ba d\u00fcn&shy;ya, ki&shy;tap ki&shy;tap&shy;lar \U0001F600 ki&shy;tap");
  EXPECT_EQ(form.StatusBar()->currentMessage(), "Done: 6 words, 7 soft hyphens added.");
  form.Action("HypenateText1")->trigger();
  EXPECT_EQ(form.Editor()->toPlainText(), "Merhaba d\u00fcnya, kitap kitaplar \U0001F600 kitap");
  EXPECT_EQ(form.StatusBar()->currentMessage(), "Done: 7 soft hyphens removed.");

  // A long text goes into the editor a slice at a time, still as one edit.
  QString lines, hyphenated;
  for (int i = 0; i < 6000; ++i) {
    lines += "kitap kitaplar d\u00fcnya\n";
    hyphenated += "ki&shy;tap ki&shy;tap&shy;lar d\u00fcn&shy;ya\n";
  }
  form.Editor()->setPlainText(lines + "bir");
  form.Action("HypenateText1")->trigger();
  EXPECT_EQ(form.Editor()->toPlainText(), hyphenated + "bir");
  form.Editor()->undo();
  EXPECT_EQ(form.Editor()->toPlainText(), lines + "bir");
}

// What the window saves after "Hy&penate All" is what `corvane hyphenate
// --mode=toggle` writes for the same file, in each encoding and line end.
TEST_F(AppTest, SavedResultMatchesTheCommandLineTool) {
  const std::string kFiles[] = {
      "\xEF\xBB\xBF<p>Merhaba d\xC3\xBCnya \xE2\x9C\x93kitap\xE2\x9C\x93 kitaplar</p>\r\n<p>bir kitap.</p>\r\n",
      "<p>Merhaba d\xFCnya, bir kitap.</p>\n<p>kitaplar</p>",
      "<p>Merhaba d&uuml;nya, <b>kitap</b>&shy;</p>\n",
  };
  for (const std::string& bytes : kFiles) {
    SCOPED_TRACE(bytes);
    WriteFile("in.html", bytes);
    TMainForm& form = Start();
    form.OpenFile(Path("in.html"));
    form.Action("HypenateText1")->trigger();
    dialogs_.confirm_answers = {true};
    dialogs_.open_answers = {};
    form.OpenDocument();  // the save prompt writes it back

    std::istringstream in(bytes);
    std::ostringstream out, err;
    ASSERT_EQ(cli::RunCli({"hyphenate", "--mode=toggle", "--db", StdPath("CVHYPLIST.EDB"), "--list",
                           StdPath("cvhype.lst")},
                          in, out, err),
              0)
        << err.str();
    EXPECT_EQ(ReadFile("in.html"), out.str());
  }
}

TEST_F(AppTest, MyWordsComeBeforeTheWordListAndAreRemembered) {
  WriteFile("mine.txt", "# my words\nkit_ap\n");
  TMainForm& form = Start();
  dialogs_.open_answers = {Path("mine.txt")};
  form.ChooseMyWordsFile();
  form.Action("Turkish1")->trigger();
  form.Editor()->setPlainText("kitap");
  form.HyphenateDocument();
  EXPECT_EQ(form.Editor()->toPlainText(), "kit&shy;ap");
  EXPECT_EQ(settings_->MyWordsFile(), Path("mine.txt"));
  EXPECT_EQ(settings_->Language(), PageLanguage::kTurkish);

  TMainForm& again = Start();
  EXPECT_TRUE(again.Action("Turkish1")->isChecked());
  again.Editor()->setPlainText("kitap");
  again.HyphenateDocument();
  EXPECT_EQ(again.Editor()->toPlainText(), "kit&shy;ap");
  // They win over every language's patterns too.
  again.Action("English1")->trigger();
  again.Editor()->setPlainText("<p>kitap</p><p lang=\"en\">kitap</p>");
  again.HyphenateDocument();
  EXPECT_EQ(again.Editor()->toPlainText(), "<p>kit&shy;ap</p><p lang=\"en\">kit&shy;ap</p>");

  // The setting reaches the pass: a word neither list holds follows the
  // language chosen, whatever the page's own letters say.
  for (const auto& [action, expected] :
       {std::pair{"Turkish1", u"da&shy;ğı&shy;tır&shy;ken"}, std::pair{"English1", u"dağıtırken"}}) {
    again.Action(action)->trigger();
    again.Editor()->setPlainText(QString::fromUtf16(u"dağıtırken"));
    again.HyphenateDocument();
    EXPECT_EQ(again.Editor()->toPlainText(), QString::fromUtf16(expected)) << action;
  }

  // Gone by the next start: one line in the status bar, no message box;
  // clearing the setting forgets the file.
  QFile::remove(Path("mine.txt"));
  TMainForm& third = Start();
  errors_.clear();
  EXPECT_TRUE(third.StatusBar()->currentMessage().contains(Path("mine.txt")));
  third.Action("ClearMyWords1")->trigger();
  EXPECT_EQ(settings_->MyWordsFile(), "");
  EXPECT_TRUE(errors_.isEmpty());
}

// A selection that starts or ends inside a word takes in the whole word,
// and the selection shown grows with it.
TEST_F(AppTest, SelectionIsWidenedToWholeWords) {
  TMainForm& form = Start();
  form.Action("English1")->trigger();
  const struct {
    const char* text;
    int from, to;  // the selection
    const char* result;
    const char* selected;  // afterwards
  } kCases[] = {
      {"a photography b", 2, 12, "a pho&shy;tog&shy;ra&shy;phy b", "pho&shy;tog&shy;ra&shy;phy"},
      {"a photography b", 4, 6, "a pho&shy;tog&shy;ra&shy;phy b", "pho&shy;tog&shy;ra&shy;phy"},
      {"x pho&shy;tog&shy;ra&shy;phy", 4, 9, "x photography", "photography"},  // removing widens too
      {"a photography b", 0, 2, "a photography b", "a "},                  // whole words already
  };
  for (const auto& c : kCases) {
    form.Editor()->setPlainText(c.text);
    QTextCursor cursor = form.Editor()->textCursor();
    cursor.setPosition(c.from);
    cursor.setPosition(c.to, QTextCursor::KeepAnchor);
    form.Editor()->setTextCursor(cursor);
    form.Action("Save1")->trigger();
    EXPECT_EQ(form.Editor()->toPlainText(), c.result) << c.text << c.from;
    EXPECT_EQ(form.Editor()->textCursor().selectedText(), c.selected) << c.text << c.from;
  }
}

}  // namespace
}  // namespace corvane::app
