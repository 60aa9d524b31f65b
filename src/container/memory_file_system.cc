#include "container/memory_file_system.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>
#include <utility>

#include "container/pattern_match.h"
#include "platform/error.h"

namespace corvane::container {

namespace {

// Grows `data` to `size` bytes, zero-filled; false when memory runs out or
// the size cannot be held.
bool Resize(std::string& data, int64_t size) {
  if (size < 0 || static_cast<uint64_t>(size) > data.max_size()) return false;
  try {
    data.resize(static_cast<std::size_t>(size));
  } catch (const std::bad_alloc&) {
    return false;
  } catch (const std::length_error&) {
    return false;
  }
  return true;
}

}  // namespace

TMemoryFile::TMemoryFile(TAbstractPlainFileSystem* owner, std::string file_name,
                         std::shared_ptr<std::string> data)
    : TAbstractFile(owner, std::move(file_name)), data_(std::move(data)) {}

const std::string& TMemoryFile::Data() const {
  static const std::string kEmpty;
  return data_ ? *data_ : kEmpty;
}

void TMemoryFile::Open(bool create) {
  if (!create) throw Error("TMemoryFile.Open - File cannot be open, only creation is available.");
  if (!data_) data_ = std::make_shared<std::string>();
  data_->clear();
  position_ = 0;
  open_ = true;
  read_only_ = false;
}

void TMemoryFile::Close() {
  Flush();
  open_ = false;
}

int64_t TMemoryFile::Read(void* buffer, int64_t count) {
  if (!open_ || count <= 0 || position_ < 0) return 0;
  const auto size = static_cast<int64_t>(data_->size());
  if (position_ >= size) return 0;
  const int64_t n = std::min(count, size - position_);
  std::memcpy(buffer, data_->data() + position_, static_cast<std::size_t>(n));
  position_ += n;
  return n;
}

int64_t TMemoryFile::Write(const void* buffer, int64_t count) {
  if (!open_ || count <= 0 || position_ < 0) return 0;
  int64_t end = 0;
  if (__builtin_add_overflow(position_, count, &end)) return 0;
  if (end > static_cast<int64_t>(data_->size()) && !Resize(*data_, end)) return 0;
  std::memcpy(data_->data() + position_, buffer, static_cast<std::size_t>(count));
  position_ = end;
  return count;
}

int64_t TMemoryFile::Seek(int64_t offset, int origin) {
  int64_t base = 0;
  switch (origin) {
    case kSeekBegin:
      break;
    case kSeekCurrent:
      base = position_;
      break;
    case kSeekEnd:
      base = data_ ? static_cast<int64_t>(data_->size()) : 0;
      break;
    default:
      return -1;
  }
  int64_t position = 0;
  if (__builtin_add_overflow(base, offset, &position) || position < 0) return -1;
  position_ = position;
  return position_;
}

void TMemoryFile::SetSize(int64_t size) {
  if (!open_ || !Resize(*data_, size)) {
    throw Error("Cannot set the size of file " + Quoted(FileName()));
  }
  position_ = std::min(position_, size);
}

TMemoryPlainFileSystem::TMemoryPlainFileSystem(const std::string& name)
    : TAbstractPlainFileSystem(name, StoreMode::kMemory) {}

TAbstractFile* TMemoryPlainFileSystem::OpenFile(const std::string& name, bool create,
                                                bool exclusive, bool read_only) {
  if (FindOpenFile(name) != nullptr) {
    throw Error("TMemoryPlainFileSystem.OpenFile - File " + Quoted(name) + " is already open.");
  }
  std::shared_ptr<std::string> data;
  if (create) {
    Entry& entry = entries_[FoldAscii(name)];
    entry.name = name;
    if (!entry.data) entry.data = std::make_shared<std::string>();
    data = entry.data;
  }
  return OpenAndRegister(std::make_unique<TMemoryFile>(this, name, std::move(data)), create,
                         exclusive, read_only);
}

bool TMemoryPlainFileSystem::DeleteFile(const std::string& name) {
  if (FindOpenFile(name) != nullptr) return false;
  return entries_.erase(FoldAscii(name)) > 0;
}

bool TMemoryPlainFileSystem::RenameFile(const std::string& old_name,
                                        const std::string& new_name) {
  if (FindOpenFile(old_name) != nullptr || FindOpenFile(new_name) != nullptr) return false;
  const auto from = entries_.find(FoldAscii(old_name));
  if (from == entries_.end() || entries_.count(FoldAscii(new_name)) > 0) return false;
  Entry entry = std::move(from->second);
  entries_.erase(from);
  entry.name = new_name;
  entries_.emplace(FoldAscii(new_name), std::move(entry));
  return true;
}

bool TMemoryPlainFileSystem::FileExists(const std::string& name) {
  return entries_.count(FoldAscii(name)) > 0;
}

void TMemoryPlainFileSystem::ListFiles(const std::string& extension,
                                       std::vector<std::string>& names) {
  names.clear();
  const std::string pattern = "*" + extension;
  for (const auto& [key, entry] : entries_) {
    if (MatchesPattern(entry.name, pattern)) names.push_back(ListName(entry.name, extension));
  }
  SortNames(names);
}

}  // namespace corvane::container
