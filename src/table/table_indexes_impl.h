// The state behind TableIndexes, shared by its source files (headers and
// building, maintenance, searches). Private to the table library.
#ifndef CORVANE_TABLE_TABLE_INDEXES_IMPL_H_
#define CORVANE_TABLE_TABLE_INDEXES_IMPL_H_

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "table/collation.h"
#include "table/index_file.h"
#include "table/key_compare.h"
#include "table/position_search.h"
#include "table/record_number_array.h"
#include "table/table_indexes.h"

namespace corvane::table {

struct IndexState {
  IndexHeader header;
  KeyComparator comparator;
  RecordNumberArray array;
  bool current = false;  // the array is complete and sorted
  // An array left in the file by LoadFrom: where, and its check number.
  bool in_file = false;
  uint64_t file_offset = 0;
  uint64_t file_check = 0;
  // Its key prefixes stored beside it, when the file has them; they fit
  // the array read as saved while it stays at that generation.
  bool prefixes_in_file = false;
  uint64_t prefixes_offset = 0;
  uint64_t prefixes_check = 0;
  uint64_t saved_generation = 0;
  int searches = 0;  // prefixed searches while the stored prefixes wait
  int searches_in_place = 0;  // searches of the array while still in the file
  // Dropped by SetDeferMaintenance: built as the inserts would have left it.
  bool deferred = false;
};

struct TableIndexes::Impl {
  Impl(const RecordLayout& l, RecordSource& r, const Collation& c)
      : layout(l), records(r), collation(c) {}

  const RecordLayout& layout;
  RecordSource& records;
  const Collation& collation;
  std::vector<IndexState> indexes;
  std::string id_field_name;
  uint32_t saved_counter = 0;
  // How arrays left in the file are read (LoadFrom), and the counter the
  // file was saved with.
  FileReader read_file;
  uint32_t file_counter = 0;
  int32_t file_records = 0;  // N when the file was loaded
  // The automatic index a condition on a field uses, by field + 1 and case
  // ("@" + name, "@@" + name); -2 when not looked up yet. Cleared whenever
  // the index list changes, so searches skip the lookup by name.
  std::vector<std::array<int, 2>> condition_index;

  // SetDeferMaintenance, and whether every record since it was turned on
  // for an empty table came by an insert, in record order: only then can a
  // deferred index be rebuilt as the inserts would have left it.
  bool defer_maintenance = false;
  bool appended_only = false;

  // Throttle of maintenance for tiny tables.
  std::function<uint32_t()> tick;
  bool have_last_tick = false;
  uint32_t last_tick = 0;
  int burst = 0;

  // Slot copies: a record source hands out one slot at a time, so a
  // comparison of two records, or a key taken from a record, needs a copy.
  std::vector<uint8_t> key_buffer;
  std::vector<uint8_t> pivot_buffer;

  IndexState& State(int index);
  const uint8_t* CopySlot(int32_t record, std::vector<uint8_t>& buffer);

  int Find(const std::string& name) const;
  void ClearIndexes() {
    indexes.clear();
    condition_index.clear();
  }
  void AddHeader(IndexHeader header);
  // Checks an index definition (InternalAddIndex and its messages) and adds
  // its header with an empty array, not current.
  void AddIndexHeader(const std::string& name, const std::vector<int32_t>& fields,
                      const std::vector<bool>& case_insensitive, const std::vector<bool>& ascending,
                      bool all_case_insensitive, bool all_descending, uint8_t options);
  void AddAutomaticHeaders(const std::string& id_name);
  void Build(IndexState& s);
  // Every record, sorted by the index's key (equal keys in no set order).
  std::vector<int32_t> SortedRecords(IndexState& s);
  // Build for an index deferred while the table was only appended to
  // (index_replay.cc).
  void BuildAsInserted(IndexState& s);
  void EnsureCurrent(IndexState& s) {
    if (!s.current && s.in_file) ReadFromFile(s);
    if (!s.current) Build(s);
  }
  // Takes an array LoadFrom left in the file when it can be trusted, else
  // rebuilds it (and the file is to be saved again).
  void ReadFromFile(IndexState& s);

  // A process that looks up a word or two searches an array where it lies
  // in the file: a search reads the twenty-odd entries (or stored key
  // prefixes) it probes, each page checked by the container when first
  // read, instead of the whole array and its check number. Every entry read is kept in range, so damage a
  // page's checksum misses gives a wrong answer, never a bad read; an entry
  // that cannot be read or names no record ends the search in place, and
  // the array is read and proved whole as before (rebuilt when it fails).
  // After kSearchesInPlace searches, or for a long run of equal keys, the
  // array is read whole too: searched in memory with its key prefixes, a
  // lookup costs less than a read through the file's pages.
  static constexpr int kSearchesInPlace = 4;
  static constexpr int32_t kMaxRunInPlace = 64;
  // The records whose key equals `key` (one key field), in index order, when
  // `s` is still in the file and can be searched there: true with the run's
  // length in `count` (when not null) and, unless `count_only`, its records
  // in `out`; false when the caller must take the array into memory.
  bool EqualMatchesInFile(IndexState& s, const uint8_t* key, bool partial, bool count_only, int64_t* count,
                          std::vector<int32_t>& out);
  // Entry `p` of an array still in the file; 0, setting `failed`, when it
  // cannot be read or names no record.
  int32_t StoredEntry(const IndexState& s, int32_t p, bool& failed);
  // The stored key prefix of entry `p`; kNullPrefix, setting `failed`, when
  // it cannot be read.
  uint64_t StoredPrefix(const IndexState& s, int32_t p, bool& failed);
  // Reads every array still in the file, before changes or a save.
  void ReadAllFromFile() {
    for (IndexState& s : indexes) {
      if (s.in_file) ReadFromFile(s);
    }
  }
  void Drop(IndexState& s) {
    s.current = false;
    s.in_file = false;
    s.array.Clear();
  }

  // Calls f(compare_at), where compare_at(p) compares `key` with the entry
  // at position p as KeyComparator::CompareKey does. While the array is
  // unchanged and searched often, it compares key prefixes first and reads
  // the record only on a tie: most probes then stay in memory the size of
  // the array instead of missing the caches on a record's slot.
  // The prefixes describe the slots as they were when built. That holds
  // because a slot is only rewritten or moved right before OnUpdate or
  // OnDelete, which change (or drop) every current array before the next
  // prefixed search of it, and a change drops its prefixes.
  template <typename F>
  decltype(auto) WithCompareAt(IndexState& s, const uint8_t* key, bool partial, int key_fields,
                               F&& f) {
    if (const uint64_t* prefixes = PrefixesFor(s, partial, key_fields)) {
      const uint64_t key_prefix = s.comparator.Prefix(key);
      if (key_prefix != KeyComparator::kNullPrefix) {
        const int32_t* flat = s.array.FlatData();
        return f([&, prefixes, flat, key_prefix](int32_t p) {
          const auto at = static_cast<std::size_t>(p);
          return s.comparator.CompareKeyPrefixed(
              key, key_prefix, prefixes[at], [&] { return records.Slot(flat[at]); }, key_fields);
        });
      }
    }
    return f([&](int32_t p) {
      return s.comparator.CompareKey(key, records.Slot(s.array.At(p)), partial, key_fields);
    });
  }
  // The prefixes of `s` when a search with these arguments can use them,
  // built here once the array has been searched enough; else null.
  const uint64_t* PrefixesFor(IndexState& s, bool partial, int key_fields) {
    if (partial || key_fields == 0 || !s.comparator.HasPrefixes()) return nullptr;
    if (const uint64_t* prefixes = s.array.Prefixes()) return prefixes;
    if (s.prefixes_in_file) {
      // A lookup or two read a few records; more read the stored prefixes,
      // which cost about what two dozen record blocks do.
      if (++s.searches < kSearchesBeforeStoredPrefixes) return nullptr;
      ReadPrefixesFromFile(s);
      if (const uint64_t* prefixes = s.array.Prefixes()) return prefixes;
    }
    return s.array.PrefixesWanted() ? BuildPrefixes(s) : nullptr;
  }
  const uint64_t* BuildPrefixes(IndexState& s);
  std::vector<uint64_t> PrefixesByRecord(const IndexState& s);
  static constexpr int kSearchesBeforeStoredPrefixes = 4;
  // Takes the prefixes stored beside an array just read as saved, when
  // their bytes match their check; else they are built as usual.
  void ReadPrefixesFromFile(IndexState& s);
  // The index whose prefixes a save stores (Count() when none): the first
  // that has them, in a table with automatic indexes the one of its first
  // text field (the word list's NWORD). One only, as each costs 8 bytes a
  // record and a table is mostly searched by one key; the others still
  // build theirs in memory when searched often.
  std::size_t StoredPrefixesIndex() const;
  // Those prefixes, in array order (made from the records when not in
  // memory), unless the index is missing or not current.
  std::vector<KeyPrefixBlock> PrefixBlocksToSave();

  // The position search over `s` for `key`.
  int32_t Search(IndexState& s, const uint8_t* key, bool partial, int key_fields = -1) {
    return WithCompareAt(s, key, partial, key_fields, [&](auto&& compare_at) {
      return PositionSearch(s.array.Size(), compare_at);
    });
  }
  // The position of `record`, whose key is `key`, or -1. The record's own
  // entry reads as `key` (its slot may already hold a new value).
  int32_t FindRecordPosition(IndexState& s, const uint8_t* key, int32_t record);
  // The run [first, last) of entries whose key equals `key` around `pos`.
  void EqualRun(IndexState& s, const uint8_t* key, bool partial, int key_fields, int32_t pos,
                int32_t* first, int32_t* last);

  // Whether every index is maintained by this change (the throttle), given
  // the number of records before it.
  bool MaintainAll(int32_t records_before);
  // Rebuilds the given indexes, reporting progress over them.
  void BuildWithProgress(const std::vector<int>& which, const BuildProgress& progress);
  // A loaded array is used only when it is a permutation of 0..N-1 in order
  // under this process's collation; the order is taken on trust when
  // `check_order` is false (the file's sort mark names this collation).
  // `count` is the N the array must cover (the table's, unless a record
  // was appended since the array was saved).
  bool Trustworthy(IndexState& s, const std::vector<int32_t>& array, bool check_order, int32_t count);
};

}  // namespace corvane::table

#endif  // CORVANE_TABLE_TABLE_INDEXES_IMPL_H_
