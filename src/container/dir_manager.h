// TDIRManager: the directory of a container.
//
// Items of 512 bytes live in a chain of directory pages (items-per-page to a
// page); item n is item n mod k of the (n div k)-th page, and its number is
// the identity of its file or directory. All items are kept in memory,
// indexed by parent and name (ignoring letter case); deleted items are
// reused before the directory grows.
#ifndef CORVANE_CONTAINER_DIR_MANAGER_H_
#define CORVANE_CONTAINER_DIR_MANAGER_H_

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "container/free_space_manager.h"
#include "container/page_file_manager.h"

namespace corvane::container {

// The directory in memory: every item by number, with the number of handles
// open on it.
class TDIRArray {
 public:
  std::size_t size() const { return items_.size(); }
  DirItem& operator[](std::size_t i) { return items_[i]; }
  const DirItem& operator[](std::size_t i) const { return items_[i]; }
  void push_back(DirItem item) {
    items_.push_back(std::move(item));
    open_counts_.push_back(0);
  }
  int32_t& OpenCount(std::size_t i) { return open_counts_[i]; }
  int32_t OpenCount(std::size_t i) const { return open_counts_[i]; }

 private:
  std::vector<DirItem> items_;
  std::vector<int32_t> open_counts_;
};

class TDIRManager {
 public:
  // Loads the directory chain the header names; throws corvane::Error when a
  // page cannot be read or the chain is broken.
  TDIRManager(TPageFileManager& pages, TFreeSpaceManager& free_space, bool encrypted);

  int32_t ItemCount() const { return static_cast<int32_t>(items_.size()); }
  const DirItem& Item(int32_t n) const { return items_[static_cast<std::size_t>(n)]; }
  const std::vector<int32_t>& PageChain() const { return chain_; }

  // The live item called `name` under `parent`, or -1.
  int32_t Find(int32_t parent, const std::string& name) const;
  // Live items under `parent`, in name order.
  std::vector<int32_t> Children(int32_t parent) const;

  // Stores a new item (reusing a deleted one) and returns its number.
  int32_t AddItem(const DirItem& item);
  // Rewrites item `n` (and its directory page) from `item`.
  void WriteItem(int32_t n, const DirItem& item);

  int32_t OpenCount(int32_t n) const { return items_.OpenCount(static_cast<std::size_t>(n)); }
  void AddOpen(int32_t n, int32_t delta) { items_.OpenCount(static_cast<std::size_t>(n)) += delta; }

 private:
  using Key = std::pair<int32_t, std::string>;
  static Key KeyOf(int32_t parent, const std::string& name);

  void Load();
  void SavePage(std::size_t page_index, const char* what);
  void Index(int32_t n);
  void Unindex(int32_t n);

  TPageFileManager& pages_;
  TFreeSpaceManager& free_space_;
  bool encrypted_;
  TDIRArray items_;
  std::vector<int32_t> chain_;  // directory pages in order
  std::map<Key, int32_t> index_;
};

}  // namespace corvane::container

#endif  // CORVANE_CONTAINER_DIR_MANAGER_H_
