#include "wordlist/word_list_table.h"

#include <sys/stat.h>

#include "container/container_file_system.h"
#include "container/container_store.h"
#include "container/file_store_registry.h"
#include "platform/error.h"
#include "table/data_manager.h"
#include "table/field_defs.h"
#include "table/table_indexes.h"
#include "table/variant.h"

namespace corvane::wordlist {

TWordList::TWordList(std::string database_file)
    : database_file_(std::move(database_file)),
      database_(std::make_unique<table::TCvDatabase>()),
      table_(std::make_unique<table::TCvTable>()) {}

TWordList::~TWordList() {
  table_.reset();
  database_.reset();
}

void TWordList::SetNames() {
  table_->SetDatabaseName(kDatabaseName);
  table_->SetDatabaseFileName(database_file_);
  table_->SetTableName(kTableName);
}

void TWordList::CreateEmptyTable() {
  table_->Close();
  database_->SetConnected(false);
  database_->SetDatabaseName(kDatabaseName);
  database_->SetDatabaseFileName(database_file_);
  database_->CreateDatabase();
  MarkBuild(kBuildUnfinished);
  SetNames();
  table_->FieldDefs().Clear();
  table_->FieldDefs().Add("ID", table::FieldType::ftAutoInc, 0, false);
  table_->FieldDefs().Add("NWORD", table::FieldType::ftString, 30, false);
  table_->FieldDefs().Add("HWORD", table::FieldType::ftString, 30, false);
  table_->IndexDefs().Clear();
  table_->IndexDefs().Add("PrimaryKey", "ID", table::ixPrimary);
  table_->IndexDefs().Add("ByNWORD", "NWORD", table::ixCaseInsensitive);
  table_->CreateTable();
  Open();
  // A new list is only appended to: its indexes are sorted once, when it is saved.
  if (table::TCvDataManager* data = table_->DataManager()) data->Indexes().SetDeferMaintenance(true);
}

void TWordList::Open() { OpenTable(false); }

void TWordList::OpenReadOnly() { OpenTable(true); }

void TWordList::OpenTable(bool read_only) {
  table_->SetActive(false);
  SetNames();
  table_->SetReadOnly(read_only);
  table_->SetActive(true);
}

void TWordList::Close() { table_->SetActive(false); }

bool TWordList::IsOpen() const { return table_->Active(); }

void TWordList::Append(std::string_view plain, std::string_view marked) {
  try {
    table_->Insert();
    table_->FieldByName("NWORD").SetAsString(std::string(plain));
    table_->FieldByName("HWORD").SetAsString(std::string(marked));
    table_->Post();
  } catch (const WordListError&) {
    throw;
  } catch (const Error& e) {
    throw WordListError(database_file_, e.what());
  }
}

std::optional<std::string> TWordList::Lookup(const std::string& key) {
  const bool open = IsOpen();
  try {
    if (!table_->Locate("NWORD", table::Variant(key))) return std::nullopt;
    return table_->FieldByName("HWORD").AsString();
  } catch (const Error& e) {
    // A list that was never opened is not damaged: the engine's message says it.
    if (!open) throw;
    throw WordListError(database_file_, e.what(), kRebuildHint);
  }
}

int TWordList::RecordCount() { return table_->RecordCount(); }

void TWordList::MarkBuild(uint8_t mark) {
  bool read_only = false;
  auto* store = dynamic_cast<container::TContainerPlainFileSystem*>(
      container::FileStoreRegistry::Instance().GetStore(database_file_, container::StoreMode::kContainer, false,
                                                        read_only));
  if (store == nullptr) throw Error("Cannot open file \"" + database_file_ + "\"");
  store->Container().SetOwnerMark(mark);
}

void TWordList::Finished() {
  try {
    if (table::TCvDataManager* data = table_->DataManager()) data->Flush();
    MarkBuild(0);
  } catch (const Error& e) {
    throw WordListError(database_file_, e.what());
  }
}

bool TWordList::DatabaseComplete(const std::string& database_file) {
  struct stat info {};
  return stat(database_file.c_str(), &info) == 0 && info.st_size >= kMinDatabaseSize &&
         !BuildUnfinished(database_file);
}

bool TWordList::BuildUnfinished(const std::string& database_file) {
  try {
    return container::TContainerFileSystem::ReadOwnerMark(database_file) == kBuildUnfinished;
  } catch (const Error&) {
    // Not a build that stopped but a damaged file: opening it says so.
    return false;
  }
}

}  // namespace corvane::wordlist
