#include "container/container_file_system.h"

#include <algorithm>

#include "container/dir_manager.h"
#include "container/free_space_manager.h"
#include "container/page_file_manager.h"
#include "container/password.h"
#include "container/pattern_match.h"
#include "container/user_file_page_map_manager.h"
#include "platform/error.h"

namespace corvane::container {
namespace {

constexpr int kNoMoreFiles = 18;

std::vector<std::string> SplitPath(const std::string& path) {
  std::vector<std::string> parts;
  std::string current;
  for (char c : path) {
    if (c == '\\' || c == '/') {
      if (!current.empty()) parts.push_back(current);
      current.clear();
    } else {
      current += c;
    }
  }
  if (!current.empty()) parts.push_back(current);
  return parts;
}

bool StartsAtRoot(const std::string& path) {
  return !path.empty() && (path[0] == '\\' || path[0] == '/');
}

ContainerEntry EntryOf(int32_t n, const DirItem& item) {
  ContainerEntry e;
  e.item = n;
  e.name = item.name;
  e.size = item.size;
  e.attributes = item.attributes;
  e.creation_time = item.creation_time;
  e.last_write_time = item.last_write_time;
  e.last_access_time = item.last_access_time;
  e.first_map_page = item.first_map_page;
  return e;
}

}  // namespace

TContainerFileSystem::TContainerFileSystem(const std::string& file_name,
                                           const ContainerSettings& settings, bool create)
    : file_name_(file_name), read_only_(settings.read_only && !create) {
  if (settings.extent_size >= 1 && settings.extent_size < 3 && create) {
    // Extent 0 must hold the PFS, GAM and SGAM pages together.
    throw Error("TPageFileManager.Create - extent page count should be >= 3 Pages.");
  }
  std::unique_ptr<PageCipher> cipher;
  if (create) {
    std::optional<PasswordBlock> block;
    if (!settings.password.empty()) {
      block = MakePasswordBlock(settings.password, settings.question, settings.answer);
      cipher = CipherForBlock(*block, settings.password, file_name);
    }
    pages_ = std::make_unique<TPageFileManager>(file_name, settings.page_size_kb, settings.extent_size,
                                                settings.part_size, block ? &*block : nullptr);
  } else {
    pages_ = std::make_unique<TPageFileManager>(file_name, read_only_);
    read_only_ = pages_->ReadOnly();
    if (pages_->Header().extent_size < 3) {
      throw Error("TContainerFileSystem.LoadHeader - Invalid container file, header is corrupted.");
    }
    if (pages_->Header().encrypted) {
      cipher = CipherForBlock(pages_->Header().password, settings.password, file_name);
    }
  }
  if (cipher) pages_->SetCipher(std::move(cipher));
  free_space_ = std::make_unique<TFreeSpaceManager>(*pages_);
  directory_ = std::make_unique<TDIRManager>(*pages_, *free_space_, pages_->Header().encrypted != 0);
  page_maps_ = std::make_unique<TUserFilePageMapManager>(*pages_, *free_space_);
  if (!create && !read_only_) {
    // A writer allocates pages: maps that cannot be read fail the open.
    free_space_->EnsureLoaded();
    ReconcileFreeSpace();
  }
}

uint8_t TContainerFileSystem::OwnerMark() const { return pages_->Header().owner_mark; }

uint8_t TContainerFileSystem::ReadOwnerMark(const std::string& file_name) {
  return TPageFileManager(file_name, true).Header().owner_mark;
}

void TContainerFileSystem::SetOwnerMark(uint8_t mark) {
  if (read_only_) throw Error("Cannot write the header of " + file_name_ + ": the container is read-only.");
  pages_->Flush();
  pages_->MutableHeader().owner_mark = mark;
  pages_->Flush();
}

void TContainerFileSystem::ReconcileFreeSpace() {
  const Geometry& g = pages_->geometry();
  std::vector<bool> used(static_cast<std::size_t>(pages_->PageCount()), false);
  // Claims a page; false when it lies outside or is claimed twice, and then
  // the maps are left alone: what is damaged is not for this pass to judge.
  const auto claim = [&](int64_t page) {
    if (page < 1 || page >= pages_->PageCount() || used[static_cast<std::size_t>(page)]) return false;
    used[static_cast<std::size_t>(page)] = true;
    return true;
  };
  for (int32_t page : directory_->PageChain()) {
    if (!claim(page)) return;
  }
  for (int32_t n = 0; n < directory_->ItemCount(); ++n) {
    const DirItem& item = directory_->Item(n);
    if (item.deleted || item.first_map_page == kNoPage || item.size < 0) continue;
    const int64_t data_pages = PagesFor(item.size, g.data_size);
    try {
      const FilePageMap& map = page_maps_->GetMaps(item.first_map_page, data_pages);
      for (int32_t page : map.map_pages) {
        if (!claim(page)) return;
      }
      for (int64_t i = 0; i < data_pages; ++i) {
        if (!claim(map.data_pages[static_cast<std::size_t>(i)])) return;
      }
    } catch (const Error&) {
      return;
    }
  }
  if (free_space_->Reconcile(used) > 0) pages_->Flush();
}

TContainerFileSystem::~TContainerFileSystem() = default;

int TContainerFileSystem::LastError() const { return pages_->LastError(); }

const TFreeSpaceManager& TContainerFileSystem::FreeSpace() const {
  free_space_->EnsureLoaded();
  return *free_space_;
}

TContainerFileSystem::Handle* TContainerFileSystem::FindHandle(int handle) {
  const auto it = handles_.find(handle);
  return it == handles_.end() ? nullptr : &it->second;
}

const TContainerFileSystem::Handle* TContainerFileSystem::FindHandle(int handle) const {
  const auto it = handles_.find(handle);
  return it == handles_.end() ? nullptr : &it->second;
}

// The directory item a path's parent names (-2 when a part is missing or not
// a directory); `leaf` receives the last part.
int32_t TContainerFileSystem::ResolveParent(const std::string& path, std::string& leaf) const {
  std::vector<std::string> parts = SplitPath(path);
  if (parts.empty()) return -2;
  leaf = parts.back();
  parts.pop_back();
  int32_t parent = StartsAtRoot(path) ? kRootItem : current_directory_;
  for (const std::string& part : parts) {
    const int32_t next = directory_->Find(parent, part);
    if (next < 0 || !directory_->Item(next).IsDirectory()) return -2;
    parent = next;
  }
  return parent;
}

void TContainerFileSystem::TouchWrite(int32_t item) {
  DirItem copy = directory_->Item(item);
  copy.last_write_time = NowAsFileTime();
  directory_->WriteItem(item, copy);
}

int TContainerFileSystem::FileOpen(const std::string& name, uint32_t mode) {
  std::string leaf;
  const int32_t parent = ResolveParent(name, leaf);
  if (parent == -2) return -1;
  int32_t item = directory_->Find(parent, leaf);
  const bool exclusive = mode != kModeCreate && (mode & kShareExclusive) != 0;
  if (item >= 0) {
    const DirItem& existing = directory_->Item(item);
    // Files with a password of their own are not written by this system and
    // cannot be opened by it.
    if (existing.IsDirectory() || existing.barred || existing.encrypted) return -1;
    const bool open_exclusively = std::any_of(handles_.begin(), handles_.end(), [&](const auto& h) {
      return h.second.item == item && (h.second.mode & kShareExclusive) != 0;
    });
    if (open_exclusively || (exclusive && directory_->OpenCount(item) > 0)) return -1;
  }
  const bool writes = mode == kModeCreate || (mode & 3) != kModeRead;
  if (writes && read_only_) return -1;

  if (mode == kModeCreate) {
    const int64_t now = NowAsFileTime();
    if (item >= 0) {
      // Creating an existing file empties it, as on disk; not while open.
      if (directory_->OpenCount(item) > 0) return -1;
      DirItem emptied = directory_->Item(item);
      page_maps_->DeletePagesFromEOF(emptied, PagesFor(emptied.size, pages_->DataSize()), 0);
      emptied.size = 0;
      emptied.last_write_time = now;
      directory_->WriteItem(item, emptied);
    } else {
      DirItem fresh;
      fresh.creation_time = fresh.last_write_time = fresh.last_access_time = now;
      fresh.parent = parent;
      fresh.name = leaf.substr(0, kMaxNameLength);
      item = directory_->AddItem(fresh);
    }
  } else if (item < 0) {
    return -1;
  } else if (!read_only_) {
    DirItem accessed = directory_->Item(item);
    accessed.last_access_time = NowAsFileTime();
    directory_->WriteItem(item, accessed);
  }
  directory_->AddOpen(item, 1);
  const int handle = next_handle_++;
  handles_[handle] = Handle{item, 0, mode == kModeCreate ? uint32_t{kModeReadWrite} : mode};
  if (mode != kModeCreate && (mode & 3) == kModeWrite) FileSetSize(handle, 0);
  return handle;
}

int64_t TContainerFileSystem::FileRead(int handle, void* buffer, int64_t count) {
  Handle* h = FindHandle(handle);
  if (h == nullptr || count <= 0) return 0;
  const DirItem& item = directory_->Item(h->item);
  const int64_t available = item.size - h->position;
  if (available <= 0 || h->position < 0) return 0;
  const int64_t n = std::min(count, available);
  const int32_t d = pages_->DataSize();
  if (item.first_map_page == kNoPage) {
    throw Error("TContainerFileSystem.FileRead - no pages were found by UFM.");
  }
  const FilePageMap& map = page_maps_->GetMaps(item.first_map_page, PagesFor(item.size, d));
  auto* out = static_cast<uint8_t*>(buffer);
  int64_t done = 0;
  while (done < n) {
    const int64_t at = h->position + done;
    const auto index = static_cast<std::size_t>(at / d);
    const int64_t within = at % d;
    if (index >= map.data_pages.size()) break;
    const int64_t whole = within == 0 ? (n - done) / d : 0;
    if (whole > 0) {
      // Whole pages go straight into the caller's buffer.
      const auto count = std::min<std::size_t>(static_cast<std::size_t>(whole), map.data_pages.size() - index);
      const std::size_t read = pages_->ReadFullPages(map.data_pages.data() + index, count, out + done);
      done += static_cast<int64_t>(read) * d;
      if (read < count) break;
      continue;
    }
    const int64_t chunk = std::min<int64_t>(n - done, d - within);
    if (!pages_->ReadPagePart(map.data_pages[index], static_cast<int32_t>(within), static_cast<int32_t>(chunk),
                              out + done)) {
      break;
    }
    done += chunk;
  }
  h->position += done;
  return done;
}

int64_t TContainerFileSystem::FileWrite(int handle, const void* buffer, int64_t count) {
  Handle* h = FindHandle(handle);
  if (h == nullptr || count <= 0 || read_only_ || (h->mode & 3) == kModeRead || h->position < 0) return 0;
  DirItem item = directory_->Item(h->item);
  const int32_t d = pages_->DataSize();
  const int64_t old_pages = PagesFor(item.size, d);
  const int64_t end = h->position + count;
  const int64_t needed = PagesFor(end, d);
  if (needed > old_pages) page_maps_->AppendPages(item, old_pages, needed - old_pages, false);
  const FilePageMap& map = page_maps_->GetMaps(item.first_map_page, std::max(needed, old_pages));

  const auto* in = static_cast<const uint8_t*>(buffer);
  std::vector<uint8_t> page(static_cast<std::size_t>(d));
  // New pages before the written range (a write past the end) stay empty.
  for (int64_t index = old_pages; index < h->position / d; ++index) {
    std::fill(page.begin(), page.end(), 0);
    pages_->WritePage(map.data_pages[static_cast<std::size_t>(index)], page.data(), d, kPageData, kNoPage,
                      pages_->Header().encrypted != 0);
  }
  int64_t done = 0;
  while (done < count) {
    const int64_t at = h->position + done;
    const int64_t index = at / d;
    const int64_t within = at % d;
    const int64_t chunk = std::min<int64_t>(count - done, d - within);
    const int32_t target = map.data_pages[static_cast<std::size_t>(index)];
    if (chunk == d) {
      if (!pages_->WritePage(target, in + done, d, kPageData, kNoPage, pages_->Header().encrypted != 0)) break;
      done += chunk;
      continue;
    }
    {
      // A page the write covers only in part keeps the rest of its bytes; a
      // new page starts empty.
      if (index >= old_pages) {
        std::fill(page.begin(), page.end(), 0);
      } else if (!pages_->ReadPage(target, page.data(), d)) {
        break;
      }
    }
    std::memcpy(page.data() + within, in + done, static_cast<std::size_t>(chunk));
    if (!pages_->WritePage(target, page.data(), d, kPageData, kNoPage, pages_->Header().encrypted != 0)) break;
    done += chunk;
  }
  h->position += done;
  if (h->position > item.size || item.size == 0) item.size = h->position;
  // Pages appended for bytes that could not be written are released again.
  const int64_t kept = PagesFor(item.size, d);
  if (kept < needed && needed > old_pages) page_maps_->DeletePagesFromEOF(item, needed, std::max(kept, old_pages));
  item.last_write_time = NowAsFileTime();
  directory_->WriteItem(h->item, item);
  return done;
}

int64_t TContainerFileSystem::FileSeek(int handle, int64_t offset, int origin) {
  Handle* h = FindHandle(handle);
  if (h == nullptr) return kErrUnknownHandle;
  switch (origin) {
    case 0: h->position = offset; break;
    case 1: h->position += offset; break;
    case 2: h->position = directory_->Item(h->item).size + offset; break;
    default: break;
  }
  return h->position;
}

int64_t TContainerFileSystem::FileSetSize(int handle, int64_t size) {
  Handle* h = FindHandle(handle);
  if (h == nullptr) return kErrUnknownHandle;
  if (read_only_ || size < 0) return -1;
  DirItem item = directory_->Item(h->item);
  const int32_t d = pages_->DataSize();
  const int64_t current = PagesFor(item.size, d);
  const int64_t needed = PagesFor(size, d);
  if (needed > current) {
    // The tail of the last page may hold bytes cut off earlier; they must
    // read back as zeros once the file grows over them.
    if (current > 0 && item.size % d != 0) {
      const FilePageMap& map = page_maps_->GetMaps(item.first_map_page, current);
      std::vector<uint8_t> page(static_cast<std::size_t>(d));
      const int32_t last = map.data_pages[static_cast<std::size_t>(current - 1)];
      if (pages_->ReadPage(last, page.data(), d)) {
        std::fill(page.begin() + item.size % d, page.end(), 0);
        pages_->WritePage(last, page.data(), d, kPageData, kNoPage, pages_->Header().encrypted != 0);
      }
    }
    page_maps_->AppendPages(item, current, needed - current, true);
  } else if (needed < current) {
    page_maps_->DeletePagesFromEOF(item, current, needed);
  }
  item.size = size;
  item.last_write_time = NowAsFileTime();
  directory_->WriteItem(h->item, item);
  return size;
}

int64_t TContainerFileSystem::FileGetSize(int handle) const {
  const Handle* h = FindHandle(handle);
  return h == nullptr ? kErrUnknownHandle : directory_->Item(h->item).size;
}

void TContainerFileSystem::FileClose(int handle) {
  Handle* h = FindHandle(handle);
  if (h == nullptr) return;
  directory_->AddOpen(h->item, -1);
  handles_.erase(handle);
}

void TContainerFileSystem::Flush() { pages_->Flush(); }

bool TContainerFileSystem::DeleteFile(const std::string& name) {
  std::string leaf;
  const int32_t parent = ResolveParent(name, leaf);
  const int32_t n = parent == -2 ? -1 : directory_->Find(parent, leaf);
  if (n < 0 || read_only_ || directory_->OpenCount(n) > 0) return false;
  DirItem item = directory_->Item(n);
  if (item.IsDirectory() && !directory_->Children(n).empty()) return false;
  page_maps_->DeletePagesFromEOF(item, PagesFor(item.size, pages_->DataSize()), 0);
  item.size = 0;
  item.deleted = 1;
  item.last_write_time = NowAsFileTime();
  directory_->WriteItem(n, item);
  return true;
}

bool TContainerFileSystem::RenameFile(const std::string& old_name, const std::string& new_name) {
  if (read_only_) return false;
  std::string old_leaf, new_leaf;
  const int32_t old_parent = ResolveParent(old_name, old_leaf);
  const int32_t new_parent = ResolveParent(new_name, new_leaf);
  if (old_parent == -2 || new_parent == -2) return false;
  const int32_t n = directory_->Find(old_parent, old_leaf);
  if (n < 0 || directory_->OpenCount(n) > 0 || directory_->Find(new_parent, new_leaf) >= 0) return false;
  DirItem item = directory_->Item(n);
  item.parent = new_parent;
  item.name = new_leaf.substr(0, kMaxNameLength);
  item.last_write_time = NowAsFileTime();
  directory_->WriteItem(n, item);
  return true;
}

bool TContainerFileSystem::FileExists(const std::string& name) {
  std::string leaf;
  const int32_t parent = ResolveParent(name, leaf);
  const int32_t n = parent == -2 ? -1 : directory_->Find(parent, leaf);
  return n >= 0 && !directory_->Item(n).IsDirectory();
}

bool TContainerFileSystem::ForceDirectories(const std::string& path) {
  int32_t parent = StartsAtRoot(path) ? kRootItem : current_directory_;
  for (const std::string& part : SplitPath(path)) {
    int32_t n = directory_->Find(parent, part);
    if (n >= 0 && !directory_->Item(n).IsDirectory()) {
      throw Error("TDIRManager.ForceDirectories - ForceDirectories error!");
    }
    if (n < 0) {
      if (read_only_) throw Error("TDIRManager.ForceDirectories - ForceDirectories error!");
      DirItem dir;
      dir.creation_time = dir.last_write_time = dir.last_access_time = NowAsFileTime();
      dir.attributes = kAttrDirectory;
      dir.parent = parent;
      dir.name = part.substr(0, kMaxNameLength);
      n = directory_->AddItem(dir);
    }
    parent = n;
  }
  return true;
}

int TContainerFileSystem::FindFirst(const std::string& pattern, int32_t attributes, SearchRec& rec) {
  rec.pending.clear();
  std::string leaf;
  const int32_t parent = ResolveParent(pattern, leaf);
  if (parent == -2) return kNoMoreFiles;
  for (int32_t n : directory_->Children(parent)) {
    const DirItem& item = directory_->Item(n);
    if (item.IsDirectory() && (attributes & kAttrDirectory) == 0) continue;
    if (MatchesPattern(item.name, leaf)) rec.pending.push_back(n);
  }
  std::reverse(rec.pending.begin(), rec.pending.end());
  return FindNext(rec);
}

int TContainerFileSystem::FindNext(SearchRec& rec) {
  while (!rec.pending.empty()) {
    const int32_t n = rec.pending.back();
    rec.pending.pop_back();
    if (n < directory_->ItemCount() && !directory_->Item(n).deleted) {
      rec.entry = EntryOf(n, directory_->Item(n));
      return 0;
    }
  }
  return kNoMoreFiles;
}

void TContainerFileSystem::FindClose(SearchRec& rec) { rec.pending.clear(); }

std::vector<ContainerEntry> TContainerFileSystem::Entries() const {
  std::vector<ContainerEntry> out;
  for (int32_t n = 0; n < directory_->ItemCount(); ++n) {
    if (!directory_->Item(n).deleted) out.push_back(EntryOf(n, directory_->Item(n)));
  }
  return out;
}

std::string TContainerFileSystem::PathOf(int32_t item) const {
  std::string path;
  for (int guard = 0; item >= 0 && item < directory_->ItemCount() && guard < 256; ++guard) {
    const DirItem& it = directory_->Item(item);
    path = path.empty() ? it.name : it.name + "/" + path;
    item = it.parent;
  }
  return path;
}

}  // namespace corvane::container
