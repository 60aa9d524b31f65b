#include "table/data_manager.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <exception>

#include "container/abstract_file.h"
#include "container/pattern_match.h"
#include "container/plain_file_system.h"
#include "platform/memory.h"
#include "table/blob_files.h"
#include "table/collation.h"
#include "table/index_file.h"
#include "table/record_storage.h"
#include "table/table_files.h"

namespace corvane::table {

using container::Quoted;
using container::TAbstractFile;
using container::TAbstractPlainFileSystem;

namespace {

constexpr const char* kExtensions[] = {".dat", ".idx", ".bif", ".bdf"};

bool HasBlobFields(const std::vector<FieldHeader>& fields) {
  for (const FieldHeader& f : fields) {
    if (IsBlobType(f.type)) return true;
  }
  return false;
}

// What the indexes of a table being created read: it has no records yet.
class NoRecords : public RecordSource {
 public:
  int32_t RecordCount() const override { return 0; }
  const uint8_t* Slot(int32_t) override { throw Error("TRecordsPage.GetRecordPtr - Cannot find record"); }
};

const char* Flag(bool b) { return b ? "True" : "False"; }

// The order a table's indexes are searched in. A table that may be written
// keeps this process's collation, re-sorting and saving indexes sorted under
// another locale's. A read-only one cannot save them, and re-sorting at every
// open would cost each reader a full sort: it searches them in the locale
// order their file records instead.
const Collation& IndexCollation(TAbstractFile& idx, bool read_only) {
  const Collation& user = Collation::User();
  const int64_t size = idx.GetSize();
  if (!read_only || size < static_cast<int64_t>(kSortMarkSize)) return user;
  uint8_t tail[kSortMarkSize];
  idx.SetPosition(size - static_cast<int64_t>(kSortMarkSize));
  if (idx.Read(tail, sizeof tail) != static_cast<int64_t>(sizeof tail)) return user;
  const Collation* recorded = Collation::ForMark(PeekSortMark(tail));
  return recorded != nullptr ? *recorded : user;
}

TAbstractFile* OpenTableFile(TAbstractPlainFileSystem& store, const std::string& name, bool create, bool read_only) {
  try {
    return store.OpenFile(name, create, false, read_only);
  } catch (const std::exception&) {
    throw Error("TCvDataManager.OpenFiles - can not open file " + Quoted(name) + ", bCreated = " + Flag(create) +
                ", ReadOnly = " + Flag(read_only));
  }
}

// The files of one table, opened in its store and closed together: by
// CloseAll, which closes every one before it reports the first failure, or
// when the set goes away, where a failure can no longer be reported.
class FileSet {
 public:
  explicit FileSet(TAbstractPlainFileSystem& store) : store_(store) {}
  FileSet(const FileSet&) = delete;
  FileSet& operator=(const FileSet&) = delete;
  ~FileSet() {
    try {
      CloseAll();
    } catch (...) {
      // Whoever needed to hear of it has called CloseAll already.
    }
  }

  TAbstractFile* Open(const std::string& name, bool create, bool read_only) {
    files_.push_back(OpenTableFile(store_, name, create, read_only));
    return files_.back();
  }

  void FlushAll() {
    for (TAbstractFile* f : files_) f->Flush();
  }

  void CloseAll() {
    const std::vector<TAbstractFile*> files = std::move(files_);
    files_.clear();
    std::exception_ptr failure;
    for (TAbstractFile* f : files) {
      try {
        store_.CloseFile(f);
      } catch (...) {
        if (!failure) failure = std::current_exception();
      }
    }
    if (failure) std::rethrow_exception(failure);
  }

 private:
  TAbstractPlainFileSystem& store_;
  std::vector<TAbstractFile*> files_;
};

void ReplaceContent(TAbstractFile& file, const std::vector<uint8_t>& bytes) {
  file.SetPosition(0);
  if (!bytes.empty()) file.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
  file.SetSize(static_cast<int64_t>(bytes.size()));
}

// A new table's ".dat" header and field slots, its ".idx" with the
// automatic and declared indexes, and an empty BLOB pair when asked.
void WriteNewTableFiles(TAbstractFile& dat, TAbstractFile& idx, TAbstractFile* bif, TAbstractFile* bdf,
                        const TableDefinition& d) {
  ReplaceContent(dat, EncodeNewTable(d.id_field_name, d.fields, d.blob_compression));
  const RecordLayout layout = RecordLayout::Make(d.fields);
  NoRecords none;
  TableIndexes indexes(layout, none, Collation::User());
  indexes.AddAutomaticIndexes(d.id_field_name);
  for (const TableDefinition::Index& i : d.indexes) {
    if (!i.name.empty() && i.name[0] == '@') continue;  // automatic names are the engine's own
    indexes.AddIndex(i.name, i.fields, i.case_insensitive, i.ascending, i.all_case_insensitive, i.all_descending,
                     i.options);
  }
  ReplaceContent(idx, indexes.Save(0));
  if (bif != nullptr) BlobFiles::WriteEmpty(*bif, d.blob_block_size);
  if (bdf != nullptr) bdf->SetSize(0);
}

}  // namespace

TableNotFoundError::TableNotFoundError(const std::string& table_name)
    : Error("TCvDataset.OpenTable - table " + Quoted(table_name) + " does not exist.") {}

struct TCvDataManager::Impl {
  Impl(TAbstractPlainFileSystem& s, std::string name, TableMode m, bool small)
      : store(s), table_name(std::move(name)), mode(m), small_cache(small), files(s) {}

  std::string FileName(const char* extension) const { return table_name + extension; }

  TAbstractFile* Open(const char* extension, bool create, bool read_only_wanted) {
    return files.Open(FileName(extension), create, read_only_wanted);
  }

  // A file besides ".dat": created when missing, unless the table is
  // read-only. An index file that exists but does not open is made anew, as
  // indexes can be rebuilt; a BLOB file is not, since its values cannot.
  TAbstractFile* OpenOrCreate(const char* extension, bool rebuildable) {
    TAbstractFile* file = nullptr;
    const bool exists = store.FileExists(FileName(extension));
    if (exists || read_only) {
      try {
        file = Open(extension, false, read_only);
      } catch (const Error&) {
        if (read_only || !rebuildable) throw;
      }
    }
    if (file == nullptr) file = Open(extension, true, false);
    // A table with any file it cannot write must not take changes it could not save.
    if (file->ReadOnly()) read_only = true;
    return file;
  }

  void CreateFiles(const TableDefinition& d) {
    CheckNewTable(d.id_field_name, d.fields, d.blob_compression, d.blob_block_size);
    DeleteTable(store, table_name);
    dat = Open(".dat", true, false);
    idx = Open(".idx", true, false);
    if (HasBlobFields(d.fields)) {
      bif = Open(".bif", true, false);
      bdf = Open(".bdf", true, false);
    }
    WriteNewTableFiles(*dat, *idx, bif, bdf, d);
  }

  void OpenFiles() {
    if (!store.FileExists(FileName(".dat"))) throw TableNotFoundError(table_name);
    dat = Open(".dat", false, read_only);
    read_only = dat->ReadOnly();
    idx = OpenOrCreate(".idx", true);
  }

  void OpenTable() {
    TableFile file = ReadTableFile(*dat, table_name);
    if (file.header.encrypted != 0) {
      throw Error("TCvDataManager.OpenTable - table " + Quoted(table_name) +
                  " is encrypted; encrypted tables are not supported.");
    }
    header = std::move(file.header);
    layout = std::move(file.layout);
    disk_counter = header.change_counter;
    if (HasBlobFields(layout.fields)) {
      if (bif == nullptr) bif = OpenOrCreate(".bif", false);
      if (bdf == nullptr) bdf = OpenOrCreate(".bdf", false);
    }
    const int64_t end = layout.data_start + int64_t(header.record_count) * layout.slot_size;
    // A torn tail from an interrupted write holds no record the header counts.
    if (!read_only && dat->GetSize() > end) dat->SetSize(end);
  }

  void CheckWritable(const char* message) const {
    if (read_only) throw Error(message);
  }

  void CutDataFile() {
    const int64_t end = storage->DataEnd();
    if (dat->GetSize() != end) dat->SetSize(end);
  }

  void SaveHeader() {
    if (read_only) return;
    // The header never counts records the file does not hold yet.
    storage->FlushLog();
    header.record_count = storage->Count();
    WriteTableHeader(*dat, header);
    disk_counter = header.change_counter;
  }

  void SaveIndexes() {
    if (read_only) return;
    ReplaceContent(*idx, indexes->Save(header.change_counter));
  }

  // After a change: the write log's limits, then header and cut as after any flush.
  void AfterChange() {
    if (!storage->FlushIfDue()) return;
    SaveHeader();
    CutDataFile();
  }

  void FlushAll() {
    if (read_only) return;
    storage->FlushLog();
    if (header.change_counter != disk_counter) SaveHeader();
    CutDataFile();
    if (indexes->SavedChangeCounter() != header.change_counter) SaveIndexes();
    if (blobs) blobs->Flush();
    files.FlushAll();
  }

  void CloseFiles() noexcept {
    // Indexes and storage hold references into the files; they go first.
    indexes.reset();
    storage.reset();
    blobs.reset();
    dat = idx = bif = bdf = nullptr;
    try {
      files.CloseAll();
    } catch (...) {
      // Closing is best effort here; Close reports through FlushAll.
    }
  }

  void CheckBlobField(int field) const {
    if (field < 0 || field >= static_cast<int>(layout.fields.size()) ||
        !IsBlobType(layout.fields[static_cast<std::size_t>(field)].type) || !blobs) {
      throw Error("Error in TCvDataManager.ReadBLOBValue - field #" + std::to_string(field) +
                  " is not a BLOB field");
    }
  }

  TAbstractPlainFileSystem& store;
  std::string table_name;
  TableMode mode;
  bool small_cache;
  bool read_only = false;
  bool closed = false;
  FileSet files;  // before the parts below, which hold references into the files
  TAbstractFile* dat = nullptr;
  TAbstractFile* idx = nullptr;
  TAbstractFile* bif = nullptr;
  TAbstractFile* bdf = nullptr;
  TableHeader header;
  RecordLayout layout;
  uint32_t disk_counter = 0;
  std::unique_ptr<RecordStorage> storage;
  std::unique_ptr<BlobFiles> blobs;
  std::unique_ptr<TableIndexes> indexes;
  std::vector<uint8_t> old_slot;  // scratch for rewrites and deletes
  std::vector<uint8_t> new_slot;
};

TCvDataManager::TCvDataManager(TAbstractPlainFileSystem& store, const std::string& table_name, TableMode mode,
                               bool small_cache, const BuildProgress& progress, bool read_only)
    : TCvDataManager(store, table_name, nullptr, mode, small_cache, progress, read_only) {}

TCvDataManager::TCvDataManager(TAbstractPlainFileSystem& store, const std::string& table_name,
                               const TableDefinition* create, TableMode mode, bool small_cache,
                               const BuildProgress& progress, bool read_only)
    : impl_(std::make_unique<Impl>(store, table_name, mode, small_cache)) {
  Impl& m = *impl_;
  m.read_only = read_only;
  try {
    if (create != nullptr) {
      m.CreateFiles(*create);
    } else {
      m.OpenFiles();
    }
    m.OpenTable();
    if (m.bif != nullptr) {
      const int32_t block_size = create != nullptr ? create->blob_block_size : 512;
      m.blobs = std::make_unique<BlobFiles>(*m.bif, *m.bdf, table_name, m.header.blob_compression, block_size,
                                            m.read_only);
    }
    const PagePlan plan = PlanPages(m.header.record_count, m.layout.slot_size, platform::AvailablePhysicalMemory(),
                                    mode == TableMode::kInMemory, small_cache);
    m.storage = std::make_unique<RecordStorage>(*m.dat, m.layout.slot_size, m.layout.data_start,
                                                m.header.record_count, plan);
    m.indexes = std::make_unique<TableIndexes>(m.layout, *this, IndexCollation(*m.idx, m.read_only));
    // Arrays are read from ".idx" when first used: a lookup on one index
    // reads that index alone.
    TAbstractFile& idx = *m.idx;
    auto read = [&idx](uint64_t offset, std::size_t size, uint8_t* out) -> std::size_t {
      idx.SetPosition(static_cast<int64_t>(offset));
      return size == 0 ? 0 : static_cast<std::size_t>(std::max<int64_t>(idx.Read(out, static_cast<int64_t>(size)), 0));
    };
    m.indexes->LoadFrom(static_cast<uint64_t>(std::max<int64_t>(idx.GetSize(), 0)), read, m.header.change_counter,
                        static_cast<int>(m.layout.fields.size()), m.header.version, m.header.id_field_name,
                        progress);
  } catch (...) {
    m.CloseFiles();
    if (create != nullptr) {
      try {
        DeleteTable(store, table_name);
      } catch (...) {
        // The creation's own failure is the one to report.
      }
    }
    throw;
  }
}

TCvDataManager::~TCvDataManager() {
  try {
    Close();
  } catch (...) {
    // A destructor cannot report; callers that care call Close() first.
  }
}

std::unique_ptr<TCvDataManager> TCvDataManager::CreateAndOpen(TAbstractPlainFileSystem& store,
                                                              const std::string& table_name,
                                                              const TableDefinition& definition, TableMode mode,
                                                              bool small_cache, const BuildProgress& progress) {
  return std::unique_ptr<TCvDataManager>(
      new TCvDataManager(store, table_name, &definition, mode, small_cache, progress, false));
}

void TCvDataManager::Close() {
  Impl& m = *impl_;
  if (m.closed) return;
  m.closed = true;
  try {
    m.FlushAll();
  } catch (...) {
    m.CloseFiles();
    throw;
  }
  // Closing flushes; a failure there must be heard, after every file is closed.
  m.indexes.reset();
  m.storage.reset();
  m.blobs.reset();
  m.dat = m.idx = m.bif = m.bdf = nullptr;
  m.files.CloseAll();
}

void TCvDataManager::CreateTable(TAbstractPlainFileSystem& store, const std::string& table_name,
                                 const TableDefinition& definition) {
  CheckNewTable(definition.id_field_name, definition.fields, definition.blob_compression,
                definition.blob_block_size);
  DeleteTable(store, table_name);
  try {
    FileSet files(store);
    auto open = [&](const char* extension) { return files.Open(table_name + extension, true, false); };
    TAbstractFile* dat = open(".dat");
    TAbstractFile* idx = open(".idx");
    TAbstractFile* bif = nullptr;
    TAbstractFile* bdf = nullptr;
    if (HasBlobFields(definition.fields)) {
      bif = open(".bif");
      bdf = open(".bdf");
    }
    WriteNewTableFiles(*dat, *idx, bif, bdf, definition);
    files.CloseAll();
  } catch (...) {
    // The files are closed by now: the set went out of scope.
    try {
      DeleteTable(store, table_name);
    } catch (...) {
    }
    throw;
  }
}

void TCvDataManager::DeleteTable(TAbstractPlainFileSystem& store, const std::string& table_name) {
  for (const char* extension : kExtensions) {
    const std::string name = table_name + extension;
    if (store.FileExists(name) && !store.DeleteFile(name)) {
      throw Error("TCvDataManager.DeleteTable - can not delete file " + Quoted(name));
    }
  }
}

bool TCvDataManager::TableExists(TAbstractPlainFileSystem& store, const std::string& table_name) {
  return store.FileExists(table_name + ".dat");
}

const std::string& TCvDataManager::TableName() const { return impl_->table_name; }
const RecordLayout& TCvDataManager::Layout() const { return impl_->layout; }
const std::string& TCvDataManager::IdFieldName() const { return impl_->header.id_field_name; }
int32_t TCvDataManager::RecordCount() const { return impl_->storage ? impl_->storage->Count() : 0; }
int32_t TCvDataManager::LastId() const { return impl_->header.last_id; }
uint32_t TCvDataManager::ChangeCounter() const { return impl_->header.change_counter; }
double TCvDataManager::Version() const { return impl_->header.version; }
bool TCvDataManager::ReadOnly() const { return impl_->read_only; }
TableMode TCvDataManager::Mode() const { return impl_->mode; }
bool TCvDataManager::Encrypted() const { return impl_->header.encrypted != 0; }
TableIndexes& TCvDataManager::Indexes() { return *impl_->indexes; }

int TCvDataManager::InternalGetFieldNo(const std::string& name) const {
  const std::vector<FieldHeader>& fields = impl_->layout.fields;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (container::SameName(fields[i].name, name)) return static_cast<int>(i);
  }
  if (container::SameName(impl_->header.id_field_name, name)) return -1;
  throw Error("Error in TCvDataManager.InternalGetFieldNo - field " + Quoted(name) + " not found!");
}

int TCvDataManager::InternalGetIndexNo(const std::string& name) const { return impl_->indexes->Get(name); }

void TCvDataManager::InternalAddIndex(const TableDefinition::Index& i) {
  impl_->CheckWritable("Error in TCvDataManager.InternalAddIndex - table is read only.");
  impl_->indexes->AddIndex(i.name, i.fields, i.case_insensitive, i.ascending, i.all_case_insensitive,
                           i.all_descending, i.options);
  SaveIndexesToDisk();
}

const uint8_t* TCvDataManager::Slot(int32_t record) { return impl_->storage->Slot(record); }
void TCvDataManager::LockRecord(int32_t record) { impl_->storage->LockRecordPage(record); }
void TCvDataManager::UnlockRecord(int32_t record) { impl_->storage->UnlockRecordPage(record); }

int32_t TCvDataManager::AppendRecord(uint8_t* slot, int current_index) {
  Impl& m = *impl_;
  m.CheckWritable("Error in TCvDataSet.InternalPost - table is read only.");
  if (m.header.last_id == INT32_MAX) {
    throw Error("TCvDataManager.AppendRecord - the record identifier cannot grow past 2147483647.");
  }
  const int32_t id = m.header.last_id + 1;
  m.layout.SetId(slot, id);
  m.storage->Append(slot);
  m.header.last_id = id;
  ++m.header.change_counter;
  m.header.record_count = m.storage->Count();
  const int32_t record = m.storage->Count() - 1;
  m.indexes->OnInsert(record, current_index);
  m.AfterChange();
  return record;
}

void TCvDataManager::RewriteRecord(int32_t record, const uint8_t* slot, int current_index) {
  Impl& m = *impl_;
  m.CheckWritable("Error in TCvDataSet.InternalPost - table is read only.");
  const auto size = static_cast<std::size_t>(m.layout.slot_size);
  const uint8_t* current = m.storage->Slot(record);
  m.old_slot.assign(current, current + size);
  m.new_slot.assign(slot, slot + size);
  // The identifier stays with the record: BLOB values and unique checks rely on it.
  m.layout.SetId(m.new_slot.data(), m.layout.GetId(m.old_slot.data()));
  ++m.header.change_counter;
  m.storage->Write(record, m.new_slot.data());
  m.indexes->OnUpdate(record, m.old_slot.data(), current_index);
  m.AfterChange();
}

void TCvDataManager::DeleteRecordPhys(int32_t record, int current_index) {
  Impl& m = *impl_;
  m.CheckWritable("Error in TCvDataSet.InternalDelete - table is read only.");
  const int32_t count = m.storage->Count();
  if (count == 0) throw Error("Error in TCvDataSet.InternalDelete - no records in table.");
  const int32_t id = m.layout.GetId(m.storage->Slot(record));
  const int32_t last = count - 1;
  ++m.header.change_counter;
  m.indexes->OnDelete(record, last, current_index);
  if (record != last) {
    const uint8_t* moved = m.storage->Slot(last);
    m.old_slot.assign(moved, moved + m.layout.slot_size);
    m.storage->Write(record, m.old_slot.data());
  }
  m.storage->RemoveLast();
  m.header.record_count = m.storage->Count();
  if (m.blobs) m.blobs->Remove(id);
  m.AfterChange();
}

void TCvDataManager::SaveTableHeaders() { impl_->SaveHeader(); }
void TCvDataManager::SaveIndexesToDisk() { impl_->SaveIndexes(); }
void TCvDataManager::Flush() { impl_->FlushAll(); }

std::string TCvDataManager::ReadBLOBValue(int32_t record, int field) {
  impl_->CheckBlobField(field);
  return ReadBLOBValueById(impl_->layout.GetId(impl_->storage->Slot(record)), field);
}

void TCvDataManager::WriteBLOBValue(int32_t record, int field, const std::string& value) {
  impl_->CheckBlobField(field);
  WriteBLOBValueById(impl_->layout.GetId(impl_->storage->Slot(record)), field, value);
}

std::string TCvDataManager::ReadBLOBValueById(int32_t id, int field) {
  impl_->CheckBlobField(field);
  return impl_->blobs->Read(id, field);
}

void TCvDataManager::WriteBLOBValueById(int32_t id, int field, const std::string& value) {
  impl_->CheckBlobField(field);
  impl_->CheckWritable("Error in TCvDataManager.WriteBLOBValue - table is read only.");
  impl_->blobs->Write(id, field, value);
}

}  // namespace corvane::table
