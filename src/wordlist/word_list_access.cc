#include "wordlist/word_list_access.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "platform/error.h"
#include "platform/file_io.h"
#include "platform/temporary_file.h"
#include "wordlist/data_locations.h"
#include "wordlist/import.h"
#include "wordlist/list_file.h"

namespace corvane::wordlist {
namespace {

namespace fs = std::filesystem;

}  // namespace

WordListFiles DefaultWordListFiles() {
  const DataLocations where = DefaultDataLocations();
  WordListFiles files{where.user_dir + kDatabaseFileName, where.data_dir + kListFileName, {}};
  if (where.user_dir != where.data_dir) files.prebuilt = where.data_dir + kDatabaseFileName;
  return files;
}

void InstallPrebuiltDatabase(const WordListFiles& files) {
  std::error_code ec;
  if (files.prebuilt.empty() || fs::exists(files.database, ec) || !fs::exists(files.prebuilt, ec)) return;
  fs::create_directories(fs::path(files.database).parent_path(), ec);
  if (ec) throw Error("Cannot create folder " + fs::path(files.database).parent_path().string() + ": " + ec.message());
  try {
    platform::WriteFileAtomically(files.database, platform::ReadFile(files.prebuilt));
  } catch (const Error& e) {
    throw Error(files.prebuilt + ": " + e.what());
  }
}

void BuildWordList(const WordListFiles& files, const BuildProgress& progress) {
  std::error_code ec;
  const fs::path folder = fs::path(files.database).parent_path();
  if (!folder.empty()) fs::create_directories(folder, ec);
  // A name of its own, removed by a failure, an interrupt or the next
  // build after a kill, so that two builds never share a half-built file.
  platform::TemporaryFile file(files.database);
  const std::string& building = file.path();
  {
    TWordList list(building);
    list.CreateEmptyTable();
    std::unique_ptr<ListFileReader> reader;
    try {
      reader = std::make_unique<ListFileReader>(files.list);
    } catch (const Error& e) {
      throw Error(files.list + ": " + e.what());
    }
    TCreateDB import(std::move(reader), list);
    int shown = -1;
    if (progress) {
      import.OnProgress = [&](int percent) {
        if (percent != shown) progress(shown = percent);
      };
    }
    try {
      while (!import.ImportDone()) import.Timer1Timer();
    } catch (const Error& e) {
      throw Error(files.list + ": line " + std::to_string(import.FailedLine()) + ": " + e.what());
    }
    list.Close();
  }
  if (std::rename(building.c_str(), files.database.c_str()) != 0) throw Error("cannot replace " + files.database);
  file.Release();
}

std::unique_ptr<TWordList> OpenWordList(const WordListFiles& files, const BuildProgress& progress) {
  InstallPrebuiltDatabase(files);
  if (!TWordList::DatabaseComplete(files.database)) BuildWordList(files, progress);
  auto list = std::make_unique<TWordList>(files.database);
  try {
    list->Open();
  } catch (const Error& e) {
    throw Error(files.database + ": " + e.what() + " (rebuild it with: corvane wordlist build)");
  }
  return list;
}

}  // namespace corvane::wordlist
