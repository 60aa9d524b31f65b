// Many files at once: `corvane hyphenate --in-place -j N` gives each of N
// threads its own engine and pass, and lets them share one word list, which
// is opened once per process and read by one thread at a time.
#ifndef CORVANE_CLI_PARALLEL_FILES_H_
#define CORVANE_CLI_PARALLEL_FILES_H_

#include <cstddef>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>

#include "html/word_lookup.h"

namespace corvane::cli {

// A lookup for several threads over one that serves a single thread (the
// word-list table keeps a page cache and a current record). Answers are
// remembered: the pages of one site share most of their words, so most
// questions never wait for the table. The memory of answers is bounded;
// past the bound questions go to the table again.
class SharedWordLookup : public html::WordLookup {
 public:
  static constexpr std::size_t kMaxRemembered = 1 << 20;

  explicit SharedWordLookup(html::WordLookup& inner) : inner_(inner) {}
  std::optional<std::string> Find(const std::string& key) override;

 private:
  html::WordLookup& inner_;
  std::mutex mutex_;
  std::unordered_map<std::string, std::optional<std::string>> answers_;
};

// The threads RunInParallel uses: `jobs`, but no more than `count` and at
// least one.
std::size_t ThreadCount(std::size_t count, int jobs);

// Calls work(thread, i) once for every i below `count`, on ThreadCount
// threads numbered from 0 (the calling thread is 0), each taking the next i
// as it finishes one; when the system gives fewer threads, those do all of
// it. `work` must not throw.
void RunInParallel(std::size_t count, int jobs, const std::function<void(std::size_t, std::size_t)>& work);

// The default number of jobs: the processors this process may use.
int DefaultJobs();

}  // namespace corvane::cli

#endif  // CORVANE_CLI_PARALLEL_FILES_H_
