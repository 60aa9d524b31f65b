// TContainerFileSystem: a small file system of named files and directories
// kept in one container file (see container_format.h for the bytes).
//
// The container is built from four managers that own its parts:
//   TPageFileManager         the part files, the header, page input/output
//   TFreeSpaceManager        the PFS, GAM and SGAM maps; page allocation
//   TDIRManager              the directory items and their pages
//   TUserFilePageMapManager  each file's chain of page-map pages
// Every change is written through to the page layer; the page layer keeps
// recently used pages in memory and writes changed ones in page order on
// Flush, on close and when too many are waiting.
//
// File handles are small non-negative integers, -1 meaning failure, as the
// platform's file calls have them. Names are relative to the current
// directory (the root until changed), with "\" or "/" between the parts,
// compared ignoring letter case.
#ifndef CORVANE_CONTAINER_CONTAINER_FILE_SYSTEM_H_
#define CORVANE_CONTAINER_CONTAINER_FILE_SYSTEM_H_

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "container/container_format.h"

namespace corvane::container {

class TPageFileManager;
class TFreeSpaceManager;
class TDIRManager;
class TUserFilePageMapManager;

// Open modes, with the values of the platform's file-open flags.
inline constexpr uint32_t kModeCreate = 0xFFFF;
inline constexpr uint32_t kModeRead = 0;
inline constexpr uint32_t kModeWrite = 1;  // opens and empties the file
inline constexpr uint32_t kModeReadWrite = 2;
inline constexpr uint32_t kShareExclusive = 0x10;
inline constexpr uint32_t kShareShared = 0x40;

// What the table engine passes for every database it creates.
inline constexpr int kDefaultExtentSize = 16;
inline constexpr int kDefaultPageSizeKb = 4;

struct ContainerSettings {
  int extent_size = kDefaultExtentSize;
  int page_size_kb = kDefaultPageSizeKb;
  bool read_only = false;
  std::string question;  // password recovery question (with a password)
  std::string answer;
  std::string password;  // empty: no password
  bool exclusive = false;
  // Bytes a part file may hold, part header included. Tests use small parts.
  int64_t part_size = kDefaultPartSize;
};

// One directory entry as find-first/next and the tools see it.
struct ContainerEntry {
  int32_t item = -1;
  std::string name;
  int64_t size = 0;
  int32_t attributes = 0;  // kAttrDirectory for directories
  int64_t creation_time = 0;  // Windows file times
  int64_t last_write_time = 0;
  int64_t last_access_time = 0;
  int32_t first_map_page = -1;
};

struct SearchRec {
  ContainerEntry entry;
  // Where the search stands; private to the container.
  std::vector<int32_t> pending;
};

class TContainerFileSystem {
 public:
  // Opens `file_name`, or with `create` writes a new, empty container there
  // (replacing any file of that name). Throws corvane::Error with the
  // container's messages when the file is missing, damaged or the password
  // is wrong.
  TContainerFileSystem(const std::string& file_name, const ContainerSettings& settings,
                       bool create);
  ~TContainerFileSystem();
  TContainerFileSystem(const TContainerFileSystem&) = delete;
  TContainerFileSystem& operator=(const TContainerFileSystem&) = delete;

  const std::string& FileName() const { return file_name_; }
  bool ReadOnly() const { return read_only_; }
  // The numeric code of the last failing page read or write (0 when none).
  int LastError() const;
  // The header's owner mark (container_format.h). Setting it writes every
  // waiting page first and the header last, so a mark cleared on disk
  // vouches for everything written before; throws corvane::Error when the
  // container is read-only or the write fails.
  uint8_t OwnerMark() const;
  void SetOwnerMark(uint8_t mark);
  // The owner mark of the container file `file_name` from its header alone,
  // without reading its directory: throws corvane::Error with the open's
  // message when the file is missing or its header is damaged.
  static uint8_t ReadOwnerMark(const std::string& file_name);

  // Files. Open with kModeCreate creates (or empties) the file.
  int FileOpen(const std::string& name, uint32_t mode);
  int FileCreate(const std::string& name) { return FileOpen(name, kModeCreate); }
  int64_t FileRead(int handle, void* buffer, int64_t count);
  int64_t FileWrite(int handle, const void* buffer, int64_t count);
  int64_t FileSeek(int handle, int64_t offset, int origin);
  int64_t FileSetSize(int handle, int64_t size);
  int64_t FileGetSize(int handle) const;
  void FileClose(int handle);
  void Flush();

  bool DeleteFile(const std::string& name);
  bool RenameFile(const std::string& old_name, const std::string& new_name);
  bool FileExists(const std::string& name);
  bool ForceDirectories(const std::string& path);

  // Patterns match names with "*" (any run) and "?" (any one character),
  // ignoring letter case, in the directory the pattern's path names.
  // Directories are reported only when `attributes` has kAttrDirectory.
  // Returns 0 when an entry was found, a non-zero code otherwise.
  int FindFirst(const std::string& pattern, int32_t attributes, SearchRec& rec);
  int FindNext(SearchRec& rec);
  void FindClose(SearchRec& rec);

  // Every live item, for listings and checks.
  std::vector<ContainerEntry> Entries() const;
  // Full path ("dir/name") of an item.
  std::string PathOf(int32_t item) const;

  // The managers, for the integrity check and the tests.
  TPageFileManager& Pages() { return *pages_; }
  const TPageFileManager& Pages() const { return *pages_; }
  // The free-space maps, read first when a read-only open left them unread.
  const TFreeSpaceManager& FreeSpace() const;
  const TDIRManager& Directory() const { return *directory_; }
  TUserFilePageMapManager& PageMaps() { return *page_maps_; }

 private:
  struct Handle {
    int32_t item;
    int64_t position;
    uint32_t mode;
  };

  Handle* FindHandle(int handle);
  const Handle* FindHandle(int handle) const;
  int32_t ResolveParent(const std::string& path, std::string& leaf) const;
  void TouchWrite(int32_t item);
  // After an interrupted write the free-space maps may disagree with the
  // directory and page maps, which are the truth; an open for writing
  // brings the maps in line before anything is allocated.
  void ReconcileFreeSpace();

  std::string file_name_;
  bool read_only_;
  std::unique_ptr<TPageFileManager> pages_;
  std::unique_ptr<TFreeSpaceManager> free_space_;
  std::unique_ptr<TDIRManager> directory_;
  std::unique_ptr<TUserFilePageMapManager> page_maps_;
  std::map<int, Handle> handles_;
  int next_handle_ = 1;
  int32_t current_directory_ = -1;
};

}  // namespace corvane::container

#endif  // CORVANE_CONTAINER_CONTAINER_FILE_SYSTEM_H_
