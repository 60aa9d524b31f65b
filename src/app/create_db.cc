#include "app/create_db.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include "app/document_file.h"
#include "app/error_handler.h"
#include "platform/error.h"
#include "wordlist/list_file.h"

namespace corvane::app {
namespace {

// Thrown from the build's progress report to stop it; the build removes
// its unfinished file on the way out.
struct BuildCancelled {};

}  // namespace

ImportWindow::ImportWindow(wordlist::WordListFiles files, int tick_ms, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint),
      files_(std::move(files)) {
  setWindowTitle(tr("Creating Index"));
  setFixedSize(303, 120);
  setModal(true);
  QFont small = font();
  small.setPointSize(8);
  setFont(small);
  state_label_ = new QLabel(tr("Creating Index..."), this);
  state_label_->setGeometry(8, 4, 287, 16);
  note_label_ = new QLabel(tr("The index will be created only once. This may take a few minutes depending on your machine speed."), this);
  note_label_->setWordWrap(true);
  note_label_->setGeometry(8, 22, 287, 42);
  progress_bar_ = new QProgressBar(this);
  progress_bar_->setRange(0, 100);
  progress_bar_->setValue(0);
  progress_bar_->setGeometry(8, 66, 287, 16);
  finished_button_ = new QPushButton(tr("&Finished"), this);
  finished_button_->setObjectName("Button1");
  finished_button_->setGeometry(60, 88, 83, 25);
  finished_button_->setEnabled(false);
  connect(finished_button_, &QPushButton::clicked, this, [this] { accept(); });
  cancel_button_ = new QPushButton(tr("Cancel"), this);
  cancel_button_->setObjectName("CancelButton");
  cancel_button_->setGeometry(160, 88, 83, 25);
  connect(cancel_button_, &QPushButton::clicked, this, [this] { CancelImport(); });
  timer_ = new QTimer(this);
  timer_->setInterval(tick_ms);
  connect(timer_, &QTimer::timeout, this, Guarded([this] { Tick(); }));
  // A failure found before the build (the list file missing) is shown, and
  // the window opens all the same so that "&Finished" can close it.
  RunGuarded([this] {
    try {
      CheckFiles();
    } catch (...) {
      Fail();
      throw;
    }
  });
  timer_->start();
}

ImportWindow::~ImportWindow() {
  cancel_ = true;
  if (worker_.joinable()) worker_.join();
}

// What the build would stop at only after its work, said first and in the
// user's words.
void ImportWindow::CheckFiles() {
  const QString folder = QFileInfo(QString::fromStdString(files_.database)).absolutePath();
  QDir().mkpath(folder);
  // The finished build could not be renamed over a folder.
  if (QFileInfo(QString::fromStdString(files_.database)).isDir()) {
    throw Error("Cannot create file " + files_.database + "\nIs a directory.");
  }
  const QString reason = CreateProblem(files_.database);
  if (!reason.isEmpty()) {
    throw Error("Cannot create file \"" + files_.database + "\"\n" + reason.toStdString());
  }
  try {
    const wordlist::ListFileReader reader(files_.list);
    // The shipped list holds every word; one with none is cut short, and an
    // empty word list would take the place of the working one.
    if (reader.Eof()) throw Error("the file holds no words");
  } catch (const Error& e) {
    throw Error(files_.list + ": " + e.what());
  }
}

void ImportWindow::Start() {
  started_ = true;
  worker_ = std::thread([this] {
    try {
      wordlist::BuildWordList(files_, [this](int percent) {
        if (cancel_) throw BuildCancelled{};
        progress_ = percent;
      });
    } catch (const BuildCancelled&) {
    } catch (...) {
      error_ = std::current_exception();
    }
    done_ = true;
  });
}

void ImportWindow::Tick() {
  if (ended_) return;
  if (!started_) {
    if (cancel_) {
      End();
      return;
    }
    Start();
  }
  progress_bar_->setValue(progress_);
  if (done_) End();
}

void ImportWindow::End() {
  if (worker_.joinable()) worker_.join();
  ended_ = true;
  timer_->stop();
  cancel_button_->setEnabled(false);
  if (error_) {
    Fail();
    std::rethrow_exception(error_);
  }
  if (cancel_) {
    done(QDialog::Rejected);
    return;
  }
  succeeded_ = true;
  progress_bar_->setValue(100);
  finished_button_->setEnabled(true);
}

void ImportWindow::Fail() {
  ended_ = true;
  timer_->stop();
  cancel_button_->setEnabled(false);
  finished_button_->setEnabled(true);
}

void ImportWindow::CancelImport() {
  if (ended_) return;
  cancel_ = true;
  cancel_button_->setEnabled(false);
  state_label_->setText(tr("Cancelling..."));
}

void ImportWindow::reject() {
  if (!ended_) CancelImport();
}

}  // namespace corvane::app
