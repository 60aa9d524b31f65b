// TCvTable: the dataset placed on forms. Besides everything TCvDataset
// does, it fills a new record from its master dataset.
//
// Master link: MasterSource is the master dataset and MasterFields names
// master fields (";" or "," separated), matched in order to the key fields
// of this table's current index. When a record is inserted or appended,
// each such key field takes the value, as text, of its master field in the
// master's current record. Limiting the view to the master's current
// record is the master/detail layer's business and goes through
// MasterDetailAccepts; until it exists, a link only fills new records.
//
// The master must outlive the link (set MasterSource to null first).
#ifndef CORVANE_TABLE_TABLE_H_
#define CORVANE_TABLE_TABLE_H_

#include <string>

#include "table/dataset.h"

namespace corvane::table {

class TCvTable : public TCvDataset {
 public:
  TCvDataset* MasterSource() const { return master_source_; }
  void SetMasterSource(TCvDataset* master) { master_source_ = master; }
  const std::string& MasterFields() const { return master_fields_; }
  void SetMasterFields(const std::string& fields) { master_fields_ = fields; }

 protected:
  void InitNewRecord() override;

 private:
  TCvDataset* master_source_ = nullptr;
  std::string master_fields_;
};

}  // namespace corvane::table

#endif  // CORVANE_TABLE_TABLE_H_
