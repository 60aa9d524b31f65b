// The temporary files of crash-safe writes and of database builds.
//
// A file is written under a name of its own beside the one it will replace
// and renamed over it when complete. The temporary name is recognisable and
// carries the writer's process id:
//
//   <target>.corvane-<pid>-<6 random characters>.tmp
//
// so that what a killed process left can be told from the files of a live
// one, and from anything that is not ours:
// - SIGINT, SIGTERM and SIGHUP remove the temporary files of the writes under
//   way (a fixed table of paths, emptied by an async-signal-safe handler),
//   then end the process by the same signal, so its status is 128 + N;
// - after SIGKILL or a power cut, the next temporary file made in the same
//   folder sweeps the folder once per process and removes the leftovers
//   whose process is gone, that belong to this user and that no process
//   holds locked (every live temporary file is locked with flock, which also
//   covers writers in another process namespace on the same folder).
#ifndef CORVANE_PLATFORM_TEMPORARY_FILE_H_
#define CORVANE_PLATFORM_TEMPORARY_FILE_H_

#include <sys/types.h>

#include <string>
#include <string_view>

namespace corvane::platform {

class TemporaryFile {
 public:
  // Creates the file beside `target`, empty, with the mode of `target` (and
  // its owner and group where the process may set them) or, when there is
  // no `target` yet, the mode a new file gets. Throws corvane::Error with the
  // system's reason.
  explicit TemporaryFile(const std::string& target);
  // Removes the file unless Release() was called.
  ~TemporaryFile();
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  const std::string& path() const { return path_; }
  // -1 once closed.
  int fd() const { return fd_; }
  // Closes the descriptor, reporting a failed close (a delayed write error).
  void CloseOrThrow();
  // The file was renamed into place: it is no longer ours to remove.
  void Release();

 private:
  std::string path_;
  int fd_ = -1;
  int slot_ = -1;  // in the table the signal handler empties
  bool released_ = false;
};

// Whether `name` (a file name without folder) is a temporary name as above;
// its process id in `pid`.
bool ParseTemporaryName(std::string_view name, pid_t* pid);

// Removes from `folder` the temporary files whose process is gone, as
// described above. Never throws; what cannot be removed stays.
void RemoveStaleTemporaryFiles(const std::string& folder);

}  // namespace corvane::platform

#endif  // CORVANE_PLATFORM_TEMPORARY_FILE_H_
