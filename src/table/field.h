// TField: the handle through which a dataset's field of the current record
// is read and written, as FieldByName and Fields return it.
//
// A TField is a small value: the dataset and the field's place in it. It
// stays usable while the dataset stays open on the same table; copies are
// cheap. Reads come from the dataset's record buffer (the current record,
// or the record being inserted or edited); a dataset without a current
// record reads every field as null. Writes need insert or edit state
// ("Dataset not in edit or insert mode") and mark the record modified.
//
// The record identifier field (ftAutoInc, last in the field list) reads the
// record identifier and cannot be written ("Field 'ID' cannot be modified").
// BLOB, memo, graphic and formatted-memo fields read and write their whole
// value as a string; the value reaches the table when the record is posted.
// Conversions between types follow field_values.h.
#ifndef CORVANE_TABLE_FIELD_H_
#define CORVANE_TABLE_FIELD_H_

#include <cstdint>
#include <string>

#include "table/field_types.h"
#include "table/field_values.h"

namespace corvane::table {

class TCvDataset;

class TField {
 public:
  const std::string& FieldName() const;
  FieldType DataType() const;
  int32_t Size() const;
  bool Required() const;
  // Position in the dataset's field list (0-based).
  int Index() const { return index_; }
  bool IsIdentifier() const;
  bool IsBlob() const { return IsBlobType(DataType()); }

  bool IsNull() const;
  void Clear();

  std::string AsString() const;
  // A string longer than the field's size is cut to the size.
  void SetAsString(const std::string& value);
  int32_t AsInteger() const;
  void SetAsInteger(int32_t value);
  int64_t AsLargeInt() const;
  void SetAsLargeInt(int64_t value);
  double AsFloat() const;
  void SetAsFloat(double value);
  TDateTime AsDateTime() const;
  void SetAsDateTime(TDateTime value);
  bool AsBoolean() const;
  void SetAsBoolean(bool value);

 private:
  friend class TCvDataset;
  friend class TCvBlobStream;
  TField(TCvDataset* dataset, int index) : dataset_(dataset), index_(index) {}

  TCvDataset* dataset_;
  int index_;
};

}  // namespace corvane::table

#endif  // CORVANE_TABLE_FIELD_H_
