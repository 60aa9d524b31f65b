// The command-line tool's way to the word list: where its files are, how it
// is built without the import window's timer, and the lookup the passes use.
#ifndef CORVANE_CLI_WORD_LIST_ACCESS_H_
#define CORVANE_CLI_WORD_LIST_ACCESS_H_

#include <iosfwd>
#include <memory>
#include <optional>
#include <string>

#include "html/word_lookup.h"
#include "wordlist/word_list_table.h"

namespace corvane::cli {

struct WordListFiles {
  std::string database;  // default: AppDir + "CVHYPLIST.EDB"
  std::string list;      // default: AppDir + "cvhype.lst"
};

WordListFiles DefaultWordListFiles();

// Builds the database from the list file, all batches back to back. The new
// database is written beside the old one and renamed over it only when
// complete, so an interrupted build never leaves a half-filled table in use.
// Shows a progress bar on `progress` when it is a terminal (null: none).
// Throws corvane::Error naming the list file and the failing line.
void BuildWordList(const WordListFiles& files, std::ostream* progress);

// `err` when it is the process's terminal stderr, for progress bars.
std::ostream* ProgressStreamFor(std::ostream& err);

// The open word list as the passes' lookup.
class WordListLookup : public html::WordLookup {
 public:
  explicit WordListLookup(wordlist::TWordList& list) : list_(list) {}
  std::optional<std::string> Find(const std::string& key) override { return list_.Lookup(key); }

 private:
  wordlist::TWordList& list_;
};

// Opens the word list, building it first when the file is missing or too
// small. A damaged database fails with the engine's message and a hint.
std::unique_ptr<wordlist::TWordList> OpenWordList(const WordListFiles& files, std::ostream* progress);

}  // namespace corvane::cli

#endif  // CORVANE_CLI_WORD_LIST_ACCESS_H_
