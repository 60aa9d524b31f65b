#include "table/field_defs.h"

#include <algorithm>

namespace corvane::table {

namespace {

std::string_view Trim(std::string_view s) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

}  // namespace

std::vector<std::string> SplitFieldList(std::string_view list) {
  std::vector<std::string> names;
  std::size_t start = 0;
  while (start <= list.size()) {
    const std::size_t end = std::min(list.find_first_of(";,", start), list.size());
    const std::string_view item = Trim(list.substr(start, end - start));
    if (!item.empty()) names.emplace_back(item);
    start = end + 1;
  }
  return names;
}

void TFieldDefs::Add(const std::string& name, FieldType type, int32_t size, bool required) {
  items_.push_back(TFieldDef{name, type, size, required});
}

int TFieldDefs::IndexOf(std::string_view name) const {
  for (std::size_t i = 0; i < items_.size(); ++i) {
    if (SameName(items_[i].name, name)) return static_cast<int>(i);
  }
  return -1;
}

void TIndexDefs::Add(const std::string& name, const std::string& fields, TIndexOptions options) {
  TIndexDef def;
  def.name = name;
  def.fields = fields;
  def.options = options;
  items_.push_back(std::move(def));
}

int TIndexDefs::IndexOf(std::string_view name) const {
  for (std::size_t i = 0; i < items_.size(); ++i) {
    if (SameName(items_[i].name, name)) return static_cast<int>(i);
  }
  return -1;
}

const char* FieldTypeName(FieldType type) {
  switch (type) {
    case FieldType::ftString: return "ftString";
    case FieldType::ftSmallint: return "ftSmallint";
    case FieldType::ftInteger: return "ftInteger";
    case FieldType::ftWord: return "ftWord";
    case FieldType::ftBoolean: return "ftBoolean";
    case FieldType::ftFloat: return "ftFloat";
    case FieldType::ftCurrency: return "ftCurrency";
    case FieldType::ftBCD: return "ftBCD";
    case FieldType::ftDate: return "ftDate";
    case FieldType::ftTime: return "ftTime";
    case FieldType::ftDateTime: return "ftDateTime";
    case FieldType::ftBytes: return "ftBytes";
    case FieldType::ftAutoInc: return "ftAutoInc";
    case FieldType::ftBlob: return "ftBlob";
    case FieldType::ftMemo: return "ftMemo";
    case FieldType::ftGraphic: return "ftGraphic";
    case FieldType::ftFmtMemo: return "ftFmtMemo";
    case FieldType::ftWideString: return "ftWideString";
    case FieldType::ftLargeint: return "ftLargeint";
    default: return "ftUnknown";
  }
}

}  // namespace corvane::table
