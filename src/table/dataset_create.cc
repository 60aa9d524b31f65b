// TCvDataset: creating, deleting and saving tables.
#include <algorithm>

#include "container/abstract_file.h"
#include "container/plain_file_system.h"
#include "platform/error.h"
#include "table/dataset.h"

namespace corvane::table {

namespace {

constexpr const char* kTableExtensions[] = {".dat", ".idx", ".bif", ".bdf"};

// Releases a manager that was made only for one call.
class ManagerHold {
 public:
  explicit ManagerHold(TCvDatabaseManager& manager) : manager_(&manager) {}
  ~ManagerHold() { TCvDatabaseManager::ReleaseIfUnused(manager_); }
  ManagerHold(const ManagerHold&) = delete;
  ManagerHold& operator=(const ManagerHold&) = delete;

 private:
  TCvDatabaseManager* manager_;
};

bool Contains(const std::vector<std::string>& names, const std::string& name) {
  return std::any_of(names.begin(), names.end(), [&](const std::string& n) { return SameName(n, name); });
}

// The record identifier: the first ftAutoInc field; else the single field of
// the ixPrimary index, which must be an integer; else "id".
std::string IdentifierName(const TFieldDefs& fields, const TIndexDefs& indexes) {
  for (const TFieldDef& f : fields.Items()) {
    if (f.type == FieldType::ftAutoInc) return f.name;
  }
  for (int i = 0; i < indexes.Count(); ++i) {
    const TIndexDef& index = indexes[i];
    if (!index.Has(ixPrimary)) continue;
    const std::vector<std::string> names = SplitFieldList(index.fields);
    if (names.empty()) {
      throw Error("Error in TCvDataManager.CreateTable without params - invalid index definition, #" +
                  std::to_string(i) + ".");
    }
    if (names.size() != 1) throw Error("TCvDataManager.Create - Primary index should contain one field of AutoInc type.");
    const int field = fields.IndexOf(names[0]);
    if (field < 0) {
      throw Error("TCvDataManager.Create - cannot find field " + container::Quoted(names[0]) + " of primary index.");
    }
    const FieldType type = fields[field].type;
    if (type != FieldType::ftAutoInc && type != FieldType::ftInteger) {
      throw Error("TCvDataManager.Create - Primary index should contain one field of AutoInc type.");
    }
    return fields[field].name;
  }
  return "id";
}

FieldHeader StoredField(const TFieldDef& def) {
  if (def.name.empty()) throw Error("TCvDataManager.CreateTable - field name is empty.");
  const FieldType type = def.type == FieldType::ftAutoInc ? FieldType::ftInteger : def.type;
  const int32_t width = StoredWidth(type, def.size);
  if (width < 0) {
    switch (type) {
      case FieldType::ftBytes: throw Error("Error in TCvDataManager.CreateTable - illegal ftBytes size !");
      case FieldType::ftString: throw Error("Error in TCvDataManager.CreateTable - illegal string size !");
      case FieldType::ftWideString: throw Error("Error in TCvDataManager.CreateTable - illegal wide string size !");
      default: throw Error("Error in TCvDataManager.CreateTable - Unsupported DB type!");
    }
  }
  FieldHeader header;
  header.name = def.name;
  header.type = type;
  header.width = width;
  header.required = def.required;
  return header;
}

TableDefinition::Index StoredIndex(const TIndexDef& def, int position, const std::string& id_name,
                                   const std::vector<FieldHeader>& fields) {
  const std::vector<std::string> names = SplitFieldList(def.fields);
  if (names.empty()) {
    throw Error("Error in TCvDataManager.CreateTable without params - invalid index definition, #" +
                std::to_string(position) + ".");
  }
  const std::vector<std::string> descending = SplitFieldList(def.descending_fields);
  const std::vector<std::string> case_insensitive = SplitFieldList(def.case_insensitive_fields);
  TableDefinition::Index index;
  index.name = def.name;
  index.all_case_insensitive = def.Has(ixCaseInsensitive);
  index.all_descending = def.Has(ixDescending);
  index.options = static_cast<uint8_t>(def.options & 0xFF);
  for (const std::string& name : names) {
    int32_t field = -1;
    if (!SameName(name, id_name)) {
      const auto it = std::find_if(fields.begin(), fields.end(), [&](const FieldHeader& f) { return SameName(f.name, name); });
      if (it == fields.end()) {
        throw Error("Error in TCvDataManager.InternalGetFieldNo - field " + container::Quoted(name) + " not found!");
      }
      field = static_cast<int32_t>(it - fields.begin());
    }
    index.fields.push_back(field);
    index.ascending.push_back(!index.all_descending && !Contains(descending, name));
    index.case_insensitive.push_back(index.all_case_insensitive || Contains(case_insensitive, name));
  }
  return index;
}

}  // namespace

bool TCvDataset::Exists() {
  if (Active()) return true;
  TCvDatabaseManager& database = TCvDatabaseManager::ForDataset(database_file_name_, database_name_);
  ManagerHold hold(database);
  if (database.FindTable(table_name_) != nullptr) return true;
  if (Mode() == TableMode::kNormal && !database.DatabaseExists()) return false;
  return TCvDataManager::TableExists(database.Store(Mode()), table_name_);
}

void TCvDataset::CreateTable() {
  if (Active()) {
    throw Error("TCvDataSet.InternalCreateTable - Cannot perform this operation on an open DataSet.");
  }
  TCvDatabaseManager& database = TCvDatabaseManager::ForDataset(database_file_name_, database_name_);
  ManagerHold hold(database);
  if (Mode() == TableMode::kNormal) database.CreateDatabaseIfMissing();
  TableConnection* open = database.FindTable(table_name_);
  if (open != nullptr && !open->datasets.empty()) {
    throw Error("TCvDataSet.InternalCreateTable - Table is busy, table " + table_name_);
  }
  if (blob_block_size_ <= 0) throw Error("TCvDataSet.InternalCreateTable - BlobBlockSize must be > 0");
  if (encrypted_) throw Error("TCvDataSet.InternalCreateTable - encrypted tables are not supported.");

  // Every check comes before the first write, so a refused definition
  // leaves an existing table as it was.
  for (const TFieldDef& f : field_defs_.Items()) {
    if (f.name.size() > kMaxDefinitionNameLength) {
      throw Error("Field name must have no more than 18 chars. Please shorten field name " + container::Quoted(f.name));
    }
  }
  for (const TIndexDef& i : index_defs_.Items()) {
    if (i.name.size() > kMaxDefinitionNameLength) {
      throw Error("Index name must have no more than 18 chars. Please shorten index name " + container::Quoted(i.name));
    }
  }
  TableDefinition definition;
  definition.id_field_name = IdentifierName(field_defs_, index_defs_);
  for (const TFieldDef& f : field_defs_.Items()) {
    if (!SameName(f.name, definition.id_field_name)) definition.fields.push_back(StoredField(f));
  }
  for (int i = 0; i < index_defs_.Count(); ++i) {
    const TIndexDef& def = index_defs_[i];
    if (!def.name.empty() && def.name[0] == '@') continue;  // automatic names are the engine's
    definition.indexes.push_back(StoredIndex(def, i, definition.id_field_name, definition.fields));
  }
  definition.blob_compression = static_cast<uint8_t>(blob_compression_);
  definition.blob_block_size = blob_block_size_;
  if (OnProgress) OnProgress(0);
  if (Mode() != TableMode::kNormal) {
    database.CreateScratchTable(table_name_, definition, Mode());
  } else {
    if (open != nullptr) database.DropIdleTable(*open);
    TCvDataManager::CreateTable(database.Store(Mode()), table_name_, definition);
  }
  if (OnProgress) OnProgress(100);
}

void TCvDataset::DeleteTable() {
  if (Active()) throw Error("TCvDataSet.DeleteTable - Cannot perform this operation on an open DataSet.");
  TCvDatabaseManager& database = TCvDatabaseManager::ForDataset(database_file_name_, database_name_);
  ManagerHold hold(database);
  TableConnection* open = database.FindTable(table_name_);
  if (open != nullptr && !open->datasets.empty()) {
    throw Error("TCvDataSet.DeleteTable - Table is busy, table " + table_name_);
  }
  if (open != nullptr) database.DropIdleTable(*open);
  if (Mode() == TableMode::kNormal && !database.DatabaseExists()) return;
  TCvDataManager::DeleteTable(database.Store(Mode()), table_name_);
}

void TCvDataset::InternalSaveTable() {
  CheckBrowseMode();
  TCvDataManager& data = Data();
  data.SaveTableHeaders();
  data.SaveIndexesToDisk();
  data.Flush();
  if (Mode() == TableMode::kNormal) return;
  database_->CreateDatabaseIfMissing();
  container::TAbstractPlainFileSystem& source = database_->Store(Mode());
  container::TAbstractPlainFileSystem& target = database_->Store(TableMode::kNormal);
  if (&source == &target) return;  // an in-memory database keeps its tables there anyway
  for (const char* extension : kTableExtensions) {
    const std::string name = table_name_ + extension;
    container::TAbstractFile* from = source.FindOpenFile(name);
    if (from == nullptr) {
      if (target.FileExists(name)) target.DeleteFile(name);
      continue;
    }
    const int64_t position = from->GetPosition();
    container::TAbstractFile* to = target.OpenFile(name, true, false, false);
    try {
      to->CopyFrom(*from, 0);
    } catch (...) {
      from->SetPosition(position);
      target.CloseFile(to);
      throw;
    }
    from->SetPosition(position);
    target.CloseFile(to);
  }
}

}  // namespace corvane::table
