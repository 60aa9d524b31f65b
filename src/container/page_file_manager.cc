#include "container/page_file_manager.h"

#include <algorithm>
#include <cstring>

#include "platform/error.h"

namespace corvane::container {
namespace {

// Pages kept in memory before the cache is written out and emptied.
constexpr std::size_t kMaxCachedPages = 16384;
constexpr std::size_t kMaxDirtyPages = 8192;
// Largest page the header may declare; bounds what a damaged header can make
// us allocate.
constexpr int32_t kMaxPageSize = 1 << 24;
// Pages written with one call when they follow each other on disk.
constexpr std::size_t kMaxRunPages = 256;

[[noreturn]] void ThrowCorruptedHeader() {
  throw Error("TContainerFileSystem.LoadHeader - Invalid container file, header is corrupted.");
}

// Data pages go out first and the maps that point at them after, so an
// interrupted write never leaves a map pointing at an unwritten page.
int WriteRank(uint8_t type) {
  switch (type) {
    case kPageData: return 0;
    case kPageMap: return 1;
    case kPageDirectory: return 2;
    default: return 3;
  }
}

}  // namespace

TPageFileManager::TPageFileManager(const std::string& path, int32_t page_size_kb,
                                   int32_t extent_size, int64_t part_size,
                                   const PasswordBlock* password)
    : files_([&] {
        if (page_size_kb < 1) throw Error("TPageFileManager.Create - page size should be >= 1 Kb.");
        if (extent_size < 1) {
          throw Error("TPageFileManager.Create - extent page count should be >= 1 Page.");
        }
        if (page_size_kb > kMaxPageSize / 1024 || extent_size > (page_size_kb * 1024 - 32) * 8) {
          throw Error("TPageFileManager.Create - page or extent size too large.");
        }
        return PartFiles::Create(path, part_size);
      }()) {
  header_.page_size = page_size_kb * 1024;
  header_.extent_size = extent_size;
  header_.first_extent_page = 1;
  header_.page_count = 1;
  if (password != nullptr) {
    header_.password = *password;
    header_.encrypted = 1;
  }
  geometry_ = Geometry(header_.page_size, header_.extent_size);
  if (!WriteHeader()) throw Error("Cannot create file \"" + path + "\"" + SystemCause());
}

TPageFileManager::TPageFileManager(const std::string& path, bool read_only)
    : files_(PartFiles::Open(path, read_only)) {
  uint8_t bytes[kHeaderSize];
  if (files_.ReadAt(0, bytes, kHeaderSize) != static_cast<int64_t>(kHeaderSize)) {
    ThrowCorruptedHeader();
  }
  const auto header = ContainerHeader::Decode(bytes);
  if (!header) ThrowCorruptedHeader();
  header_ = *header;
  ValidateHeader(path);
  geometry_ = Geometry(header_.page_size, header_.extent_size);
}

TPageFileManager::~TPageFileManager() {
  try {
    Flush();
  } catch (const Error&) {
    // Closing cannot report; whatever was flushed before stays readable.
  }
}

// The counts must fit the file: a damaged header must not make us read past
// the end or allocate more than the file could hold.
void TPageFileManager::ValidateHeader(const std::string& /*path*/) const {
  const ContainerHeader& h = header_;
  if (h.page_size < 1024 || h.page_size > kMaxPageSize || h.extent_size < 1 ||
      h.extent_size > (h.page_size - static_cast<int32_t>(kPageHeaderSize)) * 8 ||
      h.first_extent_page != 1 || h.page_count < 1 || h.gam_pair_count < 0 ||
      h.pfs_page_count < 0 || h.dir_page_count < 0 || h.dir_item_count < 0 ||
      h.first_dir_page < 0 || h.first_dir_page >= h.page_count) {
    ThrowCorruptedHeader();
  }
  const Geometry g(h.page_size, h.extent_size);
  if (h.page_count > 1 && files_.Size() < int64_t{h.page_count} * h.page_size) ThrowCorruptedHeader();
  if ((h.page_count - 1) % h.extent_size != 0) ThrowCorruptedHeader();
  if (h.dir_page_count >= h.page_count || h.pfs_page_count >= h.page_count ||
      h.gam_pair_count >= h.page_count ||
      int64_t{h.dir_item_count} > int64_t{h.dir_page_count} * g.items_per_page ||
      (h.dir_page_count > 0) != (h.first_dir_page > 0)) {
    ThrowCorruptedHeader();
  }
}

TPageFileManager::CachedPage* TPageFileManager::LoadPage(int32_t page, int32_t length) {
  auto it = cache_.find(page);
  if (it != cache_.end()) {
    CachedPage& cached = it->second;
    if (cached.length == length) return &cached;
    // Written here with another length: as on disk, the checksum of the
    // other length would not match.
    if (cached.dirty) {
      last_error_ = kErrChecksum;
      return nullptr;
    }
    cache_.erase(it);
  }
  const int32_t page_size = geometry_.page_size;
  // Not zero-filled: only bytes the read delivered are looked at.
  const std::unique_ptr<uint8_t[]> raw(new uint8_t[static_cast<std::size_t>(page_size)]);
  const int64_t got = files_.ReadAt(int64_t{page} * page_size, raw.get(), page_size);
  if (got < static_cast<int64_t>(kPageHeaderSize)) {
    last_error_ = kErrHeaderNotRead;
    return nullptr;
  }
  if (got < static_cast<int64_t>(kPageHeaderSize) + length) {
    last_error_ = kErrDataNotRead;
    return nullptr;
  }
  CachedPage loaded;
  if (!VerifyStoredPage(page, raw.get(), length, loaded.header)) return nullptr;
  loaded.encrypted = loaded.header.encryption != kEncryptionNone;
  const uint8_t* data = raw.get() + kPageHeaderSize;
  loaded.data.assign(data, data + length);
  loaded.length = length;
  TrimCache();
  return &cache_.emplace(page, std::move(loaded)).first->second;
}

bool TPageFileManager::VerifyStoredPage(int32_t page, uint8_t* raw, int32_t length, PageHeader& header) {
  header = PageHeader::Decode(raw);
  uint8_t* data = raw + kPageHeaderSize;
  if (header.checksum_kind > kChecksumCrc16 ||
      PageChecksum(static_cast<ChecksumKind>(header.checksum_kind), data, static_cast<std::size_t>(length)) !=
          header.checksum) {
    last_error_ = kErrChecksum;
    return false;
  }
  if (header.encryption != kEncryptionNone &&
      (header.encryption != kEncryptionRijndael || cipher_ == nullptr ||
       !cipher_->Decrypt(page, data, static_cast<std::size_t>(length)))) {
    last_error_ = kErrDecryption;
    return false;
  }
  return true;
}

std::size_t TPageFileManager::ReadFullPages(const int32_t* pages, std::size_t count, uint8_t* out) {
  const auto d = static_cast<std::size_t>(geometry_.data_size);
  const auto page_size = static_cast<std::size_t>(geometry_.page_size);
  std::unique_ptr<uint8_t[]> run;
  std::size_t i = 0;
  while (i < count) {
    if (pages[i] < 1 || pages[i] >= header_.page_count) {
      last_error_ = kErrHeaderNotRead;
      return i;
    }
    if (cache_.count(pages[i])) {
      if (!ReadPage(pages[i], out + i * d, geometry_.data_size)) return i;
      ++i;
      continue;
    }
    // Uncached pages that follow each other on disk: one read for the run.
    std::size_t j = i + 1;
    while (j < count && j - i < kMaxRunPages && pages[j] == pages[i] + static_cast<int32_t>(j - i) &&
           pages[j] < header_.page_count && !cache_.count(pages[j])) {
      ++j;
    }
    if (!run) run.reset(new uint8_t[kMaxRunPages * page_size]);
    const int64_t got = files_.ReadAt(int64_t{pages[i]} * geometry_.page_size, run.get(),
                                      static_cast<int64_t>((j - i) * page_size));
    for (std::size_t k = i; k < j; ++k) {
      const std::size_t at = (k - i) * page_size;
      if (got < static_cast<int64_t>(at + kPageHeaderSize + d)) {
        last_error_ = got < static_cast<int64_t>(at + kPageHeaderSize) ? kErrHeaderNotRead : kErrDataNotRead;
        return k;
      }
      PageHeader header;
      if (!VerifyStoredPage(pages[k], run.get() + at, geometry_.data_size, header)) return k;
      std::memcpy(out + k * d, run.get() + at + kPageHeaderSize, d);
    }
    i = j;
  }
  return count;
}

bool TPageFileManager::ReadPage(int32_t page, uint8_t* out, int32_t length, PageHeader* header) {
  if (page < 1 || page >= header_.page_count || length < 0 || length > geometry_.data_size) {
    last_error_ = kErrHeaderNotRead;
    return false;
  }
  const CachedPage* cached = LoadPage(page, length);
  if (cached == nullptr) return false;
  if (length > 0) std::memcpy(out, cached->data.data(), static_cast<std::size_t>(length));
  if (header != nullptr) *header = cached->header;
  return true;
}

bool TPageFileManager::ReadPagePart(int32_t page, int32_t offset, int32_t count, uint8_t* out) {
  const int32_t d = geometry_.data_size;
  if (page < 1 || page >= header_.page_count || offset < 0 || count < 0 || count > d - offset) {
    last_error_ = kErrHeaderNotRead;
    return false;
  }
  const CachedPage* cached = LoadPage(page, d);
  if (cached == nullptr) return false;
  if (count > 0) std::memcpy(out, cached->data.data() + offset, static_cast<std::size_t>(count));
  return true;
}

bool TPageFileManager::WritePage(int32_t page, const uint8_t* data, int32_t length, uint8_t type,
                                 int32_t next, bool encrypted) {
  if (ReadOnly() || page < 1 || page >= header_.page_count || length < 0 ||
      length > geometry_.data_size) {
    last_error_ = kErrHeaderNotWritten;
    return false;
  }
  if (encrypted && cipher_ == nullptr) {
    last_error_ = kErrEncryption;
    return false;
  }
  CachedPage& cached = cache_[page];
  cached.header = PageHeader{};
  cached.header.next = next;
  cached.header.type = type;
  cached.header.encryption = encrypted ? kEncryptionRijndael : kEncryptionNone;
  cached.header.checksum_kind = kChecksumXor;
  cached.data.assign(data, data + length);
  cached.length = length;
  cached.encrypted = encrypted;
  if (!cached.dirty) {
    cached.dirty = true;
    ++dirty_count_;
  }
  if (dirty_count_ > kMaxDirtyPages) {
    WriteWaitingPages();
    if (dirty_count_ > 0) return false;
  }
  // Writing alone must bound the cache as reading does, or a large file
  // written in one session keeps every page it wrote in memory.
  TrimCache();
  return true;
}

void TPageFileManager::WriteWaitingPages() {
  if (dirty_count_ == 0) return;
  std::vector<std::pair<int, int32_t>> order;
  order.reserve(dirty_count_);
  for (const auto& [page, cached] : cache_) {
    if (cached.dirty) order.emplace_back(WriteRank(cached.header.type), page);
  }
  std::sort(order.begin(), order.end());

  const auto page_size = static_cast<std::size_t>(geometry_.page_size);
  // Not zero-filled: every byte of a page is written below.
  const std::unique_ptr<uint8_t[]> run(new uint8_t[kMaxRunPages * page_size]);
  std::size_t i = 0;
  while (i < order.size()) {
    // Gather pages that follow each other on disk into one write.
    std::size_t j = i;
    while (j < order.size() && j - i < kMaxRunPages && order[j].first == order[i].first &&
           order[j].second == order[i].second + static_cast<int32_t>(j - i)) {
      CachedPage& cached = cache_[order[j].second];
      const std::size_t at = (j - i) * page_size;
      uint8_t* data = run.get() + at + kPageHeaderSize;
      std::memcpy(data, cached.data.data(), cached.data.size());
      std::memset(data + cached.data.size(), 0, page_size - kPageHeaderSize - cached.data.size());
      if (cached.encrypted &&
          (cipher_ == nullptr || !cipher_->Encrypt(order[j].second, data, static_cast<std::size_t>(cached.length)))) {
        last_error_ = kErrEncryption;
        return;
      }
      cached.header.checksum = XorChecksum(data, static_cast<std::size_t>(cached.length));
      cached.header.Encode(run.get() + at);
      ++j;
    }
    const int64_t offset = int64_t{order[i].second} * geometry_.page_size;
    if (!files_.WriteAt(offset, run.get(), static_cast<int64_t>((j - i) * page_size))) {
      last_error_ = kErrDataNotWritten;
      return;
    }
    for (std::size_t k = i; k < j; ++k) cache_[order[k].second].dirty = false;
    dirty_count_ -= j - i;
    i = j;
  }
}

std::string TPageFileManager::SystemCause() const {
  // A full disk and a failing one call for different remedies.
  const int error = files_.SystemError();
  return error == 0 ? std::string() : std::string(" (") + std::strerror(error) + ")";
}

bool TPageFileManager::WriteHeader() {
  const auto bytes = header_.Encode();
  if (!files_.WriteAt(0, bytes.data(), static_cast<int64_t>(bytes.size()))) return false;
  header_dirty_ = false;
  return true;
}

void TPageFileManager::TrimCache() {
  if (cache_.size() < kMaxCachedPages) return;
  WriteWaitingPages();
  for (auto it = cache_.begin(); it != cache_.end();) {
    it = it->second.dirty ? std::next(it) : cache_.erase(it);
  }
}

bool TPageFileManager::Grow(int32_t count) {
  if (ReadOnly() || count <= 0) return false;
  const int64_t pages = int64_t{header_.page_count} + count;
  if (pages > INT32_MAX) return false;
  if (!files_.Resize(pages * geometry_.page_size)) return false;
  header_.page_count = static_cast<int32_t>(pages);
  header_dirty_ = true;
  return true;
}

void TPageFileManager::Flush() {
  if (ReadOnly()) return;
  WriteWaitingPages();
  if (dirty_count_ > 0) throw Error("TPageFileManager.Flush - can not save pages to disk." + SystemCause());
  if (header_dirty_ && !WriteHeader()) throw Error("TPageFileManager.Flush - can not save header." + SystemCause());
  // Pages the system could not put on the disk are not saved, whatever the
  // writes said.
  if (!files_.Sync()) throw Error("TPageFileManager.Flush - can not save pages to disk." + SystemCause());
}

}  // namespace corvane::container
