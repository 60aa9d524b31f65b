#include "container/container_store.h"

#include <utility>

#include "container/container_file_system.h"
#include "container/pattern_match.h"
#include "platform/error.h"

namespace corvane::container {

TContainerFile::TContainerFile(TAbstractPlainFileSystem* owner, std::string file_name,
                               TContainerFileSystem& container)
    : TAbstractFile(owner, std::move(file_name)), container_(container) {}

TContainerFile::~TContainerFile() {
  try {
    Close();
  } catch (...) {
    // A destructor has nobody to tell; callers who care call Close.
  }
}

void TContainerFile::SetExclusive(bool exclusive) {
  if (exclusive == exclusive_) return;
  exclusive_ = exclusive;
  if (IsOpen()) Reopen();
}

void TContainerFile::SetReadOnly(bool read_only) {
  if (read_only == read_only_) return;
  read_only_ = read_only;
  if (IsOpen()) Reopen();
}

void TContainerFile::Open(bool create) {
  Close();
  if (create) {
    if (!container_.ReadOnly()) handle_ = container_.FileOpen(FileName(), kModeCreate);
    if (handle_ < 0) throw Error("Cannot create file " + Quoted(FileName()));
    read_only_ = false;
    return;
  }
  const uint32_t share = exclusive_ ? kShareExclusive : kShareShared;
  handle_ = container_.FileOpen(FileName(), (read_only_ ? kModeRead : kModeReadWrite) | share);
  if (handle_ < 0 && !read_only_) {
    handle_ = container_.FileOpen(FileName(), kModeRead | share);
    if (handle_ >= 0) read_only_ = true;
  }
  if (handle_ < 0) throw Error("Cannot open file " + Quoted(FileName()));
}

void TContainerFile::Close() {
  if (handle_ < 0) return;
  // The handle is given back whether or not the flush went through.
  struct Closer {
    TContainerFileSystem& container;
    int& handle;
    ~Closer() {
      container.FileClose(handle);
      handle = -1;
    }
  } closer{container_, handle_};
  Flush();
}

void TContainerFile::Flush() {
  if (handle_ >= 0 && !read_only_) container_.Flush();
}

int64_t TContainerFile::Read(void* buffer, int64_t count) {
  if (handle_ < 0 || count <= 0) return 0;
  return container_.FileRead(handle_, buffer, count);
}

int64_t TContainerFile::Write(const void* buffer, int64_t count) {
  if (handle_ < 0 || count <= 0 || read_only_) return 0;
  return container_.FileWrite(handle_, buffer, count);
}

int64_t TContainerFile::Seek(int64_t offset, int origin) {
  if (handle_ < 0) return -1;
  return container_.FileSeek(handle_, offset, origin);
}

void TContainerFile::SetSize(int64_t size) {
  if (handle_ < 0 || read_only_ || size < 0 || container_.FileSetSize(handle_, size) != size) {
    throw Error("Cannot set the size of file " + Quoted(FileName()));
  }
  container_.FileSeek(handle_, size, kSeekBegin);
}

TContainerPlainFileSystem::TContainerPlainFileSystem(
    std::unique_ptr<TContainerFileSystem> container, const std::string& name)
    : TAbstractPlainFileSystem(name.empty() ? container->FileName() : name, StoreMode::kContainer),
      container_(std::move(container)) {}

TContainerPlainFileSystem::~TContainerPlainFileSystem() {
  // The files hold handles of the container, so they go before it does.
  CloseAll();
}

bool TContainerPlainFileSystem::ReadOnly() const { return container_->ReadOnly(); }

TAbstractFile* TContainerPlainFileSystem::OpenFile(const std::string& name, bool create,
                                                   bool exclusive, bool read_only) {
  if (FindOpenFile(name) != nullptr) {
    throw Error("TContainerPlainFileSystem.OpenFile - File " + Quoted(name) +
                " is already open.");
  }
  return OpenAndRegister(std::make_unique<TContainerFile>(this, name, *container_), create,
                         exclusive, read_only || container_->ReadOnly());
}

bool TContainerPlainFileSystem::DeleteFile(const std::string& name) {
  if (FindOpenFile(name) != nullptr || container_->ReadOnly()) return false;
  return container_->DeleteFile(name);
}

bool TContainerPlainFileSystem::RenameFile(const std::string& old_name,
                                           const std::string& new_name) {
  if (FindOpenFile(old_name) != nullptr || FindOpenFile(new_name) != nullptr ||
      container_->ReadOnly()) {
    return false;
  }
  return container_->RenameFile(old_name, new_name);
}

bool TContainerPlainFileSystem::FileExists(const std::string& name) {
  return container_->FileExists(name);
}

void TContainerPlainFileSystem::ListFiles(const std::string& extension,
                                          std::vector<std::string>& names) {
  names.clear();
  SearchRec rec;
  for (int found = container_->FindFirst("*" + extension, 0, rec); found == 0;
       found = container_->FindNext(rec)) {
    if ((rec.entry.attributes & kAttrDirectory) == 0) {
      names.push_back(ListName(rec.entry.name, extension));
    }
  }
  container_->FindClose(rec);
  SortNames(names);
}

}  // namespace corvane::container
