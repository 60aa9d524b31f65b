// Files the desktop program cannot use: each failure is one message with
// its cause, and the document and the files stay as they were.
//
// The tests run as root, whom permissions do not stop, so "cannot be read"
// and "cannot be written" come from what fails for everyone: a folder where
// a file is expected, a path through a regular file, /proc/self/mem (a
// regular file whose first bytes no one can read) and /sys (a folder where
// no one can create a file).
#include <QDir>
#include <QFile>
#include <QPlainTextEdit>

#include "app/document_file.h"
#include "app_test_util.h"

namespace corvane::app {
namespace {

// A state that every failed command must leave untouched.
struct Snapshot {
  QString text, name, title;
  bool modified;
  bool operator==(const Snapshot&) const = default;
};

Snapshot Take(const TMainForm& form) {
  return {form.Editor()->toPlainText(), form.CurrentFileName(), form.windowTitle(), form.Modified()};
}

void PrintTo(const Snapshot& s, std::ostream* out) {
  *out << s.name.toStdString() << (s.modified ? " *" : "") << ": " << s.text.toStdString();
}

TEST_F(AppTest, OpenRefusesWhatIsNotAText) {
  WriteFile("page.html", "<p>kitap</p>");
  WriteFile("binary.html", std::string("GIF89a\0\0\x01\x02", 10));
  WriteFile("utf16.html", std::string("\xFF\xFE<\0p\0>\0", 8));
  WriteFile("utf32.html", std::string("\xFF\xFE\0\0<\0\0\0", 8));
  WriteFile("paper.pdf", "%PDF-1.4 without a NUL byte in its start");
  QDir(dir_.path()).mkdir("folder.html");
  {
    QFile huge(Path("huge.html"));  // sparse: 100 MB without writing them
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly) && huge.resize(100ll << 20));
  }
  const QString huge_cause = Path("huge.html") + " is larger than the 32 MB the editor holds.";
  const struct {
    QString path, message;  // the cause after "Cannot open file <path>", or a whole message
  } kCases[] = {
      {Path("binary.html"), "It holds binary data, not text."},
      {Path("utf16.html"), "It is UTF-16 text; save it as UTF-8 to open it."},
      {Path("utf32.html"), "It is UTF-32 text; save it as UTF-8 to open it."},
      {Path("paper.pdf"), "It holds binary data, not text."},
      {Path("folder.html"), "It is a folder, not a file."},
      {Path("page.html/x.html"), "Not a directory."},
      {Path("none.html"), "No such file or directory."},
      {"/proc/self/mem", "Input/output error."},
      {"/dev/null", "It is not a regular file."},
      {Path("huge.html"), "Text exceeds memo capacity\n" + huge_cause},
  };
  TMainForm& form = Start();
  form.OpenFile(Path("page.html"));
  form.Editor()->insertPlainText("edited ");
  const Snapshot before = Take(form);
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.path.toStdString());
    errors_.clear();
    dialogs_.confirm_answers = {false};
    dialogs_.open_answers = {c.path};
    form.Action("opentool")->trigger();
    const QString expected = c.message.contains('\n') ? c.message : "Cannot open file " + c.path + "\n" + c.message;
    EXPECT_EQ(errors_, QStringList(expected));
    EXPECT_EQ(Take(form), before);
  }
  EXPECT_EQ(ReadFile("page.html"), "<p>kitap</p>");
}

// The words file is read as a document is: refused with the same reasons,
// and not remembered.
TEST_F(AppTest, MyWordsFileThatCannotBeRead) {
  QDir(dir_.path()).mkdir("words");
  WriteFile("binary.txt", std::string("ki_tap\0", 7));
  TMainForm& form = Start();
  for (const QString& path : {Path("words"), Path("binary.txt"), QString("/dev/zero")}) {
    errors_.clear();
    dialogs_.open_answers = {path};
    form.Action("MyWordsFile1")->trigger();
    ASSERT_EQ(errors_.size(), 1);
    EXPECT_TRUE(errors_[0].startsWith("Cannot open file " + path + "\n")) << errors_[0].toStdString();
  }
  EXPECT_EQ(settings_->MyWordsFile(), "");
}

// Spaces, quotes and letters beyond ASCII reach the disk, the title and
// the browser's address unchanged, for documents and for the program's
// own folder alike.
TEST_F(AppTest, PathsWithSpacesQuotesAndTurkishLetters) {
  const QString folder = QString::fromUtf8("Belgeler \"yeni\" 'ağaç' şİıĞ");
  ASSERT_TRUE(QDir(dir_.path()).mkdir(folder));
  const QString page = Path(folder + QString::fromUtf8("/sayfa çözüm; $x `1`.html"));
  adjust_context_ = [&](AppContext& context) { context.user_dir = Path(folder).toStdString() + "/"; };
  QFile file(page);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("<p>kitap</p>");
  file.close();
  TMainForm& form = Start();
  form.OpenFile(page);
  EXPECT_EQ(form.windowTitle(), "Corvane Html Hyphenator - [" + page + "]");
  EXPECT_EQ(form.Editor()->toPlainText(), "<p>kitap</p>");
  const QString copy = Path(folder + QString::fromUtf8("/kopya \"ü\".html"));
  dialogs_.save_answers = {copy};
  form.Editor()->insertPlainText("x");
  form.Action("Save2")->trigger();
  EXPECT_EQ(form.CurrentFileName(), copy);
  EXPECT_EQ(ReadDocumentFile(copy), "x<p>kitap</p>");
  form.Preview();
  ASSERT_EQ(shell_.opened.size(), 1);
  EXPECT_EQ(shell_.opened[0].toLocalFile(), Path(folder + "/TEMP.HTM"));
  // The base address names the folder whatever its letters and quotes.
  const std::string base = "<base href=\"" +
                           QUrl::fromLocalFile(Path(folder) + "/").toString(QUrl::FullyEncoded).toStdString() + "\">";
  EXPECT_EQ(base.find('"', 12), base.size() - 2);
  EXPECT_EQ(ReadDocumentFile(Path(folder + "/TEMP.HTM")), base + "x<p>kitap</p>");
  EXPECT_TRUE(errors_.isEmpty()) << errors_.join("\n").toStdString();
}

TEST_F(AppTest, SaveAsWhereNothingCanBeWritten) {
  WriteFile("page.html", "old");
  QDir(dir_.path()).mkdir("folder.html");
  const struct {
    QString path;
    QString cause;
  } kCases[] = {
      {Path("page.html/x.html"), "Not a directory."},
      {Path("folder.html"), "Is a directory."},
      {Path("missing/x.html"), "No such file or directory."},
      {"/sys/x.html", ""},  // refused (the reason depends on how /sys is mounted)
  };
  TMainForm& form = Start();
  form.OpenFile(Path("page.html"));
  form.Editor()->setPlainText("new");
  const Snapshot before = Take(form);
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.path.toStdString());
    errors_.clear();
    dialogs_.save_answers = {c.path};
    form.Action("saveastool")->trigger();
    ASSERT_EQ(errors_.size(), 1);
    EXPECT_TRUE(errors_[0].startsWith("Cannot create file " + c.path + "\n")) << errors_[0].toStdString();
    EXPECT_FALSE(errors_[0].section('\n', 1).isEmpty()) << errors_[0].toStdString();
    if (!c.cause.isEmpty()) {
      EXPECT_EQ(errors_[0].section('\n', 1), c.cause);
    }
    EXPECT_EQ(Take(form), before);
  }
  EXPECT_EQ(ReadFile("page.html"), "old");
  EXPECT_EQ(QDir(dir_.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name),
            QStringList({"CVHYPLIST.EDB", "cvhype.lst", "folder.html", "page.html", "settings.ini"}));
}

// Closing keeps the window and its text when the save prompt's write fails,
// instead of closing over edits that reached no file.
TEST_F(AppTest, ClosingWhenTheSaveFails) {
  WriteFile("page.html", "old");
  TMainForm& form = Start();
  form.show();
  form.OpenFile(Path("page.html"));
  form.Editor()->setPlainText("edited");
  ASSERT_TRUE(QFile::remove(Path("page.html")) && QDir(dir_.path()).mkdir("page.html"));
  dialogs_.confirm_answers = {true};
  EXPECT_FALSE(form.close());
  EXPECT_EQ(errors_, QStringList("Cannot create file " + Path("page.html") + "\nIs a directory."));
  EXPECT_TRUE(form.isVisible());
  EXPECT_EQ(form.Editor()->toPlainText(), "edited");
  EXPECT_TRUE(form.Modified());
}

// The preview copy goes where the program writes its files; when that
// folder takes no file, nothing reaches the browser.
TEST_F(AppTest, PreviewWhereNothingCanBeWritten) {
  WriteFile("file", "");
  for (const QString& folder : {Path("file") + "/", QString("/sys/")}) {
    SCOPED_TRACE(folder.toStdString());
    adjust_context_ = [&](AppContext& context) { context.user_dir = folder.toStdString(); };
    TMainForm& form = Start();
    form.Editor()->setPlainText("<p>text</p>");
    const Snapshot before = Take(form);
    errors_.clear();
    form.Action("previewtool")->trigger();
    ASSERT_EQ(errors_.size(), 1);
    EXPECT_TRUE(errors_[0].startsWith("Cannot create file " + folder + "TEMP.HTM\n")) << errors_[0].toStdString();
    EXPECT_EQ(Take(form), before);
    EXPECT_TRUE(shell_.opened.isEmpty());
  }
}

}  // namespace
}  // namespace corvane::app
