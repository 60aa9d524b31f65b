// TUserFilePageMapManager: where each file's bytes lie.
//
// A file's page map is a chain of map pages, each holding M page numbers;
// entry j of map page k names the page with bytes (k*M + j)*D to
// (k*M + j)*D + D - 1 of the file. The lists of map pages and data pages are
// kept in memory per file, keyed by the first map page.
#ifndef CORVANE_CONTAINER_USER_FILE_PAGE_MAP_MANAGER_H_
#define CORVANE_CONTAINER_USER_FILE_PAGE_MAP_MANAGER_H_

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "container/free_space_manager.h"
#include "container/page_file_manager.h"

namespace corvane::container {

struct FilePageMap {
  std::vector<int32_t> map_pages;
  std::vector<int32_t> data_pages;
};

class TUserFilePageMapManager {
 public:
  TUserFilePageMapManager(TPageFileManager& pages, TFreeSpaceManager& free_space);

  // The maps of a file that needs `data_page_count` data pages. Throws
  // corvane::Error when the chain is missing, unreadable, too short, loops
  // or names pages outside the container.
  FilePageMap& GetMaps(int32_t first_map_page, int64_t data_page_count);

  // Adds `count` data pages to the file of `item` (setting its first map
  // page when it had none), writes the map chain, and with `write_empty`
  // writes the new data pages empty.
  void AppendPages(DirItem& item, int64_t current_pages, int64_t count, bool write_empty);
  // Keeps the first `keep` data pages of the file and releases the rest,
  // with the map pages no longer needed.
  void DeletePagesFromEOF(DirItem& item, int64_t current_pages, int64_t keep);

 private:
  void WriteMapPages(const FilePageMap& map, std::size_t from);

  TPageFileManager& pages_;
  TFreeSpaceManager& free_space_;
  std::unordered_map<int32_t, FilePageMap> maps_;
};

inline int64_t PagesFor(int64_t bytes, int32_t data_size) {
  return bytes <= 0 ? 0 : (bytes + data_size - 1) / data_size;
}

}  // namespace corvane::container

#endif  // CORVANE_CONTAINER_USER_FILE_PAGE_MAP_MANAGER_H_
