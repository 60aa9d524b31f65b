#include "container/dir_manager.h"

#include <algorithm>
#include <set>

#include "platform/error.h"
#include "platform/locale.h"

namespace corvane::container {
namespace {

// The directory grows by whole extents once it is this long.
constexpr std::size_t kWholeExtentDirectoryPages = 16;

[[noreturn]] void Fail(const char* what, int64_t page) {
  throw Error(std::string(what) + std::to_string(page));
}

}  // namespace

TDIRManager::TDIRManager(TPageFileManager& pages, TFreeSpaceManager& free_space, bool encrypted)
    : pages_(pages), free_space_(free_space), encrypted_(encrypted) {
  Load();
}

TDIRManager::Key TDIRManager::KeyOf(int32_t parent, const std::string& name) {
  return {parent, platform::AnsiCase::User().Upper(name)};
}

void TDIRManager::Load() {
  const ContainerHeader& h = pages_.Header();
  const int32_t per_page = pages_.geometry().items_per_page;
  const int32_t length = per_page * static_cast<int32_t>(kDirItemSize);
  std::vector<uint8_t> buffer(static_cast<std::size_t>(length));
  std::set<int32_t> visited;
  int32_t page = h.first_dir_page;
  for (int32_t i = 0; i < h.dir_page_count; ++i) {
    PageHeader header;
    // A chain that loops or leaves the file is as unreadable as a bad page.
    if (!visited.insert(page).second || !pages_.ReadPage(page, buffer.data(), length, &header)) {
      Fail("TDIRManager.Load - can not load page, pageNo = ", page);
    }
    chain_.push_back(page);
    for (int32_t j = 0; j < per_page; ++j) {
      if (static_cast<int32_t>(items_.size()) >= h.dir_item_count) break;
      items_.push_back(DirItem::Decode(buffer.data() + std::size_t(j) * kDirItemSize));
    }
    page = header.next;
  }
  for (int32_t n = 0; n < ItemCount(); ++n) Index(n);
}

void TDIRManager::Index(int32_t n) {
  const DirItem& item = items_[static_cast<std::size_t>(n)];
  if (!item.deleted) index_.emplace(KeyOf(item.parent, item.name), n);
}

void TDIRManager::Unindex(int32_t n) {
  const DirItem& item = items_[static_cast<std::size_t>(n)];
  const auto it = index_.find(KeyOf(item.parent, item.name));
  if (it != index_.end() && it->second == n) index_.erase(it);
}

int32_t TDIRManager::Find(int32_t parent, const std::string& name) const {
  if (name.empty() || name == "\\" || name == "/") return -1;
  const auto it = index_.find(KeyOf(parent, name));
  return it == index_.end() ? -1 : it->second;
}

std::vector<int32_t> TDIRManager::Children(int32_t parent) const {
  std::vector<int32_t> out;
  for (auto it = index_.lower_bound({parent, std::string()}); it != index_.end() && it->first.first == parent; ++it) {
    out.push_back(it->second);
  }
  return out;
}

void TDIRManager::SavePage(std::size_t page_index, const char* what) {
  const int32_t per_page = pages_.geometry().items_per_page;
  std::vector<uint8_t> buffer(std::size_t(per_page) * kDirItemSize, 0);
  const std::size_t first = page_index * static_cast<std::size_t>(per_page);
  for (std::size_t n = first; n < items_.size() && n < first + static_cast<std::size_t>(per_page); ++n) {
    items_[n].Encode(buffer.data() + (n - first) * kDirItemSize);
  }
  const int32_t next = page_index + 1 < chain_.size() ? chain_[page_index + 1] : kNoPage;
  if (!pages_.WritePage(chain_[page_index], buffer.data(), static_cast<int32_t>(buffer.size()),
                        kPageDirectory, next, encrypted_)) {
    Fail(what, chain_[page_index]);
  }
}

int32_t TDIRManager::AddItem(const DirItem& item) {
  const auto per_page = static_cast<std::size_t>(pages_.geometry().items_per_page);
  for (std::size_t n = 0; n < items_.size(); ++n) {
    if (items_[n].deleted) {
      WriteItem(static_cast<int32_t>(n), item);
      return static_cast<int32_t>(n);
    }
  }
  const std::size_t n = items_.size();
  if (n == chain_.size() * per_page) {
    const int32_t near = chain_.empty() ? 0 : chain_.back();
    const bool whole = chain_.size() > kWholeExtentDirectoryPages;
    const int32_t page = free_space_.GetPages(1, near, whole).front();
    ContainerHeader& h = pages_.MutableHeader();
    if (chain_.empty()) h.first_dir_page = page;
    chain_.push_back(page);
    ++h.dir_page_count;
    if (chain_.size() > 1) SavePage(chain_.size() - 2, "TDIRManager.AddItem - can not save last page, pageNo = ");
  }
  items_.push_back(item);
  ++pages_.MutableHeader().dir_item_count;
  Index(static_cast<int32_t>(n));
  SavePage(n / per_page, "TDIRManager.AddItem - can not save page, pageNo = ");
  return static_cast<int32_t>(n);
}

void TDIRManager::WriteItem(int32_t n, const DirItem& item) {
  Unindex(n);
  items_[static_cast<std::size_t>(n)] = item;
  Index(n);
  const auto per_page = static_cast<std::size_t>(pages_.geometry().items_per_page);
  SavePage(static_cast<std::size_t>(n) / per_page, "TDIRManager.WriteItem - can not save page, pageNo = ");
}

}  // namespace corvane::container
