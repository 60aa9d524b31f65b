// The import window "Creating Index": builds the word list from the list
// file at full speed on a thread of its own, with a progress bar, "Cancel"
// while it runs and "&Finished" at the end. It stays above the splash (on
// top as well) and has no title-bar buttons; Escape means Cancel.
//
// The new database is written beside the old one and renamed over it only
// when complete and holding a record for every line (wordlist::BuildWordList,
// under the database's build lock), so a failed, short, cancelled or
// abandoned import leaves the old word list as it was. A failure is
// reported and enables "&Finished"; a cancelled import closes the window.
#ifndef CORVANE_APP_CREATE_DB_H_
#define CORVANE_APP_CREATE_DB_H_

#include <QDialog>
#include <atomic>
#include <exception>
#include <thread>

#include "wordlist/word_list_access.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace corvane::app {

class ImportWindow : public QDialog {
  Q_OBJECT

 public:
  // `tick_ms`: how often the window looks at the build's progress.
  ImportWindow(wordlist::WordListFiles files, int tick_ms, QWidget* parent = nullptr);
  ~ImportWindow() override;

  // The database file was replaced by the new one.
  bool Succeeded() const { return succeeded_; }
  // The build has ended, one way or another.
  bool Ended() const { return ended_; }
  QPushButton* FinishedButton() const { return finished_button_; }
  QPushButton* CancelButton() const { return cancel_button_; }
  QProgressBar* ProgressBar() const { return progress_bar_; }

  // Starts the build on the first call; then shows its progress and its end.
  void Tick();
  void CancelImport();
  void reject() override;  // Escape: Cancel while the build runs

 private:
  void CheckFiles();
  void Start();
  void End();
  void Fail();

  wordlist::WordListFiles files_;
  std::thread worker_;
  std::atomic<int> progress_{0};
  std::atomic<bool> cancel_{false};
  std::atomic<bool> done_{false};
  std::exception_ptr error_;
  bool started_ = false;
  bool ended_ = false;
  bool succeeded_ = false;
  QLabel* state_label_;
  QLabel* note_label_;
  QProgressBar* progress_bar_;
  QPushButton* finished_button_;
  QPushButton* cancel_button_;
  QTimer* timer_;
};

}  // namespace corvane::app

#endif  // CORVANE_APP_CREATE_DB_H_
