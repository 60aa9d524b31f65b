#include "table/database.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

#include "container/abstract_file.h"
#include "container/file_store_registry.h"
#include "platform/error.h"
#include "table/dataset.h"
#include "table/field_defs.h"

namespace corvane::table {

namespace {

using container::StoreMode;
using container::FileStoreRegistry;

struct Registry {
  std::vector<TCvDatabase*> databases;
  std::vector<std::unique_ptr<TCvDatabaseManager>> managers;
};

Registry& Registries() {
  static Registry registry;
  return registry;
}

bool IsDirectory(const std::string& path) {
  struct stat st;
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsRegularFile(const std::string& path) {
  struct stat st;
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

TCvDatabaseManager& Register(std::unique_ptr<TCvDatabaseManager> manager) {
  Registries().managers.push_back(std::move(manager));
  return *Registries().managers.back();
}

}  // namespace

// ---- registries ----

const std::vector<TCvDatabase*>& DatabaseRegistry() { return Registries().databases; }

std::vector<TCvDatabaseManager*> DatabaseManagerRegistry() {
  std::vector<TCvDatabaseManager*> managers;
  for (const auto& m : Registries().managers) managers.push_back(m.get());
  return managers;
}

std::vector<TableConnection*> DataManagerRegistry() {
  std::vector<TableConnection*> tables;
  for (const auto& m : Registries().managers) {
    for (const auto& t : m->Tables()) tables.push_back(t.get());
  }
  return tables;
}

TCvDatabase* FindDatabase(const std::string& name) {
  if (name.empty()) return nullptr;
  for (TCvDatabase* db : Registries().databases) {
    if (SameName(db->DatabaseName(), name)) return db;
  }
  return nullptr;
}

// ---- TCvDatabase ----

TCvDatabase::TCvDatabase() { Registries().databases.push_back(this); }

TCvDatabase::~TCvDatabase() {
  try {
    SetConnected(false);
  } catch (...) {
    // A destructor cannot report; the datasets are closed as far as they could be.
  }
  auto& list = Registries().databases;
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

std::string TCvDatabase::Location() const {
  if (!database_file_name_.empty()) return database_file_name_;
  if (!directory_.empty()) return directory_;
  return database_name_;
}

void TCvDatabase::SetConnected(bool connected) {
  if (connected == Connected()) return;
  if (!connected) {
    TCvDatabaseManager* manager = manager_;
    // Every dataset of the database closes with it.
    std::vector<TCvDataset*> open;
    for (const auto& table : manager->Tables()) {
      open.insert(open.end(), table->datasets.begin(), table->datasets.end());
    }
    for (TCvDataset* dataset : open) dataset->SetActive(false);
    manager->DisconnectDatabase(*this);
    TCvDatabaseManager::ReleaseIfUnused(manager);
    return;
  }
  if (database_file_name_.empty() && !directory_.empty()) {
    if (!IsDirectory(directory_)) {
      throw Error("TCvDatabase.SetConnected - Directory " + container::Quoted(directory_) + " doesn't exist.");
    }
  } else if (!database_file_name_.empty() && !in_memory_ && !IsRegularFile(database_file_name_)) {
    throw Error("TCvDatabase.SetConnected - File " + container::Quoted(database_file_name_) + " doesn't exist.");
  }
  const std::string location = Location();
  TCvDatabaseManager* manager = nullptr;
  auto& managers = Registries().managers;
  for (auto it = managers.rbegin(); it != managers.rend(); ++it) {
    if (SameName((*it)->Location(), location)) {
      manager = it->get();
      break;
    }
  }
  if (manager == nullptr) {
    TCvDatabaseManager::Kind kind = TCvDatabaseManager::Kind::kSingleFile;
    if (database_file_name_.empty() && (!directory_.empty() || IsDirectory(location))) {
      kind = TCvDatabaseManager::Kind::kDirectory;
    }
    manager = &Register(std::make_unique<TCvDatabaseManager>(location, kind, read_only_, in_memory_));
  }
  try {
    manager->ConnectDatabase(*this);
  } catch (...) {
    TCvDatabaseManager::ReleaseIfUnused(manager);
    throw;
  }
}

void TCvDatabase::SetDatabaseFileName(const std::string& name) {
  SetConnected(false);
  database_file_name_ = name;
  directory_.clear();
}

void TCvDatabase::SetDatabaseName(const std::string& name) {
  SetConnected(false);
  database_name_ = name;
}

void TCvDatabase::SetDirectory(const std::string& directory) {
  if (directory != directory_) SetConnected(false);
  directory_ = directory;
  if (!directory.empty()) database_file_name_.clear();
}

void TCvDatabase::SetInMemory(bool in_memory) {
  if (in_memory == in_memory_) return;
  const bool was_connected = Connected();
  SetConnected(false);
  in_memory_ = in_memory;
  if (was_connected) SetConnected(true);
}

void TCvDatabase::CreateDatabase() {
  if (database_file_name_.empty()) throw Error("DatabaseFileName property is blank.");
  if (Connected()) throw Error("CreateDatabase error. Database is connected.");
  TCvDatabaseManager* manager = nullptr;
  for (TCvDatabaseManager* m : DatabaseManagerRegistry()) {
    if (SameName(m->Location(), database_file_name_)) manager = m;
  }
  if (manager == nullptr) manager = TCvDatabaseManager::Find(database_name_);
  if (manager != nullptr && manager->OpenDatasetCount() > 0) {
    throw Error("TCvDatabaseManager.CreateDatabase - Some datasets are connected.");
  }
  if (OnProgress) OnProgress(0);
  if (in_memory_) {
    FileStoreRegistry::Instance().ReleaseStore(database_file_name_, StoreMode::kMemory);
  } else {
    if (!FileStoreRegistry::Instance().CreateContainer(database_file_name_, false)) {
      throw Error(FileStoreRegistry::Instance().LastError());
    }
    // Nobody has the new file open: close it so that it is complete on disk.
    if (manager == nullptr) FileStoreRegistry::Instance().ReleaseContainer(database_file_name_);
  }
  if (OnProgress) OnProgress(100);
}

// ---- TCvDatabaseManager ----

TCvDatabaseManager::TCvDatabaseManager(std::string location, Kind kind, bool read_only, bool in_memory)
    : location_(std::move(location)), kind_(kind), read_only_(read_only), in_memory_(in_memory) {}

TCvDatabaseManager::~TCvDatabaseManager() {
  tables_.clear();  // data managers save and close their files first
  FileStoreRegistry& stores = FileStoreRegistry::Instance();
  if (kind_ == Kind::kSingleFile && !in_memory_) stores.ReleaseContainer(location_);
  stores.ReleaseStore(location_, StoreMode::kMemory);
  stores.ReleaseStore(location_, StoreMode::kTemporary);
}

TCvDatabaseManager* TCvDatabaseManager::Find(const std::string& name) {
  const TCvDatabase* named = FindDatabase(name);
  auto& managers = Registries().managers;
  for (auto it = managers.rbegin(); it != managers.rend(); ++it) {
    TCvDatabaseManager* m = it->get();
    if (SameName(m->location_, name)) return m;
    for (const TCvDatabase* db : m->databases_) {
      if (!name.empty() && SameName(db->DatabaseName(), name)) return m;
    }
    if (named != nullptr &&
        (SameName(named->DatabaseName(), m->location_) || SameName(named->DatabaseFileName(), m->location_))) {
      return m;
    }
  }
  return nullptr;
}

TCvDatabaseManager& TCvDatabaseManager::ForDataset(const std::string& database_file_name,
                                                   const std::string& database_name, bool read_only) {
  const std::string& name = database_file_name.empty() ? database_name : database_file_name;
  if (TCvDatabase* db = FindDatabase(name)) db->SetConnected(true);
  if (TCvDatabaseManager* found = Find(name)) return *found;
  Kind kind = Kind::kSingleFile;
  if (database_file_name.empty() && IsDirectory(database_name)) kind = Kind::kDirectory;
  return Register(std::make_unique<TCvDatabaseManager>(name, kind, read_only, false));
}

void TCvDatabaseManager::ReleaseIfUnused(TCvDatabaseManager* manager) {
  if (manager == nullptr || !manager->databases_.empty() || !manager->tables_.empty()) return;
  auto& managers = Registries().managers;
  const auto it = std::find_if(managers.begin(), managers.end(),
                               [manager](const auto& owned) { return owned.get() == manager; });
  if (it == managers.end()) return;
  std::unique_ptr<TCvDatabaseManager> owned = std::move(*it);
  managers.erase(it);
}

int TCvDatabaseManager::OpenDatasetCount() const {
  int count = 0;
  for (const auto& t : tables_) count += static_cast<int>(t->datasets.size());
  return count;
}

bool TCvDatabaseManager::DatabaseExists() const {
  if (in_memory_) return true;
  return kind_ == Kind::kDirectory ? IsDirectory(location_) : IsRegularFile(location_);
}

void TCvDatabaseManager::CreateDatabaseIfMissing() {
  if (DatabaseExists()) return;
  if (kind_ == Kind::kDirectory) {
    std::error_code ec;
    std::filesystem::create_directories(location_, ec);
    if (ec) throw Error("Cannot create directory " + container::Quoted(location_));
  } else if (!FileStoreRegistry::Instance().CreateContainer(location_, false)) {
    throw Error(FileStoreRegistry::Instance().LastError());
  }
}

container::TAbstractPlainFileSystem& TCvDatabaseManager::Store(TableMode mode) {
  StoreMode store_mode = StoreMode::kContainer;
  if (mode == TableMode::kInMemory || (mode == TableMode::kNormal && in_memory_)) {
    store_mode = StoreMode::kMemory;
  } else if (mode == TableMode::kTemporary) {
    store_mode = StoreMode::kTemporary;
  } else if (kind_ == Kind::kDirectory) {
    store_mode = StoreMode::kDisk;
  }
  bool read_only = read_only_;
  FileStoreRegistry& stores = FileStoreRegistry::Instance();
  container::TAbstractPlainFileSystem* store = stores.GetStore(location_, store_mode, false, read_only);
  if (store == nullptr) throw Error(stores.LastError());
  return *store;
}

TableConnection* TCvDatabaseManager::FindTable(const std::string& table_name) const {
  for (const auto& t : tables_) {
    if (SameName(t->table_name, table_name)) return t.get();
  }
  return nullptr;
}

int TCvDatabaseManager::ConnectDataset(TCvDataset& dataset, const std::string& table_name, TableMode mode,
                                       const std::string& password, TableConnection*& out) {
  if (TableConnection* table = FindTable(table_name)) {
    if (table->mode != mode) {
      if (mode == TableMode::kInMemory || table->mode == TableMode::kInMemory) {
        throw Error("Cannot open dataset in both InMemory and other modes.");
      }
      throw Error("Cannot open dataset in both Temporary and other modes.");
    }
    if (table->data->Encrypted() && password != table->password) {
      throw Error("TCvDataManager.ConnectDataset - Inavlid password for table " + container::Quoted(table_name));
    }
    table->datasets.push_back(&dataset);
    out = table;
    return 0;
  }
  if (mode == TableMode::kNormal && !DatabaseExists()) return -1;
  container::TAbstractPlainFileSystem* store = nullptr;
  try {
    store = &Store(mode);
  } catch (const Error&) {
    return -4;
  }
  if (!TCvDataManager::TableExists(*store, table_name)) return -1;

  auto table = std::make_unique<TableConnection>();
  table->database = this;
  table->table_name = table_name;
  table->mode = mode;
  table->password = password;
  table->opening = &dataset;
  TableConnection* raw = table.get();
  // The data manager may call back while it rebuilds indexes later; the
  // connection outlives it, so the callback goes through the connection.
  const BuildProgress progress = [raw](bool starting, bool finished, int percent) {
    TCvDataset* target = raw->opening != nullptr ? raw->opening
                         : raw->datasets.empty() ? nullptr
                                                 : raw->datasets.front();
    if (target != nullptr) target->NotifyBuildIndexesProgress(starting, finished, percent);
  };
  try {
    table->data = std::make_unique<TCvDataManager>(*store, table_name, mode, false, progress, read_only_);
  } catch (const TableNotFoundError&) {
    return -1;
  }
  if (table->data->Encrypted() && password.empty()) return -2;
  table->opening = nullptr;
  table->datasets.push_back(&dataset);
  tables_.push_back(std::move(table));
  out = raw;
  return 0;
}

void TCvDatabaseManager::DisconnectDataset(TCvDataset& dataset, TableConnection& table) {
  auto& list = table.datasets;
  list.erase(std::remove(list.begin(), list.end(), &dataset), list.end());
  if (list.empty()) DropIdleTable(table);
}

void TCvDatabaseManager::DropIdleTable(TableConnection& table) {
  const auto it = std::find_if(tables_.begin(), tables_.end(),
                               [&table](const auto& owned) { return owned.get() == &table; });
  if (it == tables_.end()) return;
  std::unique_ptr<TableConnection> owned = std::move(*it);
  tables_.erase(it);
  owned->data->Close();
  if (owned->mode != TableMode::kNormal) TCvDataManager::DeleteTable(Store(owned->mode), owned->table_name);
}

void TCvDatabaseManager::CreateScratchTable(const std::string& table_name, const TableDefinition& definition,
                                            TableMode mode) {
  if (TableConnection* waiting = FindTable(table_name)) DropIdleTable(*waiting);
  container::TAbstractPlainFileSystem& store = Store(mode);
  TCvDataManager::DeleteTable(store, table_name);
  auto table = std::make_unique<TableConnection>();
  table->database = this;
  table->table_name = table_name;
  table->mode = mode;
  TableConnection* raw = table.get();
  const BuildProgress progress = [raw](bool starting, bool finished, int percent) {
    if (!raw->datasets.empty()) raw->datasets.front()->NotifyBuildIndexesProgress(starting, finished, percent);
  };
  table->data = TCvDataManager::CreateAndOpen(store, table_name, definition, mode, false, progress);
  tables_.push_back(std::move(table));
}

void TCvDatabaseManager::ConnectDatabase(TCvDatabase& database) {
  if (databases_.empty() && tables_.empty()) {
    // The first component fixes the modes.
    read_only_ = database.ReadOnly();
    in_memory_ = database.InMemory();
  } else {
    if (read_only_ && !database.ReadOnly()) {
      throw Error("TCvDatabaseManager.ConnectDatabase - database is already open in read-only mode.");
    }
    if (in_memory_ != database.InMemory()) {
      throw Error("TCvDatabaseManager.ConnectDatabase - database is already open with other in-memory mode value.");
    }
    if (databases_.empty()) read_only_ = database.ReadOnly();
  }
  // A single-file database on disk opens with its first component.
  if (kind_ == Kind::kSingleFile && !in_memory_ && databases_.empty()) Store(TableMode::kNormal);
  databases_.push_back(&database);
  database.manager_ = this;
}

void TCvDatabaseManager::DisconnectDatabase(TCvDatabase& database) {
  databases_.erase(std::remove(databases_.begin(), databases_.end(), &database), databases_.end());
  database.manager_ = nullptr;
}

}  // namespace corvane::table
