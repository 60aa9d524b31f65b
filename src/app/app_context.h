// What the windows share: the desktop services, the user's settings, where
// the files are, and the timers' intervals.
#ifndef CORVANE_APP_APP_CONTEXT_H_
#define CORVANE_APP_APP_CONTEXT_H_

#include <string>

#include "app/services.h"
#include "app/user_settings.h"
#include "wordlist/word_list_access.h"

namespace corvane::app {

// Tests shorten them; the program keeps these.
struct Timings {
  // The splash only shows while the start-up works; it waits for nothing.
  int splash_tick_ms = 0;
  int import_tick_ms = 50;  // how often the import window shows the build's progress
  int tray_frame_ms = 400;
};

struct AppContext {
  Dialogs* dialogs = nullptr;
  Shell* shell = nullptr;
  UserSettings* settings = nullptr;
  wordlist::WordListFiles word_list;
  std::string data_dir;  // read-only data: "help/help.html"; ends in "/"
  std::string user_dir;  // what the program writes: "TEMP.HTM"; ends in "/"
  Timings timings;
};

// The locations of wordlist/data_locations.h for the running program.
AppContext DefaultContext(Dialogs& dialogs, Shell& shell, UserSettings& settings);

}  // namespace corvane::app

#endif  // CORVANE_APP_APP_CONTEXT_H_
