// TCvDataset: the filter, the find family and the master/detail link, all
// read by TSearchParser. Each keeps its own parser; the filter and the link
// cache their whole-table result until the table changes.
#include <algorithm>
#include <cstring>

#include "platform/error.h"
#include "table/collation.h"
#include "table/dataset.h"

namespace corvane::table {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string TrimmedRight(std::string text) {
  while (!text.empty() && IsBlank(text.back())) text.pop_back();
  return text;
}

}  // namespace

// ---- parsers ----

std::unique_ptr<TSearchParser> TCvDataset::NewParser() const {
  return std::make_unique<TSearchParser>(SearchTable::Of(Data(), Collation::User()));
}

std::unique_ptr<TSearchParser> TCvDataset::ParseFilter(const std::string& expression,
                                                       TFilterOptions options) const {
  std::unique_ptr<TSearchParser> parser = NewParser();
  parser->Parse(expression, options);
  return parser;
}

void TCvDataset::OpenConditions() {
  filter_parser_ = filtered_ ? ParseFilter(filter_, filter_options_) : NewParser();
  find_parser_ = NewParser();
  master_parser_ = NewParser();
  filter_bits_ = master_bits_ = find_bits_ = ConditionBits{};
  master_parsed_ = false;
}

void TCvDataset::CloseConditions() {
  filter_parser_.reset();
  find_parser_.reset();
  master_parser_.reset();
  filter_bits_ = master_bits_ = find_bits_ = ConditionBits{};
  master_parsed_ = false;
}

const RecordBits& TCvDataset::Evaluated(TSearchParser& parser, ConditionBits& cache) {
  TCvDataManager& data = Data();
  if (cache.bits == nullptr || cache.counter != data.ChangeCounter() || cache.bits->Count() != data.RecordCount()) {
    cache.bits = &parser.EvaluateTable();
    cache.counter = data.ChangeCounter();
  }
  return *cache.bits;
}

// ---- filter ----

void TCvDataset::SetFilter(const std::string& expression) {
  if (Active() && filtered_) {
    CheckBrowseMode();
    filter_parser_ = ParseFilter(expression, filter_options_);
    filter_ = expression;
    Refilter();
  } else {
    filter_ = expression;
  }
}

void TCvDataset::SetFiltered(bool filtered) {
  if (!Active()) {
    filtered_ = filtered;
    return;
  }
  CheckBrowseMode();
  if (filtered) filter_parser_ = ParseFilter(filter_, filter_options_);
  filtered_ = filtered;
  Refilter();
}

void TCvDataset::SetFilterOptions(TFilterOptions options) {
  if (Active() && filtered_) {
    CheckBrowseMode();
    filter_parser_ = ParseFilter(filter_, options);
    filter_options_ = options;
    Refilter();
  } else {
    filter_options_ = options;
  }
}

void TCvDataset::Refilter() {
  filter_bits_ = ConditionBits{};
  RecomputeBounds();
  First();
}

bool TCvDataset::FilterAccepts(int32_t record) {
  if (filter_parser_ && !filter_parser_->Empty() && !Evaluated(*filter_parser_, filter_bits_).Test(record)) {
    return false;
  }
  return !OnFilterRecord || CallFilterRecord(record);
}

bool TCvDataset::CallFilterRecord(int32_t record) {
  // The event reads the record through the fields, which read the record
  // buffer: lend it the record's slot meanwhile.
  const auto size = static_cast<std::size_t>(Data().Layout().slot_size);
  std::vector<uint8_t> candidate(size + 8, 0);
  std::memcpy(candidate.data(), Data().Slot(record), size);
  buffer_.swap(candidate);
  struct Restore {
    std::vector<uint8_t>& buffer;
    std::vector<uint8_t>& saved;
    ~Restore() { buffer.swap(saved); }
  } restore{buffer_, candidate};
  bool accept = true;
  OnFilterRecord(*this, accept);
  return accept;
}

// ---- find family ----

bool TCvDataset::FindRecord(bool restart, bool forward) {
  CheckBrowseMode();
  RefreshIfChanged();
  const std::string text = TrimmedRight(filter_);
  if (text.find_first_not_of(" \t\r\n") == std::string::npos) {
    throw Error("TCvDataSet.FindRecord - Filter property is blank.");
  }
  // A search for 'ab*' asks for a prefix; any other is exact.
  TFilterOptions options = filter_options_;
  if (text.size() < 2 || text[text.size() - 2] != '*') options |= foNoPartialCompare;
  // FindNext in a loop reuses the result while the search and the table
  // stay as they were.
  if (find_bits_.bits == nullptr || find_parser_->Expression() != filter_ || find_options_ != options) {
    find_bits_ = ConditionBits{};
    find_parser_->Parse(filter_, options);
    find_options_ = options;
  }
  const RecordBits& found = Evaluated(*find_parser_, find_bits_);
  if (index_ >= 0) Data().Indexes().EnsureCurrent(index_);
  const int step = forward ? 1 : -1;
  int32_t position = restart || position_ < 0 ? (forward ? lo_ : hi_ - 1) : position_ + step;
  for (; position >= lo_ && position < hi_; position += step) {
    const int32_t record = RecordAtPosition(position);
    if (found.Test(record) && (Contiguous() || AcceptedByConditions(record))) break;
  }
  if (position < lo_ || position >= hi_) return false;
  Fire(BeforeScroll);
  SetCurrent(position);
  bof_ = eof_ = false;
  Fire(AfterScroll);
  return true;
}

// ---- master/detail ----

void TCvDataset::AddDetail(TCvDataset* detail) {
  if (std::find(details_.begin(), details_.end(), detail) == details_.end()) details_.push_back(detail);
}

void TCvDataset::RemoveDetail(TCvDataset* detail) {
  details_.erase(std::remove(details_.begin(), details_.end(), detail), details_.end());
}

void TCvDataset::NotifyDetails() {
  if (details_.empty() || notifying_details_) return;
  notifying_details_ = true;
  struct Done {
    bool& flag;
    ~Done() { flag = false; }
  } done{notifying_details_};
  const std::vector<TCvDataset*> details = details_;  // a detail may unlink itself
  for (TCvDataset* detail : details) detail->MasterRecordChanged();
}

void TCvDataset::ParseMaster(const std::string& expression) {
  // Exact values: a partial compare would let master "ab" select detail
  // records keyed "abc".
  master_parser_->Parse(expression, foNoPartialCompare);
  master_bits_ = ConditionBits{};
  master_parsed_ = true;
}

void TCvDataset::MasterRecordChanged() {
  if (!Active() || !master_parser_) return;
  const std::string expression = MasterDetailActive() ? MasterExpression() : std::string();
  if (master_parsed_ && expression == master_parser_->Expression()) return;
  ParseMaster(expression);
  if (state_ != TDataSetState::dsBrowse) return;
  RecomputeBounds();
  First();
}

bool TCvDataset::MasterDetailAccepts(int32_t record) {
  if (!master_parser_) return true;
  if (!master_parsed_) ParseMaster(MasterExpression());
  return master_parser_->Empty() || Evaluated(*master_parser_, master_bits_).Test(record);
}

}  // namespace corvane::table
