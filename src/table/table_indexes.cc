// TableIndexes: index headers, building, positions, and the ".idx" file.
#include <algorithm>
#include <bit>
#include <span>
#include <numeric>
#include <utility>

#include "platform/clock.h"
#include "platform/error.h"
#include "platform/locale.h"
#include "table/index_file.h"
#include "table/table_files.h"
#include "table/table_indexes_impl.h"

namespace corvane::table {
namespace {

constexpr const char* kAddIndex = "Error in TCvDataManager.InternalAddIndex - ";

// Index names compare without regard to case the same way under every
// locale: a Turkish "ID" must still find "@id".
std::string FoldName(const std::string& name) {
  return platform::AnsiCase::ForLocale(platform::kLocaleEnglishUs).Lower(name);
}

// Sorts a[lo..hi] by `compare(record, pivot_slot)`: quicksort with the middle
// element as pivot, recursing into the smaller part so the stack stays
// logarithmic. The scans are bounded by the range, so keys that compare
// inconsistently cost order, never memory safety.
template <typename CopyPivot, typename Compare>
void QuickSort(std::vector<int32_t>& a, int32_t lo, int32_t hi, CopyPivot& copy_pivot,
               Compare& compare) {
  while (lo < hi) {
    int32_t i = lo;
    int32_t j = hi;
    const uint8_t* pivot = copy_pivot(a[static_cast<std::size_t>(lo + (hi - lo) / 2)]);
    do {
      while (i < hi && compare(a[static_cast<std::size_t>(i)], pivot) < 0) ++i;
      while (j > lo && compare(a[static_cast<std::size_t>(j)], pivot) > 0) --j;
      if (i <= j) {
        std::swap(a[static_cast<std::size_t>(i)], a[static_cast<std::size_t>(j)]);
        ++i;
        --j;
      }
    } while (i <= j);
    if (j - lo < hi - i) {
      QuickSort(a, lo, j, copy_pivot, compare);
      lo = i;
    } else {
      QuickSort(a, i, hi, copy_pivot, compare);
      hi = j;
    }
  }
}

// The run [first, last) of positions around `pos` where compare_at gives 0.
template <typename CompareAt>
void EqualRunOf(int32_t n, CompareAt&& compare_at, int32_t pos, int32_t* first, int32_t* last) {
  auto equal = [&](int32_t p) { return compare_at(p) == 0; };
  // The run is contiguous, so its ends are found by galloping out from pos
  // and halving back: counting a run of 1000 costs about 20 reads, not 1000.
  auto edge = [&](int direction) -> int64_t {
    // Distances from pos - 1 going down, or from pos going up: `good` is
    // known to lie inside the run, `bad` outside it.
    const int64_t base = direction < 0 ? pos - 1 : pos;
    auto inside = [&](int64_t d) {
      const int64_t p = base + direction * d;
      return p >= 0 && p < n && equal(static_cast<int32_t>(p));
    };
    if (!inside(0)) return -1;
    int64_t good = 0;
    int64_t bad = 1;
    while (inside(bad)) {
      good = bad;
      bad *= 2;
    }
    while (bad - good > 1) {
      const int64_t mid = good + (bad - good) / 2;
      (inside(mid) ? good : bad) = mid;
    }
    return good;
  };
  const int64_t down = edge(-1);
  const int64_t up = edge(1);
  *first = static_cast<int32_t>(down < 0 ? pos : pos - 1 - down);
  *last = static_cast<int32_t>(up < 0 ? pos : pos + up + 1);
}

// Whether every entry names one of `count` records.
bool AllInRange(const std::vector<int32_t>& array, int32_t count) {
  // Or-ed over the whole array, without an early exit, so that it vectorises.
  uint32_t outside = 0;
  for (const int32_t r : array) outside |= static_cast<uint32_t>(static_cast<uint32_t>(r) >= static_cast<uint32_t>(count));
  return array.size() == static_cast<std::size_t>(count) && outside == 0;
}

// Whether loaded array `i` is known to be in order without looking: the
// file's mark names this collation and, where the file has array checks,
// the array's bytes match its check.
bool ArrayInOrder(const DecodedIndexFile& file, std::size_t i, bool sorted_here) {
  if (!sorted_here) return false;
  if (file.array_checks.empty()) return true;
  const std::vector<int32_t>& a = file.arrays[i];
  std::vector<uint8_t> bytes(4 * a.size());
  for (std::size_t k = 0; k < a.size(); ++k) le::PutI32(bytes.data() + 4 * k, a[k]);
  return ArrayCheckNumber(bytes) == file.array_checks[i];
}

}  // namespace

// ---- Impl ------------------------------------------------------------------

IndexState& TableIndexes::Impl::State(int index) {
  if (index < 0 || index >= static_cast<int>(indexes.size())) {
    throw Error("Error in TCvDataManager - invalid index number " + std::to_string(index));
  }
  return indexes[static_cast<std::size_t>(index)];
}

const uint8_t* TableIndexes::Impl::CopySlot(int32_t record, std::vector<uint8_t>& buffer) {
  const uint8_t* slot = records.Slot(record);
  buffer.assign(slot, slot + layout.slot_size);
  return buffer.data();
}

void TableIndexes::Impl::AddHeader(IndexHeader header) {
  KeyComparator comparator(layout, header, collation);
  condition_index.clear();
  indexes.push_back(IndexState{std::move(header), std::move(comparator), {}, false});
}

std::vector<int32_t> TableIndexes::Impl::SortedRecords(IndexState& s) {
  const int32_t n = records.RecordCount();
  std::vector<int32_t> a(static_cast<std::size_t>(std::max(n, 0)));
  std::iota(a.begin(), a.end(), 0);
  if (n <= 1) return a;
  // The slots side by side for the sort: fetching a slot from the record
  // pages costs about what comparing two keys does, and a sort fetches one
  // per comparison.
  const auto size = static_cast<std::size_t>(layout.slot_size);
  std::vector<uint8_t> slots(size * a.size());
  for (int32_t r = 0; r < n; ++r) std::copy_n(records.Slot(r), size, slots.data() + size * static_cast<std::size_t>(r));
  auto slot = [&](int32_t r) -> const uint8_t* { return slots.data() + size * static_cast<std::size_t>(r); };
  auto compare = [&](int32_t r, const uint8_t* pivot) { return s.comparator.Compare(slot(r), pivot); };
  QuickSort(a, 0, n - 1, slot, compare);
  return a;
}

void TableIndexes::Impl::Build(IndexState& s) {
  if (s.deferred) {
    s.deferred = false;
    if (appended_only) return BuildAsInserted(s);
  }
  s.array.Assign(SortedRecords(s));
  s.current = true;
  s.in_file = false;
}

void TableIndexes::Impl::ReadFromFile(IndexState& s) {
  s.in_file = false;
  const auto n = static_cast<std::size_t>(file_records);
  // Read straight into the array: the stored little-endian numbers are this
  // machine's, and elsewhere they are turned round after the check.
  std::vector<int32_t> array(n);
  const std::span<uint8_t> bytes(reinterpret_cast<uint8_t*>(array.data()), 4 * n);
  if (read_file && read_file(s.file_offset, bytes.size(), bytes.data()) == bytes.size()) {
    const bool as_saved = ArrayCheckNumber(bytes) == s.file_check;
    if constexpr (std::endian::native != std::endian::little) {
      for (int32_t& r : array) r = le::GetI32(reinterpret_cast<const uint8_t*>(&r));
    }
    // A matching check vouches for the entries and their order, short of a
    // deliberate forgery, so a process that opens the table for one lookup
    // does not pay for proving the array a permutation: every entry is
    // still kept in range, which is all a forged one could abuse.
    const bool trusted = as_saved ? AllInRange(array, file_records) : Trustworthy(s, array, true, file_records);
    if (trusted) {
      s.array.Assign(std::move(array));
      s.current = true;
      if (as_saved) s.saved_generation = s.array.Generation();
      s.prefixes_in_file = s.prefixes_in_file && as_saved;
      return;
    }
  }
  // Rebuilt, as Load would have; the file must then be saved again.
  if (saved_counter == file_counter) saved_counter = file_counter - 1;
  Build(s);
}

int32_t TableIndexes::Impl::StoredEntry(const IndexState& s, int32_t p, bool& failed) {
  uint8_t bytes[4];
  if (!failed && read_file && read_file(s.file_offset + uint64_t{4} * static_cast<uint32_t>(p), 4, bytes) == 4) {
    const int32_t r = le::GetI32(bytes);
    if (static_cast<uint32_t>(r) < static_cast<uint32_t>(records.RecordCount())) return r;
  }
  failed = true;
  return 0;
}

uint64_t TableIndexes::Impl::StoredPrefix(const IndexState& s, int32_t p, bool& failed) {
  uint8_t bytes[8];
  if (!failed && read_file && read_file(s.prefixes_offset + uint64_t{8} * static_cast<uint32_t>(p), 8, bytes) == 8) {
    return le::GetU64(bytes);
  }
  failed = true;
  return KeyComparator::kNullPrefix;
}

bool TableIndexes::Impl::EqualMatchesInFile(IndexState& s, const uint8_t* key, bool partial, bool count_only,
                                            int64_t* count, std::vector<int32_t>& out) {
  if (!s.in_file || s.searches_in_place >= kSearchesInPlace || records.RecordCount() != file_records) return false;
  ++s.searches_in_place;
  // They count towards reading the stored prefixes too: the search that
  // takes the array into memory then takes its prefixes with it.
  if (s.prefixes_in_file) ++s.searches;
  bool failed = false;
  // A failed read makes every later one record 0, so the search still ends
  // as it would on any array; its answer is then not used.
  auto compare_record = [&](int32_t p) {
    return s.comparator.CompareKey(key, records.Slot(StoredEntry(s, p, failed)), partial, 1);
  };
  // With the stored key prefixes, a probe reads an entry and its record only
  // where the prefixes tie, and always then: they are not proved against
  // their check here, so no key is taken as found on their word alone.
  const bool prefixed = s.prefixes_in_file && !partial && s.comparator.HasPrefixes();
  const uint64_t key_prefix = prefixed ? s.comparator.Prefix(key) : KeyComparator::kNullPrefix;
  auto compare_at = [&](int32_t p) {
    if (key_prefix != KeyComparator::kNullPrefix) {
      const uint64_t record_prefix = StoredPrefix(s, p, failed);
      // Prefixes that differ decide alone: the record is not asked for.
      const auto no_record = [] { return static_cast<const uint8_t*>(nullptr); };
      if (record_prefix != key_prefix) {
        return s.comparator.CompareKeyPrefixed(key, key_prefix, record_prefix, no_record, 1);
      }
    }
    return compare_record(p);
  };
  const int32_t pos = PositionSearch(file_records, compare_at);
  int32_t first = 0;
  int32_t last = 0;
  EqualRunOf(file_records, compare_at, pos, &first, &last);
  if (failed || last - first > kMaxRunInPlace) return false;
  out.clear();
  if (!count_only) {
    for (int32_t p = first; p < last; ++p) out.push_back(StoredEntry(s, p, failed));
    if (failed) return false;
  }
  if (count) *count = last - first;
  return true;
}

int32_t TableIndexes::Impl::FindRecordPosition(IndexState& s, const uint8_t* key, int32_t record) {
  const int32_t n = s.array.Size();
  auto slot_of = [&](int32_t r) { return r == record ? key : records.Slot(r); };
  const int32_t pos = PositionSearch(
      n, [&](int32_t p) { return s.comparator.Compare(key, slot_of(s.array.At(p))); });
  for (int32_t q = pos; q < n; ++q) {
    const int32_t r = s.array.At(q);
    if (r == record) return q;
    if (s.comparator.Compare(key, records.Slot(r)) != 0) break;
  }
  for (int32_t q = pos - 1; q >= 0; --q) {
    const int32_t r = s.array.At(q);
    if (r == record) return q;
    if (s.comparator.Compare(key, records.Slot(r)) != 0) break;
  }
  // The key search missed: keys that compare inconsistently (the Turkish
  // blank rule is not transitive) can hide an entry from it. Look at all.
  int32_t q = 0;
  int32_t found = -1;
  s.array.ForEach([&](int32_t r) {
    if (r == record && found < 0) found = q;
    ++q;
  });
  return found;
}

void TableIndexes::Impl::EqualRun(IndexState& s, const uint8_t* key, bool partial, int key_fields,
                                  int32_t pos, int32_t* first, int32_t* last) {
  WithCompareAt(s, key, partial, key_fields, [&](auto&& compare_at) {
    EqualRunOf(s.array.Size(), compare_at, pos, first, last);
  });
}

void TableIndexes::Impl::BuildWithProgress(const std::vector<int>& which,
                                           const BuildProgress& progress) {
  if (progress) progress(true, false, 0);
  for (std::size_t i = 0; i < which.size(); ++i) {
    Build(State(which[i]));
    if (progress) progress(false, false, static_cast<int>((i + 1) * 100 / which.size()));
  }
  if (progress) progress(false, true, 100);
}

bool TableIndexes::Impl::Trustworthy(IndexState& s, const std::vector<int32_t>& array,
                                     bool check_order, int32_t count) {
  const auto n = static_cast<int32_t>(array.size());
  if (n != count) return false;
  std::vector<uint8_t> seen(array.size());
  for (int32_t r : array) {
    if (static_cast<uint32_t>(r) >= static_cast<uint32_t>(n) || seen[static_cast<std::size_t>(r)]) return false;
    seen[static_cast<std::size_t>(r)] = 1;
  }
  if (!check_order) return true;
  for (std::size_t p = 1; p < array.size(); ++p) {
    const uint8_t* before = CopySlot(array[p - 1], key_buffer);
    if (s.comparator.Compare(before, records.Slot(array[p])) > 0) return false;
  }
  return true;
}

// ---- Headers ---------------------------------------------------------------

TableIndexes::TableIndexes(const RecordLayout& layout, RecordSource& records,
                           const Collation& collation)
    : impl_(std::make_unique<Impl>(layout, records, collation)) {
  impl_->tick = platform::TickCount;
}

TableIndexes::~TableIndexes() = default;

int TableIndexes::Count() const { return static_cast<int>(impl_->indexes.size()); }

const IndexHeader& TableIndexes::Header(int index) const { return impl_->State(index).header; }

int TableIndexes::Impl::Find(const std::string& name) const {
  const std::string folded = FoldName(name);
  for (std::size_t i = 0; i < indexes.size(); ++i) {
    if (FoldName(indexes[i].header.name) == folded) return static_cast<int>(i);
  }
  return -1;
}

void TableIndexes::Impl::AddIndexHeader(const std::string& name, const std::vector<int32_t>& fields,
                                        const std::vector<bool>& case_insensitive,
                                        const std::vector<bool>& ascending,
                                        bool all_case_insensitive, bool all_descending,
                                        uint8_t options) {
  if (name.empty()) throw Error(std::string(kAddIndex) + "name is empty.");
  if (name.size() > kMaxStoredNameLength) {
    throw Error(std::string(kAddIndex) + "name length > " + std::to_string(kMaxStoredNameLength));
  }
  if (fields.empty()) throw Error(std::string(kAddIndex) + "empty field name list");
  if (ascending.empty()) throw Error(std::string(kAddIndex) + "empty sort orders list");
  if (Find(name) >= 0) throw Error(std::string(kAddIndex) + "index \"" + name + "\" already exists!");

  IndexHeader h;
  h.name = name;
  const auto& stored = layout.fields;
  for (std::size_t k = 0; k < fields.size(); ++k) {
    const int32_t f = fields[k];
    const bool valid = f == -1 || (f >= 0 && f < static_cast<int32_t>(stored.size()) &&
                                   IsKeyType(stored[static_cast<std::size_t>(f)].type));
    if (!valid) throw Error(std::string(kAddIndex) + "unsupported field type!");
    const bool text = f >= 0 && IsStringType(stored[static_cast<std::size_t>(f)].type);
    h.fields.push_back(f);
    // Lists shorter than the field list leave the rest ascending and
    // case-sensitive; case never applies to other than text.
    h.ascending.push_back(k < ascending.size() ? ascending[k] : true);
    h.case_insensitive.push_back(text && k < case_insensitive.size() && case_insensitive[k]);
  }
  h.all_case_insensitive = all_case_insensitive ? 1 : 0;
  h.all_descending = all_descending ? 1 : 0;
  h.options = options;
  AddHeader(std::move(h));
}

void TableIndexes::Impl::AddAutomaticHeaders(const std::string& id_name) {
  id_field_name = id_name;
  AddIndexHeader("@" + id_name, {-1}, {false}, {true}, false, false, 0);
  for (std::size_t i = 0; i < layout.fields.size(); ++i) {
    const FieldHeader& f = layout.fields[i];
    if (IsBlobType(f.type) || f.type == FieldType::ftBytes) continue;
    const auto field = static_cast<int32_t>(i);
    if (IsStringType(f.type)) {
      AddIndexHeader("@@" + f.name, {field}, {true}, {true}, true, false, ixCaseInsensitive);
    }
    AddIndexHeader("@" + f.name, {field}, {false}, {true}, false, false, 0);
  }
}

int TableIndexes::Find(const std::string& name) const { return impl_->Find(name); }

int TableIndexes::Get(const std::string& name) const {
  const int index = Find(name);
  if (index < 0) {
    throw Error("Error in TCvDataManager.InternalGetIndexNo - Index \"" + name + "\" not found!");
  }
  return index;
}

void TableIndexes::AddAutomaticIndexes(const std::string& id_field_name) {
  const std::size_t first = impl_->indexes.size();
  impl_->AddAutomaticHeaders(id_field_name);
  for (std::size_t i = first; i < impl_->indexes.size(); ++i) impl_->Build(impl_->indexes[i]);
}

void TableIndexes::AddIndex(const std::string& name, const std::vector<int32_t>& fields,
                            const std::vector<bool>& case_insensitive,
                            const std::vector<bool>& ascending, bool all_case_insensitive,
                            bool all_descending, uint8_t options) {
  impl_->AddIndexHeader(name, fields, case_insensitive, ascending, all_case_insensitive,
                        all_descending, options);
  impl_->Build(impl_->indexes.back());
}

// ---- Building and positions ------------------------------------------------

bool TableIndexes::IsCurrent(int index) const {
  IndexState& s = impl_->State(index);
  if (s.in_file) impl_->ReadFromFile(s);
  return s.current;
}

void TableIndexes::Build(int index) { impl_->Build(impl_->State(index)); }

void TableIndexes::BuildAll(const BuildProgress& progress) {
  std::vector<int> all(impl_->indexes.size());
  std::iota(all.begin(), all.end(), 0);
  impl_->BuildWithProgress(all, progress);
}

void TableIndexes::EnsureCurrent(int index) { impl_->EnsureCurrent(impl_->State(index)); }

int32_t TableIndexes::RecordAt(int index, int32_t position) {
  IndexState& s = impl_->State(index);
  impl_->EnsureCurrent(s);
  if (position < 0 || position >= s.array.Size()) return -1;
  return s.array.At(position);
}

int32_t TableIndexes::PositionOf(int index, int32_t record) {
  IndexState& s = impl_->State(index);
  impl_->EnsureCurrent(s);
  if (record < 0 || record >= impl_->records.RecordCount()) return -1;
  const uint8_t* key = impl_->CopySlot(record, impl_->key_buffer);
  return impl_->FindRecordPosition(s, key, record);
}

int32_t TableIndexes::FindPosition(int index, const uint8_t* key_slot, bool partial) {
  IndexState& s = impl_->State(index);
  impl_->EnsureCurrent(s);
  return impl_->Search(s, key_slot, partial);
}

// ---- The ".idx" file ---------------------------------------------------------

std::vector<uint8_t> TableIndexes::Save(uint32_t change_counter) const {
  // Arrays skipped by the throttle are brought up to date first: the file
  // must hold every index in order.
  std::vector<IndexHeader> headers;
  std::vector<const RecordNumberArray*> arrays;
  for (IndexState& s : impl_->indexes) {
    impl_->EnsureCurrent(s);
    headers.push_back(s.header);
    arrays.push_back(&s.array);
  }
  impl_->saved_counter = change_counter;
  const uint64_t mark = impl_->collation.Mark();
  const int32_t n = impl_->records.RecordCount();
  return EncodeIndexFile(change_counter, headers, arrays, n, mark,
                         mark != 0 && n > 0 ? impl_->PrefixBlocksToSave() : std::vector<KeyPrefixBlock>{});
}

void TableIndexes::Load(const std::vector<uint8_t>& bytes, uint32_t change_counter,
                        int /*field_count: the layout's*/, double table_version,
                        const std::string& id_field_name, const BuildProgress& progress) {
  Impl& m = *impl_;
  m.appended_only = false;
  m.ClearIndexes();
  m.id_field_name = id_field_name;
  const int32_t n = m.records.RecordCount();
  DecodedIndexFile file = DecodeIndexFile(bytes, m.layout, table_version, change_counter, n);
  m.saved_counter = file.change_counter;

  // Arrays this process's collation sorted need no order check; any others
  // (an older file, another locale) are checked, and the file is saved
  // again with the mark so the check is paid once.
  const bool sorted_here = file.sorted_by != 0 && file.sorted_by == m.collation.Mark();
  std::vector<int> rebuild;
  if (!file.headers_read) {
    // Declared indexes are lost with their headers; the automatic ones can
    // be made again from the fields.
    m.ClearIndexes();
    m.AddAutomaticHeaders(id_field_name);
    rebuild.resize(m.indexes.size());
    std::iota(rebuild.begin(), rebuild.end(), 0);
  } else {
    for (IndexHeader& h : file.headers) m.AddHeader(std::move(h));
    for (std::size_t i = 0; i < m.indexes.size(); ++i) {
      IndexState& s = m.indexes[i];
      if (file.arrays_read && n <= 0) {
        s.array.Clear();
        s.current = true;
      } else if (file.arrays_read && m.Trustworthy(s, file.arrays[i], !ArrayInOrder(file, i, sorted_here), n)) {
        s.array.Assign(std::move(file.arrays[i]));
        s.current = true;
      } else {
        rebuild.push_back(static_cast<int>(i));
      }
      if (file.arrays_read && n > 0) std::vector<int32_t>().swap(file.arrays[i]);
    }
  }
  // A file with the plain mark alone is saved again too, with the array
  // checks, so that later opens read only the arrays they use.
  const bool unmarked =
      file.arrays_read && n > 0 && (!sorted_here || file.array_checks.empty()) && m.collation.Mark() != 0;
  if (!rebuild.empty()) m.BuildWithProgress(rebuild, progress);
  if (rebuild.empty() && !unmarked) return;
  // The file does not hold what was just built, or not the mark; make the
  // counters differ so that closing the table writes it.
  if (m.saved_counter == change_counter) m.saved_counter = change_counter - 1;
}

void TableIndexes::LoadFrom(uint64_t file_size, const FileReader& read, uint32_t change_counter,
                            int field_count, double table_version, const std::string& id_field_name,
                            const BuildProgress& progress) {
  // The headers of most tables fit in the first bytes, of any table in far
  // less than the most; a file whose do not is read whole.
  constexpr uint64_t kHeadBytes[] = {2 << 10, 64 << 10};
  Impl& m = *impl_;
  m.appended_only = false;
  const int32_t n = m.records.RecordCount();
  DecodedIndexFile file;
  for (const uint64_t most : kHeadBytes) {
    std::vector<uint8_t> head(static_cast<std::size_t>(std::min(file_size, most)));
    if (read(0, head.size(), head.data()) != head.size()) break;
    auto read_tail = [&](std::size_t size) {
      std::vector<uint8_t> tail(size);
      if (size > file_size || read(file_size - size, size, tail.data()) != size) tail.clear();
      return tail;
    };
    file = DecodeIndexHeaders(head, file_size, m.layout, table_version, change_counter, n, read_tail);
    if (file.headers_read || head.size() == file_size) break;
  }
  if (!file.headers_read || file.sorted_by == 0 || file.sorted_by != m.collation.Mark()) {
    // In chunks, so that memory follows the bytes really read and not a
    // size the file merely reports.
    constexpr std::size_t kChunk = 1 << 20;
    std::vector<uint8_t> bytes;
    for (;;) {
      const std::size_t at = bytes.size();
      bytes.resize(at + kChunk);
      const std::size_t got = read(at, kChunk, bytes.data() + at);
      bytes.resize(at + got);
      if (got < kChunk) break;
    }
    Load(bytes, change_counter, field_count, table_version, id_field_name, progress);
    return;
  }
  m.ClearIndexes();
  m.id_field_name = id_field_name;
  m.saved_counter = m.file_counter = file.change_counter;
  m.file_records = n;
  m.read_file = read;
  const uint64_t array_bytes = uint64_t{4} * static_cast<uint64_t>(n);
  for (std::size_t i = 0; i < file.headers.size(); ++i) {
    m.AddHeader(std::move(file.headers[i]));
    IndexState& s = m.indexes.back();
    s.in_file = true;
    s.file_offset = file.arrays_offset + array_bytes * i;
    s.file_check = file.array_checks[i];
  }
  const std::size_t wanted = m.StoredPrefixesIndex();
  bool prefixes_as_saved = wanted == m.indexes.size();
  for (const DecodedIndexFile::StoredPrefixes& stored : file.prefixes) {
    IndexState& s = m.indexes[stored.index];
    s.prefixes_in_file = true;
    s.prefixes_offset = stored.offset;
    s.prefixes_check = stored.check;
    if (file.prefixes.size() == 1 && stored.index == wanted) prefixes_as_saved = true;
  }
  // A file without the prefixes a save would store (an older one) is saved
  // again with them when the table closes, so later opens search without
  // reading records.
  if (!prefixes_as_saved && m.saved_counter == change_counter) m.saved_counter = change_counter - 1;
}

uint32_t TableIndexes::SavedChangeCounter() const { return impl_->saved_counter; }

void TableIndexes::SetTickSource(std::function<uint32_t()> tick) { impl_->tick = std::move(tick); }

void TableIndexes::SetDeferMaintenance(bool on) {
  impl_->defer_maintenance = on;
  if (on && impl_->records.RecordCount() == 0) impl_->appended_only = true;
}

}  // namespace corvane::table
