#include "table/table.h"

#include <algorithm>

namespace corvane::table {
namespace {

bool IsPlainName(const std::string& name) {
  if (name.empty()) return false;
  for (char ch : name) {
    const auto c = static_cast<uint8_t>(ch);
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
    if (!plain) return false;
  }
  return true;
}

// Strings are quoted; so is any other text that would not read back as a
// number or a Boolean ("2024-01-31 10:00:00", "1.5E20"), which a quoted
// literal converts just as well.
bool NeedsQuotes(FieldType type, const std::string& text) {
  if (IsStringType(type)) return true;
  if (type == FieldType::ftBoolean) return false;
  return text.find_first_not_of("0123456789.+-") != std::string::npos;
}

std::string QuoteValue(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) {
    quoted += c;
    if (c == '\'') quoted += '\'';
  }
  return quoted + "'";
}

}  // namespace

TCvTable::~TCvTable() {
  if (master_source_ != nullptr) master_source_->RemoveDetail(this);
}

void TCvTable::SetMasterSource(TCvDataset* master) {
  if (master == master_source_) return;
  if (master_source_ != nullptr) master_source_->RemoveDetail(this);
  master_source_ = master;
  if (master_source_ != nullptr) master_source_->AddDetail(this);
  MasterRecordChanged();
}

void TCvTable::SetMasterFields(const std::string& fields) {
  if (fields == master_fields_) return;
  master_fields_ = fields;
  MasterRecordChanged();
}

void TCvTable::MasterGone() { master_source_ = nullptr; }

bool TCvTable::MasterDetailActive() const {
  return master_source_ != nullptr && master_source_->Active() && !master_fields_.empty();
}

std::string TCvTable::MasterExpression() {
  if (!MasterDetailActive()) return "";
  const std::vector<std::string> master = SplitFieldList(master_fields_);
  const std::vector<std::string> detail = CurrentIndexFieldNames();
  const std::size_t count = std::min(master.size(), detail.size());
  std::string expression;
  for (std::size_t i = 0; i < count; ++i) {
    const TField source = master_source_->FieldByName(master[i]);
    const std::string text = source.IsNull() ? std::string() : source.AsString();
    const std::string field = IsPlainName(detail[i]) ? detail[i] : "[" + detail[i] + "]";
    if (text.empty()) {
      expression += i == 0 ? "(" + field + " IS NULL )" : " and (" + field + " IS NULL)";
    } else {
      const std::string value = NeedsQuotes(source.DataType(), text) ? QuoteValue(text) : text;
      expression += (i == 0 ? "(" : " and (") + field + " = " + value + ")";
    }
  }
  return expression;
}

void TCvTable::InitNewRecord() {
  if (master_source_ == nullptr || !master_source_->Active() || master_fields_.empty()) return;
  const std::vector<std::string> master = SplitFieldList(master_fields_);
  const std::vector<std::string> detail = CurrentIndexFieldNames();
  const std::size_t count = std::min(master.size(), detail.size());
  for (std::size_t i = 0; i < count; ++i) {
    TField target = FieldByName(detail[i]);
    if (target.IsIdentifier()) continue;  // the engine assigns identifiers
    const TField source = master_source_->FieldByName(master[i]);
    if (source.IsNull()) {
      target.Clear();
    } else {
      target.SetAsString(source.AsString());
    }
  }
}

}  // namespace corvane::table
