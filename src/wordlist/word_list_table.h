// The word list: table "HYPLIST" (ID auto-increment, NWORD and HWORD strings
// of 30) in the single-file database "CVHYPLIST.EDB", with the indexes
// "PrimaryKey" (ID, primary) and "ByNWORD" (NWORD, case-insensitive).
//
// The five operations the system performs on it: create the empty table
// (and open it), open, close, append an entry, look a word up (an exact,
// case-sensitive match of the already lower-cased key on NWORD, giving
// HWORD). Nothing else writes to it.
#ifndef CORVANE_WORDLIST_WORD_LIST_TABLE_H_
#define CORVANE_WORDLIST_WORD_LIST_TABLE_H_

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/error.h"
#include "table/database.h"
#include "table/table.h"
#include "wordlist/import.h"

namespace corvane::wordlist {

inline constexpr const char* kDatabaseName = "CVHYPLIST";
inline constexpr const char* kDatabaseFileName = "CVHYPLIST.EDB";
inline constexpr const char* kTableName = "HYPLIST";
inline constexpr const char* kListFileName = "cvhype.lst";
// A database file smaller than this counts as missing or incomplete.
inline constexpr int64_t kMinDatabaseSize = 16777216;

inline constexpr uint8_t kBuildUnfinished = 0x42;

// What a damaged database's message ends with: the remedy.
inline constexpr const char* kRebuildHint = " (rebuild it with: corvane wordlist build)";

// The database itself failed (damaged, or its disk full), not the list file
// or the document being read: the message names the database, and callers
// report it as it stands instead of blaming what they were reading.
// Reason() is the engine's message alone, for a caller that names the file
// differently (a build names the database, not its temporary file).
class WordListError : public Error {
 public:
  WordListError(const std::string& database_file, const std::string& reason, const std::string& hint = "")
      : Error(database_file + ": " + reason + hint), reason_(reason) {}
  const std::string& Reason() const { return reason_; }

 private:
  std::string reason_;
};

class TWordList : public EntrySink {
 public:
  // `database_file` is the full path of "CVHYPLIST.EDB".
  explicit TWordList(std::string database_file);
  ~TWordList() override;

  const std::string& DatabaseFile() const { return database_file_; }
  table::TCvDatabase& Database() { return *database_; }
  table::TCvTable& Table() { return *table_; }

  // Creates a new, empty database file with the empty table, and opens it.
  void CreateEmptyTable();
  void Open();
  // For lookups: the file is opened read-only and never written, so readers
  // never collide with a build and a file without write permission reads.
  void OpenReadOnly();
  void Close();
  bool IsOpen() const;
  // Insert, NWORD and HWORD as text (each cut to 30), Post. Failures of
  // the table are WordListErrors.
  void Append(std::string_view plain, std::string_view marked) override;
  // HWORD of the first record whose NWORD equals `key`, if any. A damaged
  // table fails with a WordListError that names the file and the remedy; a
  // list not open, with the engine's message.
  std::optional<std::string> Lookup(const std::string& key);
  int RecordCount();

  // The import has stored its last line: writes the table out and only
  // then clears the mark CreateEmptyTable set. Failures are WordListErrors.
  void Finished() override;

  // Present and complete: the file exists, holds at least kMinDatabaseSize
  // bytes, and is not a build that stopped before its end. A build killed
  // late leaves a file past the size that lacks its last words, and lookups
  // would miss them without a word; so CreateEmptyTable marks the container
  // (kBuildUnfinished in its header's owner mark) until Finished. Files
  // made elsewhere carry no mark and count as complete by their size.
  static bool DatabaseComplete(const std::string& database_file);
  // True when the file carries the mark of an unfinished build; a file that
  // does not open as a container is left for the open to report.
  static bool BuildUnfinished(const std::string& database_file);

 private:
  void SetNames();
  void OpenTable(bool read_only);
  void MarkBuild(uint8_t mark);

  std::string database_file_;
  std::unique_ptr<table::TCvDatabase> database_;
  std::unique_ptr<table::TCvTable> table_;
};

}  // namespace corvane::wordlist

#endif  // CORVANE_WORDLIST_WORD_LIST_TABLE_H_
