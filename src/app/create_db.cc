#include "app/create_db.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "app/document_file.h"
#include "app/error_handler.h"
#include "platform/error.h"
#include "platform/temporary_file.h"
#include "wordlist/list_file.h"

namespace corvane::app {

TCreateDB::TCreateDB(wordlist::WordListFiles files, int tick_ms, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint),
      files_(std::move(files)) {
  setWindowTitle("Creating Index");
  setFixedSize(303, 120);
  setModal(true);
  QFont small = font();
  small.setPointSize(8);
  setFont(small);
  Label1_ = new QLabel("Creating Index...", this);
  Label1_->setGeometry(8, 4, 287, 16);
  Label2_ = new QLabel("The index will be created only once. This may take a few minutes depending on your machine speed.", this);
  Label2_->setWordWrap(true);
  Label2_->setGeometry(8, 22, 287, 42);
  ProgressBar1_ = new QProgressBar(this);
  ProgressBar1_->setRange(0, 100);
  ProgressBar1_->setValue(0);
  ProgressBar1_->setGeometry(8, 66, 287, 16);
  Button1_ = new QPushButton("&Finished", this);
  Button1_->setObjectName("Button1");
  Button1_->setGeometry(110, 88, 83, 25);
  connect(Button1_, &QPushButton::clicked, this, [this] { accept(); });
  Timer1_ = new QTimer(this);
  Timer1_->setInterval(tick_ms);
  connect(Timer1_, &QTimer::timeout, this, Guarded([this] { Timer1Timer(); }));
  // A failure while the window is created (the list file missing) is shown,
  // and the window opens all the same so that "&Finished" can close it.
  RunGuarded([this] {
    try {
      FormCreate();
    } catch (...) {
      Fail();
      throw;
    }
  });
  Timer1_->start();
}

TCreateDB::~TCreateDB() {
  import_.reset();
  list_.reset();
  building_.reset();  // removes the half-built file unless it was renamed into place
}

void TCreateDB::FormCreate() {
  Button1_->setEnabled(false);
  try {
    building_ = std::make_unique<platform::TemporaryFile>(files_.database);
  } catch (const Error&) {
    throw Error("Cannot create file \"" + files_.database + "\"\n" + CreateProblem(files_.database).toStdString());
  }
  list_ = std::make_unique<wordlist::TWordList>(building_->path());
  try {
    list_->CreateEmptyTable();
  } catch (const Error& e) {
    // The engine names the file but not why: add the folder's reason.
    const QString reason = CreateProblem(building_->path());
    if (reason.isEmpty()) throw;
    throw Error(std::string(e.what()) + "\n" + reason.toStdString());
  }
  // Taken once the folder has shown it takes files, so that its problems
  // are reported as the database's.
  lock_ = std::make_unique<wordlist::BuildLock>(files_.database);
  std::unique_ptr<wordlist::ListFileReader> reader;
  try {
    reader = std::make_unique<wordlist::ListFileReader>(files_.list);
  } catch (const Error& e) {
    throw Error(files_.list + ": " + e.what());
  }
  // The shipped list holds every word; one with none is cut short, and an
  // empty word list would take the place of the working one.
  if (reader->Eof()) throw Error(files_.list + ": the file holds no words");
  import_ = std::make_unique<wordlist::TCreateDB>(std::move(reader), *list_);
  import_->OnProgress = [this](int percent) { ProgressBar1_->setValue(percent); };
}

void TCreateDB::Timer1Timer() {
  if (import_ == nullptr || failed_ || !import_->BatchReady() || import_->ImportDone()) return;
  try {
    import_->Timer1Timer();
  } catch (const Error& e) {
    Fail();
    throw Error(files_.list + ": line " + std::to_string(import_->FailedLine()) + ": " + e.what());
  } catch (...) {
    Fail();
    throw;
  }
  if (import_->ImportDone()) Finish();
}

void TCreateDB::Finish() {
  try {
    list_->Close();
    wordlist::CheckBuiltWordList(building_->path(), import_->LineCount(), files_);
  } catch (...) {
    Fail();
    throw;
  }
  if (std::rename(building_->path().c_str(), files_.database.c_str()) != 0) {
    const int error = errno;
    Fail();
    throw Error("Cannot create file " + files_.database + "\n" + std::strerror(error) + ".");
  }
  building_->Release();
  succeeded_ = true;
  Button1_->setEnabled(true);
}

void TCreateDB::Fail() {
  failed_ = true;
  Button1_->setEnabled(true);
}

void TCreateDB::reject() {}

}  // namespace corvane::app
