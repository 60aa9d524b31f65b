#include "wordlist/word_list_access.h"

#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "platform/error.h"
#include "platform/file_io.h"
#include "platform/temporary_file.h"
#include "wordlist/build_lock.h"
#include "wordlist/data_locations.h"
#include "wordlist/import.h"
#include "wordlist/list_file.h"

namespace corvane::wordlist {
namespace {

namespace fs = std::filesystem;

// Which file a path names: a build renames a new file into place, so a
// change says that a build finished.
struct FileIdentity {
  bool exists = false;
  dev_t device = 0;
  ino_t inode = 0;
  bool operator==(const FileIdentity&) const = default;
};

FileIdentity IdentityOf(const std::string& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) return {};
  return {true, info.st_dev, info.st_ino};
}

}  // namespace

void CheckBuiltWordList(const std::string& built_file, int expected_words, const WordListFiles& files) {
  int count = 0;
  try {
    TWordList built(built_file);
    built.OpenReadOnly();
    count = built.RecordCount();
  } catch (const Error& e) {
    throw WordListError(files.database, e.what());
  }
  if (count < expected_words) {
    throw Error(files.database + ": the new word list holds " + std::to_string(count) + " of the " +
                std::to_string(expected_words) + " words of " + files.list + "; the database was left as it was");
  }
}

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

void BuildWordList(const WordListFiles& files, const BuildProgress& progress, BuildWhen when) {
  std::error_code ec;
  const fs::path folder = fs::path(files.database).parent_path();
  if (!folder.empty()) fs::create_directories(folder, ec);
  const FileIdentity before = IdentityOf(files.database);
  const BuildLock lock(files.database);
  // Whoever held the lock may have built what this call came for.
  if (TWordList::DatabaseComplete(files.database) &&
      (when == BuildWhen::kIfIncomplete || IdentityOf(files.database) != before)) {
    return;
  }
  int lines = 0;
  // A name of its own, removed by a failure, an interrupt or the next
  // build after a kill, so that two builds never share a half-built file.
  platform::TemporaryFile file(files.database);
  const std::string& building = file.path();
  {
    TWordList list(building);
    try {
      list.CreateEmptyTable();
    } catch (const Error& e) {
      throw WordListError(files.database, e.what());
    }
    std::unique_ptr<ListFileReader> reader;
    try {
      reader = std::make_unique<ListFileReader>(files.list);
    } catch (const Error& e) {
      throw Error(files.list + ": " + e.what());
    }
    WordListImport import(std::move(reader), list);
    int shown = -1;
    if (progress) {
      import.OnProgress = [&](int percent) {
        if (percent != shown) progress(shown = percent);
      };
    }
    try {
      while (!import.ImportDone()) import.ImportBatch();
    } catch (const WordListError& e) {
      // The database failed, not the line: name the database, not its temporary file.
      throw WordListError(files.database, e.Reason());
    } catch (const Error& e) {
      throw Error(files.list + ": line " + std::to_string(import.FailedLine()) + ": " + e.what());
    }
    lines = import.LineCount();
    try {
      list.Close();
    } catch (const Error& e) {
      throw WordListError(files.database, e.what());
    }
  }
  CheckBuiltWordList(building, lines, files);
  if (std::rename(building.c_str(), files.database.c_str()) != 0) throw Error("cannot replace " + files.database);
  file.Release();
}

std::unique_ptr<TWordList> OpenWordList(const WordListFiles& files, const BuildProgress& progress) {
  InstallPrebuiltDatabase(files);
  if (!TWordList::DatabaseComplete(files.database)) BuildWordList(files, progress, BuildWhen::kIfIncomplete);
  auto list = std::make_unique<TWordList>(files.database);
  try {
    list->OpenReadOnly();
  } catch (const Error& e) {
    throw WordListError(files.database, e.what(), kRebuildHint);
  }
  return list;
}

}  // namespace corvane::wordlist
