// TCvDataset: the ordered view, navigation, bookmarks, ranges and Locate.
#include <algorithm>

#include "container/abstract_file.h"
#include "platform/coding.h"
#include "platform/error.h"
#include "table/collation.h"
#include "table/dataset.h"
#include "table/key_compare.h"

namespace corvane::table {

// ---- order ----

void TCvDataset::SetIndexName(const std::string& name) {
  index_name_ = name;
  index_field_names_.clear();
  if (!Active()) return;
  CheckBrowseMode();
  SelectOrder();
}

void TCvDataset::SetIndexFieldNames(const std::string& names) {
  index_field_names_ = names;
  index_name_.clear();
  if (!Active()) return;
  CheckBrowseMode();
  SelectOrder();
}

void TCvDataset::SelectOrder() {
  TableIndexes& indexes = Data().Indexes();
  int index = -1;
  if (!index_name_.empty()) {
    index = indexes.Find(index_name_);
    if (index < 0) {
      throw Error("Error in TCvDataSet.OpenIndex - index " + container::Quoted(index_name_) + " not found!");
    }
  } else if (!index_field_names_.empty()) {
    const std::vector<std::string> names = SplitFieldList(index_field_names_);
    std::vector<int32_t> wanted;
    for (const std::string& name : names) {
      const int field = FieldIndex(name);
      wanted.push_back(field < 0 ? -2 : fields_[static_cast<std::size_t>(field)].stored);
    }
    for (int i = 0; i < indexes.Count(); ++i) {
      const IndexHeader& h = indexes.Header(i);
      if (h.fields != wanted) continue;
      bool plain = !h.all_case_insensitive && !h.all_descending;
      for (std::size_t k = 0; k < h.fields.size(); ++k) plain = plain && !h.CaseInsensitive(k) && !h.Descending(k);
      if (index < 0 || plain) index = i;
      if (plain) break;
    }
    if (index < 0) {
      throw Error("Error in TCvDataSet.OpenIndex - index " + container::Quoted(index_field_names_) + " not found!");
    }
  }
  index_ = index;
  master_parsed_ = false;  // the master expression names this order's key fields
  range_active_ = false;
  range_start_ = range_end_ = RangeKey{};
  range_order_.reset();
  RecomputeBounds();
  Resync();
}

std::vector<std::string> TCvDataset::CurrentIndexFieldNames() const {
  std::vector<std::string> names;
  if (!Active() || index_ < 0) return names;
  for (int32_t field : Data().Indexes().Header(index_).fields) {
    names.push_back(field < 0 ? Data().IdFieldName()
                              : Data().Layout().fields[static_cast<std::size_t>(field)].name);
  }
  return names;
}

int32_t TCvDataset::OrderCount() const { return Data().RecordCount(); }

int32_t TCvDataset::RecordAtPosition(int32_t position) const {
  return index_ < 0 ? position : Data().Indexes().RecordAt(index_, position);
}

int32_t TCvDataset::PositionOfRecord(int32_t record) const {
  return index_ < 0 ? record : Data().Indexes().PositionOf(index_, record);
}

// ---- visibility ----

bool TCvDataset::AcceptedByConditions(int32_t record) {
  return (!FilterActive() || FilterAccepts(record)) && (!MasterDetailActive() || MasterDetailAccepts(record));
}

bool TCvDataset::IsRecordVisible(int32_t record) {
  return (!range_active_ || RecordInRange(record)) && AcceptedByConditions(record);
}

int32_t TCvDataset::FindVisible(int32_t position, int step) {
  for (; position >= lo_ && position < hi_; position += step) {
    if (Contiguous() || AcceptedByConditions(RecordAtPosition(position))) return position;
  }
  return -1;
}

void TCvDataset::SetCurrent(int32_t position) {
  position_ = position;
  record_ = RecordAtPosition(position);
  LoadBuffer();
}

void TCvDataset::ClearCurrent() {
  position_ = record_ = -1;
  record_id_ = 0;
  buffer_.clear();
  bof_ = eof_ = true;
  NotifyDetails();
}

void TCvDataset::RecomputeBounds() {
  if (index_ >= 0) Data().Indexes().EnsureCurrent(index_);
  const int32_t count = OrderCount();
  lo_ = 0;
  hi_ = count;
  if (!range_active_) return;
  // The index is sorted by key: the range is the stretch between the first
  // record not below the start and the first record above the end.
  if (range_start_.fields > 0) {
    int32_t low = 0, high = count;
    while (low < high) {
      const int32_t mid = low + (high - low) / 2;
      if (CompareToKey(RecordAtPosition(mid), range_start_) < 0) low = mid + 1; else high = mid;
    }
    lo_ = low;
  }
  if (range_end_.fields > 0) {
    int32_t low = lo_, high = count;
    while (low < high) {
      const int32_t mid = low + (high - low) / 2;
      if (CompareToKey(RecordAtPosition(mid), range_end_) <= 0) low = mid + 1; else high = mid;
    }
    hi_ = low;
  }
}

int32_t TCvDataset::FindById(int32_t id) const {
  if (id == 0) return -1;
  TCvDataManager& data = Data();
  const int32_t count = data.RecordCount();
  if (record_ >= 0 && record_ < count && data.Layout().GetId(data.Slot(record_)) == id) return record_;
  TableIndexes& indexes = data.Indexes();
  const int by_id = indexes.Find("@" + data.IdFieldName());
  if (by_id >= 0) {
    std::vector<uint8_t> key = data.Layout().NewRecord(id);
    indexes.EnsureCurrent(by_id);
    const int32_t position = indexes.FindPosition(by_id, key.data());
    if (position >= 0 && position < count) {
      const int32_t record = indexes.RecordAt(by_id, position);
      if (data.Layout().GetId(data.Slot(record)) == id) return record;
    }
    return -1;
  }
  for (int32_t r = 0; r < count; ++r) {
    if (data.Layout().GetId(data.Slot(r)) == id) return r;
  }
  return -1;
}

void TCvDataset::Resync() {
  // Find the current record again by its identifier; when it is gone or
  // left the view, take the record now at its place.
  const bool editing = state_ == TDataSetState::dsInsert || state_ == TDataSetState::dsEdit;
  const int32_t record = FindById(record_id_);
  if (record >= 0 && IsRecordVisible(record)) {
    record_ = record;
    position_ = PositionOfRecord(record);
    if (!editing) LoadBuffer();
    return;
  }
  if (editing && state_ == TDataSetState::dsEdit) {
    record_ = -1;  // Post will refuse: the edited record is gone
    return;
  }
  const int32_t start = std::max(lo_, std::min(position_ < 0 ? lo_ : position_, hi_ - 1));
  int32_t position = FindVisible(start, +1);
  if (position < 0) position = FindVisible(start, -1);
  if (position < 0) {
    const std::vector<uint8_t> keep = editing ? buffer_ : std::vector<uint8_t>{};
    ClearCurrent();
    if (editing) buffer_ = keep;
    return;
  }
  if (editing) {
    position_ = position;
    record_ = RecordAtPosition(position);
  } else {
    SetCurrent(position);
  }
}

void TCvDataset::RefreshIfChanged() {
  if (!Active() || Data().ChangeCounter() == seen_change_counter_) return;
  RecomputeBounds();
  Resync();
  seen_change_counter_ = Data().ChangeCounter();
}

// ---- navigation ----

void TCvDataset::First() {
  CheckBrowseMode();
  RefreshIfChanged();
  if (index_ >= 0) Data().Indexes().EnsureCurrent(index_);
  Fire(BeforeScroll);
  const int32_t position = FindVisible(lo_, +1);
  if (position < 0) {
    ClearCurrent();
  } else {
    SetCurrent(position);
    bof_ = true;
    eof_ = false;
  }
  Fire(AfterScroll);
}

void TCvDataset::Last() {
  CheckBrowseMode();
  RefreshIfChanged();
  if (index_ >= 0) Data().Indexes().EnsureCurrent(index_);
  Fire(BeforeScroll);
  const int32_t position = FindVisible(hi_ - 1, -1);
  if (position < 0) {
    ClearCurrent();
  } else {
    SetCurrent(position);
    bof_ = false;
    eof_ = true;
  }
  Fire(AfterScroll);
}

void TCvDataset::Next() { MoveBy(1); }

void TCvDataset::Prior() { MoveBy(-1); }

int TCvDataset::MoveBy(int distance) {
  CheckBrowseMode();
  RefreshIfChanged();
  if (index_ >= 0) Data().Indexes().EnsureCurrent(index_);
  if (distance == 0) return 0;
  const int step = distance > 0 ? 1 : -1;
  if (position_ < 0) {
    (step > 0 ? eof_ : bof_) = true;
    return 0;
  }
  Fire(BeforeScroll);
  int moved = 0;
  int32_t position = position_;
  if (Contiguous()) {
    const int64_t target = std::clamp<int64_t>(int64_t{position} + distance, lo_, int64_t{hi_} - 1);
    moved = static_cast<int>(target - position);
    position = static_cast<int32_t>(target);
  } else {
    while (moved != distance) {
      const int32_t next = FindVisible(position + step, step);
      if (next < 0) break;
      position = next;
      moved += step;
    }
  }
  if (moved != 0) SetCurrent(position);
  eof_ = step > 0 && moved != distance;
  bof_ = step < 0 && moved != distance;
  Fire(AfterScroll);
  return moved;
}

int TCvDataset::RecordCount() {
  if (!Active()) return 0;
  RefreshIfChanged();
  if (Contiguous()) return hi_ - lo_;
  int count = 0;
  for (int32_t p = lo_; p < hi_; ++p) count += AcceptedByConditions(RecordAtPosition(p)) ? 1 : 0;
  return count;
}

int TCvDataset::RecNo() {
  if (!Active()) return 0;
  if (state_ == TDataSetState::dsInsert) return RecordCount() + 1;
  RefreshIfChanged();
  if (position_ < 0) return 0;
  if (Contiguous()) return position_ - lo_ + 1;
  int count = 0;
  for (int32_t p = lo_; p <= position_; ++p) count += AcceptedByConditions(RecordAtPosition(p)) ? 1 : 0;
  return count;
}

void TCvDataset::SetRecNo(int rec_no) {
  CheckBrowseMode();
  const int current = RecNo();
  if (current > 0 && rec_no > 0) MoveBy(rec_no - current);
}

// ---- bookmarks ----

TBookmark TCvDataset::GetBookmark() {
  TBookmark bookmark{};
  if (!Active() || position_ < 0 || buffer_.size() < 8) return bookmark;
  std::copy(buffer_.end() - 8, buffer_.end(), bookmark.begin());
  return bookmark;
}

namespace {

int32_t BookmarkPart(const TBookmark& bookmark, int at) {
  return platform::GetI32(bookmark.data() + at);
}

}  // namespace

bool TCvDataset::BookmarkValid(const TBookmark& bookmark) {
  if (!Active()) return false;
  RefreshIfChanged();
  const int32_t id = BookmarkPart(bookmark, 0);
  const int32_t hint = BookmarkPart(bookmark, 4);
  TCvDataManager& data = Data();
  int32_t record = -1;
  if (hint >= 0 && hint < data.RecordCount() && data.Layout().GetId(data.Slot(hint)) == id) {
    record = hint;
  } else {
    record = FindById(id);
  }
  return record >= 0 && IsRecordVisible(record);
}

void TCvDataset::GotoBookmark(const TBookmark& bookmark) {
  CheckBrowseMode();
  if (!BookmarkValid(bookmark)) throw Error("Record not found");
  const int32_t id = BookmarkPart(bookmark, 0);
  const int32_t hint = BookmarkPart(bookmark, 4);
  TCvDataManager& data = Data();
  const int32_t record = hint < data.RecordCount() && data.Layout().GetId(data.Slot(hint)) == id ? hint : FindById(id);
  Fire(BeforeScroll);
  SetCurrent(PositionOfRecord(record));
  bof_ = eof_ = false;
  Fire(AfterScroll);
}

// ---- ranges ----

namespace {

// Identifiers are 32-bit; a text outside that range names no record and is
// refused as StrToInt refuses it.
int32_t IdentifierFromText(const std::string& text) {
  const int64_t value = TextToInteger(text);
  if (value < INT32_MIN || value > INT32_MAX) throw ConversionError("'" + text + "' is not a valid integer value");
  return static_cast<int32_t>(value);
}

}  // namespace

SearchCondition TCvDataset::PrepareValueBuffer(const FieldInfo& field, const std::string& text) const {
  const RecordLayout& layout = Data().Layout();
  SearchCondition condition;
  condition.field = field.stored;
  condition.value = layout.NewRecord(0);
  if (field.stored < 0) {
    layout.SetId(condition.value.data(), IdentifierFromText(text));
  } else {
    SlotField(layout, field.stored).SetText(condition.value.data(), text);
  }
  return condition;
}

TCvDataset::RangeKey TCvDataset::MakeRangeKey(const std::vector<Variant>& values) const {
  if (index_ < 0) throw Error("Error in TCvDataSet.SetRange - no current index.");
  const RecordLayout& layout = Data().Layout();
  const IndexHeader& header = Data().Indexes().Header(index_);
  RangeKey key;
  key.key = layout.NewRecord(0);
  key.fields = static_cast<int>(std::min(values.size(), header.fields.size()));
  for (int k = 0; k < key.fields; ++k) {
    const Variant& value = values[static_cast<std::size_t>(k)];
    const int32_t stored = header.fields[static_cast<std::size_t>(k)];
    if (stored < 0) {
      layout.SetId(key.key.data(), value.IsNull() ? 0 : IdentifierFromText(value.ToText()));
    } else if (!value.IsNull()) {  // a null key value stays empty, sorting first
      SlotField(layout, stored).SetText(key.key.data(), value.ToText());
    }
  }
  return key;
}

int TCvDataset::CompareToKey(int32_t record, const RangeKey& key) const {
  // Through the index's own comparator, so that a range orders records
  // exactly as the index does.
  return -range_order_->CompareKey(key.key.data(), Data().Slot(record), false, key.fields);
}

bool TCvDataset::RecordInRange(int32_t record) const {
  if (!range_active_) return true;
  return (range_start_.fields == 0 || CompareToKey(record, range_start_) >= 0) &&
         (range_end_.fields == 0 || CompareToKey(record, range_end_) <= 0);
}

void TCvDataset::SetRange(const std::vector<Variant>& start, const std::vector<Variant>& end) {
  CheckBrowseMode();
  RefreshIfChanged();
  RangeKey low = MakeRangeKey(start);
  RangeKey high = MakeRangeKey(end);
  range_order_ = std::make_unique<KeyComparator>(Data().Layout(), Data().Indexes().Header(index_), Collation::User());
  range_start_ = std::move(low);
  range_end_ = std::move(high);
  range_active_ = true;
  RecomputeBounds();
  First();
}

void TCvDataset::CancelRange() {
  if (!range_active_) return;
  CheckBrowseMode();
  range_active_ = false;
  range_start_ = range_end_ = RangeKey{};
  range_order_.reset();
  RecomputeBounds();
  Resync();
}

// ---- Locate ----

bool TCvDataset::Locate(const std::string& field_names, const Variant& values, TLocateOptions options) {
  CheckBrowseMode();
  RefreshIfChanged();
  const std::vector<std::string> names = SplitFieldList(field_names);
  std::vector<SearchCondition> conditions;
  for (std::size_t i = 0; i < names.size(); ++i) {
    const int index = FieldIndex(names[i]);
    if (index < 0) {
      throw Error("Error in TCvDataManager.InternalGetFieldNo - field " + container::Quoted(names[i]) + " not found!");
    }
    const Variant& value = names.size() > 1 && values.IsArray()
                               ? (i < values.Elements().size() ? values.Elements()[i] : Variant::Null())
                               : values;
    if (value.IsNull()) return false;
    SearchCondition condition = PrepareValueBuffer(Info(index), value.ToText());
    condition.op = SearchCondition::kEqual;
    condition.case_insensitive = (options & loCaseInsensitive) != 0;
    condition.partial = (options & loPartialKey) != 0;
    conditions.push_back(std::move(condition));
  }
  if (conditions.empty() || hi_ <= lo_) return false;
  if (index_ >= 0) Data().Indexes().EnsureCurrent(index_);
  const int32_t record =
      Data().Indexes().Locate(conditions, index_, [this](int32_t r) { return IsRecordVisible(r); });
  if (record < 0) return false;
  Fire(BeforeScroll);
  SetCurrent(PositionOfRecord(record));
  bof_ = eof_ = false;
  Fire(AfterScroll);
  return true;
}

}  // namespace corvane::table
