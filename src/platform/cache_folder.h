// The user's cache folder: where the programs keep what they can make again
// from their inputs (compiled pattern sets), so that a later run maps it
// instead of making it.
//
// The folder is $XDG_CACHE_HOME/corvane, else ~/.cache/corvane; a relative
// XDG_CACHE_HOME is ignored, as the XDG rules ask. Everything in it may be
// deleted at any time.
#ifndef CORVANE_PLATFORM_CACHE_FOLDER_H_
#define CORVANE_PLATFORM_CACHE_FOLDER_H_

#include <optional>
#include <string>

namespace corvane::platform {

// The folder for these values of XDG_CACHE_HOME and HOME, ending in "/";
// empty when neither gives one.
std::string ResolveCacheFolder(const std::string& xdg_cache_home, const std::string& home);

// The folder for this process's environment, made (with its parents, for
// this user alone) when missing; nullopt when it cannot be made or written.
// Never throws.
std::optional<std::string> UserCacheFolder();

}  // namespace corvane::platform

#endif  // CORVANE_PLATFORM_CACHE_FOLDER_H_
