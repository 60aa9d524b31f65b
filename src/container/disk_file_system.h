// Disk files and the two stores made of them.
//
// TDiskFile is a file of the operating system, read and written with
// positioned calls at its own 64-bit position (so two TDiskFile objects on
// one file never move each other's position).
//
// Sharing. The exclusive flag is carried out with advisory whole-file locks
// (flock): an exclusive file holds LOCK_EX, a shared one LOCK_SH, both taken
// without waiting. So an exclusive opener fails while anyone has the file
// open through this layer, and nobody opens it while an exclusive opener
// has it, in this process or another. Programs that do not take the locks
// are not kept out. A failed lock is a failed open: "Cannot open file" (or
// "Cannot create file"), after the read-only retry.
//
// Creating a file that exists empties it, but only once the lock is held,
// so a create never wipes a file another opener holds exclusively.
//
// Messages quote the full path of the file, which is what failed.
//
// TDiskPlainFileSystem keeps its files in one directory; file names are
// relative to it, "\" counting as a path separator as "/" does, so names
// written for either convention reach the same file. The directory is not
// created by the store.
//
// TTemporaryPlainFileSystem is a disk store whose directory is a new folder
// made for it under the system's temporary directory ($TMPDIR, else /tmp),
// named "corvane_" and six random characters. Freeing the store closes its
// files and removes the folder with everything in it.
#ifndef CORVANE_CONTAINER_DISK_FILE_SYSTEM_H_
#define CORVANE_CONTAINER_DISK_FILE_SYSTEM_H_

#include <string>
#include <vector>

#include "container/abstract_file.h"
#include "container/plain_file_system.h"

namespace corvane::container {

class TDiskFile : public TAbstractFile {
 public:
  TDiskFile(TAbstractPlainFileSystem* owner, std::string file_name, std::string path);
  ~TDiskFile() override;

  const std::string& Path() const { return path_; }
  // The descriptor, -1 while closed.
  int Handle() const { return fd_; }
  bool IsOpen() const override { return fd_ >= 0; }

  void SetExclusive(bool exclusive) override;
  void SetReadOnly(bool read_only) override;
  // Seeks to `size` and cuts or extends the file there; throws
  // "Cannot set the size of file "path"" when the system refuses.
  void SetSize(int64_t size) override;
  int64_t GetSize() override;
  void Close() override;
  // Writes the system's buffers of the file to the disk.
  void Flush() override;
  void Open(bool create) override;
  int64_t Read(void* buffer, int64_t count) override;
  // A position before the start is refused: -1 is returned and the position
  // stays.
  int64_t Seek(int64_t offset, int origin) override;
  int64_t Write(const void* buffer, int64_t count) override;

 private:
  // The descriptor opened and locked, or -1.
  int OpenDescriptor(bool create, bool read_only) const;

  std::string path_;
  int fd_ = -1;
  int64_t position_ = 0;
};

class TDiskPlainFileSystem : public TAbstractPlainFileSystem {
 public:
  explicit TDiskPlainFileSystem(const std::string& directory);

  const std::string& Directory() const { return directory_; }
  // The disk path of a store name.
  std::string PathOf(const std::string& name) const;

  TAbstractFile* OpenFile(const std::string& name, bool create, bool exclusive,
                          bool read_only) override;
  bool DeleteFile(const std::string& name) override;
  // Fails when the new name exists: a rename never replaces a file.
  bool RenameFile(const std::string& old_name, const std::string& new_name) override;
  // True for regular files (and links to them), not for directories.
  bool FileExists(const std::string& name) override;
  void ListFiles(const std::string& extension, std::vector<std::string>& names) override;

 protected:
  TDiskPlainFileSystem(std::string name, StoreMode mode, std::string directory);

 private:
  std::string directory_;
};

class TTemporaryPlainFileSystem : public TDiskPlainFileSystem {
 public:
  // `name` is the name the store is known by. Throws corvane::Error when no
  // folder can be made.
  explicit TTemporaryPlainFileSystem(const std::string& name);
  ~TTemporaryPlainFileSystem() override;
};

}  // namespace corvane::container

#endif  // CORVANE_CONTAINER_DISK_FILE_SYSTEM_H_
