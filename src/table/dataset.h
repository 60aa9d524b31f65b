// TCvDataset: a record-buffer dataset over one table of a database.
//
// The dataset names its table by DatabaseFileName or DatabaseName and
// TableName (database.h tells how the database is found), creates it from
// FieldDefs and IndexDefs (CreateTable), opens it (SetActive), and then
// offers the current record of an ordered view: navigation, bookmarks,
// ranges, Locate, and Insert / Edit / Post / Cancel / Delete.
//
// States: inactive; browse; insert (a new record buffer not yet in the
// table); edit (a copy of the current record being changed). Post writes
// the buffer and returns to browse; Cancel drops it. Moving to another
// record in insert or edit state posts a modified buffer first and drops an
// unmodified one.
//
// The view. Records are shown in the current order: the index selected by
// IndexName or IndexFieldNames, or the physical record order when none is.
// The view holds the records that pass one test (IsRecordVisible): inside
// the range set by SetRange, accepted by the filter and by the master/detail
// link. The filter (while Filtered) is the Filter expression
// (search_parser.h, read with FilterOptions) and the OnFilterRecord event;
// the link is the master expression a TCvTable builds from its master's
// current record. A changed Filter, Filtered or FilterOptions is parsed at
// once (a bad expression raises and changes nothing) and moves to the first
// record; a master moving to another record moves its details to their
// first. RecNo is the 1-based place of the current record in the view (the
// record count plus one in insert state; 0 when there is no current record).
//
// Sharing. Datasets open on one table share its TCvDataManager. Each
// remembers the table's change counter; when it differs at the next
// navigation, search, post or delete the view is refreshed and the current
// record found again by its identifier.
//
// Modes: a table is opened normally, in memory (InMemory) or as a temporary
// table (Temporary); all datasets of one table use the same mode. In-memory
// and temporary tables exist from CreateTable until their last dataset
// closes; InternalSaveTable copies one into the database meanwhile.
//
// Failures raise corvane::Error with the engine's messages; a key violation
// on Post raises DatabaseError.
#ifndef CORVANE_TABLE_DATASET_H_
#define CORVANE_TABLE_DATASET_H_

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "table/data_manager.h"
#include "table/database.h"
#include "table/field.h"
#include "table/field_defs.h"
#include "table/search_parser.h"
#include "table/variant.h"

namespace corvane::table {

class KeyComparator;
class TCvBlobStream;
enum class TBlobStreamMode;

enum class TDataSetState { dsInactive, dsBrowse, dsInsert, dsEdit };

// zlib levels of BLOB compression, as stored in the table header.
enum class TBlobCompression : uint8_t { bcNone = 0, bcFastest = 1, bcDefault = 2, bcMax = 3 };

enum TLocateOption : unsigned { loCaseInsensitive = 1, loPartialKey = 2 };
using TLocateOptions = unsigned;

// Record identifier (int32) then physical record number (int32), little-endian.
using TBookmark = std::array<uint8_t, 8>;

using TDataSetNotifyEvent = std::function<void(class TCvDataset&)>;
// Called for each record the view considers, with that record readable
// through the fields; clearing `accept` hides it.
using TFilterRecordEvent = std::function<void(class TCvDataset&, bool& accept)>;
using TBuildIndexesProgressEvent =
    std::function<void(class TCvDataset&, bool starting, bool finished, int percent)>;

inline constexpr std::size_t kMaxDefinitionNameLength = 18;
inline constexpr const char* kCurrentVersion = "3.02 ";

class TCvDataset {
 public:
  TCvDataset();
  virtual ~TCvDataset();
  TCvDataset(const TCvDataset&) = delete;
  TCvDataset& operator=(const TCvDataset&) = delete;

  // ---- naming (set while closed) ----
  const std::string& DatabaseName() const { return database_name_; }
  void SetDatabaseName(const std::string& name);
  // Takes precedence over DatabaseName when the database is located.
  const std::string& DatabaseFileName() const { return database_file_name_; }
  void SetDatabaseFileName(const std::string& name);
  const std::string& TableName() const { return table_name_; }
  // Everything from the last dot on is dropped: "HYPLIST.dat" names HYPLIST.
  void SetTableName(const std::string& name);

  // ---- definitions ----
  TFieldDefs& FieldDefs() { return field_defs_; }
  const TFieldDefs& FieldDefs() const { return field_defs_; }
  TIndexDefs& IndexDefs() { return index_defs_; }
  const TIndexDefs& IndexDefs() const { return index_defs_; }
  bool StoreDefs() const { return store_defs_; }
  void SetStoreDefs(bool store) { store_defs_ = store; }

  // ---- order ----
  const std::string& IndexName() const { return index_name_; }
  // Selects the index of that name, or the physical order for "". Raises
  // "Error in TCvDataSet.OpenIndex - index "x" not found!". Cancels a range.
  void SetIndexName(const std::string& name);
  const std::string& IndexFieldNames() const { return index_field_names_; }
  // Selects an index whose key fields are exactly these, preferring one
  // that is ascending and case-sensitive.
  void SetIndexFieldNames(const std::string& names);

  // ---- table properties ----
  std::string CurrentVersion() const { return kCurrentVersion; }
  void SetCurrentVersion(const std::string&) {}  // read-only
  TBlobCompression BLOBCompression() const { return blob_compression_; }
  void SetBLOBCompression(TBlobCompression level) { blob_compression_ = level; }
  int32_t BLOBBlockSize() const { return blob_block_size_; }
  void SetBLOBBlockSize(int32_t size) { blob_block_size_ = size; }
  // While open: the table's stored flag.
  bool Encrypted() const;
  void SetEncrypted(bool encrypted) { encrypted_ = encrypted; }
  const std::string& Password() const { return password_; }
  void SetPassword(const std::string& password) { password_ = password; }
  bool Exclusive() const { return exclusive_; }
  // Kept only while the dataset is closed; no operation reads it.
  void SetExclusive(bool exclusive);
  // A read-only dataset refuses changes; one that is the first to open its
  // database opens the database's files read-only as well, so that reading
  // never writes (no access times, no saved index repairs).
  bool ReadOnly() const { return read_only_; }
  void SetReadOnly(bool read_only);
  bool InMemory() const { return in_memory_; }
  void SetInMemory(bool in_memory);
  bool Temporary() const { return temporary_; }
  void SetTemporary(bool temporary);
  // Whether the table's ".dat" file exists in the database.
  bool Exists();

  // ---- events ----
  TProgressEvent OnProgress;
  TBuildIndexesProgressEvent OnBuildIndexesProgress;
  TDataSetNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose;
  TDataSetNotifyEvent BeforeInsert, AfterInsert, BeforeEdit, AfterEdit;
  TDataSetNotifyEvent BeforePost, AfterPost, BeforeCancel, AfterCancel;
  TDataSetNotifyEvent BeforeDelete, AfterDelete, BeforeScroll, AfterScroll;
  TDataSetNotifyEvent OnNewRecord;
  TFilterRecordEvent OnFilterRecord;

  // ---- open and close ----
  bool Active() const { return state_ != TDataSetState::dsInactive; }
  void SetActive(bool active);
  void Open() { SetActive(true); }
  void Close() { SetActive(false); }
  TDataSetState State() const { return state_; }
  // Open, not read-only, and the table writable.
  bool CanModify() const;
  bool Modified() const { return modified_; }

  // ---- tables ----
  // Creates (or replaces) the table from FieldDefs and IndexDefs; the
  // dataset stays closed.
  void CreateTable();
  // Removes the table's files; refused while any dataset has it open.
  void DeleteTable();
  // Writes an open in-memory or temporary table to the database.
  void InternalSaveTable();

  // ---- editing ----
  void Insert();
  void Append();
  void Edit();
  void Post();
  void Cancel();
  void Delete();
  // Re-reads the view and the current record.
  void Refresh();

  // ---- fields (while open) ----
  int FieldCount() const { return static_cast<int>(fields_.size()); }
  TField Fields(int index);
  // Raises "Error in TCvDataManager.InternalGetFieldNo - field "x" not found!".
  TField FieldByName(const std::string& name);
  std::optional<TField> FindField(const std::string& name);

  // ---- navigation ----
  void First();
  void Last();
  void Next();
  void Prior();
  // Moves up to `distance` records; returns how far it moved.
  int MoveBy(int distance);
  bool Eof() const { return eof_; }
  bool Bof() const { return bof_; }
  bool IsEmpty() { return RecordCount() == 0; }
  int RecNo();
  void SetRecNo(int rec_no);
  int RecordCount();

  // ---- bookmarks ----
  // The current record's bookmark; all zero without a current record.
  TBookmark GetBookmark();
  // Raises "Record not found" when the record is gone or outside the view.
  void GotoBookmark(const TBookmark& bookmark);
  bool BookmarkValid(const TBookmark& bookmark);

  // ---- ranges over the current index ----
  // Limits the view to the records whose key lies between `start` and `end`
  // (both included), compared over as many key fields as values are given;
  // an empty list leaves that end open.
  void SetRange(const std::vector<Variant>& start, const std::vector<Variant>& end);
  void CancelRange();
  bool RangeActive() const { return range_active_; }

  // ---- search ----
  // Finds the first record of the view, in the current order, whose fields
  // (`field_names` split at ";" and ",") equal the values: one value, or a
  // varArray with one element per field. A null value finds nothing.
  // Returns true and makes the record current, or false and stays.
  bool Locate(const std::string& field_names, const Variant& values, TLocateOptions options = 0);

  // ---- filter and the find family ----
  const std::string& Filter() const { return filter_; }
  void SetFilter(const std::string& expression);
  bool Filtered() const { return filtered_; }
  void SetFiltered(bool filtered);
  TFilterOptions FilterOptions() const { return filter_options_; }
  void SetFilterOptions(TFilterOptions options);
  // The first, last, next or prior record of the view, in the current
  // order, for which the Filter expression holds (whether or not Filtered
  // is on), read with FilterOptions plus foNoPartialCompare unless the
  // expression's next-to-last character is "*". Returns true and makes it
  // current, or false and stays. Raises "TCvDataSet.FindRecord - Filter
  // property is blank." when Filter is blank.
  bool FindFirst() { return FindRecord(true, true); }
  bool FindLast() { return FindRecord(true, false); }
  bool FindNext() { return FindRecord(false, true); }
  bool FindPrior() { return FindRecord(false, false); }

  // ---- BLOBs ----
  std::unique_ptr<TCvBlobStream> CreateBlobStream(TField field, TBlobStreamMode mode);

  // The open table's data manager, for tools that look below the dataset;
  // null while closed.
  TCvDataManager* DataManager() const { return table_ != nullptr ? table_->data.get() : nullptr; }
  // Called by the engine while the table's indexes are built.
  void NotifyBuildIndexesProgress(bool starting, bool finished, int percent);

 protected:
  // A record is in the view when IsRecordVisible says so. While neither the
  // filter nor a master/detail link is active the view is a contiguous
  // stretch of the current order.
  bool FilterActive() const {
    return filtered_ && Active() && ((filter_parser_ && !filter_parser_->Empty()) || OnFilterRecord);
  }
  bool FilterAccepts(int32_t record);
  // The master/detail link: active while a master supplies an expression.
  virtual bool MasterDetailActive() const { return false; }
  bool MasterDetailAccepts(int32_t record);
  // The master expression for the master's current record.
  virtual std::string MasterExpression() { return ""; }
  // The link's side in the master: details registered here hear of every
  // change of this dataset's current record (MasterRecordChanged) and of
  // its end (MasterGone).
  void AddDetail(TCvDataset* detail);
  void RemoveDetail(TCvDataset* detail);
  // Rebuilds the master expression; when it changed, the view moves to its
  // first record.
  void MasterRecordChanged();
  virtual void MasterGone() {}
  // Fills a new record buffer after Insert or Append, before OnNewRecord.
  virtual void InitNewRecord() {}

  bool IsRecordVisible(int32_t record);
  // The key field names of the current order; empty for physical order.
  std::vector<std::string> CurrentIndexFieldNames() const;
  TableMode Mode() const;

 private:
  friend class TField;
  friend class TCvBlobStream;
  friend class TCvTable;  // registers itself as a detail of its master

  // The cached whole-table result of one parser, valid for one change
  // counter of the table.
  struct ConditionBits {
    const RecordBits* bits = nullptr;
    uint32_t counter = 0;
  };

  struct FieldInfo {
    std::string name;
    FieldType type;
    int32_t size;
    bool required;
    int stored;  // stored field position; -1 for the record identifier
  };
  struct RangeKey {
    std::vector<uint8_t> key;  // slot-shaped, values at their fields' places
    int fields = 0;            // key fields given; 0 = open end
  };

  // dataset.cc
  void OpenTable();
  void CloseTable();
  void CheckInactive() const;
  void CheckActive() const;
  void CheckBrowseMode();
  void CheckCanModify() const;
  void BuildFields();
  void SelectOrder();
  void NewRecordBuffer();
  void LoadBuffer();
  void ReleaseBlobStreams();
  void WritePendingBlobs(int32_t record);
  void Fire(const TDataSetNotifyEvent& event) {
    if (event) event(*this);
  }

  // dataset_filter.cc
  void OpenConditions();
  void CloseConditions();
  std::unique_ptr<TSearchParser> NewParser() const;
  std::unique_ptr<TSearchParser> ParseFilter(const std::string& expression, TFilterOptions options) const;
  void Refilter();
  // The parser's whole-table result, evaluated again when the table changed.
  const RecordBits& Evaluated(TSearchParser& parser, ConditionBits& cache);
  bool CallFilterRecord(int32_t record);
  void ParseMaster(const std::string& expression);
  void NotifyDetails();
  bool FindRecord(bool restart, bool forward);

  // dataset_view.cc
  TCvDataManager& Data() const { return *table_->data; }
  int32_t OrderCount() const;
  int32_t RecordAtPosition(int32_t position) const;
  int32_t PositionOfRecord(int32_t record) const;
  bool Contiguous() const { return !FilterActive() && !MasterDetailActive(); }
  bool AcceptedByConditions(int32_t record);
  int32_t FindVisible(int32_t position, int step);
  void SetCurrent(int32_t position);
  void ClearCurrent();
  void RecomputeBounds();
  void RefreshIfChanged();
  void Resync();
  int32_t FindById(int32_t id) const;
  int CompareToKey(int32_t record, const RangeKey& key) const;
  bool RecordInRange(int32_t record) const;
  RangeKey MakeRangeKey(const std::vector<Variant>& values) const;
  SearchCondition PrepareValueBuffer(const FieldInfo& field, const std::string& text) const;
  int FieldIndex(const std::string& name) const;

  // field.cc
  const FieldInfo& Info(int index) const;
  uint8_t* EditableBuffer(const FieldInfo& field);
  const uint8_t* ReadableBuffer() const { return buffer_.empty() ? nullptr : buffer_.data(); }
  std::string BlobValue(const FieldInfo& field) const;
  void SetBlobValue(const FieldInfo& field, const std::string& value);

  // naming and properties
  std::string database_name_, database_file_name_, table_name_;
  TFieldDefs field_defs_;
  TIndexDefs index_defs_;
  std::string index_name_, index_field_names_;
  TBlobCompression blob_compression_ = TBlobCompression::bcNone;
  int32_t blob_block_size_ = 512;
  bool encrypted_ = false;
  std::string password_;
  bool store_defs_ = false;
  bool exclusive_ = false;
  bool read_only_ = false;
  bool in_memory_ = false;
  bool temporary_ = false;

  // open state
  TDataSetState state_ = TDataSetState::dsInactive;
  TCvDatabaseManager* database_ = nullptr;
  TableConnection* table_ = nullptr;
  bool table_read_only_ = false;
  std::vector<FieldInfo> fields_;
  int index_ = -1;  // current index; -1 = physical order
  int32_t lo_ = 0, hi_ = 0;  // the view's stretch of positions
  bool range_active_ = false;
  RangeKey range_start_, range_end_;
  std::unique_ptr<KeyComparator> range_order_;  // the current index's key order
  int32_t position_ = -1;  // of the current record in the current order
  int32_t record_ = -1;    // its physical number
  int32_t record_id_ = 0;  // its identifier (0 = none)
  bool bof_ = true, eof_ = true;
  uint32_t seen_change_counter_ = 0;
  std::vector<uint8_t> buffer_;  // slot + 8 bytes of bookmark
  bool modified_ = false;
  std::map<int, std::string> pending_blobs_;  // stored field -> value to write on Post
  std::vector<TCvBlobStream*> blob_streams_;

  // filter, find family and master/detail link; the parsers exist while open
  std::string filter_;
  bool filtered_ = false;
  TFilterOptions filter_options_ = 0;
  std::unique_ptr<TSearchParser> filter_parser_, find_parser_, master_parser_;
  ConditionBits filter_bits_, master_bits_, find_bits_;
  TFilterOptions find_options_ = 0;  // of the expression find_parser_ holds
  bool master_parsed_ = false;
  std::vector<TCvDataset*> details_;
  bool notifying_details_ = false;  // a master/detail cycle must not recurse
};

}  // namespace corvane::table

#endif  // CORVANE_TABLE_DATASET_H_
