// The application directory: the folder of the running program.
//
// It is where the programs' files are looked for, not necessarily where they
// are: a portable copy keeps them beside the program, an installed copy in
// a share folder found from it and in the user's data folder
// (wordlist/data_locations.h decides which). The directory is found once,
// on the first call, and does not change afterwards even if the program
// file is moved.
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
