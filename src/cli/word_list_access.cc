#include "cli/word_list_access.h"

#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <ostream>

#include "platform/app_dir.h"
#include "platform/error.h"
#include "wordlist/import.h"
#include "wordlist/list_file.h"

namespace corvane::cli {
namespace {

void ShowProgress(std::ostream& out, int percent) {
  constexpr int kWidth = 40;
  const int filled = percent * kWidth / 100;
  out << "\rBuilding the word list [" << std::string(static_cast<std::size_t>(filled), '#')
      << std::string(static_cast<std::size_t>(kWidth - filled), ' ') << "] " << percent << "%" << std::flush;
}

}  // namespace

std::ostream* ProgressStreamFor(std::ostream& err) {
  return isatty(STDERR_FILENO) && &err == &std::cerr ? &err : nullptr;
}

WordListFiles DefaultWordListFiles() {
  const std::string dir = platform::AppDir();
  return {dir + wordlist::kDatabaseFileName, dir + wordlist::kListFileName};
}

// Removes the half-built database unless the build got to the end.
class BuildingFile {
 public:
  explicit BuildingFile(std::string path) : path_(std::move(path)) { std::remove(path_.c_str()); }
  ~BuildingFile() {
    if (!kept_) std::remove(path_.c_str());
  }
  const std::string& path() const { return path_; }
  void Keep() { kept_ = true; }

 private:
  std::string path_;
  bool kept_ = false;
};

void BuildWordList(const WordListFiles& files, std::ostream* progress) {
  BuildingFile file(files.database + ".building");
  const std::string& building = file.path();
  {
    wordlist::TWordList list(building);
    list.CreateEmptyTable();
    std::unique_ptr<wordlist::ListFileReader> reader;
    try {
      reader = std::make_unique<wordlist::ListFileReader>(files.list);
    } catch (const Error& e) {
      throw Error(files.list + ": " + e.what());
    }
    wordlist::TCreateDB import(std::move(reader), list);
    int shown = -1;
    if (progress != nullptr) {
      import.OnProgress = [&](int percent) {
        if (percent != shown) ShowProgress(*progress, shown = percent);
      };
    }
    try {
      while (!import.ImportDone()) import.Timer1Timer();
    } catch (const Error& e) {
      if (progress != nullptr) *progress << "\n";
      throw Error(files.list + ": line " + std::to_string(import.FailedLine()) + ": " + e.what());
    }
    if (progress != nullptr) *progress << "\n";
    list.Close();
  }
  if (std::rename(building.c_str(), files.database.c_str()) != 0) throw Error("cannot replace " + files.database);
  file.Keep();
}

std::unique_ptr<wordlist::TWordList> OpenWordList(const WordListFiles& files, std::ostream* progress) {
  if (!wordlist::TWordList::DatabaseComplete(files.database)) BuildWordList(files, progress);
  auto list = std::make_unique<wordlist::TWordList>(files.database);
  try {
    list->Open();
  } catch (const Error& e) {
    throw Error(files.database + ": " + e.what() + " (rebuild it with: corvane wordlist build)");
  }
  return list;
}

}  // namespace corvane::cli
