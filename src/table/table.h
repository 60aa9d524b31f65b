// TCvTable: the dataset placed on forms. Besides everything TCvDataset
// does, it fills a new record from its master dataset.
//
// Master link: MasterSource is the master dataset and MasterFields names
// master fields (";" or "," separated), matched in order to the key fields
// of this table's current index. While the master is open, the view holds
// the records whose key fields equal the master's current values: the
// master expression, pair by pair, "(F = v)" then " and (F = v)", v being
// the master value's text (quoted, inner quotes doubled, for string and
// wide-string fields, and for any other text that would not read back as a
// number or Boolean, such as a date and time), and "(F IS NULL )" then " and (F IS NULL)"
// when the master value is null or empty. A key field name that is not a
// plain run of letters, digits and "_" is written in square brackets.
// When a record is inserted or appended, each such key field takes the
// value, as text, of its master field in the master's current record.
//
// Either side may be destroyed first: the master unlinks its details.
#ifndef CORVANE_TABLE_TABLE_H_
#define CORVANE_TABLE_TABLE_H_

#include <string>

#include "table/dataset.h"

namespace corvane::table {

class TCvTable : public TCvDataset {
 public:
  TCvTable() = default;
  ~TCvTable() override;

  TCvDataset* MasterSource() const { return master_source_; }
  void SetMasterSource(TCvDataset* master);
  const std::string& MasterFields() const { return master_fields_; }
  void SetMasterFields(const std::string& fields);

 protected:
  void InitNewRecord() override;
  bool MasterDetailActive() const override;
  std::string MasterExpression() override;
  void MasterGone() override;

 private:
  TCvDataset* master_source_ = nullptr;
  std::string master_fields_;
};

}  // namespace corvane::table

#endif  // CORVANE_TABLE_TABLE_H_
