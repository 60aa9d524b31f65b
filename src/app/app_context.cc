#include "app/app_context.h"

#include "wordlist/data_locations.h"

namespace corvane::app {

AppContext DefaultContext(Dialogs& dialogs, Shell& shell, UserSettings& settings) {
  const wordlist::DataLocations where = wordlist::DefaultDataLocations();
  AppContext context;
  context.dialogs = &dialogs;
  context.shell = &shell;
  context.settings = &settings;
  context.word_list = wordlist::DefaultWordListFiles();
  context.data_dir = where.data_dir;
  context.user_dir = where.user_dir;
  return context;
}

}  // namespace corvane::app
