// The programs' way to the word list: where its files are, how it is built
// without the import window's timer, and the lookup the passes use.
#ifndef CORVANE_WORDLIST_WORD_LIST_ACCESS_H_
#define CORVANE_WORDLIST_WORD_LIST_ACCESS_H_

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "html/word_lookup.h"
#include "wordlist/word_list_table.h"

namespace corvane::wordlist {

struct WordListFiles {
  std::string database;  // default: the user's "CVHYPLIST.EDB" (wordlist/data_locations.h)
  std::string list;      // default: "cvhype.lst" in the data folder
  std::string prebuilt;  // an installed copy's database, copied to `database` when that is missing
};

WordListFiles DefaultWordListFiles();

// When `database` is missing and `prebuilt` names a file, copies it there
// (making the folder), through a temporary file so that a half copy never
// counts as a database. Throws corvane::Error when that fails.
void InstallPrebuiltDatabase(const WordListFiles& files);

// Percent done, 0 to 100, called whenever it changes.
using BuildProgress = std::function<void(int percent)>;

enum class BuildWhen {
  kAlways,        // an explicit build: unless another one finished while this one waited
  kIfIncomplete,  // first use: unless the database is there and complete once the lock is held
};

// Builds the database from the list file, all batches back to back, under
// the database's BuildLock. The new database is written beside the old one
// and renamed over it only when complete and holding a record for every
// line of the list, so an interrupted or short build never leaves a
// half-filled table in use. Throws corvane::Error naming the list file and
// the failing line, or a WordListError naming the database when it is the
// database that failed (a full disk: with the system's reason).
void BuildWordList(const WordListFiles& files, const BuildProgress& progress = {},
                   BuildWhen when = BuildWhen::kAlways);

// The check a build makes before its file replaces the database: the file
// `built_file` opens and holds at least `expected_words` records (one per
// line of the list). Throws corvane::Error naming the database otherwise.
void CheckBuiltWordList(const std::string& built_file, int expected_words, const WordListFiles& files);

// The open word list as the passes' lookup.
class WordListLookup : public html::WordLookup {
 public:
  explicit WordListLookup(TWordList& list) : list_(list) {}
  std::optional<std::string> Find(const std::string& key) override { return list_.Lookup(key); }

 private:
  TWordList& list_;
};

// Opens the word list read-only, installing the prebuilt one or building it
// first when the file is missing or incomplete; processes that start at once
// share one build. A damaged database fails with a WordListError carrying
// the engine's message and the remedy.
std::unique_ptr<TWordList> OpenWordList(const WordListFiles& files, const BuildProgress& progress = {});

}  // namespace corvane::wordlist

#endif  // CORVANE_WORDLIST_WORD_LIST_ACCESS_H_
