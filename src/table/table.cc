#include "table/table.h"

#include <algorithm>

namespace corvane::table {

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
