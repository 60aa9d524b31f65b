// BuildLock: one build of a word-list database at a time, across processes.
//
// Builds of one database serialise on an exclusive flock of the lock file
// "<database>.lock" beside it, held from before the build starts until its
// file has been renamed into place. A process that wanted to build while
// another did waits here, and then finds the finished database: it looks
// again once it holds the lock instead of building a second time.
//
// The lock file exists only while someone holds or waits for it: the holder
// removes it when done, and a waiter that then gets the lock of a removed
// file tries again with the file now at that name, so two processes never
// hold locks of different files at once. It holds no data; its descriptor
// is closed on exec, so child processes never keep a build locked.
#ifndef CORVANE_WORDLIST_BUILD_LOCK_H_
#define CORVANE_WORDLIST_BUILD_LOCK_H_

#include <string>

namespace corvane::wordlist {

class BuildLock {
 public:
  // Waits for the lock of `database`. Throws corvane::Error naming the lock
  // file and the system's reason when it cannot be created or locked.
  explicit BuildLock(const std::string& database);
  ~BuildLock();
  BuildLock(const BuildLock&) = delete;
  BuildLock& operator=(const BuildLock&) = delete;

  static std::string LockFileOf(const std::string& database) { return database + ".lock"; }

 private:
  std::string path_;
  int fd_ = -1;
};

}  // namespace corvane::wordlist

#endif  // CORVANE_WORDLIST_BUILD_LOCK_H_
