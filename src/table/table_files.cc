#include "table/table_files.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "container/abstract_file.h"
#include "platform/error.h"
#include "table/blob_files.h"

namespace corvane::table {

namespace {

// A header whose version is at most this is readable; the slack only absorbs
// the rounding of a double written by another program.
constexpr double kVersionSlack = 1e-9;

[[noreturn]] void Damaged(const std::string& table_name, const std::string& what) {
  throw Error("Error in TCvDataManager.OpenTable - damaged file " + table_name + ".dat: " + what);
}

std::string TypeName(uint8_t code) { return "type code " + std::to_string(code); }

void CheckField(const std::string& table_name, int index, uint8_t name_length, const FieldHeader& f) {
  const std::string which = "field #" + std::to_string(index) + " ";
  if (name_length > kMaxStoredNameLength) Damaged(table_name, which + "has a name longer than 20 bytes");
  const auto code = static_cast<uint8_t>(f.type);
  if (!IsStoredTypeCode(code)) Damaged(table_name, which + "has the unknown " + TypeName(code));
  const int32_t fixed = FixedWidth(f.type);
  const bool sound = fixed >= 0 ? f.width == fixed : f.width >= 1 && f.width <= kMaxSlotSize;
  if (!sound) {
    Damaged(table_name, which + "has the width " + std::to_string(f.width) + " for its " + TypeName(code));
  }
}

[[noreturn]] void CreateError(const std::string& what) {
  throw Error("Error in TCvDataManager.CreateTable - " + what);
}

void CheckNewName(const std::string& name) {
  if (name.size() > kMaxStoredNameLength) {
    CreateError("field name " + container::Quoted(name) + " is longer than 20 characters");
  }
}

}  // namespace

void CheckNewTable(const std::string& id_field_name, const std::vector<FieldHeader>& fields, uint8_t blob_compression,
                   int32_t blob_block_size) {
  CheckNewName(id_field_name);
  int64_t data_size = 0;
  for (const FieldHeader& f : fields) {
    if (f.name.empty()) throw Error("TCvDataManager.CreateTable - field name is empty.");
    CheckNewName(f.name);
    if (!IsStoredTypeCode(static_cast<uint8_t>(f.type))) CreateError("Unsupported DB type!");
    if (f.type == FieldType::ftString && f.width < 1) CreateError("illegal string size !");
    if (f.type == FieldType::ftWideString && f.width < 1) CreateError("illegal wide string size !");
    if (f.type == FieldType::ftBytes && f.width < 1) CreateError("illegal ftBytes size !");
    const int32_t fixed = FixedWidth(f.type);
    if (fixed >= 0 && f.width != fixed) {
      CreateError("illegal width " + std::to_string(f.width) + " of field " + container::Quoted(f.name) + " !");
    }
    data_size += f.width;
    if (data_size > kMaxSlotSize) CreateError("the fields need more than 16 MB per record");
  }
  if (RecordLayout::Make(fields).slot_size > kMaxSlotSize) CreateError("the fields need more than 16 MB per record");
  if (blob_compression > 3) CreateError("invalid BLOB compression level " + std::to_string(blob_compression));
  if (blob_block_size < 1) throw Error("TCvDataSet.InternalCreateTable - BlobBlockSize must be > 0");
  if (blob_block_size > kMaxBlobBlockSize) CreateError("BLOB block size above 16 MB");
}

void PutShortString(uint8_t* out, const std::string& s, std::size_t capacity) {
  const std::size_t n = std::min(s.size(), capacity);
  out[0] = static_cast<uint8_t>(n);
  std::memset(out + 1, 0, capacity);
  std::memcpy(out + 1, s.data(), n);
}

std::string GetShortString(const uint8_t* in, std::size_t capacity) {
  const std::size_t n = std::min<std::size_t>(in[0], capacity);
  return std::string(reinterpret_cast<const char*>(in + 1), n);
}

void EncodeTableHeader(const TableHeader& h, uint8_t* out) {
  std::memset(out, 0, kTableHeaderSize);
  le::PutI32(out + 0, h.last_id);
  PutShortString(out + 4, h.id_field_name, kMaxStoredNameLength);
  const auto f = static_cast<uint32_t>(h.field_count);
  out[25] = static_cast<uint8_t>(f);
  out[26] = static_cast<uint8_t>(f >> 8);
  out[27] = static_cast<uint8_t>(f >> 16);
  le::PutI32(out + 28, h.field_count);
  le::PutI32(out + 32, h.record_count);
  le::PutU32(out + 36, h.reserved36);
  le::PutDouble(out + 40, h.version);
  out[48] = h.reserved48;
  out[49] = h.blob_compression;
  out[50] = h.encrypted;
  out[51] = static_cast<uint8_t>(h.change_counter);
  le::PutU32(out + 52, h.change_counter);
}

TableHeader DecodeTableHeader(const uint8_t* in) {
  TableHeader h;
  h.last_id = le::GetI32(in + 0);
  h.id_field_name = GetShortString(in + 4, kMaxStoredNameLength);
  h.field_count = le::GetI32(in + 28);
  h.record_count = le::GetI32(in + 32);
  h.reserved36 = le::GetU32(in + 36);
  h.version = le::GetDouble(in + 40);
  h.reserved48 = in[48];
  h.blob_compression = in[49];
  h.encrypted = in[50];
  h.change_counter = le::GetU32(in + 52);
  return h;
}

void EncodeFieldSlot(const FieldHeader& field, uint8_t* out) {
  std::memset(out, 0, kFieldSlotSize);
  PutShortString(out, field.name, kMaxStoredNameLength);
  out[21] = static_cast<uint8_t>(field.type);
  le::PutI32(out + 24, field.width);
  out[28] = field.required ? 1 : 0;
}

FieldHeader DecodeFieldSlot(const uint8_t* in) {
  FieldHeader f;
  f.name = GetShortString(in, kMaxStoredNameLength);
  f.type = static_cast<FieldType>(in[21]);
  f.width = le::GetI32(in + 24);
  f.required = in[28] != 0;
  return f;
}

std::string FormatVersion(double version) {
  char buffer[400];  // a fixed-notation double needs at most 309 digits before the point
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, version, std::chars_format::fixed, 2);
  if (ec != std::errc()) return "?";
  return std::string(buffer, end);
}

void CheckVersion(double version, const std::string& table_name) {
  // Written so that a NaN fails too: it is no version this engine can read.
  if (version <= kTableFormatVersion + kVersionSlack) return;
  throw Error("Error in TCvDataManager.OpenTable - Invalid db engine version in file " + table_name +
              ".dat (version = " + FormatVersion(version) +
              ", internalCurrentVersion = " + FormatVersion(kTableFormatVersion) + ") !");
}

int32_t FixedWidth(FieldType type) {
  switch (type) {
    case FieldType::ftString: case FieldType::ftWideString: case FieldType::ftBytes: return -1;
    default: return StoredWidth(type, 0);
  }
}

TableFile ReadTableFile(container::TAbstractFile& file, const std::string& table_name) {
  const int64_t size = file.GetSize();
  if (size < static_cast<int64_t>(kTableHeaderSize)) {
    Damaged(table_name, "the file has " + std::to_string(size) + " bytes, fewer than a table header");
  }
  uint8_t raw[kTableHeaderSize];
  // The version decides how the rest reads, so it is checked before anything else.
  file.SetPosition(40);
  file.ReadBuffer(raw + 40, 8);
  CheckVersion(le::GetDouble(raw + 40), table_name);
  file.SetPosition(0);
  file.ReadBuffer(raw, kTableHeaderSize);

  TableFile result;
  TableHeader& h = result.header;
  h = DecodeTableHeader(raw);
  if (raw[4] > kMaxStoredNameLength) Damaged(table_name, "the identifier name is longer than 20 bytes");
  if (h.blob_compression > 3) {
    Damaged(table_name, "unknown BLOB compression level " + std::to_string(h.blob_compression));
  }
  const int64_t room = (size - static_cast<int64_t>(kTableHeaderSize)) / static_cast<int64_t>(kFieldSlotSize);
  if (h.field_count < 0 || h.field_count > room) {
    Damaged(table_name, "the header names " + std::to_string(h.field_count) +
                            " fields but the file has room for " + std::to_string(room));
  }
  // Tables older than 1.24 keep 8 bytes of null flags, enough for 64 fields.
  if (h.version < 1.24 && h.field_count > 64) {
    Damaged(table_name, std::to_string(h.field_count) + " fields in a table of format version " +
                            FormatVersion(h.version));
  }

  std::vector<uint8_t> slots(static_cast<std::size_t>(h.field_count) * kFieldSlotSize);
  file.ReadBuffer(slots.data(), static_cast<int64_t>(slots.size()));
  std::vector<FieldHeader> fields;
  fields.reserve(static_cast<std::size_t>(h.field_count));
  int64_t data_size = 0;
  for (int i = 0; i < h.field_count; ++i) {
    const uint8_t* slot = slots.data() + static_cast<std::size_t>(i) * kFieldSlotSize;
    FieldHeader f = DecodeFieldSlot(slot);
    CheckField(table_name, i, slot[0], f);
    data_size += f.width;
    if (data_size > kMaxSlotSize) Damaged(table_name, "the fields need more than 16 MB per record");
    fields.push_back(std::move(f));
  }
  result.layout = RecordLayout::Make(std::move(fields), h.version);
  const RecordLayout& layout = result.layout;
  if (layout.slot_size > kMaxSlotSize) Damaged(table_name, "the fields need more than 16 MB per record");

  const int64_t held = (size - layout.data_start) / layout.slot_size;
  if (h.record_count < 0 || h.record_count > held) {
    Damaged(table_name, "the header counts " + std::to_string(h.record_count) +
                            " records but the file holds " + std::to_string(held));
  }
  file.SetPosition(layout.data_start);
  return result;
}

std::vector<uint8_t> EncodeNewTable(const std::string& id_field_name,
                                    const std::vector<FieldHeader>& fields, uint8_t blob_compression) {
  TableHeader h;
  h.id_field_name = id_field_name;
  h.field_count = static_cast<int32_t>(fields.size());
  h.blob_compression = blob_compression;
  std::vector<uint8_t> bytes(kTableHeaderSize + kFieldSlotSize * fields.size());
  EncodeTableHeader(h, bytes.data());
  for (std::size_t i = 0; i < fields.size(); ++i) {
    EncodeFieldSlot(fields[i], bytes.data() + kTableHeaderSize + kFieldSlotSize * i);
  }
  return bytes;
}

void WriteTableHeader(container::TAbstractFile& file, const TableHeader& header) {
  uint8_t raw[kTableHeaderSize];
  EncodeTableHeader(header, raw);
  // Offset 36 belongs to whoever wrote it first; a save never touches it.
  file.SetPosition(0);
  file.WriteBuffer(raw, 36);
  file.SetPosition(40);
  file.WriteBuffer(raw + 40, kTableHeaderSize - 40);
}

}  // namespace corvane::table
