// TableIndexes: the indexes of one open table.
//
// An index is a sorted array of physical record numbers, one per record,
// ordered by the index key through KeyComparator; all arrays stay in memory
// while the table is open and are saved in the ".idx" file:
//   0   4  change counter of the table when the indexes were saved
//   4   4  number of indexes X
//   8   8  index format version, double 2.2
//   16  .. X index headers: name (short string of 20), K (int32), K field
//          numbers (int32, -1 = identifier), B = (K+7) div 8 bytes of
//          ascending flags, B bytes of case-insensitive flags, all-ci byte,
//          all-descending byte, options byte (only in version >= 2.2 files)
//   then, for each index in header order, N record numbers (int32), only
//          when N > 0
//   then, only when N > 0, the key prefixes of one index (N uint64 in
//          array order, then "CVIXKEYS", P = 1, the index number and the
//          prefixes' check number; layout in index_file.h), the array
//          checks and the sort mark (readers that stop after the arrays
//          never see them):
//          0   8  "CVIXSUMS"
//          8   8X check number of each array's bytes
//          then the sort mark:
//          0   8  "CVIXSORT"
//          8   8  Collation::Mark() of the collation the arrays are sorted by
//          16  8  check number of the headers, the checks and the mark
//          (older files carry the sort mark alone, right after the arrays,
//          its check number covering every byte before it; they still load)
//
// The arrays are order-statistics structures: inserting or removing an entry
// at a position costs far less than moving the whole array, so posting
// 164,000 records in random order stays fast, while positions and the order
// of equal keys are exactly those of a plain array.
//
// A loaded array is trusted only when it is a permutation of 0..N-1 whose
// neighbours are in order under this process's collation: a file written
// under another locale, or damaged in a way its counts do not show, gets
// that index rebuilt instead of searched wrongly. Checking the order reads
// every record, so it is skipped when an intact sort mark names this
// process's collation (and, where the file has them, the array's own check
// matches); a file without one is saved again, with it, when the table
// closes. Nothing read from the file allocates more than the file's own
// size.
//
// Opening a table reads no array it does not use: LoadFrom reads the
// headers and checks, and each array on its first use (see LoadFrom). The
// first few searches for a key (GetMatchedRecordsArray, "=") do not even
// read that: they probe the array where it lies, reading only the entries
// they touch, each kept in range, through pages the container checks as it
// reads them; the array's check number and order are proved when it is
// read whole, after those searches or on any other use. The
// stored key prefixes are read once their index has served a few searches
// (a lookup or two read fewer bytes of records than they take), and used
// only when their check number holds and their array is the one saved.
#ifndef CORVANE_TABLE_TABLE_INDEXES_H_
#define CORVANE_TABLE_TABLE_INDEXES_H_

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "table/record_layout.h"

namespace corvane::table {

class Collation;

// Where the indexes read record slots from (the table's page cache).
class RecordSource {
 public:
  virtual ~RecordSource() = default;
  virtual int32_t RecordCount() const = 0;
  // The slot of physical record `r`; valid until the next call.
  virtual const uint8_t* Slot(int32_t r) = 0;
};

// One search condition: a field, a value held in a record-shaped buffer at
// that field's place (with its null flag), an operator and two flags. The
// filter-expression and find family build the same structure.
struct SearchCondition {
  // kIsNull / kIsNotNull test the field's null flag and ignore the value.
  enum Operator {
    kEqual, kNotEqual, kLess, kLessOrEqual, kGreater, kGreaterOrEqual, kLike, kNotLike,
    kIsNull, kIsNotNull
  };
  int32_t field = -1;          // stored field position; -1 = identifier
  std::vector<uint8_t> value;  // slot-sized buffer holding the value
  Operator op = kEqual;
  bool case_insensitive = false;
  bool partial = false;  // strings: a field value beginning with the value matches
};

// Progress of (re)building all indexes: start, one call per index with the
// percentage of indexes done, then finish with 100.
using BuildProgress = std::function<void(bool starting, bool finished, int percent)>;

class TableIndexes {
 public:
  TableIndexes(const RecordLayout& layout, RecordSource& records, const Collation& collation);
  ~TableIndexes();

  int Count() const;
  const IndexHeader& Header(int index) const;
  // Index number by name, ignoring case; -1 when none.
  int Find(const std::string& name) const;
  // The same, raising "Error in TCvDataManager.InternalGetIndexNo - Index "name" not found!".
  int Get(const std::string& name) const;

  // The automatic indexes of a new table, in order: "@" + identifier name;
  // then for each stored field that is not a BLOB type or bytes, "@@" + name
  // (case-insensitive) first for strings and wide strings, then "@" + name.
  void AddAutomaticIndexes(const std::string& id_field_name);
  // Adds an index and builds its array (InternalAddIndex and its messages).
  // `fields`, `case_insensitive` and `ascending` are parallel lists.
  void AddIndex(const std::string& name, const std::vector<int32_t>& fields,
                const std::vector<bool>& case_insensitive, const std::vector<bool>& ascending,
                bool all_case_insensitive, bool all_descending, uint8_t options);

  bool IsCurrent(int index) const;
  void Build(int index);  // quicksort, middle element as pivot
  void BuildAll(const BuildProgress& progress);
  // Rebuilds the index unless it is current.
  void EnsureCurrent(int index);

  // Record number at a position (-1 outside the array), and the position of
  // a record (found by its key, then among the equal keys; -1 when absent).
  // Both build the index first when it is not current.
  int32_t RecordAt(int index, int32_t position);
  int32_t PositionOf(int index, int32_t record);
  // The uniform binary position search for the key held in `key_slot`
  // (partial: strings compared over the key's own length).
  int32_t FindPosition(int index, const uint8_t* key_slot, bool partial = false);

  // Maintenance, with the throttle for tables of at most 10 records (counted
  // before the change). Only current arrays are maintained; one that is not
  // current is rebuilt before an insert or delete on a table of more than
  // 10 records, else before its next use.
  // OnInsert: record `record` (= N - 1) has just been appended.
  void OnInsert(int32_t record, int current_index);
  // OnUpdate: `old_slot` is the record's slot before the rewrite; the new
  // slot is already readable through the record source.
  void OnUpdate(int32_t record, const uint8_t* old_slot, int current_index);
  // OnDelete: before the slots move; the entry of `record` goes and the entry
  // of `last` (N - 1) is renumbered `record`. Raises the DeleteRecordPhys
  // messages when either cannot be found.
  void OnDelete(int32_t record, int32_t last, int current_index);

  // The name of the first unique index holding a record with `slot`'s key
  // and another identifier.
  std::optional<std::string> FindKeyViolation(const uint8_t* slot);

  // Records matching one condition, in index order, through "@@" + field
  // (case-insensitive strings) or "@" + field, built first when not current.
  // Each operator takes a run of that index around the value's position:
  // empty values sort first, so "<" also holds the records whose field is
  // empty. A condition whose value is empty matches nothing. Like and not
  // like raise "TCvDataSet.GetMatchedRecordsArray - Like operator is not
  // supported in GetMatchedRecordsArray procedure.". `count_only` leaves the
  // list empty; `count` (may be null) receives the number of matches.
  std::vector<int32_t> GetMatchedRecordsArray(const SearchCondition& condition, bool count_only,
                                              int64_t* count);
  // One record against one condition, agreeing with GetMatchedRecordsArray;
  // like and not like match the pattern ("%", "_"). A field outside the
  // table or an unknown operator raises "TCvDataSet.IsRecordMatches -
  // Unsupported search operation in TCvDataSet.IsRecordMatches".
  bool IsRecordMatches(int32_t record, const SearchCondition& condition);
  // The record search behind Locate: the condition with the fewest matches
  // (the one-twentieth rule), candidates tested against the others and
  // `visible`, then the first in the current order (`current_index`, or
  // physical order when -1). Returns the physical record or -1, also when
  // a condition's value is empty.
  int32_t Locate(const std::vector<SearchCondition>& conditions, int current_index,
                 const std::function<bool(int32_t)>& visible);

  // The ".idx" file's bytes. Arrays the throttle left behind are rebuilt
  // first, so the file always holds every index in order.
  std::vector<uint8_t> Save(uint32_t change_counter) const;
  // Loads from the ".idx" bytes with every fallback (missing or damaged
  // headers, stale counter, short arrays, arrays out of order under this
  // process's collation): rebuilds what cannot be trusted, calling
  // `progress`. `field_count` is F and must match the layout, whose fields
  // the headers are checked against; `table_version` is the table's version
  // (it decides whether headers carry an options byte).
  void Load(const std::vector<uint8_t>& bytes, uint32_t change_counter, int field_count,
            double table_version, const std::string& id_field_name, const BuildProgress& progress);
  // Whether the last Save/Load matched the table's change counter. After a
  // Load that had to rebuild anything it differs from the table's counter,
  // since the file does not hold the rebuilt arrays; closing saves them then.
  uint32_t SavedChangeCounter() const;

  // Reads up to `size` bytes of the ".idx" file at `offset` into `out`;
  // returns the count read, fewer at the file's end or on a failure.
  using FileReader = std::function<std::size_t(uint64_t offset, std::size_t size, uint8_t* out)>;
  // Load from a ".idx" file of `file_size` bytes read through `read`. When
  // the file ends in intact array checks naming this process's collation
  // and its counter is the table's, only the headers and checks are read
  // now and each array on its first use: taken when its check matches and
  // it holds every record once, else checked for order as Load does, and
  // rebuilt when out of order or unreadable (the file is then saved again
  // when the table closes). Any other file is read whole and goes to Load.
  // `read` must stay usable until every array is in: until Save, or the
  // end of these indexes.
  void LoadFrom(uint64_t file_size, const FileReader& read, uint32_t change_counter, int field_count,
                double table_version, const std::string& id_field_name, const BuildProgress& progress);

  // The clock of the maintenance throttle (platform::TickCount by default).
  void SetTickSource(std::function<uint32_t()> tick);

  // While on, inserts keep only the primary and unique indexes sorted (the
  // key check of Post needs them); the others are dropped and built whole
  // on their next use or at the save. Filling a large table that way sorts
  // each index once instead of searching it for every record.
  void SetDeferMaintenance(bool on);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace corvane::table

#endif  // CORVANE_TABLE_TABLE_INDEXES_H_
