// How much physical memory the machine can still give, for sizing the table
// engine's page cache.
//
// The figure is the kernel's estimate of memory available to new work
// without swapping (MemAvailable of /proc/meminfo), which counts reclaimable
// caches; free memory alone would make the cache needlessly small on a
// machine whose memory is mostly page cache. Kernels without that line fall
// back to the free pages reported by sysconf.
#ifndef CORVANE_PLATFORM_MEMORY_H_
#define CORVANE_PLATFORM_MEMORY_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace corvane::platform {

// Bytes of available physical memory; 0 when nothing can be learnt.
uint64_t AvailablePhysicalMemory();

// The MemAvailable line of a /proc/meminfo text, in bytes; nullopt when the
// line is missing or malformed.
std::optional<uint64_t> ParseMemAvailable(std::string_view meminfo);

}  // namespace corvane::platform

#endif  // CORVANE_PLATFORM_MEMORY_H_
