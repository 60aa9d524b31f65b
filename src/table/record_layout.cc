#include "table/record_layout.h"

#include <algorithm>

#include "platform/coding.h"

namespace corvane::table {

bool IsStoredTypeCode(uint8_t code) {
  switch (static_cast<FieldType>(code)) {
    case FieldType::ftString: case FieldType::ftSmallint: case FieldType::ftInteger:
    case FieldType::ftWord: case FieldType::ftBoolean: case FieldType::ftFloat:
    case FieldType::ftCurrency: case FieldType::ftBCD: case FieldType::ftDate:
    case FieldType::ftTime: case FieldType::ftDateTime: case FieldType::ftBytes:
    case FieldType::ftBlob: case FieldType::ftMemo: case FieldType::ftGraphic:
    case FieldType::ftFmtMemo: case FieldType::ftWideString: case FieldType::ftLargeint:
      return true;
    default:
      return false;
  }
}

RecordLayout RecordLayout::Make(std::vector<FieldHeader> fields, double version) {
  RecordLayout layout;
  int32_t offset = 0;
  for (FieldHeader& f : fields) {
    f.offset = offset;
    offset += f.width;
  }
  layout.fields = std::move(fields);
  const auto count = static_cast<int32_t>(layout.fields.size());
  layout.data_size = offset;
  layout.null_size = version < 1.24 ? 8 : (count + 7) / 8;
  layout.slot_size = layout.data_size + std::max(layout.null_size + 17, 32);
  layout.data_start = static_cast<int32_t>(kTableHeaderSize + kFieldSlotSize * layout.fields.size());
  return layout;
}

int32_t RecordLayout::GetId(const uint8_t* slot) const { return platform::GetI32(slot + IdOffset()); }

void RecordLayout::SetId(uint8_t* slot, int32_t id) const { platform::PutI32(slot + IdOffset(), id); }

void RecordLayout::SetNull(uint8_t* slot, int field, bool null) const {
  uint8_t& byte = slot[NullOffset() + field / 8];
  const auto mask = static_cast<uint8_t>(1u << (field % 8));
  byte = null ? static_cast<uint8_t>(byte | mask) : static_cast<uint8_t>(byte & ~mask);
}

std::vector<uint8_t> RecordLayout::NewRecord(int32_t id) const {
  std::vector<uint8_t> slot(static_cast<std::size_t>(slot_size), 0);
  for (int i = 0; i < static_cast<int>(fields.size()); ++i) SetNull(slot.data(), i, true);
  SetId(slot.data(), id);
  return slot;
}

int32_t StoredWidth(FieldType type, int32_t size) {
  switch (type) {
    case FieldType::ftString: return size >= 0 ? size + 1 : -1;
    case FieldType::ftSmallint: case FieldType::ftWord: case FieldType::ftBoolean: return 2;
    case FieldType::ftInteger: case FieldType::ftAutoInc: return 4;
    case FieldType::ftFloat: case FieldType::ftCurrency: case FieldType::ftBCD: case FieldType::ftDate:
    case FieldType::ftTime: case FieldType::ftDateTime: case FieldType::ftLargeint: return 8;
    case FieldType::ftBytes: return size >= 1 ? size : -1;
    case FieldType::ftWideString: return size + 2 >= 1 ? size + 2 : -1;
    case FieldType::ftBlob: case FieldType::ftMemo: case FieldType::ftGraphic: case FieldType::ftFmtMemo: return 0;
    default: return -1;
  }
}

int32_t DefinitionSize(FieldType type, int32_t width) {
  switch (type) {
    case FieldType::ftString: return width - 1;
    case FieldType::ftWideString: return width - 2;
    case FieldType::ftBytes: return width;
    default: return 0;
  }
}

}  // namespace corvane::table
