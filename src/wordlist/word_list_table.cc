#include "wordlist/word_list_table.h"

#include <sys/stat.h>

#include "table/field_defs.h"
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
}

void TWordList::Open() {
  SetNames();
  table_->SetActive(true);
}

void TWordList::Close() { table_->SetActive(false); }

bool TWordList::IsOpen() const { return table_->Active(); }

void TWordList::Append(std::string_view plain, std::string_view marked) {
  table_->Insert();
  table_->FieldByName("NWORD").SetAsString(std::string(plain));
  table_->FieldByName("HWORD").SetAsString(std::string(marked));
  table_->Post();
}

std::optional<std::string> TWordList::Lookup(const std::string& key) {
  if (!table_->Locate("NWORD", table::Variant(key))) return std::nullopt;
  return table_->FieldByName("HWORD").AsString();
}

int TWordList::RecordCount() { return table_->RecordCount(); }

bool TWordList::DatabaseComplete(const std::string& database_file) {
  struct stat info {};
  return stat(database_file.c_str(), &info) == 0 && info.st_size >= kMinDatabaseSize;
}

}  // namespace corvane::wordlist
