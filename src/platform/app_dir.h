// The application directory: the folder of the running program.
//
// Every file the program uses (the word list, its database, the help page,
// the preview copy) lies beside the program, so paths are built as
// AppDir() + name. The directory is found once, on the first call, and does
// not change afterwards even if the program file is moved.
#ifndef CORVANE_PLATFORM_APP_DIR_H_
#define CORVANE_PLATFORM_APP_DIR_H_

#include <string>

namespace corvane::platform {

// The absolute directory of the program file (symbolic links resolved),
// ending in "/". When the kernel cannot tell where the program is, the
// current directory at the first call stands in for it.
std::string AppDir();

}  // namespace corvane::platform

#endif  // CORVANE_PLATFORM_APP_DIR_H_
