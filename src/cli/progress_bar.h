// The word-list build's progress as a bar on the terminal.
#ifndef CORVANE_CLI_PROGRESS_BAR_H_
#define CORVANE_CLI_PROGRESS_BAR_H_

#include <ostream>

#include "wordlist/word_list_access.h"

namespace corvane::cli {

// Draws on `err` only when it is the process's terminal stderr; ends the bar's
// line when it goes, so an error message that follows starts on a line of
// its own.
class ProgressBar {
 public:
  explicit ProgressBar(std::ostream& err);
  ~ProgressBar();
  ProgressBar(const ProgressBar&) = delete;
  ProgressBar& operator=(const ProgressBar&) = delete;

  // Empty when there is no terminal to draw on.
  wordlist::BuildProgress Callback();

 private:
  std::ostream* out_;
  bool shown_ = false;
};

}  // namespace corvane::cli

#endif  // CORVANE_CLI_PROGRESS_BAR_H_
