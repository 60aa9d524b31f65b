// Options > Language with a language installed from a made-up pattern set
// (Latin, breaking before b, d and g): offered, remembered, hyphenating
// what it should, and counted in the status window.
#include <QAction>
#include <QDir>
#include <QLabel>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTextCursor>
#include <sstream>

#include "app_test_util.h"
#include "cli/cli.h"

namespace corvane::app {
namespace {

class InstalledLanguageTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    ASSERT_TRUE(QDir(dir_.path()).mkdir("patterns"));
    WriteFile("patterns/hyph-la.pat.txt", "1b 1d 1g\n");
    had_path_ = qEnvironmentVariableIsSet("CORVANE_PATTERNS_PATH");
    old_path_ = qgetenv("CORVANE_PATTERNS_PATH");
    qputenv("CORVANE_PATTERNS_PATH", Path("patterns").toLocal8Bit());
  }
  void TearDown() override {
    AppTest::TearDown();
    if (had_path_) {
      qputenv("CORVANE_PATTERNS_PATH", old_path_);
    } else {
      qunsetenv("CORVANE_PATTERNS_PATH");
    }
  }

  // Selects [from, to) of the editor's text and runs `command` on it.
  void RunOnSelection(TMainForm& form, int from, int to, const char* command) {
    QTextCursor cursor = form.Editor()->textCursor();
    cursor.setPosition(from);
    cursor.setPosition(to, QTextCursor::KeepAnchor);
    form.Editor()->setTextCursor(cursor);
    form.Action(command)->trigger();
  }

  // What `corvane hyphenate` writes for `page`.
  std::string ToolResult(const std::string& page, const std::string& language) {
    std::istringstream in(page);
    std::ostringstream out, err;
    EXPECT_EQ(cli::RunCli({"hyphenate", "--language=" + language, "--db", StdPath("CVHYPLIST.EDB"), "--list",
                           StdPath("cvhype.lst")},
                          in, out, err),
              0)
        << err.str();
    return out.str();
  }

  bool had_path_ = false;
  QByteArray old_path_;
};

TEST_F(InstalledLanguageTest, ChosenForTheWholePageAndRemembered) {
  TMainForm& form = Start();
  QAction* latin = form.Action("Language-la");
  ASSERT_NE(latin, nullptr);
  EXPECT_EQ(latin->text(), "Latin (la)");
  EXPECT_TRUE(form.Action("Automatic1")->isChecked());
  latin->trigger();
  EXPECT_EQ(settings_->Language().Name(), "la");

  // The chosen language overrides the page's own tags, as `--language=la` does.
  const QString page = "<p lang=\"tr\">abadaga kitap</p>";
  for (int run = 0; run < 2; ++run) {
    TMainForm& now = run == 0 ? form : Start();  // the second start reads the setting back
    EXPECT_TRUE(now.Action("Language-la")->isChecked());
    now.Editor()->setPlainText(page);
    now.Action("HypenateText1")->trigger();
    EXPECT_EQ(now.Editor()->toPlainText(), "<p lang=\"tr\">aba&shy;da&shy;ga kitap</p>");
    EXPECT_EQ(now.StatusBar()->currentMessage(), "Done: 2 words, 2 soft hyphens added.");
    EXPECT_EQ(now.Editor()->toPlainText().toStdString(), ToolResult(page.toStdString(), "la"));
    now.Action("HypenateText1")->trigger();  // and every soft hyphen goes again
    EXPECT_EQ(now.Editor()->toPlainText(), page);
  }

  // A language no longer installed reads as Automatic.
  settings_->SetLanguage(PageLanguage::FromName("xx-gone"));
  EXPECT_TRUE(Start().Action("Automatic1")->isChecked());
  EXPECT_TRUE(Start().Action("Language-la") != nullptr);
}

// Automatic reads each element's lang; every command hyphenates the Latin
// stretches too, the status window counts each language's words, and the
// toggle takes every soft hyphen away again.
TEST_F(InstalledLanguageTest, AutomaticHyphenatesEachStretchInItsLanguage) {
  TMainForm& form = Start();
  const QString page =
      "<p lang=\"la\">abadaga abadaga</p><p lang=\"xx\">abadaga</p>"
      "<p lang=\"tr\">kitap</p><p>photography</p>";
  const QString hyphenated =
      "<p lang=\"la\">aba&shy;da&shy;ga aba&shy;da&shy;ga</p><p lang=\"xx\">abadaga</p>"
      "<p lang=\"tr\">ki&shy;tap</p><p>pho&shy;tog&shy;ra&shy;phy</p>";
  form.Editor()->setPlainText(page);
  form.Action("HypenateText1")->trigger();
  EXPECT_EQ(form.Editor()->toPlainText(), hyphenated);
  EXPECT_EQ(form.Editor()->toPlainText().toStdString(), ToolResult(page.toStdString(), "auto"));

  form.Editor()->setPlainText(page);
  RunOnSelection(form, 0, static_cast<int>(page.size()), "hyphenatetool");
  EXPECT_EQ(form.Editor()->toPlainText(), hyphenated);
  EXPECT_EQ(status_->TotalWords()->text(), "4");
  EXPECT_EQ(status_->WordsHyphenated()->text(), "4");
  EXPECT_EQ(status_->LanguageLines(),
            QStringList({"Turkish : 1", "English : 1", "Latin (la) : 2", "Without Patterns : 1"}));
  RunOnSelection(form, 0, static_cast<int>(hyphenated.size()), "hyphenatetool");
  EXPECT_EQ(form.Editor()->toPlainText(), page);
  EXPECT_EQ(status_->LanguageLines().size(), 4);  // removing runs no pass: the figures stay

  // A selection takes the language of the element it lies in, and stays
  // whole inside an element never hyphenated.
  const struct {
    QString text;
    QString expected;
  } kSelections[] = {
      {"<p lang=\"la\">x abadaga</p>", "<p lang=\"la\">x aba&shy;da&shy;ga</p>"},
      {"<p lang=\"la\" class=\"donthyphenate\">x <b>abadaga</b></p>",
       "<p lang=\"la\" class=\"donthyphenate\">x <b>abadaga</b></p>"},
      {"<p lang=\"la\" class=\"donthyphenate\"><b>abadaga</b></p><p lang=\"la\">abadaga</p>",
       "<p lang=\"la\" class=\"donthyphenate\"><b>abadaga</b></p><p lang=\"la\">aba&shy;da&shy;ga</p>"},
  };
  for (const auto& s : kSelections) {
    form.Editor()->setPlainText(s.text);
    const int from = static_cast<int>(s.text.indexOf("abadaga"));
    RunOnSelection(form, from, static_cast<int>(s.text.lastIndexOf("abadaga")) + 7, "Save1");
    EXPECT_EQ(form.Editor()->toPlainText(), s.expected);
  }
}

// Saved after "Hy&penate All", each form of page holds what `corvane
// hyphenate` writes: code page bytes keep their letters, XML gets the
// character, and a letter reference is read as its letter.
TEST_F(InstalledLanguageTest, SavedPagesMatchTheCommandLineTool) {
  const struct {
    const char* name;
    std::string bytes;
  } kFiles[] = {
      {"cp1254.html", "<p lang=\"la\">ab\xFC" "daga kitap</p>\r\n<p>d\xFCnya</p>"},
      {"page.xhtml", "<?xml version=\"1.0\"?>\n<p xml:lang=\"la\">ab\xC3\xBC" "daga</p>"},
      {"reference.html", "<p lang=\"la\">ab&uuml;daga \xE2\x9C\x93" "abadaga</p>"},
  };
  ASSERT_TRUE(QDir(dir_.path()).mkdir("tool"));
  for (const auto& file : kFiles) {
    SCOPED_TRACE(file.name);
    const QString name = file.name, tool = "tool/" + name;
    WriteFile(name, file.bytes);
    WriteFile(tool, file.bytes);
    TMainForm& form = Start();
    form.OpenFile(Path(name));
    form.Action("HypenateText1")->trigger();
    dialogs_.confirm_answers = {true};
    form.OpenDocument();  // the save prompt writes it back
    std::istringstream in;
    std::ostringstream out, err;
    ASSERT_EQ(cli::RunCli({"hyphenate", "--in-place", "--db", StdPath("CVHYPLIST.EDB"), "--list",
                           StdPath("cvhype.lst"), StdPath(tool)},
                          in, out, err),
              0)
        << err.str();
    EXPECT_NE(ReadFile(name), file.bytes);
    EXPECT_EQ(ReadFile(name), ReadFile(tool));
  }
}

}  // namespace
}  // namespace corvane::app
