// Databases of the table engine: the TCvDatabase component, the shared
// TCvDatabaseManager of each open database location, and the process-wide
// registries through which datasets find them.
//
// A database is a location that holds table files: a single container file
// (single-file mode) or a directory with one plain file per table file
// (directory mode). A TCvDatabase component names one, by DatabaseFileName
// or Directory, under an alias (DatabaseName) by which datasets may find it.
//
// Registries. Three lists live for the whole process: every TCvDatabase
// (added on construction, removed on destruction), every TCvDatabaseManager
// and every open table (a TCvDataManager with the datasets attached to it).
// Names in them compare ignoring the case of A-Z.
//
// Finding a database. A dataset names its database by DatabaseFileName if
// set, else by DatabaseName. On open: a TCvDatabase whose DatabaseName is
// that name is connected first. Then the managers are searched from the
// newest back; one matches when its location is the name, or one of its
// connected components has the name as DatabaseName, or the component of
// that name has the manager's location as its DatabaseName or
// DatabaseFileName. Failing that a manager is made: from the dataset, whose
// DatabaseFileName means single-file mode and whose DatabaseName means
// directory mode when such a directory exists and single-file mode
// otherwise.
//
// Ownership and lifetime. The registry owns the managers; a manager owns
// its open tables, and each open table owns its TCvDataManager. A manager
// lives while components are connected to it or datasets are open on it;
// when the last one leaves it is destroyed and its container (a
// single-file database on disk) is closed. The file stores themselves
// belong to container::FileStoreRegistry.
//
// Store per table mode: normal tables live in the database's own store (a
// container, a directory, or memory for an in-memory database); in-memory
// tables in a memory store and temporary tables in a temporary folder, both
// named after the location and released with the manager.
#ifndef CORVANE_TABLE_DATABASE_H_
#define CORVANE_TABLE_DATABASE_H_

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "table/data_manager.h"

namespace corvane::container {
class TAbstractPlainFileSystem;
}

namespace corvane::table {

class TCvDataset;
class TCvDatabaseManager;

// Progress of a long operation, in percent.
using TProgressEvent = std::function<void(int percent)>;

class TCvDatabase {
 public:
  TCvDatabase();
  ~TCvDatabase();
  TCvDatabase(const TCvDatabase&) = delete;
  TCvDatabase& operator=(const TCvDatabase&) = delete;

  bool Connected() const { return manager_ != nullptr; }
  // True connects: a Directory must exist ("TCvDatabase.SetConnected -
  // Directory "d" doesn't exist."), a DatabaseFileName must exist unless
  // InMemory ("... - File "f" doesn't exist."); the first component of a
  // manager fixes its read-only and in-memory modes and later ones must
  // agree. False closes every dataset open on the database and disconnects.
  void SetConnected(bool connected);

  const std::string& DatabaseFileName() const { return database_file_name_; }
  // Disconnects and clears Directory.
  void SetDatabaseFileName(const std::string& name);
  const std::string& DatabaseName() const { return database_name_; }
  // Disconnects.
  void SetDatabaseName(const std::string& name);
  const std::string& Directory() const { return directory_; }
  // A change disconnects; a non-empty value clears DatabaseFileName.
  void SetDirectory(const std::string& directory);
  bool InMemory() const { return in_memory_; }
  // While connected the database is reconnected in the new mode (its open
  // datasets are closed).
  void SetInMemory(bool in_memory);
  bool ReadOnly() const { return read_only_; }
  // Takes effect at the next connection.
  void SetReadOnly(bool read_only) { read_only_ = read_only; }

  TProgressEvent OnProgress;

  // Writes a new, empty single-file database at DatabaseFileName, replacing
  // any file there. Fails with "DatabaseFileName property is blank.",
  // "CreateDatabase error. Database is connected." and
  // "TCvDatabaseManager.CreateDatabase - Some datasets are connected.".
  void CreateDatabase();

  // Where the database lies: DatabaseFileName, else Directory, else the
  // bare DatabaseName.
  std::string Location() const;
  // The manager while connected.
  TCvDatabaseManager* Manager() const { return manager_; }

 private:
  friend class TCvDatabaseManager;

  std::string database_file_name_;
  std::string database_name_;
  std::string directory_;
  bool in_memory_ = false;
  bool read_only_ = false;
  TCvDatabaseManager* manager_ = nullptr;
};

// A table open in a database: its data manager and the datasets that share
// it. The first dataset fixes the mode and the password. Only a new
// in-memory or temporary table is open with no dataset attached.
struct TableConnection {
  TCvDatabaseManager* database = nullptr;
  std::string table_name;
  TableMode mode = TableMode::kNormal;
  std::string password;
  std::unique_ptr<TCvDataManager> data;
  std::vector<TCvDataset*> datasets;
  // Receives index-building progress while the first dataset opens.
  TCvDataset* opening = nullptr;
};

class TCvDatabaseManager {
 public:
  enum class Kind { kSingleFile, kDirectory };

  TCvDatabaseManager(std::string location, Kind kind, bool read_only, bool in_memory);
  ~TCvDatabaseManager();
  TCvDatabaseManager(const TCvDatabaseManager&) = delete;
  TCvDatabaseManager& operator=(const TCvDatabaseManager&) = delete;

  // The manager that `name` (a dataset's DatabaseFileName or DatabaseName)
  // denotes under the matching rules above, or null.
  static TCvDatabaseManager* Find(const std::string& name);
  // The manager a dataset with these names opens its table in: connects a
  // component of that name, then finds or makes the manager. A manager made
  // here for a `read_only` dataset opens its files read-only, so that
  // reading a database never writes to it.
  static TCvDatabaseManager& ForDataset(const std::string& database_file_name,
                                        const std::string& database_name, bool read_only = false);
  // Destroys `manager` when no component is connected and no table open.
  static void ReleaseIfUnused(TCvDatabaseManager* manager);

  const std::string& Location() const { return location_; }
  Kind GetKind() const { return kind_; }
  bool ReadOnly() const { return read_only_; }
  bool InMemory() const { return in_memory_; }
  const std::vector<TCvDatabase*>& Databases() const { return databases_; }
  const std::vector<std::unique_ptr<TableConnection>>& Tables() const { return tables_; }
  int OpenDatasetCount() const;

  // Whether the database's file or directory is there (always for an
  // in-memory database).
  bool DatabaseExists() const;
  // Makes an empty container or the directory when it is missing.
  void CreateDatabaseIfMissing();
  // The store of tables of `mode`; throws when it cannot be had.
  container::TAbstractPlainFileSystem& Store(TableMode mode = TableMode::kNormal);

  // The open table of that name, or null.
  TableConnection* FindTable(const std::string& table_name) const;
  // Attaches `dataset` to the table, opening it for the first dataset:
  // 0 on success, -1 no such table, -2 no password for an encrypted table,
  // -3 wrong password, -4 table files missing or locked. `out` receives the
  // connection on success. Mode and password disagreements with the
  // datasets already attached raise their messages.
  int ConnectDataset(TCvDataset& dataset, const std::string& table_name, TableMode mode,
                     const std::string& password, TableConnection*& out);
  // Detaches; the table closes with its last dataset, and a failure to
  // close it is raised after the dataset is detached.
  void DisconnectDataset(TCvDataset& dataset, TableConnection& table);

  // In-memory and temporary tables live only while they are open (a memory
  // store's files cannot be opened again once closed, and a temporary folder
  // goes with its store): creating one opens it, and it waits here, with no
  // dataset, for the first one to attach. It replaces a waiting table of
  // that name.
  void CreateScratchTable(const std::string& table_name, const TableDefinition& definition, TableMode mode);
  // Closes and forgets a table no dataset has open; the files of an
  // in-memory or temporary table go with it.
  void DropIdleTable(TableConnection& table);

 private:
  friend class TCvDatabase;
  void ConnectDatabase(TCvDatabase& database);
  void DisconnectDatabase(TCvDatabase& database);

  std::string location_;
  Kind kind_;
  bool read_only_;
  bool in_memory_;
  std::vector<TCvDatabase*> databases_;  // connected components
  std::vector<std::unique_ptr<TableConnection>> tables_;
};

// The registries, oldest entry first.
const std::vector<TCvDatabase*>& DatabaseRegistry();
std::vector<TCvDatabaseManager*> DatabaseManagerRegistry();
std::vector<TableConnection*> DataManagerRegistry();

// The TCvDatabase whose DatabaseName is `name`, or null.
TCvDatabase* FindDatabase(const std::string& name);

}  // namespace corvane::table

#endif  // CORVANE_TABLE_DATABASE_H_
