// TableIndexes: an index of a table filled only by appends, built in one go
// yet entry for entry as inserting the records one by one would have left it.
//
// Inserting puts a new key where the position search lands, which among
// equal keys depends on every key inserted before it; readers see that order
// (a case-insensitive index holds "adli" and "adlı" as equals). So the
// records are sorted into runs of equal keys, and only the members of runs
// of two or more replay their insert: the position search over the records
// inserted before them, where each probe needs only the run it falls in,
// found through a tree of counts per run.
#include <algorithm>

#include "table/table_indexes_impl.h"

namespace corvane::table {
namespace {

// Counts of inserted records per run, in run order: a Fenwick tree.
class RunCounts {
 public:
  explicit RunCounts(std::size_t runs) : tree_(runs + 1, 0) {
    while (top_ * 2 <= runs) top_ *= 2;
  }
  void Add(std::size_t run) {
    for (std::size_t i = run + 1; i < tree_.size(); i += i & (~i + 1)) ++tree_[i];
  }
  // Records inserted in runs before `run`.
  int32_t Before(std::size_t run) const {
    int32_t sum = 0;
    for (std::size_t i = run; i > 0; i -= i & (~i + 1)) sum += tree_[i];
    return sum;
  }
  // The run holding the inserted record at position `k` (0-based).
  std::size_t RunAt(int32_t k) const {
    std::size_t at = 0;
    for (std::size_t step = top_; step > 0; step /= 2) {
      if (at + step < tree_.size() && tree_[at + step] <= k) {
        at += step;
        k -= tree_[at];
      }
    }
    return at;
  }

 private:
  std::vector<int32_t> tree_;
  std::size_t top_ = 1;
};

}  // namespace

void TableIndexes::Impl::BuildAsInserted(IndexState& s) {
  const int32_t n = records.RecordCount();
  std::vector<int32_t> sorted = SortedRecords(s);
  std::vector<int32_t> run_of(sorted.size());
  std::vector<int32_t> run_first;  // position in `sorted` of each run's first record
  for (std::size_t p = 0; p < sorted.size(); ++p) {
    bool starts_run = p == 0;
    if (!starts_run) {
      // The copy first: the record source hands out one slot at a time.
      const uint8_t* before = CopySlot(sorted[p - 1], key_buffer);
      starts_run = s.comparator.Compare(before, records.Slot(sorted[p])) != 0;
    }
    if (starts_run) run_first.push_back(static_cast<int32_t>(p));
    run_of[static_cast<std::size_t>(sorted[p])] = static_cast<int32_t>(run_first.size() - 1);
  }
  run_first.push_back(n);
  // Each run's records in the order they were inserted.
  for (std::size_t g = 0; g + 1 < run_first.size(); ++g) {
    if (run_first[g + 1] - run_first[g] > 1) {
      std::sort(sorted.begin() + run_first[g], sorted.begin() + run_first[g + 1]);
    }
  }
  const std::size_t runs = run_first.size() - 1;
  auto run_size = [&](std::size_t g) { return run_first[g + 1] - run_first[g]; };

  // Each shared run's records in index order, filled as they are replayed.
  std::vector<std::vector<int32_t>> placed(runs);
  RunCounts counts(runs);
  for (int32_t r = 0; r < n; ++r) {
    const auto g = static_cast<std::size_t>(run_of[static_cast<std::size_t>(r)]);
    if (run_size(g) > 1) {
      const int32_t q = PositionSearch(r, [&](int32_t p) {
        const std::size_t h = counts.RunAt(p);
        return h == g ? 0 : (g < h ? -1 : 1);
      });
      auto& members = placed[g];
      const int32_t offset = std::clamp<int32_t>(q - counts.Before(g), 0, static_cast<int32_t>(members.size()));
      members.insert(members.begin() + offset, r);
    }
    counts.Add(g);
  }
  for (std::size_t g = 0; g < runs; ++g) {
    if (run_size(g) > 1) std::copy(placed[g].begin(), placed[g].end(), sorted.begin() + run_first[g]);
  }
  s.array.Assign(std::move(sorted));
  s.current = true;
  s.in_file = false;
}

}  // namespace corvane::table
