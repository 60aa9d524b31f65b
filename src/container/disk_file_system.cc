#include "container/disk_file_system.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <utility>

#include "container/pattern_match.h"
#include "platform/error.h"
#include "platform/positioned_io.h"

namespace corvane::container {

namespace fs = std::filesystem;

namespace {

// One system call moves at most this much, well inside what Linux accepts
// (a little under 2 GB) and what ssize_t holds.

}  // namespace

TDiskFile::TDiskFile(TAbstractPlainFileSystem* owner, std::string file_name, std::string path)
    : TAbstractFile(owner, std::move(file_name)), path_(std::move(path)) {}

TDiskFile::~TDiskFile() {
  try {
    Close();
  } catch (...) {
    // A destructor has nobody to tell; callers who care call Close.
  }
}

void TDiskFile::SetExclusive(bool exclusive) {
  if (exclusive == exclusive_) return;
  exclusive_ = exclusive;
  if (IsOpen()) Reopen();
}

void TDiskFile::SetReadOnly(bool read_only) {
  if (read_only == read_only_) return;
  read_only_ = read_only;
  if (IsOpen()) Reopen();
}

int TDiskFile::OpenDescriptor(bool create, bool read_only) const {
  const int access = (create || !read_only) ? O_RDWR : O_RDONLY;
  const int fd = ::open(path_.c_str(), access | O_CLOEXEC | (create ? O_CREAT : 0), 0666);
  if (fd < 0) return -1;
  struct stat st;
  const bool usable = ::fstat(fd, &st) == 0 && !S_ISDIR(st.st_mode) &&
                      ::flock(fd, (exclusive_ ? LOCK_EX : LOCK_SH) | LOCK_NB) == 0 &&
                      (!create || ::ftruncate(fd, 0) == 0);
  if (!usable) {
    ::close(fd);
    return -1;
  }
  return fd;
}

void TDiskFile::Open(bool create) {
  Close();
  position_ = 0;
  if (create) {
    fd_ = OpenDescriptor(true, false);
    if (fd_ < 0) throw Error("Cannot create file " + Quoted(path_));
    read_only_ = false;
    return;
  }
  fd_ = OpenDescriptor(false, read_only_);
  if (fd_ < 0 && !read_only_) {
    fd_ = OpenDescriptor(false, true);
    if (fd_ >= 0) read_only_ = true;
  }
  if (fd_ < 0) throw Error("Cannot open file " + Quoted(path_));
}

void TDiskFile::Close() {
  if (fd_ < 0) return;
  // The descriptor is closed whether or not the flush went through.
  struct Closer {
    int& fd;
    ~Closer() {
      ::close(fd);
      fd = -1;
    }
  } closer{fd_};
  Flush();
}

void TDiskFile::Flush() {
  // EINVAL: the file lives where syncing means nothing (a pipe, some
  // special file systems); there is nothing to write back.
  if (fd_ >= 0 && !read_only_ && ::fsync(fd_) != 0 && errno != EINVAL) {
    throw Error("Cannot flush file " + Quoted(path_));
  }
}

int64_t TDiskFile::Read(void* buffer, int64_t count) {
  if (fd_ < 0 || count <= 0 || position_ < 0) return 0;
  const int64_t done = platform::ReadAt(fd_, buffer, count, position_);
  position_ += done;
  return done;
}

int64_t TDiskFile::Write(const void* buffer, int64_t count) {
  if (fd_ < 0 || count <= 0 || position_ < 0) return 0;
  const int64_t done = platform::WriteAt(fd_, buffer, count, position_);
  position_ += done;
  return done;
}

int64_t TDiskFile::Seek(int64_t offset, int origin) {
  if (fd_ < 0) return -1;
  int64_t base = 0;
  switch (origin) {
    case kSeekBegin:
      break;
    case kSeekCurrent:
      base = position_;
      break;
    case kSeekEnd:
      base = GetSize();
      break;
    default:
      return -1;
  }
  int64_t position = 0;
  if (__builtin_add_overflow(base, offset, &position) || position < 0) return -1;
  position_ = position;
  return position_;
}

int64_t TDiskFile::GetSize() {
  struct stat st;
  if (fd_ < 0 || ::fstat(fd_, &st) != 0) return -1;
  return st.st_size;
}

void TDiskFile::SetSize(int64_t size) {
  if (fd_ < 0 || size < 0 || ::ftruncate(fd_, static_cast<off_t>(size)) != 0) {
    throw Error("Cannot set the size of file " + Quoted(path_));
  }
  position_ = size;
}

TDiskPlainFileSystem::TDiskPlainFileSystem(const std::string& directory)
    : TDiskPlainFileSystem(directory, StoreMode::kDisk, directory) {}

TDiskPlainFileSystem::TDiskPlainFileSystem(std::string name, StoreMode mode, std::string directory)
    : TAbstractPlainFileSystem(std::move(name), mode), directory_(std::move(directory)) {}

std::string TDiskPlainFileSystem::PathOf(const std::string& name) const {
  std::string relative = name;
  std::replace(relative.begin(), relative.end(), '\\', '/');
  if (directory_.empty()) return relative;
  if (directory_.back() == '/') return directory_ + relative;
  return directory_ + "/" + relative;
}

TAbstractFile* TDiskPlainFileSystem::OpenFile(const std::string& name, bool create,
                                              bool exclusive, bool read_only) {
  if (FindOpenFile(name) != nullptr) {
    throw Error("TDiskPlainFileSystem.OpenFile - File " + Quoted(name) + " is already open.");
  }
  return OpenAndRegister(std::make_unique<TDiskFile>(this, name, PathOf(name)), create, exclusive,
                         read_only);
}

bool TDiskPlainFileSystem::DeleteFile(const std::string& name) {
  if (FindOpenFile(name) != nullptr) return false;
  return ::unlink(PathOf(name).c_str()) == 0;
}

bool TDiskPlainFileSystem::RenameFile(const std::string& old_name, const std::string& new_name) {
  if (FindOpenFile(old_name) != nullptr || FindOpenFile(new_name) != nullptr) return false;
  if (!FileExists(old_name)) return false;
  const std::string from = PathOf(old_name);
  const std::string to = PathOf(new_name);
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  // File systems without the no-replace flag: check, then rename.
  struct stat st;
  if (::lstat(to.c_str(), &st) == 0) return false;
  return ::rename(from.c_str(), to.c_str()) == 0;
}

bool TDiskPlainFileSystem::FileExists(const std::string& name) {
  struct stat st;
  return ::stat(PathOf(name).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

void TDiskPlainFileSystem::ListFiles(const std::string& extension,
                                     std::vector<std::string>& names) {
  names.clear();
  const std::string pattern = "*" + extension;
  std::error_code ec;
  fs::directory_iterator it(directory_.empty() ? fs::path(".") : fs::path(directory_), ec);
  for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
    const std::string name = it->path().filename().string();
    std::error_code type_ec;
    if (MatchesPattern(name, pattern) && it->is_regular_file(type_ec)) {
      names.push_back(ListName(name, extension));
    }
  }
  SortNames(names);
}

namespace {

std::string MakeTemporaryFolder() {
  std::error_code ec;
  fs::path base = fs::temp_directory_path(ec);
  if (ec) base = "/tmp";
  std::string folder = (base / "corvane_XXXXXX").string();
  if (::mkdtemp(folder.data()) == nullptr) {
    throw Error("Cannot create a temporary folder in " + Quoted(base.string()));
  }
  return folder;
}

}  // namespace

TTemporaryPlainFileSystem::TTemporaryPlainFileSystem(const std::string& name)
    : TDiskPlainFileSystem(name, StoreMode::kTemporary, MakeTemporaryFolder()) {}

TTemporaryPlainFileSystem::~TTemporaryPlainFileSystem() {
  // The files go first: their descriptors must be closed before the folder
  // is removed, and the base destructor would come too late.
  CloseAll();
  std::error_code ec;
  fs::remove_all(Directory(), ec);
}

}  // namespace corvane::container
