#include <QThread>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include "app/create_db.h"
#include "app/splash.h"
#include "app_test_util.h"

namespace corvane::app {
namespace {

constexpr const char* kOpenFailed = "TCvDataset.OpenTable";

void WriteSized(const QString& path, qint64 size) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  ASSERT_TRUE(file.resize(size));
}

// The size test at the first tick: below 2^24 bytes the database is rebuilt;
// at 2^24 it is taken as it is (here a file of zeros, which then fails to
// open, and start-up offers the rebuild).
TEST_F(AppTest, DatabaseSizeDecidesTheImport) {
  const struct {
    qint64 size;
    bool imported;
  } kCases[] = {{0, true}, {16777215, true}, {16777216, false}};
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.size);
    WriteSized(Path("CVHYPLIST.EDB"), c.size);
    errors_.clear();
    dialogs_.questions.clear();
    dialogs_.confirm_answers = {false};
    TMainForm& form = Start();
    EXPECT_EQ(dialogs_.runs.contains("ImportWindow"), c.imported);
    EXPECT_EQ(form.WordList().IsOpen(), c.imported);
    if (c.imported) {
      EXPECT_TRUE(errors_.isEmpty()) << errors_.join("\n").toStdString();
      continue;
    }
    ASSERT_EQ(errors_.size(), 1);
    EXPECT_TRUE(errors_[0].contains(kOpenFailed)) << errors_[0].toStdString();
    EXPECT_EQ(dialogs_.questions,
              QStringList("Confirm: The word list database could not be opened. Rebuild it now?"));
    // Without the table, a lookup fails with the engine's message and the text stays.
    form.Editor()->setPlainText("d\u00fcnya");
    form.Action("HypenateText1")->trigger();
    EXPECT_EQ(form.Editor()->toPlainText(), "d\u00fcnya");
    EXPECT_EQ(errors_.value(1), "Cannot perform this operation on a closed dataset");
    QFile::remove(Path("CVHYPLIST.EDB"));
  }
}

// A tick that fails clears Busy: the later ticks still open nothing and
// close the splash; each message names the folder in the database's place.
TEST_F(AppTest, FailingTickThenRebuild) {
  QDir(dir_.path()).mkdir("CVHYPLIST.EDB");  // cannot be read as a file
  dialogs_.confirm_answers = {true};
  TMainForm& form = Start();
  EXPECT_EQ(errors_, QStringList({"File access denied\n" + Path("CVHYPLIST.EDB") + ": It is a folder, not a file.",
                                  "Cannot create file " + Path("CVHYPLIST.EDB") + "\nIs a directory."}));
  EXPECT_EQ(dialogs_.runs.first(), "SplashWindow");
  EXPECT_FALSE(form.WordList().IsOpen());  // the import cannot replace a folder
}

TEST_F(AppTest, SplashTicksWaitForTheImport) {
  SplashWindow splash(1);
  QStringList seen;
  splash.OnCheckWordList = [&] {
    seen << "check";
    for (int i = 0; i < 5; ++i) splash.Tick();  // ticks during the import return at once
    seen << QString::number(splash.TickCount());
  };
  splash.OnOpenWordList = [&] { seen << (splash.LoadingLabel()->isVisibleTo(&splash) ? "open, loading" : "open"); };
  splash.exec();
  EXPECT_EQ(seen, QStringList({"check", "1", "open, loading"}));
  EXPECT_EQ(splash.TickCount(), 3);
  EXPECT_FALSE(splash.LoadingLabel()->isVisibleTo(&splash));
}

TEST_F(AppTest, RecreateAsksFirstThenReplacesTheWordList) {
  TMainForm& form = Start();
  WriteList({"ki_ta_p"});
  form.Action("RecreateWordListDatabase1")->trigger();  // answered No
  EXPECT_EQ(dialogs_.runs, QStringList({"SplashWindow", "ImportWindow"}));
  dialogs_.confirm_answers = {true};
  form.Action("RecreateWordListDatabase1")->trigger();
  EXPECT_EQ(dialogs_.runs, QStringList({"SplashWindow", "ImportWindow", "ImportWindow"}));
  ASSERT_TRUE(form.WordList().IsOpen());
  EXPECT_EQ(form.WordList().Lookup("kitap"), "ki_ta_p");
}

// A failed import reports its line, offers "&Finished", and leaves the old
// word list in place.
TEST_F(AppTest, FailedImportKeepsTheOldWordList) {
  TMainForm& form = Start();
  WriteFile("cvhype.lst", "4B\r\nZZ\r\n");
  dialogs_.confirm_answers = {true};
  form.RebuildWordList();
  ASSERT_EQ(errors_.size(), 1);
  EXPECT_TRUE(errors_[0].contains("is not a valid integer value")) << errors_[0].toStdString();
  ASSERT_TRUE(form.WordList().IsOpen());
  EXPECT_EQ(form.WordList().Lookup("kitap"), "ki_tap");
  EXPECT_EQ(QDir(dir_.path()).entryList({"*.tmp"}), QStringList());  // no half-built database left
}

// The build runs beside the window and is renamed into place only when
// complete; Cancel (or Escape) keeps the old database and closes the window.
TEST_F(AppTest, ImportWindowBuildsAsideAndCancelKeepsTheOldOne) {
  const auto run = [](ImportWindow& window) {
    for (int i = 0; i < 2000 && !window.Ended(); ++i) {
      QCoreApplication::processEvents();
      QThread::msleep(5);
      window.Tick();
    }
  };
  WriteList(std::vector<std::string>(2501, "ki_tap"));
  ImportWindow window({StdPath("CVHYPLIST.EDB"), StdPath("cvhype.lst"), {}}, 100000);
  EXPECT_FALSE(window.FinishedButton()->isEnabled());
  run(window);
  EXPECT_TRUE(window.FinishedButton()->isEnabled());
  EXPECT_TRUE(window.Succeeded());
  const std::string built = ReadFile("CVHYPLIST.EDB");

  WriteList({"ki_ta_p"});
  const QStringList files = QDir(dir_.path()).entryList(QDir::Files);
  for (const bool escape : {false, true}) {
    ImportWindow cancelled({StdPath("CVHYPLIST.EDB"), StdPath("cvhype.lst"), {}}, 100000);
    escape ? cancelled.reject() : cancelled.CancelButton()->click();
    run(cancelled);
    EXPECT_FALSE(cancelled.Succeeded());
    EXPECT_EQ(cancelled.result(), QDialog::Rejected);
    EXPECT_EQ(ReadFile("CVHYPLIST.EDB"), built);
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files), files);  // no half-built file left
  }
}

TEST_F(AppTest, ImportWindowWithoutListFile) {
  QFile::remove(Path("cvhype.lst"));
  ImportWindow window({StdPath("CVHYPLIST.EDB"), StdPath("cvhype.lst"), {}}, 5);
  EXPECT_EQ(window.windowTitle(), "Creating Index");
  EXPECT_FALSE(window.windowFlags() & Qt::WindowCloseButtonHint);
  EXPECT_TRUE(window.FinishedButton()->isEnabled());  // the way out after the error
  ASSERT_EQ(errors_.size(), 1);
  EXPECT_TRUE(errors_[0].contains("File not found")) << errors_[0].toStdString();
}

}  // namespace
}  // namespace corvane::app
