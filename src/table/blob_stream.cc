#include "table/blob_stream.h"

#include <algorithm>
#include <cstring>

#include "platform/error.h"
#include "table/dataset.h"

namespace corvane::table {

TCvBlobStream::TCvBlobStream(TField field, TBlobStreamMode mode)
    : dataset_(field.dataset_), field_(field), mode_(mode) {
  if (!field.IsBlob()) throw Error("Field '" + field.FieldName() + "' is not a BLOB field");
  if (mode != TBlobStreamMode::bmRead) {
    const TDataSetState state = dataset_->State();
    if (state != TDataSetState::dsInsert && state != TDataSetState::dsEdit) {
      throw Error("Dataset not in edit or insert mode");
    }
  }
  if (mode == TBlobStreamMode::bmWrite) {
    modified_ = true;  // the value is replaced, even by nothing
  } else {
    data_ = field.AsString();
  }
  dataset_->blob_streams_.push_back(this);
}

TCvBlobStream::~TCvBlobStream() {
  try {
    Flush();
  } catch (...) {
    // A destructor cannot report; call Flush to learn of a failure.
  }
  if (dataset_ != nullptr) {
    auto& list = dataset_->blob_streams_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
  }
}

void TCvBlobStream::CheckWritable() const {
  if (mode_ == TBlobStreamMode::bmRead) throw Error("Cannot write to a read-only BLOB stream");
}

int64_t TCvBlobStream::Read(void* buffer, int64_t count) {
  if (count <= 0 || position_ >= Size()) return 0;
  const int64_t n = std::min(count, Size() - position_);
  std::memcpy(buffer, data_.data() + position_, static_cast<std::size_t>(n));
  position_ += n;
  return n;
}

int64_t TCvBlobStream::Write(const void* buffer, int64_t count) {
  CheckWritable();
  if (count <= 0) return 0;
  const auto end = static_cast<std::size_t>(position_ + count);
  if (data_.size() < end) data_.resize(end, '\0');
  std::memcpy(data_.data() + position_, buffer, static_cast<std::size_t>(count));
  position_ += count;
  modified_ = true;
  return count;
}

int64_t TCvBlobStream::Seek(int64_t offset, int origin) {
  const int64_t base = origin == 1 ? position_ : origin == 2 ? Size() : 0;
  if (base + offset < 0) return -1;
  position_ = base + offset;
  return position_;
}

void TCvBlobStream::SetSize(int64_t size) {
  CheckWritable();
  data_.resize(static_cast<std::size_t>(std::max<int64_t>(size, 0)), '\0');
  position_ = std::min(position_, Size());
  modified_ = true;
}

void TCvBlobStream::Flush() {
  if (!modified_ || dataset_ == nullptr) return;
  field_.SetAsString(data_);
  modified_ = false;
}

}  // namespace corvane::table
