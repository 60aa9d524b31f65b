// The import window "Creating Index": builds the word list from the list
// file in batches of 2500 lines, one batch per timer tick (2000 ms), with a
// progress bar, and offers "&Finished" at the end. It stays above the
// splash (on top as well) and has no title-bar buttons; "&Finished" is its
// only way out.
//
// The new database is written beside the old one and renamed over it when
// the last batch is in and it holds a record for every line, so a failed,
// short or abandoned import leaves the old word list as it was. Other
// builds of the same database wait for this one (wordlist/build_lock.h).
// A failed batch reports its error and enables "&Finished".
#ifndef CORVANE_APP_CREATE_DB_H_
#define CORVANE_APP_CREATE_DB_H_

#include <QDialog>
#include <memory>

#include "platform/temporary_file.h"
#include "wordlist/build_lock.h"
#include "wordlist/import.h"
#include "wordlist/word_list_access.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace corvane::app {

class TCreateDB : public QDialog {
  Q_OBJECT

 public:
  TCreateDB(wordlist::WordListFiles files, int tick_ms, QWidget* parent = nullptr);
  ~TCreateDB() override;

  bool ImportDone() const { return import_ != nullptr && import_->ImportDone(); }
  // The database file was replaced by the new one.
  bool Succeeded() const { return succeeded_; }
  QPushButton* Button1() const { return Button1_; }
  QProgressBar* ProgressBar1() const { return ProgressBar1_; }

  void Timer1Timer();

 protected:
  void reject() override;  // Escape and the window manager's close do nothing

 private:
  void FormCreate();
  void Finish();
  void Fail();

  wordlist::WordListFiles files_;
  std::unique_ptr<platform::TemporaryFile> building_;  // the new database until it is renamed into place
  // Held from the start of the import until its file is in place (or gone).
  std::unique_ptr<wordlist::BuildLock> lock_;
  std::unique_ptr<wordlist::TWordList> list_;
  std::unique_ptr<wordlist::TCreateDB> import_;
  bool succeeded_ = false;
  bool failed_ = false;
  QLabel* Label1_;
  QLabel* Label2_;
  QProgressBar* ProgressBar1_;
  QPushButton* Button1_;
  QTimer* Timer1_;
};

}  // namespace corvane::app

#endif  // CORVANE_APP_CREATE_DB_H_
