#include "container/file_store_registry.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <utility>

#include "container/container_file_system.h"
#include "container/container_store.h"
#include "container/disk_file_system.h"
#include "container/memory_file_system.h"
#include "container/pattern_match.h"
#include "platform/error.h"

namespace corvane::container {

namespace {

bool IsRegularFile(const std::string& name) {
  struct stat st;
  return ::stat(name.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The closest thing to a read-only attribute: nobody may write the file,
// or at least not this process.
bool IsReadOnlyFile(const std::string& name) {
  struct stat st;
  if (::stat(name.c_str(), &st) != 0) return false;
  return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || ::access(name.c_str(), W_OK) != 0;
}

std::unique_ptr<TAbstractPlainFileSystem> OpenContainerStore(const std::string& name,
                                                             bool exclusive, bool read_only) {
  ContainerSettings settings;
  settings.read_only = read_only;
  settings.exclusive = exclusive;
  return std::make_unique<TContainerPlainFileSystem>(
      std::make_unique<TContainerFileSystem>(name, settings, false), name);
}

}  // namespace

FileStoreRegistry::~FileStoreRegistry() {
  // Newest first, the reverse of how they came.
  while (!stores_.empty()) stores_.pop_back();
}

FileStoreRegistry& FileStoreRegistry::Instance() {
  static FileStoreRegistry instance;
  return instance;
}

TAbstractPlainFileSystem* FileStoreRegistry::Find(const std::string& name, StoreMode mode) const {
  for (auto it = stores_.rbegin(); it != stores_.rend(); ++it) {
    if ((*it)->Mode() == mode && SameName((*it)->Name(), name)) return it->get();
  }
  return nullptr;
}

TAbstractPlainFileSystem* FileStoreRegistry::Register(std::unique_ptr<TAbstractPlainFileSystem> store) {
  stores_.push_back(std::move(store));
  return stores_.back().get();
}

TAbstractPlainFileSystem* FileStoreRegistry::GetStore(const std::string& name, StoreMode mode, bool exclusive,
                                                  bool& read_only) {
  const bool read_only_wanted = read_only;
  read_only = false;
  if (mode < StoreMode::kDisk || mode > StoreMode::kTemporary) {
    throw Error("TPFSManager.GetPFSHandle - Unsuuported file store mode.");
  }
  if (TAbstractPlainFileSystem* found = Find(name, mode)) {
    if (mode == StoreMode::kContainer) {
      read_only = static_cast<TContainerPlainFileSystem*>(found)->ReadOnly();
    }
    return found;
  }
  last_error_.clear();
  try {
    switch (mode) {
      case StoreMode::kDisk:
        return Register(std::make_unique<TDiskPlainFileSystem>(name));
      case StoreMode::kContainer:
        if (!IsRegularFile(name)) {
          last_error_ = "File " + Quoted(name) + " does not exist.";
          return nullptr;
        }
        read_only = read_only_wanted || IsReadOnlyFile(name);
        return Register(OpenContainerStore(name, exclusive, read_only));
      case StoreMode::kMemory:
        return Register(std::make_unique<TMemoryPlainFileSystem>(name));
      case StoreMode::kTemporary:
        return Register(std::make_unique<TTemporaryPlainFileSystem>(name));
    }
  } catch (const Error& e) {
    last_error_ = e.what();
  }
  read_only = false;
  return nullptr;
}

void FileStoreRegistry::ReleaseStore(const std::string& name, StoreMode mode) {
  TAbstractPlainFileSystem* store = Find(name, mode);
  if (store == nullptr) return;
  const auto it = std::find_if(stores_.begin(), stores_.end(),
                               [store](const auto& owned) { return owned.get() == store; });
  // Out of the list before it is freed, so that the list never holds a
  // store that is half gone.
  std::unique_ptr<TAbstractPlainFileSystem> owned = std::move(*it);
  stores_.erase(it);
}

void FileStoreRegistry::ReleaseContainer(const std::string& name) {
  ReleaseStore(name, StoreMode::kContainer);
}

bool FileStoreRegistry::CreateContainer(const std::string& name, bool exclusive) {
  ReleaseContainer(name);
  last_error_.clear();
  ContainerSettings settings;
  settings.extent_size = kDefaultExtentSize;
  settings.page_size_kb = kDefaultPageSizeKb;
  settings.exclusive = exclusive;
  try {
    Register(std::make_unique<TContainerPlainFileSystem>(
        std::make_unique<TContainerFileSystem>(name, settings, true), name));
    return true;
  } catch (const Error& e) {
    last_error_ = e.what();
    return false;
  }
}

}  // namespace corvane::container
