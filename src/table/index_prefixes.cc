// TableIndexes: the key prefixes kept beside an index array, built from the
// records or read from the ".idx" file, and stored there by a save.
#include <algorithm>
#include <bit>
#include <span>

#include "table/table_files.h"
#include "table/table_indexes_impl.h"

namespace corvane::table {

// By record number, so that the slots are read in storage order; callers
// place them by the array.
std::vector<uint64_t> TableIndexes::Impl::PrefixesByRecord(const IndexState& s) {
  const int32_t n = records.RecordCount();
  std::vector<uint64_t> by_record(static_cast<std::size_t>(std::max(n, 0)));
  for (int32_t r = 0; r < n; ++r) {
    by_record[static_cast<std::size_t>(r)] = s.comparator.Prefix(records.Slot(r));
  }
  return by_record;
}

const uint64_t* TableIndexes::Impl::BuildPrefixes(IndexState& s) {
  return s.array.SetPrefixes(PrefixesByRecord(s)) ? s.array.Prefixes() : nullptr;
}

void TableIndexes::Impl::ReadPrefixesFromFile(IndexState& s) {
  if (!s.prefixes_in_file || !s.comparator.HasPrefixes()) return;
  s.prefixes_in_file = false;
  if (!s.current || s.array.Generation() != s.saved_generation) return;
  const auto n = static_cast<std::size_t>(file_records);
  // Read straight into the prefixes: the stored little-endian numbers are
  // this machine's, and elsewhere they are turned round after the check.
  std::vector<uint64_t> prefixes(n);
  const std::span<uint8_t> bytes(reinterpret_cast<uint8_t*>(prefixes.data()), 8 * n);
  if (!read_file || read_file(s.prefixes_offset, bytes.size(), bytes.data()) != bytes.size()) return;
  // Damaged prefixes would send searches the wrong way without a trace, so
  // only those whose bytes are the ones saved with this very array are used.
  if (PrefixCheckNumber(bytes) != s.prefixes_check) return;
  if constexpr (std::endian::native != std::endian::little) {
    for (uint64_t& v : prefixes) v = le::GetU64(reinterpret_cast<const uint8_t*>(&v));
  }
  s.array.SetPrefixesInOrder(std::move(prefixes));
}

std::size_t TableIndexes::Impl::StoredPrefixesIndex() const {
  for (std::size_t i = 0; i < indexes.size(); ++i) {
    if (indexes[i].comparator.HasPrefixes()) return i;
  }
  return indexes.size();
}

std::vector<KeyPrefixBlock> TableIndexes::Impl::PrefixBlocksToSave() {
  const int32_t n = records.RecordCount();
  const std::size_t i = StoredPrefixesIndex();
  if (i == indexes.size() || !indexes[i].current || indexes[i].array.Size() != n) return {};
  IndexState& s = indexes[i];
  KeyPrefixBlock block{i, {}};
  if (const uint64_t* kept = s.array.Prefixes()) {
    block.prefixes.assign(kept, kept + n);
  } else {
    const std::vector<uint64_t> by_record = PrefixesByRecord(s);
    block.prefixes.reserve(static_cast<std::size_t>(n));
    s.array.ForEach([&](int32_t r) { block.prefixes.push_back(by_record[static_cast<std::size_t>(r)]); });
  }
  std::vector<KeyPrefixBlock> blocks;
  blocks.push_back(std::move(block));
  return blocks;
}

}  // namespace corvane::table
