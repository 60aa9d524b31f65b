#include "table/field.h"

#include "platform/error.h"
#include "table/dataset.h"

namespace corvane::table {

// ---- the dataset's side ----

const TCvDataset::FieldInfo& TCvDataset::Info(int index) const {
  // A field handle kept across a close, or from before another open.
  if (index < 0 || index >= FieldCount()) throw Error("Cannot perform this operation on a closed dataset");
  return fields_[static_cast<std::size_t>(index)];
}

uint8_t* TCvDataset::EditableBuffer(const FieldInfo& field) {
  if (state_ != TDataSetState::dsInsert && state_ != TDataSetState::dsEdit) {
    throw Error("Dataset not in edit or insert mode");
  }
  if (field.stored < 0) throw Error("Field '" + field.name + "' cannot be modified");
  modified_ = true;
  return buffer_.data();
}

std::string TCvDataset::BlobValue(const FieldInfo& field) const {
  const auto pending = pending_blobs_.find(field.stored);
  if (pending != pending_blobs_.end()) return pending->second;
  // A record being inserted has nothing stored yet.
  if (buffer_.empty() || record_ < 0 || state_ == TDataSetState::dsInsert) return "";
  if (Data().Layout().IsNull(buffer_.data(), field.stored)) return "";
  return Data().ReadBLOBValue(record_, field.stored);
}

void TCvDataset::SetBlobValue(const FieldInfo& field, const std::string& value) {
  uint8_t* slot = EditableBuffer(field);
  Data().Layout().SetNull(slot, field.stored, value.empty());
  pending_blobs_[field.stored] = value;
}

// ---- TField ----

const std::string& TField::FieldName() const { return dataset_->Info(index_).name; }
FieldType TField::DataType() const { return dataset_->Info(index_).type; }
int32_t TField::Size() const { return dataset_->Info(index_).size; }
bool TField::Required() const { return dataset_->Info(index_).required; }
bool TField::IsIdentifier() const { return dataset_->Info(index_).stored < 0; }

bool TField::IsNull() const {
  const auto& info = dataset_->Info(index_);
  const uint8_t* slot = dataset_->ReadableBuffer();
  if (slot == nullptr) return true;
  if (info.stored < 0) return false;
  return dataset_->Data().Layout().IsNull(slot, info.stored);
}

void TField::Clear() {
  const auto& info = dataset_->Info(index_);
  uint8_t* slot = dataset_->EditableBuffer(info);
  if (IsBlobType(info.type)) {
    dataset_->SetBlobValue(info, "");
  } else {
    SlotField(dataset_->Data().Layout(), info.stored).Clear(slot);
  }
}

std::string TField::AsString() const {
  const auto& info = dataset_->Info(index_);
  const uint8_t* slot = dataset_->ReadableBuffer();
  if (slot == nullptr) return "";
  const RecordLayout& layout = dataset_->Data().Layout();
  if (info.stored < 0) return IntegerToText(layout.GetId(slot));
  if (IsBlobType(info.type)) return dataset_->BlobValue(info);
  return SlotField(layout, info.stored).GetText(slot);
}

void TField::SetAsString(const std::string& value) {
  const auto& info = dataset_->Info(index_);
  uint8_t* slot = dataset_->EditableBuffer(info);
  if (IsBlobType(info.type)) {
    dataset_->SetBlobValue(info, value);
  } else {
    SlotField(dataset_->Data().Layout(), info.stored).SetText(slot, value);
  }
}

int64_t TField::AsLargeInt() const {
  const auto& info = dataset_->Info(index_);
  const uint8_t* slot = dataset_->ReadableBuffer();
  if (slot == nullptr) return 0;
  if (info.stored < 0) return dataset_->Data().Layout().GetId(slot);
  if (IsBlobType(info.type)) return TextToInteger(AsString());
  return SlotField(dataset_->Data().Layout(), info.stored).GetInteger(slot);
}

void TField::SetAsLargeInt(int64_t value) {
  const auto& info = dataset_->Info(index_);
  uint8_t* slot = dataset_->EditableBuffer(info);
  if (IsBlobType(info.type)) {
    dataset_->SetBlobValue(info, IntegerToText(value));
  } else {
    SlotField(dataset_->Data().Layout(), info.stored).SetInteger(slot, value);
  }
}

int32_t TField::AsInteger() const {
  const int64_t value = AsLargeInt();
  if (value < INT32_MIN || value > INT32_MAX) {
    throw ConversionError("'" + IntegerToText(value) + "' is not a valid integer value");
  }
  return static_cast<int32_t>(value);
}

void TField::SetAsInteger(int32_t value) { SetAsLargeInt(value); }

double TField::AsFloat() const {
  const auto& info = dataset_->Info(index_);
  const uint8_t* slot = dataset_->ReadableBuffer();
  if (slot == nullptr) return 0;
  if (info.stored < 0) return dataset_->Data().Layout().GetId(slot);
  if (IsBlobType(info.type)) return TextToFloat(AsString());
  return SlotField(dataset_->Data().Layout(), info.stored).GetFloat(slot);
}

void TField::SetAsFloat(double value) {
  const auto& info = dataset_->Info(index_);
  uint8_t* slot = dataset_->EditableBuffer(info);
  if (IsBlobType(info.type)) {
    dataset_->SetBlobValue(info, FloatToText(value));
  } else {
    SlotField(dataset_->Data().Layout(), info.stored).SetFloat(slot, value);
  }
}

TDateTime TField::AsDateTime() const {
  const auto& info = dataset_->Info(index_);
  const uint8_t* slot = dataset_->ReadableBuffer();
  if (slot == nullptr) return 0;
  if (info.stored < 0) return dataset_->Data().Layout().GetId(slot);
  if (IsBlobType(info.type)) return TextToDateTime(AsString());
  return SlotField(dataset_->Data().Layout(), info.stored).GetDateTime(slot);
}

void TField::SetAsDateTime(TDateTime value) {
  const auto& info = dataset_->Info(index_);
  uint8_t* slot = dataset_->EditableBuffer(info);
  if (IsBlobType(info.type)) {
    dataset_->SetBlobValue(info, DateTimeToText(value));
  } else {
    SlotField(dataset_->Data().Layout(), info.stored).SetDateTime(slot, value);
  }
}

bool TField::AsBoolean() const {
  const auto& info = dataset_->Info(index_);
  const uint8_t* slot = dataset_->ReadableBuffer();
  if (slot == nullptr) return false;
  if (info.stored < 0) return dataset_->Data().Layout().GetId(slot) != 0;
  if (IsBlobType(info.type)) return TextToBoolean(AsString());
  return SlotField(dataset_->Data().Layout(), info.stored).GetBoolean(slot);
}

void TField::SetAsBoolean(bool value) {
  const auto& info = dataset_->Info(index_);
  uint8_t* slot = dataset_->EditableBuffer(info);
  if (IsBlobType(info.type)) {
    dataset_->SetBlobValue(info, value ? "True" : "False");
  } else {
    SlotField(dataset_->Data().Layout(), info.stored).SetBoolean(slot, value);
  }
}

}  // namespace corvane::table
