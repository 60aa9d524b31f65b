// Whole-file reads and crash-safe writes.
#ifndef CORVANE_PLATFORM_FILE_IO_H_
#define CORVANE_PLATFORM_FILE_IO_H_

#include <istream>
#include <string>
#include <string_view>

namespace corvane::platform {

// The whole file; throws corvane::Error with the system's reason.
std::string ReadFile(const std::string& path);

// Everything left on a stream, as bytes.
std::string ReadStream(std::istream& in);

// Writes `data` to a temporary file beside `path` and renames it over `path`,
// so a failure never leaves a partial file and never harms what was there.
// An existing file keeps its permissions.
void WriteFileAtomically(const std::string& path, std::string_view data);

}  // namespace corvane::platform

#endif  // CORVANE_PLATFORM_FILE_IO_H_
