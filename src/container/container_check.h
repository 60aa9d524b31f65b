// An integrity check of a container file, as a database checks its pages:
//   - the header opens (signature, checksum, counts that fit the file);
//   - every page's checksum matches, for the bytes its owner stores;
//   - every page is either free in PFS or used exactly once: by the
//     free-space maps, the directory, or one file's page map or data;
//   - GAM and SGAM agree with PFS (an extent is free in GAM exactly when all
//     its pages are free; a shared extent in SGAM has a free page);
//   - every file's size agrees with its page map.
#ifndef CORVANE_CONTAINER_CONTAINER_CHECK_H_
#define CORVANE_CONTAINER_CONTAINER_CHECK_H_

#include <string>
#include <vector>

namespace corvane::container {

// Problems found, one sentence each; empty when the container is sound.
std::vector<std::string> CheckContainer(const std::string& path, const std::string& password = "");

}  // namespace corvane::container

#endif  // CORVANE_CONTAINER_CONTAINER_CHECK_H_
