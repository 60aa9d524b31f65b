// TAbstractFile: one open file of a file store, as the table engine sees it.
//
// A file is a byte stream with a 64-bit position. The store that made it
// (TAbstractPlainFileSystem::OpenFile) owns it and frees it in CloseFile;
// the file only points back at its store. Three kinds exist:
//
//   TDiskFile       a file in a disk directory (disk_file_system.h)
//   TMemoryFile     a buffer in a memory store (memory_file_system.h)
//   TContainerFile  a named file inside a container (container_store.h)
//
// Flags. `Exclusive` asks for the file to be shared with no other opener,
// `ReadOnly` for read access only. Both are set before Open and may change
// while the file is open: disk and container files then close and reopen at
// the same position, so the new sharing or access takes effect at once. A
// third flag, `UserFlag`, is kept for the owner and means nothing here.
//
// Opening (Open with the create flag false) that fails while the file was
// asked for writing is tried once more for reading only, and the read-only
// flag is set when that succeeds; so after Open the flag tells what the
// caller got. A failure to create raises "Cannot create file "name"", a
// failure to open "Cannot open file "name"".
//
// Read and Write move as many bytes as they can and return the count, as
// the operating system's calls do; ReadBuffer and WriteBuffer are for
// callers to whom anything less is an error.
#ifndef CORVANE_CONTAINER_ABSTRACT_FILE_H_
#define CORVANE_CONTAINER_ABSTRACT_FILE_H_

#include <cstdint>
#include <string>

namespace corvane::container {

class TAbstractPlainFileSystem;

// Seek origins.
inline constexpr int kSeekBegin = 0;
inline constexpr int kSeekCurrent = 1;
inline constexpr int kSeekEnd = 2;

class TAbstractFile {
 public:
  // `owner` may be null for a file used on its own (tests, tools).
  TAbstractFile(TAbstractPlainFileSystem* owner, std::string file_name);
  // Subclasses close themselves; a destructor never throws.
  virtual ~TAbstractFile() = default;
  TAbstractFile(const TAbstractFile&) = delete;
  TAbstractFile& operator=(const TAbstractFile&) = delete;

  TAbstractPlainFileSystem* Owner() const { return owner_; }
  // The name the store was given, relative to the store.
  const std::string& FileName() const { return file_name_; }
  bool Exclusive() const { return exclusive_; }
  bool ReadOnly() const { return read_only_; }
  bool UserFlag() const { return user_flag_; }
  virtual bool IsOpen() const = 0;

  virtual void SetExclusive(bool exclusive);
  virtual void SetPosition(int64_t position);
  virtual int64_t GetPosition();
  virtual void SetReadOnly(bool read_only);
  // Cuts or extends the file; the position of disk and container files
  // moves to `size`, that of memory files only when it lay beyond.
  virtual void SetSize(int64_t size) = 0;
  virtual int64_t GetSize();
  virtual void SetUserFlag(bool flag);
  // Flushes and closes; a closed file can be opened again.
  virtual void Close() = 0;
  virtual void Flush() = 0;
  virtual void Open(bool create) = 0;
  // Returns the bytes read: fewer than `count` at the end of the file, 0 at
  // or past it and on a closed file.
  virtual int64_t Read(void* buffer, int64_t count) = 0;
  // Origins kSeekBegin, kSeekCurrent, kSeekEnd. Returns the new position.
  virtual int64_t Seek(int64_t offset, int origin) = 0;
  // Returns the bytes written; 0 when the file cannot be written.
  virtual int64_t Write(const void* buffer, int64_t count) = 0;

  // Read and Write of exactly `count` bytes, or "TAbstractFile.ReadBuffer -
  // Stream read error" / "TAbstractFile.WriteBuffer - Stream write error".
  void ReadBuffer(void* buffer, int64_t count);
  void WriteBuffer(const void* buffer, int64_t count);
  // Copies `count` bytes from the source's position to this file's
  // position; `count` <= 0 copies the whole source from its start. Fails as
  // ReadBuffer or WriteBuffer when the source is short or the write is.
  // Returns the bytes copied.
  int64_t CopyFrom(TAbstractFile& source, int64_t count);

 protected:
  // Closes and opens again (never creating) at the same position, after a
  // flag change on an open file.
  void Reopen();

  bool exclusive_ = false;
  bool read_only_ = false;

 private:
  TAbstractPlainFileSystem* owner_;
  std::string file_name_;
  bool user_flag_ = false;
};

// `"name"`, the quoted form the messages use.
std::string Quoted(const std::string& name);

}  // namespace corvane::container

#endif  // CORVANE_CONTAINER_ABSTRACT_FILE_H_
