#include "platform/temporary_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <random>
#include <set>

#include "platform/error.h"

namespace corvane::platform {
namespace {

constexpr std::string_view kInfix = ".corvane-";
constexpr std::string_view kSuffix = ".tmp";
constexpr int kRandomLength = 6;

[[noreturn]] void ThrowSystemError(const std::string& what) { throw Error(what + ": " + std::strerror(errno)); }

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// ---- The table the signal handler empties ----
//
// Fixed in size and filled without allocation, so that the handler reads
// nothing but atomics and bytes. A slot is free, being filled, or armed;
// the handler removes only armed paths. More writers at once than slots
// (more than -j allows) go unprotected rather than fail.

enum SlotState : int { kFree = 0, kFilling = 1, kArmed = 2 };

// States and paths apart: the paths' 4 MB stay untouched zero pages until a
// slot is used, where an array of structs would be written through at start-up
// by the states' initialiser, costing every run a thousand page faults.
constexpr int kSlots = 1040;
std::atomic<int> g_slot_states[kSlots];
char g_slot_paths[kSlots][PATH_MAX];
static_assert(std::atomic<int>::is_always_lock_free, "the signal handler reads the slots' states");

constexpr int kCleanedSignals[] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void RemoveTemporaryFilesAndDie(int signal_number) {
  const int saved = errno;
  for (int i = 0; i < kSlots; ++i) {
    if (g_slot_states[i].load(std::memory_order_acquire) == kArmed) unlink(g_slot_paths[i]);
  }
  // The default action ends the process once this handler returns (the
  // signal is blocked until then), so the parent sees the signal itself.
  struct sigaction default_action {};
  default_action.sa_handler = SIG_DFL;
  sigemptyset(&default_action.sa_mask);
  sigaction(signal_number, &default_action, nullptr);
  raise(signal_number);
  errno = saved;
}

// Only where the signal still has its default action: a signal the user
// ignores (nohup) stays ignored, and a program's own handler stays its own.
void InstallHandlers() {
  for (int signal_number : kCleanedSignals) {
    struct sigaction current {};
    if (sigaction(signal_number, nullptr, &current) != 0 || current.sa_handler != SIG_DFL) continue;
    struct sigaction action {};
    action.sa_handler = RemoveTemporaryFilesAndDie;
    sigfillset(&action.sa_mask);
    sigaction(signal_number, &action, nullptr);
  }
}

int Arm(const std::string& path) {
  static std::once_flag installed;
  std::call_once(installed, InstallHandlers);
  if (path.size() >= PATH_MAX) return -1;
  for (int i = 0; i < kSlots; ++i) {
    int expected = kFree;
    if (!g_slot_states[i].compare_exchange_strong(expected, kFilling, std::memory_order_acquire)) continue;
    std::memcpy(g_slot_paths[i], path.c_str(), path.size() + 1);
    g_slot_states[i].store(kArmed, std::memory_order_release);
    return i;
  }
  return -1;
}

std::string RandomCharacters() {
  static constexpr char kAlphabet[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  thread_local std::mt19937_64 random{std::random_device{}()};
  std::string characters(kRandomLength, '0');
  for (char& c : characters) c = kAlphabet[random() % (sizeof kAlphabet - 1)];
  return characters;
}

void Disarm(int slot) {
  if (slot >= 0) g_slot_states[slot].store(kFree, std::memory_order_release);
}

// ---- Mode and owner ----

// umask() can only be read by setting it, which races with the other
// threads that make files at that moment; the kernel shows it in
// /proc/self/status. Read once either way.
mode_t ReadUmask() {
  if (FILE* status = std::fopen("/proc/self/status", "re")) {
    char line[256];
    unsigned mask = 0;
    bool found = false;
    while (!found && std::fgets(line, sizeof line, status) != nullptr) {
      found = std::sscanf(line, "Umask: %o", &mask) == 1;
    }
    std::fclose(status);
    if (found) return static_cast<mode_t>(mask);
  }
  const mode_t mask = umask(0);
  umask(mask);
  return mask;
}

mode_t ModeForNewFile() {
  static const mode_t mode = 0666 & ~ReadUmask();
  return mode;
}

// The owner first: changing it clears the set-user-id bits a mode restores.
void TakeOverModeAndOwner(int fd, const std::string& target, const std::string& temp) {
  struct stat existing {};
  mode_t mode = ModeForNewFile();
  if (stat(target.c_str(), &existing) == 0 && S_ISREG(existing.st_mode)) {
    mode = existing.st_mode & 07777;
    struct stat mine {};
    if (fstat(fd, &mine) == 0 && (mine.st_uid != existing.st_uid || mine.st_gid != existing.st_gid)) {
      // Only root may give a file away; a member of the group may still set it.
      if (fchown(fd, existing.st_uid, existing.st_gid) != 0) (void)fchown(fd, static_cast<uid_t>(-1), existing.st_gid);
    }
  }
  if (fchmod(fd, mode) != 0) ThrowSystemError("cannot write " + temp);
}

// ---- Leftovers ----

bool IsStale(const std::string& path, pid_t pid) {
  if (pid == getpid() || kill(pid, 0) == 0 || errno != ESRCH) return false;
  const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat info {};
  const bool ours = fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == geteuid();
  // The lock goes with the descriptor: removing the file while holding it
  // keeps a writer that starts now from taking the name in between.
  const bool stale = ours && flock(fd, LOCK_EX | LOCK_NB) == 0 && unlink(path.c_str()) == 0;
  close(fd);
  return stale;
}

}  // namespace

bool ParseTemporaryName(std::string_view name, pid_t* pid) {
  const std::size_t infix = name.rfind(kInfix);
  if (infix == std::string_view::npos || infix == 0 || name.size() < kSuffix.size() ||
      name.substr(name.size() - kSuffix.size()) != kSuffix) {
    return false;
  }
  std::string_view rest = name.substr(infix + kInfix.size());
  rest.remove_suffix(kSuffix.size());
  const std::size_t dash = rest.find('-');
  if (dash == std::string_view::npos || dash == 0 || dash > 9 || rest.size() - dash - 1 != kRandomLength) return false;
  long value = 0;
  for (char c : rest.substr(0, dash)) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  for (char c : rest.substr(dash + 1)) {
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))) return false;
  }
  if (value <= 0) return false;
  *pid = static_cast<pid_t>(value);
  return true;
}

void RemoveStaleTemporaryFiles(const std::string& folder) {
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return;
  const std::string prefix = folder == "/" ? "/" : folder + "/";
  while (const dirent* entry = readdir(dir)) {
    pid_t pid = 0;
    if (ParseTemporaryName(entry->d_name, &pid)) IsStale(prefix + entry->d_name, pid);
  }
  closedir(dir);
}

TemporaryFile::TemporaryFile(const std::string& target) {
  const std::string folder = FolderOf(target);
  {
    // Once per folder and process: a thousand pages of one folder written
    // in place must not read the folder a thousand times.
    static std::mutex mutex;
    static std::set<std::string> swept;
    std::lock_guard<std::mutex> lock(mutex);
    if (swept.insert(folder).second) RemoveStaleTemporaryFiles(folder);
  }
  // The name is chosen and put in the handler's table before the file is
  // made, so that no moment exists when a signal would leave the file
  // behind; the process id in the name keeps other processes' files out of
  // reach of O_EXCL's retry.
  const std::string stem = target + std::string(kInfix) + std::to_string(getpid()) + "-";
  for (int attempt = 0;; ++attempt) {
    path_ = stem + RandomCharacters() + std::string(kSuffix);
    slot_ = Arm(path_);
    fd_ = open(path_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd_ >= 0) break;
    const int error = errno;
    Disarm(slot_);
    errno = error;
    if (error != EEXIST || attempt == 100) ThrowSystemError("cannot create a temporary file beside " + target);
  }
  try {
    // A file system without locks still gets the process id's protection.
    (void)flock(fd_, LOCK_EX | LOCK_NB);
    TakeOverModeAndOwner(fd_, target, path_);
  } catch (...) {
    close(fd_);
    unlink(path_.c_str());
    Disarm(slot_);
    throw;
  }
}

TemporaryFile::~TemporaryFile() {
  if (fd_ >= 0) close(fd_);
  if (!released_) {
    unlink(path_.c_str());
    Disarm(slot_);
  }
}

void TemporaryFile::CloseOrThrow() {
  const int fd = fd_;
  fd_ = -1;
  if (fd >= 0 && close(fd) != 0) ThrowSystemError("cannot write " + path_);
}

void TemporaryFile::Release() {
  released_ = true;
  Disarm(slot_);
}

}  // namespace corvane::platform
