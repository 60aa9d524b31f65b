// The status window "Status" of the selection pass: borderless, on top,
// centred on the main window when shown. "Progress :" over a progress bar,
// the " Statistics " group with "Total Words :", "Unique Words :" and
// "Words Hyphenated :" and their values (from "0"), below them one line per
// language the pass met (Turkish, English, then the others by name, and the
// words of languages nothing is installed for), growing the window, and
// "&Done", enabled by the pass at its end, which hides the window.
#ifndef CORVANE_APP_STATUS_WINDOW_H_
#define CORVANE_APP_STATUS_WINDOW_H_

#include <QDialog>
#include <QList>
#include <QStringList>

#include "app/page_language.h"

class QLabel;
class QFrame;
class QProgressBar;
class QPushButton;

namespace corvane::app {

class StatusWindow : public QDialog {
  Q_OBJECT

 public:
  explicit StatusWindow(QWidget* main_window);

  // Shows the window (not modal) centred on the main window.
  void ShowCentred();
  void ResetStatistics();
  void SetProgress(int percent);
  void SetTotalWords(std::size_t count);
  void SetUniqueWords(std::size_t count);
  void SetWordsHyphenated(std::size_t count);
  void SetWordsByLanguage(const WordsByLanguage& words);
  void EnableDone();

  QProgressBar* ProgressBar() const { return progress_bar_; }
  QLabel* TotalWords() const { return total_; }
  QLabel* UniqueWords() const { return unique_; }
  QLabel* WordsHyphenated() const { return hyphenated_; }
  QPushButton* DoneButton() const { return done_button_; }
  // Each language line as shown: "German (de) : 12".
  QStringList LanguageLines() const;

 private:
  QProgressBar* progress_bar_;
  QLabel* total_;
  QLabel* unique_;
  QLabel* hyphenated_;
  QWidget* group_;
  QPushButton* done_button_;
  QList<QLabel*> language_labels_;  // caption, value, caption, value, ...
};

}  // namespace corvane::app

#endif  // CORVANE_APP_STATUS_WINDOW_H_
