// Container files and the container store.
//
// TContainerPlainFileSystem keeps a database's files inside one container
// (TContainerFileSystem, container_file_system.h), which it owns: freeing
// the store closes its files and then the container. Names are relative to
// the container's root.
//
// TContainerFile is one open file of the container, reached through a
// container handle. It opens with the container's open modes:
//
//   create                 kModeCreate (creates or empties the file)
//   writable               kModeReadWrite, read-only  kModeRead
//   exclusive              | kShareExclusive, shared  | kShareShared
//
// A container opened read-only opens every file read-only. A read-only
// file writes nothing and cannot change its size, whatever the container
// would allow, so the read-only flag means the same for every store.
//
// SetSize cuts or extends the file through the container (a table drops a
// torn tail that way) and moves the position to the new size. Flush writes
// the container's pages out to its disk file; so does Close, first.
#ifndef CORVANE_CONTAINER_CONTAINER_STORE_H_
#define CORVANE_CONTAINER_CONTAINER_STORE_H_

#include <memory>
#include <string>
#include <vector>

#include "container/abstract_file.h"
#include "container/plain_file_system.h"

namespace corvane::container {

class TContainerFileSystem;

class TContainerFile : public TAbstractFile {
 public:
  TContainerFile(TAbstractPlainFileSystem* owner, std::string file_name,
                 TContainerFileSystem& container);
  ~TContainerFile() override;

  // The container handle, -1 while closed.
  int Handle() const { return handle_; }
  bool IsOpen() const override { return handle_ >= 0; }

  void SetExclusive(bool exclusive) override;
  void SetReadOnly(bool read_only) override;
  // Throws "Cannot set the size of file "name"" when the file is closed or
  // read-only, or the container refuses.
  void SetSize(int64_t size) override;
  void Close() override;
  void Flush() override;
  void Open(bool create) override;
  int64_t Read(void* buffer, int64_t count) override;
  // As the container seeks: no bound is checked. -1 while closed.
  int64_t Seek(int64_t offset, int origin) override;
  int64_t Write(const void* buffer, int64_t count) override;

 private:
  TContainerFileSystem& container_;
  int handle_ = -1;
};

class TContainerPlainFileSystem : public TAbstractPlainFileSystem {
 public:
  // Takes over `container`; the store is named after the container's file
  // unless `name` is given.
  explicit TContainerPlainFileSystem(std::unique_ptr<TContainerFileSystem> container,
                                     const std::string& name = "");
  ~TContainerPlainFileSystem() override;

  TContainerFileSystem& Container() { return *container_; }
  bool ReadOnly() const;

  // A name already open fails with "TContainerPlainFileSystem.OpenFile -
  // File "name" is already open.".
  TAbstractFile* OpenFile(const std::string& name, bool create, bool exclusive,
                          bool read_only) override;
  bool DeleteFile(const std::string& name) override;
  bool RenameFile(const std::string& old_name, const std::string& new_name) override;
  bool FileExists(const std::string& name) override;
  void ListFiles(const std::string& extension, std::vector<std::string>& names) override;

 private:
  std::unique_ptr<TContainerFileSystem> container_;
};

}  // namespace corvane::container

#endif  // CORVANE_CONTAINER_CONTAINER_STORE_H_
