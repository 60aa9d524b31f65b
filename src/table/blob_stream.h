// TCvBlobStream: a stream over the value of one BLOB field (ftBlob, ftMemo,
// ftGraphic, ftFmtMemo) of a dataset's current record.
//
// The stream holds the whole value in memory: it reads the value when it is
// made (except in bmWrite mode, which starts empty) and, when written to,
// hands the value back to the dataset when it is flushed or destroyed. The
// dataset keeps the value with its record buffer and writes it to the
// table's BLOB files (TCvDataManager::WriteBLOBValue) when the record is
// posted. Writing needs the dataset in insert or edit state.
//
// Cancel, Post and Close release the streams of the record: a released
// stream still reads what it holds, but its writes no longer reach the
// dataset. The dataset must outlive its streams' use.
#ifndef CORVANE_TABLE_BLOB_STREAM_H_
#define CORVANE_TABLE_BLOB_STREAM_H_

#include <cstdint>
#include <string>

#include "table/field.h"

namespace corvane::table {

class TCvDataset;

enum class TBlobStreamMode { bmRead, bmWrite, bmReadWrite };

class TCvBlobStream {
 public:
  // Raises "Field 'x' is not a BLOB field" for other field types and
  // "Dataset not in edit or insert mode" for writing modes outside them.
  TCvBlobStream(TField field, TBlobStreamMode mode);
  ~TCvBlobStream();
  TCvBlobStream(const TCvBlobStream&) = delete;
  TCvBlobStream& operator=(const TCvBlobStream&) = delete;

  // Bytes moved; fewer at the end of the value.
  int64_t Read(void* buffer, int64_t count);
  // Raises "Cannot write to a read-only BLOB stream" in bmRead mode.
  int64_t Write(const void* buffer, int64_t count);
  // Origins as container files: 0 start, 1 current, 2 end. Returns the new
  // position; a position before the start is refused (-1, position kept).
  int64_t Seek(int64_t offset, int origin);
  int64_t Position() const { return position_; }
  int64_t Size() const { return static_cast<int64_t>(data_.size()); }
  void SetSize(int64_t size);
  // Cuts the value at the position.
  void Truncate() { SetSize(position_); }

  // The whole value.
  const std::string& Value() const { return data_; }
  // Hands a written value to the dataset now.
  void Flush();
  bool Released() const { return dataset_ == nullptr; }

 private:
  friend class TCvDataset;
  void Detach() { dataset_ = nullptr; }
  void CheckWritable() const;

  TCvDataset* dataset_;
  TField field_;
  TBlobStreamMode mode_;
  std::string data_;
  int64_t position_ = 0;
  bool modified_ = false;
};

}  // namespace corvane::table

#endif  // CORVANE_TABLE_BLOB_STREAM_H_
