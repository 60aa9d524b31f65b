// Memory files and the memory store.
//
// A memory store keeps each file as a byte buffer under its name (case of
// A-Z ignored). The buffer outlives the TMemoryFile that wrote it, so after
// CloseFile the store still lists the file, reports it as existing, and can
// rename or delete it. It cannot be read back, though: a memory file can
// only be created, which starts it empty, and opening an existing one fails
// with "TMemoryFile.Open - File cannot be open, only creation is
// available.". The table engine uses memory stores for scratch tables that
// live as long as one open file.
//
// Sharing and read-only flags are only stored: memory files belong to one
// process and the store already refuses a second opener of a name.
//
// Positions before the start are refused by Seek (-1, position kept);
// positions past the end are allowed, and writing there fills the gap with
// zero bytes. A write the process has no memory for writes nothing.
#ifndef CORVANE_CONTAINER_MEMORY_FILE_SYSTEM_H_
#define CORVANE_CONTAINER_MEMORY_FILE_SYSTEM_H_

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "container/abstract_file.h"
#include "container/plain_file_system.h"

namespace corvane::container {

class TMemoryFile : public TAbstractFile {
 public:
  // `data` is the store's buffer for the name; without one the file makes
  // its own on creation.
  TMemoryFile(TAbstractPlainFileSystem* owner, std::string file_name,
              std::shared_ptr<std::string> data = nullptr);

  bool IsOpen() const override { return open_; }
  // The bytes written so far (empty before creation).
  const std::string& Data() const;

  // Sets the buffer size; the position moves back to `size` only when it
  // lay beyond it.
  void SetSize(int64_t size) override;
  void Close() override;
  void Flush() override {}
  void Open(bool create) override;
  int64_t Read(void* buffer, int64_t count) override;
  int64_t Seek(int64_t offset, int origin) override;
  int64_t Write(const void* buffer, int64_t count) override;

 private:
  std::shared_ptr<std::string> data_;
  int64_t position_ = 0;
  bool open_ = false;
};

class TMemoryPlainFileSystem : public TAbstractPlainFileSystem {
 public:
  explicit TMemoryPlainFileSystem(const std::string& name);

  // With `create` false this always fails (see above); a name that is
  // already open fails with "TMemoryPlainFileSystem.OpenFile - File "name"
  // is already open.".
  TAbstractFile* OpenFile(const std::string& name, bool create, bool exclusive,
                          bool read_only) override;
  bool DeleteFile(const std::string& name) override;
  bool RenameFile(const std::string& old_name, const std::string& new_name) override;
  bool FileExists(const std::string& name) override;
  void ListFiles(const std::string& extension, std::vector<std::string>& names) override;

 private:
  struct Entry {
    std::string name;  // as last created or renamed
    std::shared_ptr<std::string> data;
  };
  // Keyed by the name with A-Z folded.
  std::map<std::string, Entry> entries_;
};

}  // namespace corvane::container

#endif  // CORVANE_CONTAINER_MEMORY_FILE_SYSTEM_H_
