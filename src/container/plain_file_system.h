// TAbstractPlainFileSystem: a file store, the place where the table engine
// keeps a database's files.
//
// A store has a name (a directory or a container file name), a store mode
// and the list of the files open through it. Four kinds exist:
//
//   mode 1  TDiskPlainFileSystem       files in a disk directory
//   mode 2  TContainerPlainFileSystem  files in one container file
//   mode 3  TMemoryPlainFileSystem     files in memory
//   mode 4  TTemporaryPlainFileSystem  disk files in a folder of their own
//                                      that goes away with the store
//
// Ownership: OpenFile returns a file that the store owns; CloseFile closes
// and frees it, and a store that is freed closes and frees every file still
// open through it. Callers keep the pointer only until CloseFile.
//
// A store opens a name at most once at a time (names compared ignoring the
// case of A-Z); a second OpenFile of an open name fails with the store's
// "is already open." message. A name that is open cannot be deleted, nor
// renamed, nor be the target of a rename: those calls return false, so that
// no store lets a file vanish under a reader.
//
// Stores are not safe for use from several threads at once.
#ifndef CORVANE_CONTAINER_PLAIN_FILE_SYSTEM_H_
#define CORVANE_CONTAINER_PLAIN_FILE_SYSTEM_H_

#include <memory>
#include <string>
#include <vector>

#include "container/abstract_file.h"

namespace corvane::container {

enum class StoreMode : int {
  kDisk = 1,
  kContainer = 2,
  kMemory = 3,
  kTemporary = 4,
};

class TAbstractPlainFileSystem {
 public:
  TAbstractPlainFileSystem(std::string name, StoreMode mode);
  virtual ~TAbstractPlainFileSystem();
  TAbstractPlainFileSystem(const TAbstractPlainFileSystem&) = delete;
  TAbstractPlainFileSystem& operator=(const TAbstractPlainFileSystem&) = delete;

  const std::string& Name() const { return name_; }
  StoreMode Mode() const { return mode_; }

  // Opens (or with `create`, creates or empties) the file `name` with the
  // given sharing and access, and registers it. On failure nothing stays
  // registered and the file's exception goes to the caller.
  virtual TAbstractFile* OpenFile(const std::string& name, bool create, bool exclusive,
                                  bool read_only) = 0;
  // Closes and frees a file this store opened; other pointers are ignored.
  // The file is freed even when closing it throws, and the throw passes on.
  virtual void CloseFile(TAbstractFile* file);
  virtual bool DeleteFile(const std::string& name) = 0;
  virtual bool RenameFile(const std::string& old_name, const std::string& new_name) = 0;
  virtual bool FileExists(const std::string& name) = 0;
  // Replaces `names` with the names, without the extension, of the files at
  // the store's root whose names end in `extension` (".dat"; letter case
  // ignored), sorted ignoring case. Directories are skipped. An empty
  // extension lists every file, each without whatever extension it has.
  virtual void ListFiles(const std::string& extension, std::vector<std::string>& names) = 0;

  // The open file of that name (case of A-Z ignored), or null.
  TAbstractFile* FindOpenFile(const std::string& name) const;
  std::size_t OpenFileCount() const { return files_.size(); }

 protected:
  // Sets the flags, opens, and on success registers the file; used by the
  // subclasses' OpenFile once they have checked the name.
  TAbstractFile* OpenAndRegister(std::unique_ptr<TAbstractFile> file, bool create, bool exclusive,
                                 bool read_only);
  // Closes and frees every open file, ignoring failures; subclasses whose
  // files must be closed before their own members go call it first.
  void CloseAll() noexcept;
  // The listing name of a file that matched "*" + extension.
  static std::string ListName(const std::string& file_name, const std::string& extension);
  static void SortNames(std::vector<std::string>& names);

 private:
  std::string name_;
  StoreMode mode_;
  std::vector<std::unique_ptr<TAbstractFile>> files_;
};

}  // namespace corvane::container

#endif  // CORVANE_CONTAINER_PLAIN_FILE_SYSTEM_H_
