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
  Label1_ = new QLabel(tr("Creating Index..."), this);
  Label1_->setGeometry(8, 4, 287, 16);
  Label2_ = new QLabel(tr("The index will be created only once. This may take a few minutes depending on your machine speed."), this);
  Label2_->setWordWrap(true);
  Label2_->setGeometry(8, 22, 287, 42);
  ProgressBar1_ = new QProgressBar(this);
  ProgressBar1_->setRange(0, 100);
  ProgressBar1_->setValue(0);
  ProgressBar1_->setGeometry(8, 66, 287, 16);
  Button1_ = new QPushButton(tr("&Finished"), this);
  Button1_->setObjectName("Button1");
  Button1_->setGeometry(60, 88, 83, 25);
  Button1_->setEnabled(false);
  connect(Button1_, &QPushButton::clicked, this, [this] { accept(); });
  cancel_button_ = new QPushButton(tr("Cancel"), this);
  cancel_button_->setObjectName("CancelButton");
  cancel_button_->setGeometry(160, 88, 83, 25);
  connect(cancel_button_, &QPushButton::clicked, this, [this] { CancelClick(); });
  Timer1_ = new QTimer(this);
  Timer1_->setInterval(tick_ms);
  connect(Timer1_, &QTimer::timeout, this, Guarded([this] { Timer1Timer(); }));
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
  Timer1_->start();
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

void ImportWindow::Timer1Timer() {
  if (ended_) return;
  if (!started_) {
    if (cancel_) {
      End();
      return;
    }
    Start();
  }
  ProgressBar1_->setValue(progress_);
  if (done_) End();
}

void ImportWindow::End() {
  if (worker_.joinable()) worker_.join();
  ended_ = true;
  Timer1_->stop();
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
  ProgressBar1_->setValue(100);
  Button1_->setEnabled(true);
}

void ImportWindow::Fail() {
  ended_ = true;
  Timer1_->stop();
  cancel_button_->setEnabled(false);
  Button1_->setEnabled(true);
}

void ImportWindow::CancelClick() {
  if (ended_) return;
  cancel_ = true;
  cancel_button_->setEnabled(false);
  Label1_->setText(tr("Cancelling..."));
}

void ImportWindow::reject() {
  if (!ended_) CancelClick();
}

}  // namespace corvane::app
