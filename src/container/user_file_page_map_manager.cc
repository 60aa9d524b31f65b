#include "container/user_file_page_map_manager.h"

#include <algorithm>
#include <unordered_set>

#include "platform/error.h"

namespace corvane::container {
namespace {

[[noreturn]] void BrokenChain() {
  throw Error("TUserFilePageMapManager.GetMaps - Invalid page No in map chain.");
}

}  // namespace

TUserFilePageMapManager::TUserFilePageMapManager(TPageFileManager& pages, TFreeSpaceManager& free_space)
    : pages_(pages), free_space_(free_space) {}

FilePageMap& TUserFilePageMapManager::GetMaps(int32_t first_map_page, int64_t data_page_count) {
  if (first_map_page == kNoPage) {
    throw Error("TUserFilePageMapManager.GetMaps - Invalid parameter FileRec.FirstMapPageNo");
  }
  auto cached = maps_.find(first_map_page);
  if (cached != maps_.end() && static_cast<int64_t>(cached->second.data_pages.size()) >= data_page_count) {
    return cached->second;
  }
  // Each data page is a distinct page of the container: a size that needs
  // more pages than the container has is damage, not a reason to allocate.
  const int32_t page_count = pages_.PageCount();
  if (data_page_count < 0 || data_page_count >= page_count) BrokenChain();
  const int32_t per_page = pages_.geometry().map_entries;
  const int64_t map_count = std::max<int64_t>(1, PagesFor(data_page_count, per_page));
  FilePageMap map;
  map.data_pages.reserve(static_cast<std::size_t>(data_page_count));
  std::vector<uint8_t> buffer(static_cast<std::size_t>(pages_.DataSize()));
  std::unordered_set<int32_t> visited;
  int32_t page = first_map_page;
  for (int64_t k = 0; k < map_count; ++k) {
    if (page < 1 || page >= page_count || !visited.insert(page).second) BrokenChain();
    PageHeader header;
    if (!pages_.ReadPage(page, buffer.data(), pages_.DataSize(), &header)) {
      throw Error("TUserFilePageMapManager.GetMaps - Error on reading map page.");
    }
    map.map_pages.push_back(page);
    const std::size_t at = map.data_pages.size();
    const auto take = static_cast<std::size_t>(
        std::min<int64_t>(per_page, data_page_count - static_cast<int64_t>(at)));
    map.data_pages.resize(at + take);
    // Every entry checked, without an early exit, so that the loop
    // vectorises: a large file's maps are read whenever it is opened.
    uint32_t outside = 0;
    for (std::size_t j = 0; j < take; ++j) {
      const int32_t data_page = GetI32(buffer.data() + 4 * j);
      outside |= static_cast<uint32_t>(static_cast<uint32_t>(data_page) - 1u >= static_cast<uint32_t>(page_count - 1));
      map.data_pages[at + j] = data_page;
    }
    if (outside != 0) BrokenChain();
    page = header.next;
  }
  return maps_[first_map_page] = std::move(map);
}

void TUserFilePageMapManager::WriteMapPages(const FilePageMap& map, std::size_t from) {
  const int32_t per_page = pages_.geometry().map_entries;
  std::vector<uint8_t> buffer(static_cast<std::size_t>(pages_.DataSize()));
  for (std::size_t k = from; k < map.map_pages.size(); ++k) {
    std::fill(buffer.begin(), buffer.end(), 0);
    const std::size_t first = k * static_cast<std::size_t>(per_page);
    for (std::size_t j = 0; j < static_cast<std::size_t>(per_page) && first + j < map.data_pages.size(); ++j) {
      PutI32(buffer.data() + 4 * j, map.data_pages[first + j]);
    }
    const int32_t next = k + 1 < map.map_pages.size() ? map.map_pages[k + 1] : kNoPage;
    if (!pages_.WritePage(map.map_pages[k], buffer.data(), pages_.DataSize(), kPageMap, next)) {
      throw Error("TUserFilePageMapManager.AppendPages - Not enough free pages to extend.");
    }
  }
}

void TUserFilePageMapManager::AppendPages(DirItem& item, int64_t current_pages, int64_t count,
                                          bool write_empty) {
  if (count <= 0) throw Error("TUserFilePageMapManager.AppendPages - PageCount <= 0.");
  if (current_pages + count >= pages_.PageCount() + int64_t{INT32_MAX} / 2) {
    throw Error("TUserFilePageMapManager.AppendPages - Not enough  free pages.");
  }
  FilePageMap fresh;
  FilePageMap& map = item.first_map_page == kNoPage ? fresh : GetMaps(item.first_map_page, current_pages);
  map.data_pages.resize(static_cast<std::size_t>(current_pages));

  const int32_t per_page = pages_.geometry().map_entries;
  const int64_t total = current_pages + count;
  const int64_t maps_needed = PagesFor(total, per_page);
  std::size_t first_changed = static_cast<std::size_t>(current_pages / per_page);
  const std::size_t old_maps = map.map_pages.size();
  const int64_t new_maps = maps_needed - static_cast<int64_t>(old_maps);
  // A file whose last map page is full gets a new one, linked from the page
  // before it: that page's next field must be written too, or the chain
  // ends there and the file's later pages are lost.
  if (new_maps > 0 && old_maps > 0) first_changed = std::min(first_changed, old_maps - 1);
  if (new_maps > 0) {
    const int32_t near = map.map_pages.empty() ? 1 : map.map_pages.back() + 1;
    for (int32_t page : free_space_.GetPages(static_cast<int32_t>(new_maps), near, false)) {
      map.map_pages.push_back(page);
    }
  }
  const int32_t near = map.data_pages.empty() ? 1 : map.data_pages.back() + 1;
  const bool whole = count > pages_.geometry().extent_size;
  const std::vector<int32_t> added = free_space_.GetPages(static_cast<int32_t>(count), near, whole);
  map.data_pages.insert(map.data_pages.end(), added.begin(), added.end());
  WriteMapPages(map, std::min(first_changed, map.map_pages.size() - 1));

  if (write_empty) {
    const std::vector<uint8_t> empty(static_cast<std::size_t>(pages_.DataSize()), 0);
    for (int32_t page : added) {
      if (!pages_.WritePage(page, empty.data(), pages_.DataSize(), kPageData, kNoPage)) {
        throw Error("TUserFilePageMapManager.AppendPages - Not enough free pages to extend.");
      }
    }
  }
  if (item.first_map_page == kNoPage) {
    item.first_map_page = map.map_pages.front();
    maps_[item.first_map_page] = std::move(fresh);
  }
}

void TUserFilePageMapManager::DeletePagesFromEOF(DirItem& item, int64_t current_pages, int64_t keep) {
  if (item.first_map_page == kNoPage) {
    if (keep == 0) return;
    throw Error("TUserFilePageMapManager.DeletePagesFromEOF - File map not exists.");
  }
  FilePageMap& map = GetMaps(item.first_map_page, current_pages);
  map.data_pages.resize(static_cast<std::size_t>(current_pages));
  if (keep >= current_pages && keep > 0) return;
  std::vector<int32_t> released(map.data_pages.begin() + keep, map.data_pages.end());
  map.data_pages.resize(static_cast<std::size_t>(keep));
  const auto maps_kept = static_cast<std::size_t>(PagesFor(keep, pages_.geometry().map_entries));
  released.insert(released.end(), map.map_pages.begin() + static_cast<long>(maps_kept), map.map_pages.end());
  map.map_pages.resize(maps_kept);
  if (maps_kept == 0) {
    maps_.erase(item.first_map_page);
    item.first_map_page = kNoPage;
  } else {
    WriteMapPages(map, maps_kept - 1);
  }
  free_space_.FreePages(released);
}

}  // namespace corvane::container
