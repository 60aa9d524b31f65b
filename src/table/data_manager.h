// TCvDataManager: one open table. Owns the table's files in its database's
// file store, the header and field headers, the record page cache, the
// write log and the indexes; shared by every dataset open on the table.
//
// ".dat" file: a 56-byte header, F field slots of 32 bytes, then N record
// slots of S bytes (record_layout.h):
//   0   4  last assigned record identifier    4  21  identifier field name
//   25  3  low three bytes of F (ignored)     28  4  F
//   32  4  N                                  36  4  reserved (kept as read)
//   40  8  format version, double (2.2)       48  1  reserved byte
//   49  1  BLOB compression level             50  1  encrypted flag
//   51  1  low byte of the change counter     52  4  change counter
// Field slot: name (short string of 20), type code, 2 reserved, width
// (int32), required flag, 3 zero. table_files.h reads and checks them.
//
// Files: name.dat must exist (TableNotFoundError otherwise); name.idx, and
// name.bif / name.bdf when the table has BLOB fields (blob_files.h), are
// created when missing. When any of them opens only read-only, the table is
// read-only and every change is refused with the dataset's message.
//
// Changes reach ".dat" through the write log (record_storage.h), which is
// flushed at 10000 pending writes, at a tenth of the available memory, or
// when its oldest write is over a second old; after such a flush the header
// is saved and ".dat" cut to D + N*S. The header is written only after the
// log, so it never counts records the file does not hold yet.
#ifndef CORVANE_TABLE_DATA_MANAGER_H_
#define CORVANE_TABLE_DATA_MANAGER_H_

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/error.h"
#include "table/record_layout.h"
#include "table/table_indexes.h"

namespace corvane::container {
class TAbstractPlainFileSystem;
}

namespace corvane::table {

enum class TableMode { kNormal = 0, kInMemory = 3, kTemporary = 4 };

// The table's ".dat" file is not in the store; the message is the one the
// dataset shows: "TCvDataset.OpenTable - table "name" does not exist.".
class TableNotFoundError : public Error {
 public:
  explicit TableNotFoundError(const std::string& table_name);
};

// What table creation needs, already checked by the dataset layer.
struct TableDefinition {
  std::string id_field_name;        // the record identifier field
  std::vector<FieldHeader> fields;  // stored fields, widths set
  struct Index {
    std::string name;
    std::vector<int32_t> fields;  // -1 = identifier
    std::vector<bool> case_insensitive;
    std::vector<bool> ascending;
    bool all_case_insensitive = false;
    bool all_descending = false;
    uint8_t options = 0;
  };
  std::vector<Index> indexes;  // declared indexes (automatic ones are added)
  uint8_t blob_compression = 0;
  int32_t blob_block_size = 512;
};

class TCvDataManager : public RecordSource {
 public:
  // Opens table `table_name` in `store`; throws corvane::Error with the
  // table's messages (missing table, version, file open failures). With
  // `read_only` the files are opened for reading only, whatever the store
  // allows, and nothing is ever written to them.
  TCvDataManager(container::TAbstractPlainFileSystem& store, const std::string& table_name,
                 TableMode mode, bool small_cache, const BuildProgress& progress = {}, bool read_only = false);
  // Closes as Close() does, swallowing failures; call Close() to see them.
  ~TCvDataManager() override;

  // Creates the table's files from `definition` and opens the table on them
  // without closing them in between: the only way to open a table in a
  // memory store, whose files cannot be opened again once closed.
  static std::unique_ptr<TCvDataManager> CreateAndOpen(container::TAbstractPlainFileSystem& store,
                                                       const std::string& table_name,
                                                       const TableDefinition& definition, TableMode mode,
                                                       bool small_cache, const BuildProgress& progress = {});

  // Flushes the write log, saves the header when the change counter on
  // disk differs, cuts ".dat" to D + N*S, saves the indexes when their
  // saved counter differs, flushes and closes the files. Later calls do
  // nothing; the other methods must not be used after it.
  void Close();

  // Writes a new table's files (replacing any of that name) and closes them.
  static void CreateTable(container::TAbstractPlainFileSystem& store, const std::string& table_name,
                          const TableDefinition& definition);
  // Removes the table's four files.
  static void DeleteTable(container::TAbstractPlainFileSystem& store, const std::string& table_name);
  static bool TableExists(container::TAbstractPlainFileSystem& store, const std::string& table_name);

  const std::string& TableName() const;
  const RecordLayout& Layout() const;
  const std::string& IdFieldName() const;
  int32_t RecordCount() const override;
  int32_t LastId() const;
  uint32_t ChangeCounter() const;
  double Version() const;
  bool ReadOnly() const;
  TableMode Mode() const;
  bool Encrypted() const;
  // Field number by name, ignoring case; -1 for the identifier field;
  // raises "Error in TCvDataManager.InternalGetFieldNo - field "name" not found!".
  int InternalGetFieldNo(const std::string& name) const;

  // Record `record`'s slot through the page cache; it stays valid until a
  // slot of a third page is asked for or the table changes, so two records
  // can be held for a comparison. "TRecordsPage.GetRecordPtr - Cannot find
  // record" outside 0 .. N - 1.
  const uint8_t* Slot(int32_t record) override;
  // Keeps the page of `record` loaded while a caller works on its slot
  // ("TRecordPageArray.LockRecordPage - Page is already unloaded." when it
  // is not loaded: call Slot first). Every lock needs an unlock.
  void LockRecord(int32_t record);
  void UnlockRecord(int32_t record);
  // Appends `slot` as a new record: assigns the next identifier (written
  // into `slot`), grows N and the change counter, maintains the indexes.
  // Returns the new record's number.
  int32_t AppendRecord(uint8_t* slot, int current_index);
  // Writes `slot` over record `record`, keeping its identifier; the indexes
  // move the record to its new key.
  void RewriteRecord(int32_t record, const uint8_t* slot, int current_index);
  // Removes record `record`; the last record's slot moves into its place
  // (nothing moves when it is the last), its BLOB values go with it.
  void DeleteRecordPhys(int32_t record, int current_index);

  TableIndexes& Indexes();
  // Index number by name, ignoring case; raises the index's not-found message.
  int InternalGetIndexNo(const std::string& name) const;
  // Adds and builds an index on the open table, then saves the ".idx" file.
  void InternalAddIndex(const TableDefinition::Index& index);
  void SaveTableHeaders();
  void SaveIndexesToDisk();
  // Writes everything pending: the write log, the header and the cut, the
  // indexes when their saved counter differs; then flushes the files.
  void Flush();

  // BLOB values of a record's BLOB field (`field` a stored field number).
  // Values belong to the record identifier, so they follow the record when
  // deletion moves its slot, and go with it when it is deleted.
  std::string ReadBLOBValue(int32_t record, int field);
  void WriteBLOBValue(int32_t record, int field, const std::string& value);
  // The same by record identifier, for a record being inserted (whose
  // identifier is the last one plus one until it is appended).
  std::string ReadBLOBValueById(int32_t id, int field);
  void WriteBLOBValueById(int32_t id, int field, const std::string& value);

 private:
  TCvDataManager(container::TAbstractPlainFileSystem& store, const std::string& table_name,
                 const TableDefinition* create, TableMode mode, bool small_cache, const BuildProgress& progress,
                 bool read_only);

  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace corvane::table

#endif  // CORVANE_TABLE_DATA_MANAGER_H_
