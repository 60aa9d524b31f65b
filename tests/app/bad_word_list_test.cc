// Start-up with a word list that is missing, cut short or damaged: one
// message that names the file and the cause, the rebuild offered, the
// window with its fresh document, and the files as they were.
#include <QDir>
#include <QFile>
#include <QPlainTextEdit>

#include "app_test_util.h"
#include "wordlist/word_list_access.h"

namespace corvane::app {
namespace {

std::string Noise(std::size_t size) {
  std::string bytes(size, '\0');
  uint32_t state = 12345;
  for (char& c : bytes) c = static_cast<char>((state = state * 1103515245 + 12345) >> 16);
  return bytes;
}

TEST_F(AppTest, StartUpWithABadWordList) {
  const std::string list = StdPath("cvhype.lst"), database = StdPath("CVHYPLIST.EDB");
  const std::string good_list = ReadFile("cvhype.lst");
  const struct {
    const char* what;
    std::function<void()> damage;
    std::string message;  // its start
  } kCases[] = {
      {"list file missing", [&] { QFile::remove(Path("cvhype.lst")); }, list + ": File not found"},
      {"list file a folder",
       [&] {
         QFile::remove(Path("cvhype.lst"));
         QDir(dir_.path()).mkdir("cvhype.lst");
       },
       list + ": Is a directory"},
      {"list file empty", [&] { WriteFile("cvhype.lst", ""); }, list + ": the file holds no words"},
      {"list file damaged on line 2", [&] { WriteFile("cvhype.lst", good_list.substr(0, 30) + "Q" + good_list.substr(31)); },
       list + ": line 2: '$"},
      {"list file of binary data", [&] { WriteFile("cvhype.lst", Noise(4096)); }, list + ": line 1: '$"},
      {"database damaged", [&] { WriteFile("CVHYPLIST.EDB", Noise(16 << 20)); },
       database + ": TCvDataset.OpenTable - some table files are missed or locked."},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.what);
    QDir(dir_.path()).removeRecursively();
    ASSERT_TRUE(QDir().mkpath(dir_.path()));
    WriteList({"ki_tap"});
    c.damage();
    const QStringList files = QDir(dir_.path()).entryList(QDir::Files);
    const std::string list_bytes = QFileInfo(Path("cvhype.lst")).isFile() ? ReadFile("cvhype.lst") : "";
    errors_.clear();
    dialogs_.questions.clear();
    dialogs_.confirm_answers = {false};
    TMainForm& form = Start();
    ASSERT_EQ(errors_.size(), 1) << errors_.join("\n").toStdString();
    EXPECT_TRUE(errors_[0].startsWith(QString::fromStdString(c.message))) << errors_[0].toStdString();
    EXPECT_EQ(dialogs_.questions, QStringList("Confirm: The word list database could not be opened. Rebuild it now?"));
    EXPECT_FALSE(form.WordList().IsOpen());
    EXPECT_EQ(form.CurrentFileName(), "noname.html");
    EXPECT_FALSE(form.Modified());
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files), files);
    if (!list_bytes.empty()) {
      EXPECT_EQ(ReadFile("cvhype.lst"), list_bytes);
    }
  }
}

// A database cut short and grown back with zeros past the size that
// start-up trusts (a copy that stopped part way) is refused with the
// engine's message; the rebuild brings it back whole.
TEST_F(AppTest, StartUpWithADatabaseCutShort) {
  wordlist::BuildWordList({StdPath("CVHYPLIST.EDB"), StdPath("cvhype.lst"), {}});
  std::string bytes = ReadFile("CVHYPLIST.EDB");
  bytes.resize(8192);  // the container's first pages only
  bytes.resize(16 << 20);
  WriteFile("CVHYPLIST.EDB", bytes);
  dialogs_.confirm_answers = {true};
  TMainForm& form = Start();
  ASSERT_EQ(errors_.size(), 1);
  EXPECT_TRUE(errors_[0].startsWith(Path("CVHYPLIST.EDB") + ": TCvDataset.OpenTable")) << errors_[0].toStdString();
  ASSERT_TRUE(form.WordList().IsOpen());
  EXPECT_EQ(form.WordList().Lookup("kitap"), "ki_tap");
}

// Where the database goes takes no file (a path through a regular file here):
// the import says why, and each rebuild asked for says it again.
TEST_F(AppTest, StartUpWhereTheDatabaseCannotBeWritten) {
  WriteFile("file", "");
  const std::string database = StdPath("file/CVHYPLIST.EDB");
  adjust_context_ = [&](AppContext& context) { context.word_list.database = database; };
  dialogs_.confirm_answers = {true};
  TMainForm& form = Start();
  const QString message = "Cannot create file \"" + QString::fromStdString(database) + "\"\nNot a directory.";
  EXPECT_EQ(errors_, QStringList({message, message}));
  EXPECT_FALSE(form.WordList().IsOpen());
  EXPECT_EQ(ReadFile("file"), "");
}

}  // namespace
}  // namespace corvane::app
