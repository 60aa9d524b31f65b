// TCvDataset: properties, opening and closing, and record editing.
#include "table/dataset.h"

#include <algorithm>
#include <cstring>

#include "container/abstract_file.h"
#include "platform/coding.h"
#include "platform/error.h"
#include "table/blob_stream.h"
#include "table/database_error.h"
#include "table/key_compare.h"

namespace corvane::table {

namespace {

constexpr const char* kDataSetOpen = "Cannot perform this operation on an open dataset";
constexpr const char* kDataSetClosed = "Cannot perform this operation on a closed dataset";

}  // namespace

TCvDataset::TCvDataset() = default;

TCvDataset::~TCvDataset() {
  try {
    SetActive(false);
  } catch (...) {
    // The table is released as far as it could be; a destructor cannot report.
  }
  for (TCvDataset* detail : details_) detail->MasterGone();
}

// ---- properties ----

void TCvDataset::SetDatabaseName(const std::string& name) {
  if (name == database_name_) return;
  CheckInactive();
  database_name_ = name;
}

void TCvDataset::SetDatabaseFileName(const std::string& name) {
  if (name == database_file_name_) return;
  CheckInactive();
  database_file_name_ = name;
}

void TCvDataset::SetTableName(const std::string& name) {
  const std::size_t dot = name.rfind('.');
  const std::string stripped = dot == std::string::npos ? name : name.substr(0, dot);
  if (stripped == table_name_) return;
  CheckInactive();
  table_name_ = stripped;
}

void TCvDataset::SetExclusive(bool exclusive) {
  if (!Active()) exclusive_ = exclusive;
}

void TCvDataset::SetReadOnly(bool read_only) {
  if (read_only == read_only_) return;
  CheckInactive();
  read_only_ = read_only;
}

void TCvDataset::SetInMemory(bool in_memory) {
  if (in_memory == in_memory_) return;
  CheckInactive();
  in_memory_ = in_memory;
}

void TCvDataset::SetTemporary(bool temporary) {
  if (temporary == temporary_) return;
  CheckInactive();
  temporary_ = temporary;
}

bool TCvDataset::Encrypted() const { return Active() ? Data().Encrypted() : encrypted_; }

TableMode TCvDataset::Mode() const {
  if (in_memory_) return TableMode::kInMemory;
  if (temporary_) return TableMode::kTemporary;
  return TableMode::kNormal;
}

bool TCvDataset::CanModify() const { return Active() && !read_only_ && !table_read_only_; }

void TCvDataset::CheckInactive() const {
  if (Active()) throw Error(kDataSetOpen);
}

void TCvDataset::CheckActive() const {
  if (!Active()) throw Error(kDataSetClosed);
}

void TCvDataset::CheckCanModify() const {
  CheckActive();
  if (!CanModify()) throw Error("Cannot modify a read-only dataset");
}

void TCvDataset::NotifyBuildIndexesProgress(bool starting, bool finished, int percent) {
  if (OnBuildIndexesProgress) OnBuildIndexesProgress(*this, starting, finished, percent);
  if (OnProgress) OnProgress(percent);
}

// ---- open and close ----

void TCvDataset::SetActive(bool active) {
  if (active == Active()) return;
  if (active) {
    Fire(BeforeOpen);
    OpenTable();
    Fire(AfterOpen);
  } else {
    Fire(BeforeClose);
    CloseTable();
    Fire(AfterClose);
  }
}

void TCvDataset::OpenTable() {
  TCvDatabaseManager& database = TCvDatabaseManager::ForDataset(database_file_name_, database_name_, read_only_);
  TableConnection* table = nullptr;
  int code = -5;
  try {
    code = database.ConnectDataset(*this, table_name_, Mode(), password_, table);
  } catch (...) {
    TCvDatabaseManager::ReleaseIfUnused(&database);
    throw;
  }
  if (code != 0) {
    TCvDatabaseManager::ReleaseIfUnused(&database);
    switch (code) {
      case -1: throw Error("TCvDataset.OpenTable - table " + container::Quoted(table_name_) + " does not exist.");
      case -2: throw Error("TCvDataset.OpenTable - no password specified.");
      case -3: throw Error("TCvDataset.OpenTable - invalid password.");
      case -4: throw Error("TCvDataset.OpenTable - some table files are missed or locked.");
      default: throw Error("TCvDataset.OpenTable - error.");
    }
  }
  database_ = &database;
  table_ = table;
  state_ = TDataSetState::dsBrowse;
  table_read_only_ = database.ReadOnly() || Data().ReadOnly();
  seen_change_counter_ = Data().ChangeCounter();
  try {
    BuildFields();
    OpenConditions();
    SelectOrder();
    First();
  } catch (...) {
    CloseTable();
    throw;
  }
}

void TCvDataset::CloseTable() {
  ReleaseBlobStreams();
  pending_blobs_.clear();
  TCvDatabaseManager* database = database_;
  TableConnection* table = table_;
  state_ = TDataSetState::dsInactive;
  database_ = nullptr;
  table_ = nullptr;
  table_read_only_ = false;
  fields_.clear();
  buffer_.clear();
  index_ = -1;
  range_active_ = false;
  range_start_ = range_end_ = RangeKey{};
  range_order_.reset();
  position_ = record_ = -1;
  record_id_ = 0;
  lo_ = hi_ = 0;
  bof_ = eof_ = true;
  modified_ = false;
  CloseConditions();
  try {
    if (database != nullptr && table != nullptr) database->DisconnectDataset(*this, *table);
  } catch (...) {
    TCvDatabaseManager::ReleaseIfUnused(database);
    throw;
  }
  TCvDatabaseManager::ReleaseIfUnused(database);
  NotifyDetails();
}

void TCvDataset::BuildFields() {
  // FieldDefs come back from the stored headers: the stored fields, then
  // the identifier as ftAutoInc.
  const RecordLayout& layout = Data().Layout();
  fields_.clear();
  field_defs_.Clear();
  for (std::size_t i = 0; i < layout.fields.size(); ++i) {
    const FieldHeader& h = layout.fields[i];
    fields_.push_back(FieldInfo{h.name, h.type, DefinitionSize(h.type, h.width), h.required, static_cast<int>(i)});
  }
  fields_.push_back(FieldInfo{Data().IdFieldName(), FieldType::ftAutoInc, 0, false, -1});
  for (const FieldInfo& f : fields_) field_defs_.Add(f.name, f.type, f.size, f.required);
}

// ---- buffers ----

void TCvDataset::NewRecordBuffer() {
  const RecordLayout& layout = Data().Layout();
  buffer_ = layout.NewRecord(Data().LastId() + 1);
  buffer_.resize(static_cast<std::size_t>(layout.slot_size) + 8, 0);
  pending_blobs_.clear();
  modified_ = false;
  NotifyDetails();
}

void TCvDataset::LoadBuffer() {
  const RecordLayout& layout = Data().Layout();
  const auto size = static_cast<std::size_t>(layout.slot_size);
  buffer_.assign(size + 8, 0);
  std::memcpy(buffer_.data(), Data().Slot(record_), size);
  record_id_ = layout.GetId(buffer_.data());
  platform::PutI32(buffer_.data() + size, record_id_);
  platform::PutI32(buffer_.data() + size + 4, record_);
  pending_blobs_.clear();
  modified_ = false;
  NotifyDetails();
}

void TCvDataset::ReleaseBlobStreams() {
  for (TCvBlobStream* stream : blob_streams_) stream->Detach();
  blob_streams_.clear();
}

void TCvDataset::WritePendingBlobs(int32_t record) {
  for (const auto& [field, value] : pending_blobs_) Data().WriteBLOBValue(record, field, value);
  pending_blobs_.clear();
}

// ---- editing ----

void TCvDataset::CheckBrowseMode() {
  CheckActive();
  if (state_ == TDataSetState::dsInsert || state_ == TDataSetState::dsEdit) {
    if (modified_) {
      Post();
    } else {
      Cancel();
    }
  }
}

void TCvDataset::Insert() {
  CheckBrowseMode();
  CheckCanModify();
  Fire(BeforeInsert);
  RefreshIfChanged();
  NewRecordBuffer();
  state_ = TDataSetState::dsInsert;
  InitNewRecord();
  Fire(OnNewRecord);
  modified_ = false;  // defaults alone do not make a record worth posting
  Fire(AfterInsert);
}

void TCvDataset::Append() {
  // Records take their place by the current order when posted, so an
  // appended record differs from an inserted one only in where it starts.
  Insert();
}

void TCvDataset::Edit() {
  if (state_ == TDataSetState::dsInsert || state_ == TDataSetState::dsEdit) return;
  CheckCanModify();
  RefreshIfChanged();
  if (record_ < 0) {
    Insert();
    return;
  }
  Fire(BeforeEdit);
  LoadBuffer();
  state_ = TDataSetState::dsEdit;
  Fire(AfterEdit);
}

void TCvDataset::Post() {
  if (Active() && !CanModify()) throw Error("Error in TCvDataSet.InternalPost - table is read only.");
  if ((state_ != TDataSetState::dsInsert && state_ != TDataSetState::dsEdit) || buffer_.empty()) {
    throw Error("Error in TCvDataSet.InternalPost - invalid state.");
  }
  Fire(BeforePost);
  RefreshIfChanged();
  if (state_ == TDataSetState::dsEdit && record_ < 0) throw Error("Record not found");
  if (const std::optional<std::string> index = Data().Indexes().FindKeyViolation(buffer_.data())) {
    throw DatabaseError("TCvDataSet.InternalPost - key violation.\r\nTable name = " +
                        container::Quoted(table_name_) + ".\r\nUnique index name = " + container::Quoted(*index) + ".");
  }
  int32_t record = record_;
  if (state_ == TDataSetState::dsInsert) {
    record = Data().AppendRecord(buffer_.data(), index_);
  } else {
    Data().RewriteRecord(record, buffer_.data(), index_);
  }
  WritePendingBlobs(record);
  seen_change_counter_ = Data().ChangeCounter();
  state_ = TDataSetState::dsBrowse;
  ReleaseBlobStreams();
  modified_ = false;
  RecomputeBounds();
  if (IsRecordVisible(record)) {
    record_ = record;
    SetCurrent(PositionOfRecord(record));
  } else {
    position_ = std::max(lo_, std::min(PositionOfRecord(record), hi_ - 1));
    Resync();
  }
  Fire(AfterPost);
}

void TCvDataset::Cancel() {
  if (state_ != TDataSetState::dsInsert && state_ != TDataSetState::dsEdit) return;
  Fire(BeforeCancel);
  ReleaseBlobStreams();
  pending_blobs_.clear();
  state_ = TDataSetState::dsBrowse;
  modified_ = false;
  if (record_ >= 0) {
    LoadBuffer();
  } else {
    buffer_.clear();
  }
  Fire(AfterCancel);
}

void TCvDataset::Delete() {
  CheckActive();
  if (!CanModify()) throw Error("Error in TCvDataSet.InternalDelete - table is read only.");
  if (state_ == TDataSetState::dsInsert) {
    Cancel();
    return;
  }
  RefreshIfChanged();
  if (record_ < 0 || Data().RecordCount() == 0) {
    throw Error("Error in TCvDataSet.InternalDelete - no records in table.");
  }
  Fire(BeforeDelete);
  ReleaseBlobStreams();
  pending_blobs_.clear();
  state_ = TDataSetState::dsBrowse;
  const int32_t position = position_;
  Data().DeleteRecordPhys(record_, index_);
  seen_change_counter_ = Data().ChangeCounter();
  RecomputeBounds();
  // The record that took the deleted one's place, else the one before.
  const int32_t start = std::min(position, hi_ - 1);
  int32_t next = FindVisible(start, +1);
  if (next < 0) next = FindVisible(start, -1);
  if (next < 0) {
    ClearCurrent();
  } else {
    SetCurrent(next);
  }
  Fire(AfterDelete);
}

void TCvDataset::Refresh() {
  CheckBrowseMode();
  RecomputeBounds();
  Resync();
  seen_change_counter_ = Data().ChangeCounter();
}

// ---- fields ----

int TCvDataset::FieldIndex(const std::string& name) const {
  for (std::size_t i = 0; i < fields_.size(); ++i) {
    if (SameName(fields_[i].name, name)) return static_cast<int>(i);
  }
  return -1;
}

TField TCvDataset::Fields(int index) {
  CheckActive();
  if (index < 0 || index >= FieldCount()) throw Error("List index out of bounds (" + std::to_string(index) + ")");
  return TField(this, index);
}

std::optional<TField> TCvDataset::FindField(const std::string& name) {
  const int index = FieldIndex(name);
  if (index < 0) return std::nullopt;
  return TField(this, index);
}

TField TCvDataset::FieldByName(const std::string& name) {
  CheckActive();
  const int index = FieldIndex(name);
  if (index < 0) {
    throw Error("Error in TCvDataManager.InternalGetFieldNo - field " + container::Quoted(name) + " not found!");
  }
  return TField(this, index);
}

std::unique_ptr<TCvBlobStream> TCvDataset::CreateBlobStream(TField field, TBlobStreamMode mode) {
  return std::make_unique<TCvBlobStream>(field, mode);
}

}  // namespace corvane::table
