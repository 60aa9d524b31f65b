// Where the programs find their files.
//
// A portable copy (the build tree, an unpacked folder) keeps everything
// beside the program: the program's directory holds "cvhype.lst", and the
// database, the preview copy and the help page live there too.
//
// An installed copy keeps read-only data (the list file, the help page, the
// prebuilt database) in <prefix>/share/corvane-html-hyphenator/, found from
// the program in <prefix>/bin/, and what it writes (the database it opens,
// "TEMP.HTM") in the user's data directory: $XDG_DATA_HOME, else
// $HOME/.local/share, each + "/corvane-html-hyphenator/". The user's
// database starts as a copy of the prebuilt one, so the first start opens
// the word list at once instead of importing it.
#ifndef CORVANE_WORDLIST_DATA_LOCATIONS_H_
#define CORVANE_WORDLIST_DATA_LOCATIONS_H_

#include <string>

namespace corvane::wordlist {

inline constexpr const char* kDataFolderName = "corvane-html-hyphenator";

struct DataLocations {
  std::string data_dir;  // read-only data, ends in "/"
  std::string user_dir;  // files the programs write, ends in "/"
};

// The rules above for a program in `program_dir` (ending in "/"). `xdg_data_home`
// and `home` are the environment's values, empty when unset.
DataLocations ResolveDataLocations(const std::string& program_dir, const std::string& xdg_data_home,
                                   const std::string& home);

// The rules for the running program and its environment.
DataLocations DefaultDataLocations();

}  // namespace corvane::wordlist

#endif  // CORVANE_WORDLIST_DATA_LOCATIONS_H_
