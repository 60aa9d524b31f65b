// Compiled pattern sets kept on disk, so that a later process maps a set's
// automata instead of compiling them (a large dictionary takes tens of
// milliseconds to compile, a page a few to hyphenate).
//
// One file per set in the user's cache folder (platform/cache_folder.h),
// named for the set's source files and options. The file records exactly
// what it was made from: the source files' paths, sizes, modification
// times and inode numbers, the minimums, the kind of set and the format's
// version. A file whose record differs from the sources as they are now is
// stale and made again, as is one that is damaged, truncated or not ours:
// a cache file is input like any other, and nothing in it is trusted
// before it is checked (header, sizes, a checksum of the whole file, and
// the automata's own checks, code_point_automaton.h). Files are written to
// a temporary file and renamed, so no process ever maps half of one.
//
// File layout (little-endian; the automata's images are stored as the
// machine holds them, so a big-endian machine compiles and keeps no cache):
//
//   offset  size  field
//   0       8     "CVPATSET"
//   8       4     format version (kPatternCacheVersion)
//   12      4     zero
//   16      8     file size
//   24      8     XXH3-64 checksum of bytes 32 .. file size
//   32      4     key length K
//   36      K     key: the text naming the sources and options
//   ..            zeros to a multiple of 8, where the body begins (B)
//   B       16    minimums left and right, compound minimums left and
//                 right (signed 32-bit)
//   B+16    8     patterns skipped (they respell the word)
//   B+24    4     strings never broken at, N
//   B+28    4     exception words, E
//   B+32    8     the first level's image: offset in the file (0: none)
//   B+40    8       and size
//   B+48    8     the second level's image: offset
//   B+56    8       and size
//   B+64    ..    N strings: length, then the code points (32-bit each)
//           ..    E words: length L, L code points, L + 1 break bytes,
//                 zeros to a multiple of 4
//           ..    the images, each at a multiple of 8
//
// Setting CORVANE_NO_PATTERN_CACHE (to anything but "" or "0") turns the
// cache off: sets are then compiled in memory, as they are when no cache
// folder can be made or written, with no message either way.
#ifndef CORVANE_HYPHENATION_PATTERN_CACHE_H_
#define CORVANE_HYPHENATION_PATTERN_CACHE_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "hyphenation/language_catalog.h"
#include "hyphenation/pattern_set.h"

namespace corvane::hyphenation {

inline constexpr uint32_t kPatternCacheVersion = 1;

// How LoadCompiledSet came by a set: mapped from the cache, or compiled
// (and stored, where it could be).
enum class CacheUse { kMapped, kCompiled };

// The folder compiled sets are kept in; nullopt when the cache is off or no
// folder can be used.
std::optional<std::string> PatternCacheFolder();

// The set `language` names (a TeX set or a dictionary): mapped from its
// file in `folder` when that file was made from the same sources and
// options, else compiled, and then stored there (when it can be) for the
// next process. Errors reading the sources throw as compiling them does;
// errors of the cache never do.
PatternSet LoadCompiledSet(const Language& language, const std::optional<std::string>& folder,
                           CacheUse* use = nullptr);

// A set compiled from pattern and exception text the program holds (the
// built-in English), kept in `folder` as "built-in-NAME.set" and known by a
// checksum of the text itself.
PatternSet LoadCompiledText(std::string_view name, std::string_view patterns, std::string_view exceptions,
                            Minimums minimums, const std::optional<std::string>& folder, CacheUse* use = nullptr);

// The name of `language`'s file in the cache folder.
std::string CacheFileName(const Language& language);

}  // namespace corvane::hyphenation

#endif  // CORVANE_HYPHENATION_PATTERN_CACHE_H_
