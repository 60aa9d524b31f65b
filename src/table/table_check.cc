#include "table/table_check.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <span>

#include "container/abstract_file.h"
#include "container/plain_file_system.h"
#include "platform/coding.h"
#include "platform/error.h"
#include "table/collation.h"
#include "table/index_file.h"
#include "table/record_layout.h"
#include "table/key_compare.h"
#include "table/table_indexes.h"

namespace corvane::table {

namespace {

constexpr std::size_t kMaxProblemsPerKind = 10;

// A file of the store read whole, or nothing when it cannot be opened.
bool ReadWhole(container::TAbstractPlainFileSystem& store, const std::string& name, std::vector<uint8_t>& bytes,
               std::string& error) {
  if (!store.FileExists(name)) {
    error = "missing";
    return false;
  }
  container::TAbstractFile* file = nullptr;
  try {
    file = store.OpenFile(name, false, false, true);
    const int64_t size = file->GetSize();
    bytes.resize(static_cast<std::size_t>(size));
    file->SetPosition(0);
    if (size > 0) file->ReadBuffer(bytes.data(), size);
    store.CloseFile(file);
    return true;
  } catch (const Error& e) {
    if (file != nullptr) store.CloseFile(file);
    error = e.what();
    return false;
  }
}

class BytesRecords : public RecordSource {
 public:
  BytesRecords(const uint8_t* data, int32_t count, int32_t slot_size)
      : data_(data), count_(count), slot_size_(slot_size) {}
  int32_t RecordCount() const override { return count_; }
  const uint8_t* Slot(int32_t r) override { return data_ + static_cast<std::size_t>(r) * slot_size_; }

 private:
  const uint8_t* data_;
  int32_t count_;
  int32_t slot_size_;
};

struct Reader {
  const std::vector<uint8_t>& bytes;
  std::size_t at = 0;
  bool Has(std::size_t n) const { return bytes.size() - at >= n && at <= bytes.size(); }
};

// The index headers of an ".idx" file; false when one is cut short.
bool ReadIndexHeaders(Reader& in, int32_t count, bool with_options, std::vector<IndexHeader>& headers) {
  for (int32_t i = 0; i < count; ++i) {
    IndexHeader h;
    if (!in.Has(21)) return false;
    const std::size_t length = std::min<std::size_t>(in.bytes[in.at], kMaxStoredNameLength);
    h.name.assign(reinterpret_cast<const char*>(&in.bytes[in.at + 1]), length);
    in.at += 21;
    if (!in.Has(4)) return false;
    const int32_t k = platform::GetI32(&in.bytes[in.at]);
    in.at += 4;
    if (k < 1 || !in.Has(static_cast<std::size_t>(k) * 4)) return false;
    for (int32_t j = 0; j < k; ++j, in.at += 4) h.fields.push_back(platform::GetI32(&in.bytes[in.at]));
    const std::size_t b = static_cast<std::size_t>(k + 7) / 8;
    if (!in.Has(2 * b + 2)) return false;
    for (int32_t j = 0; j < k; ++j) h.ascending.push_back((in.bytes[in.at + j / 8] >> (j % 8)) & 1);
    in.at += b;
    for (int32_t j = 0; j < k; ++j) h.case_insensitive.push_back((in.bytes[in.at + j / 8] >> (j % 8)) & 1);
    in.at += b;
    h.all_case_insensitive = in.bytes[in.at++];
    h.all_descending = in.bytes[in.at++];
    if (with_options) {
      if (!in.Has(1)) return false;
      h.options = in.bytes[in.at++];
    }
    headers.push_back(std::move(h));
  }
  return true;
}

class TableChecker {
 public:
  TableChecker(container::TAbstractPlainFileSystem& store, const std::string& table, const Collation& collation)
      : store_(store), table_(table), collation_(&collation) {}

  const Collation& CheckedBy() const { return *collation_; }

  std::vector<std::string> Run() {
    if (CheckData()) {
      CheckIdentifiers();
      CheckBlobFiles();
      CheckIndexes();
    }
    return problems_;
  }

 private:
  void Problem(const std::string& file, const std::string& text) { problems_.push_back(file + ": " + text); }

  bool CheckData() {
    const std::string name = table_ + ".dat";
    std::string error;
    if (!ReadWhole(store_, name, dat_, error)) {
      Problem(name, error);
      return false;
    }
    if (dat_.size() < kTableHeaderSize) {
      Problem(name, "shorter than its 56-byte header (" + std::to_string(dat_.size()) + " bytes)");
      return false;
    }
    last_id_ = platform::GetI32(&dat_[0]);
    const std::size_t id_length = dat_[4];
    if (id_length > kMaxStoredNameLength) Problem(name, "identifier name longer than 20 characters");
    const int32_t fields = platform::GetI32(&dat_[28]);
    count_ = platform::GetI32(&dat_[32]);
    version_ = platform::GetDouble(&dat_[40]);
    change_counter_ = platform::GetU32(&dat_[52]);
    if (version_ > kTableFormatVersion + 1e-9 || !(version_ > 0)) {
      Problem(name, "format version " + std::to_string(version_) + " is not one this engine reads");
    }
    if (fields < 0 || kTableHeaderSize + kFieldSlotSize * static_cast<std::size_t>(fields) > dat_.size()) {
      Problem(name, "header names " + std::to_string(fields) + " fields; the file cannot hold their definitions");
      return false;
    }
    std::vector<FieldHeader> headers;
    for (int32_t i = 0; i < fields; ++i) {
      const uint8_t* slot = &dat_[kTableHeaderSize + kFieldSlotSize * static_cast<std::size_t>(i)];
      FieldHeader h;
      h.name.assign(reinterpret_cast<const char*>(slot + 1), std::min<std::size_t>(slot[0], kMaxStoredNameLength));
      h.type = static_cast<FieldType>(slot[21]);
      h.width = platform::GetI32(slot + 24);
      h.required = slot[28] != 0;
      const std::string which = "field " + std::to_string(i) + " (" + h.name + ")";
      if (slot[0] > kMaxStoredNameLength) Problem(name, which + ": name longer than 20 characters");
      if (!IsStoredTypeCode(slot[21])) {
        Problem(name, which + ": type code " + std::to_string(slot[21]) + " cannot be stored");
        return false;
      }
      if (h.width < 0 || StoredWidth(h.type, DefinitionSize(h.type, h.width)) != h.width) {
        Problem(name, which + ": width " + std::to_string(h.width) + " does not fit its type");
        return false;
      }
      headers.push_back(std::move(h));
    }
    layout_ = RecordLayout::Make(std::move(headers), version_);
    if (count_ < 0) {
      Problem(name, "negative record count " + std::to_string(count_));
      return false;
    }
    const auto slot_size = static_cast<uint64_t>(layout_.slot_size);
    const uint64_t expected = static_cast<uint64_t>(layout_.data_start) + static_cast<uint64_t>(count_) * slot_size;
    if (dat_.size() < expected) {
      Problem(name, std::to_string(count_) + " records need " + std::to_string(expected) + " bytes; the file has " +
                        std::to_string(dat_.size()));
      count_ = static_cast<int32_t>((dat_.size() - static_cast<uint64_t>(layout_.data_start)) / slot_size);
    } else if (dat_.size() > expected) {
      Problem(name, std::to_string(dat_.size() - expected) + " bytes after the last record");
    }
    records_ = std::make_unique<BytesRecords>(dat_.data() + layout_.data_start, count_, layout_.slot_size);
    return true;
  }

  void CheckIdentifiers() {
    const std::string name = table_ + ".dat";
    std::vector<std::pair<int32_t, int32_t>> ids;  // identifier, record
    std::size_t reported = 0;
    for (int32_t r = 0; r < count_; ++r) {
      const int32_t id = layout_.GetId(records_->Slot(r));
      if ((id < 1 || id > last_id_) && reported++ < kMaxProblemsPerKind) {
        Problem(name, "record " + std::to_string(r) + " has identifier " + std::to_string(id) +
                          " outside 1.." + std::to_string(last_id_));
      }
      ids.emplace_back(id, r);
    }
    std::sort(ids.begin(), ids.end());
    reported = 0;
    for (std::size_t i = 1; i < ids.size(); ++i) {
      if (ids[i].first == ids[i - 1].first && reported++ < kMaxProblemsPerKind) {
        Problem(name, "records " + std::to_string(ids[i - 1].second) + " and " + std::to_string(ids[i].second) +
                          " share identifier " + std::to_string(ids[i].first));
      }
    }
  }

  void CheckBlobFiles() {
    const bool has_blobs = std::any_of(layout_.fields.begin(), layout_.fields.end(),
                                       [](const FieldHeader& f) { return IsBlobType(f.type); });
    if (!has_blobs) return;
    for (const char* extension : {".bif", ".bdf"}) {
      if (!store_.FileExists(table_ + extension)) Problem(table_ + extension, "missing, though the table has BLOB fields");
    }
  }

  void CheckIndexes() {
    const std::string name = table_ + ".idx";
    std::vector<uint8_t> idx;
    std::string error;
    if (!ReadWhole(store_, name, idx, error)) {
      Problem(name, error + " (the indexes will be rebuilt)");
      return;
    }
    if (idx.size() < 16) {
      Problem(name, "shorter than its 16-byte header (the indexes will be rebuilt)");
      return;
    }
    const uint32_t saved_counter = platform::GetU32(&idx[0]);
    const int32_t count = platform::GetI32(&idx[4]);
    if (count < static_cast<int32_t>(layout_.fields.size())) {
      Problem(name, "lists " + std::to_string(count) + " indexes, fewer than the " +
                        std::to_string(layout_.fields.size()) + " fields (the indexes will be rebuilt)");
      return;
    }
    Reader in{idx, 16};
    std::vector<IndexHeader> headers;
    if (!ReadIndexHeaders(in, count, version_ + 0.001 > kTableFormatVersion, headers)) {
      Problem(name, "index header " + std::to_string(headers.size()) + " is cut short (the indexes will be rebuilt)");
      return;
    }
    const auto field_count = static_cast<int32_t>(layout_.fields.size());
    for (const IndexHeader& h : headers) {
      for (int32_t f : h.fields) {
        if (f < -1 || f >= field_count) Problem(name, "index " + h.name + " names field number " + std::to_string(f));
      }
    }
    if (saved_counter != change_counter_) {
      Problem(name, "saved at change counter " + std::to_string(saved_counter) + ", the table is at " +
                        std::to_string(change_counter_) + " (the indexes will be rebuilt)");
      return;
    }
    if (count_ == 0) return;
    const std::size_t array_bytes = static_cast<std::size_t>(count_) * 4;
    if (!in.Has(array_bytes * headers.size())) {
      Problem(name, "holds fewer record numbers than " + std::to_string(headers.size()) + " indexes of " +
                        std::to_string(count_) + " records");
      return;
    }
    const DecodedIndexFile file = DecodeIndexFile(idx, layout_, version_, change_counter_, count_);
    if (const Collation* recorded = Collation::ForMark(file.sorted_by)) collation_ = recorded;
    for (const IndexHeader& h : headers) {
      CheckArray(name, h, &idx[in.at]);
      in.at += array_bytes;
    }
    CheckKeyPrefixes(name, headers, idx, file);
  }

  // The key prefixes stored beside the arrays: their bytes against their
  // check, and, under the collation they were saved with, each against the
  // prefix of the record it stands beside.
  void CheckKeyPrefixes(const std::string& name, const std::vector<IndexHeader>& headers,
                        const std::vector<uint8_t>& idx, const DecodedIndexFile& file) {
    if (!file.arrays_read) return;
    const std::size_t n = static_cast<std::size_t>(count_);
    for (const DecodedIndexFile::StoredPrefixes& stored : file.prefixes) {
      const IndexHeader& h = headers[stored.index];
      const std::span<const uint8_t> bytes(idx.data() + stored.offset, 8 * n);
      if (PrefixCheckNumber(bytes) != stored.check) {
        Problem(name, "index " + h.name + " has damaged key prefixes (they will be recomputed)");
        continue;
      }
      const KeyComparator order(layout_, h, *collation_);
      if (file.sorted_by != collation_->Mark() || !order.HasPrefixes()) continue;
      std::size_t reported = 0;
      for (std::size_t p = 0; p < n; ++p) {
        const uint64_t stored_prefix = platform::GetU64(&bytes[8 * p]);
        const int32_t r = file.arrays[stored.index][p];
        if (static_cast<uint32_t>(r) >= static_cast<uint32_t>(count_)) break;  // reported as not a permutation
        if (stored_prefix != order.Prefix(records_->Slot(r)) && reported++ < kMaxProblemsPerKind) {
          Problem(name, "index " + h.name + " holds a wrong key prefix at position " + std::to_string(p) +
                            " (record " + std::to_string(r) + ")");
        }
      }
    }
  }

  void CheckArray(const std::string& name, const IndexHeader& h, const uint8_t* entries) {
    std::vector<bool> seen(static_cast<std::size_t>(count_), false);
    std::size_t reported = 0;
    for (int32_t p = 0; p < count_; ++p) {
      const int32_t r = platform::GetI32(entries + 4 * static_cast<std::size_t>(p));
      if (r < 0 || r >= count_ || seen[static_cast<std::size_t>(r)]) {
        Problem(name, "index " + h.name + " is not a permutation of 0.." + std::to_string(count_ - 1) +
                          " (position " + std::to_string(p) + " holds " + std::to_string(r) + ")");
        return;
      }
      seen[static_cast<std::size_t>(r)] = true;
    }
    // Fields outside the layout compare equal in the comparator; they were
    // reported above.
    const KeyComparator order(layout_, h, *collation_);
    for (int32_t p = 1; p < count_; ++p) {
      const int32_t a = platform::GetI32(entries + 4 * static_cast<std::size_t>(p - 1));
      const int32_t b = platform::GetI32(entries + 4 * static_cast<std::size_t>(p));
      if (order.Compare(records_->Slot(a), records_->Slot(b)) > 0 && reported++ < kMaxProblemsPerKind) {
        Problem(name, "index " + h.name + " is out of order at position " + std::to_string(p) + " (records " +
                          std::to_string(a) + " and " + std::to_string(b) + ")");
      }
    }
  }

  container::TAbstractPlainFileSystem& store_;
  const std::string& table_;
  const Collation* collation_;  // the caller's, or the one the index file records
  std::vector<std::string> problems_;
  std::vector<uint8_t> dat_;
  RecordLayout layout_;
  int32_t last_id_ = 0;
  int32_t count_ = 0;
  double version_ = 0;
  uint32_t change_counter_ = 0;
  std::unique_ptr<BytesRecords> records_;
};

}  // namespace

std::vector<std::string> CheckTable(container::TAbstractPlainFileSystem& store, const std::string& table,
                                    const Collation& collation, const Collation** checked_by) {
  TableChecker checker(store, table, collation);
  std::vector<std::string> problems = checker.Run();
  if (checked_by != nullptr) *checked_by = &checker.CheckedBy();
  return problems;
}

}  // namespace corvane::table
