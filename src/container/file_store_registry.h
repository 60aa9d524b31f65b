// FileStoreRegistry: hands out the file stores of the process, one per name and
// store mode.
//
// The manager owns every store it hands out; they live until released or
// until the manager goes. A store is found again by its name, ignoring the
// case of A-Z, and mode; when several stores carry the name, the most
// recently registered one wins.
//
// Container stores (mode 2) are made only for container files that exist.
// A file that may not be written (no write permission for this process, or
// no write bit at all — which catches the super-user, whom the permission
// check lets write anything) is opened read-only, and every file opened
// from it is read-only.
//
// Not safe for use from several threads at once; the process-wide instance
// belongs to the thread that runs the table engine.
#ifndef CORVANE_CONTAINER_FILE_STORE_REGISTRY_H_
#define CORVANE_CONTAINER_FILE_STORE_REGISTRY_H_

#include <memory>
#include <string>
#include <vector>

#include "container/plain_file_system.h"

namespace corvane::container {

class FileStoreRegistry {
 public:
  FileStoreRegistry() = default;
  ~FileStoreRegistry();
  FileStoreRegistry(const FileStoreRegistry&) = delete;
  FileStoreRegistry& operator=(const FileStoreRegistry&) = delete;

  static FileStoreRegistry& Instance();

  // The store for `name` in `mode`, made and registered when there is none.
  // `read_only` true on entry asks for a container made now to be opened
  // read-only, so that a reader never writes to it (a store already made
  // is handed out as it is). It is set on return: true when the store is a
  // container opened read-only. Returns null when the store cannot be made: a mode-2 file
  // that does not exist or cannot be opened as a container (LastError()
  // then has the reason). A mode outside 1..4 fails with "TPFSManager.
  // GetPFSHandle - Unsuuported file store mode." (the wording callers
  // already match, kept as it was).
  TAbstractPlainFileSystem* GetStore(const std::string& name, StoreMode mode, bool exclusive, bool& read_only);
  // Frees the registered container store of that name, with its open files.
  void ReleaseContainer(const std::string& name);
  // Frees the registered store of that name and mode, if any; a temporary
  // store takes its folder with it.
  void ReleaseStore(const std::string& name, StoreMode mode);
  // Releases any container store of that name, writes a new, empty
  // container there (16-page extents, 4 KB pages, no password) and
  // registers its store. False when the container cannot be written.
  bool CreateContainer(const std::string& name, bool exclusive);

  std::size_t StoreCount() const { return stores_.size(); }
  // Why the last GetStore or CreateContainer gave nothing.
  const std::string& LastError() const { return last_error_; }

 private:
  TAbstractPlainFileSystem* Find(const std::string& name, StoreMode mode) const;
  TAbstractPlainFileSystem* Register(std::unique_ptr<TAbstractPlainFileSystem> store);

  std::vector<std::unique_ptr<TAbstractPlainFileSystem>> stores_;
  std::string last_error_;
};

}  // namespace corvane::container

#endif  // CORVANE_CONTAINER_FILE_STORE_REGISTRY_H_
