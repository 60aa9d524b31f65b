// The word-list import without its window: batches of list-file lines,
// decoded with the line cipher and appended to the word list.
//
// One batch reads up to 2500 lines: the first without testing for the end of
// the file, then until the end or the batch is full. Each line is decoded
// (an empty line gives an empty word), its plain word is the decoded word
// with every "_" removed, and both are appended (the table cuts each to 30
// characters). Progress is LineCount / 164,000 x 100, rounded half to even,
// at most 100. A failing line ends the batch with BatchReady still false, so
// no further batch starts; what was appended stays.
#ifndef CORVANE_WORDLIST_IMPORT_H_
#define CORVANE_WORDLIST_IMPORT_H_

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "wordlist/list_file.h"

namespace corvane::wordlist {

inline constexpr int kLinesPerTick = 2500;
inline constexpr int kExpectedLineCount = 164000;

// Where imported entries go (the word-list table).
class EntrySink {
 public:
  virtual ~EntrySink() = default;
  virtual void Append(std::string_view plain, std::string_view marked) = 0;
  // The last line is in: whatever the sink holds back is written now.
  virtual void Finished() {}
};

class WordListImport {
 public:
  // `reader` may be null when the list file could not be opened: every batch
  // then fails with "I/O error 103".
  WordListImport(std::unique_ptr<ListFileReader> reader, EntrySink& sink);

  bool BatchReady() const { return batch_ready_; }
  bool ImportDone() const { return import_done_; }
  int LineCount() const { return line_count_; }
  int Progress() const { return progress_; }
  // The line that failed, 1-based; 0 while none has.
  int FailedLine() const { return failed_line_; }

  // Imports the next batch of lines (the import window runs one per tick).
  // Throws what a line throws (the cipher's message, the table's), after
  // recording the failing line.
  void ImportBatch();

  std::function<void(int percent)> OnProgress;

 private:
  void ImportLine(std::string_view line);

  std::unique_ptr<ListFileReader> reader_;
  EntrySink& sink_;
  bool batch_ready_ = true;
  bool import_done_ = false;
  int line_count_ = 0;
  int progress_ = 0;
  int failed_line_ = 0;
  std::string marked_;
  std::string plain_;
};

// LineCount / 164,000 x 100, rounded half to even, at most 100.
int ImportProgress(int line_count);

}  // namespace corvane::wordlist

#endif  // CORVANE_WORDLIST_IMPORT_H_
