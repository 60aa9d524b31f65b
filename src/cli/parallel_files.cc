#include "cli/parallel_files.h"

#include <sched.h>

#include <algorithm>
#include <atomic>
#include <system_error>
#include <thread>
#include <vector>

namespace corvane::cli {

std::optional<std::string> SharedWordLookup::Find(const std::string& key) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (auto it = answers_.find(key); it != answers_.end()) return it->second;
  std::optional<std::string> answer = inner_.Find(key);  // a failure is not remembered
  if (answers_.size() < kMaxRemembered) answers_.emplace(key, answer);
  return answer;
}

std::size_t ThreadCount(std::size_t count, int jobs) {
  return std::max<std::size_t>(std::min<std::size_t>(count, static_cast<std::size_t>(std::max(jobs, 1))), 1);
}

void RunInParallel(std::size_t count, int jobs, const std::function<void(std::size_t, std::size_t)>& work) {
  std::atomic<std::size_t> next{0};
  auto worker = [&](std::size_t thread) {
    for (std::size_t i = next++; i < count; i = next++) work(thread, i);
  };
  const std::size_t threads = ThreadCount(count, jobs);
  std::vector<std::thread> helpers;
  try {
    for (std::size_t t = 1; t < threads; ++t) helpers.emplace_back(worker, t);
  } catch (const std::system_error&) {
    // Fewer threads than asked for still do all the work.
  }
  worker(0);
  for (std::thread& h : helpers) h.join();
}

int DefaultJobs() {
  // The processors this process may run on, which a container or taskset
  // can make fewer than the machine's.
  cpu_set_t set;
  if (sched_getaffinity(0, sizeof set, &set) == 0) return std::max(CPU_COUNT(&set), 1);
  return static_cast<int>(std::max(std::thread::hardware_concurrency(), 1u));
}

}  // namespace corvane::cli
