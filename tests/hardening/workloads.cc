// The workloads of scenarios.h.
#include <memory>
#include <stdexcept>

#include "container/container_file_system.h"
#include "container/container_store.h"
#include "container/file_store_registry.h"
#include "scenarios.h"
#include "table/data_manager.h"
#include "table/database.h"
#include "table/table.h"
#include "shapes.h"
#include "wordlist/import.h"
#include "wordlist/line_cipher.h"
#include "wordlist/list_file.h"
#include "wordlist/word_list_table.h"

namespace corvane::testing {

void Journal::Commit(const std::map<int, int>& latest) {
  possible.clear();
  for (const auto& [key, state] : latest) possible[key] = {state};
}

std::string MarkedWord(int i) {
  static const char* const kSyllables[] = {"ka", "le", "mi", "to", "ru", "sa", "bel", "dor", "nu", "pe",
                                           "\xE7" "a", "\xF0" "i", "\xFE" "u", "\xFD" "k", "z\xF6", "g\xFC"};
  std::string word = "wo";
  for (int n = i; n > 0; n /= 16) word += std::string("_") + kSyllables[n % 16];
  return word;
}

void ImportWordList(const std::filesystem::path& dir, int lines, Journal& journal) {
  std::string text;
  for (int i = 1; i <= lines; ++i) {
    text += wordlist::LineCipher::Encode(MarkedWord(i), "", static_cast<uint8_t>(i)) + "\r\n";
  }
  wordlist::TWordList list((dir / wordlist::kDatabaseFileName).string());
  list.CreateEmptyTable();
  auto reader = std::make_unique<wordlist::ListFileReader>(wordlist::ListFileReader::FromText(std::move(text)));
  wordlist::WordListImport import(std::move(reader), list);
  std::map<int, int> latest;
  bool flushed = false;
  while (!import.ImportDone()) {
    // Every line of the coming batch may land, whole, before a failure.
    const int first = import.LineCount() + 1;
    for (int i = first; i < first + wordlist::kLinesPerTick && i <= lines; ++i) {
      journal.Write(i, 0);
      latest[i] = 0;
    }
    import.ImportBatch();
    if (!flushed) {
      list.Table().DataManager()->Flush();
      journal.Commit(latest);
      flushed = true;
    }
  }
  list.Close();
  journal.Commit(latest);
}

void EditIndexedTable(const std::filesystem::path& dir, Journal& journal) {
  {
    table::TCvDatabase database;
    database.SetDatabaseName(kShapeDatabase);
    database.SetDatabaseFileName((dir / kShapeFile).string());
    database.CreateDatabase();
  }
  table::TCvTable table;
  DefineShape(table, dir);
  table.CreateTable();
  table.Open();
  std::map<int, int> latest;
  const auto find = [&](int key, int version) {
    // A record the engine lost without saying so is what these tests hunt.
    if (!table.Locate("NAME", table::Variant(ShapeName(key, version)))) {
      throw std::logic_error("record " + ShapeName(key, version) + " vanished");
    }
  };
  const auto post = [&](int key, int version) {
    const auto old = latest.find(key);
    const int previous = old == latest.end() ? Journal::kAbsent : old->second;
    journal.Write(key, version);
    latest[key] = version;
    if (previous == Journal::kAbsent) {
      table.Insert();
    } else {
      find(key, previous);
      table.Edit();
    }
    FillShape(table, key, version);
    table.Post();
  };
  const auto erase = [&](int key) {
    const int previous = latest[key];
    journal.Write(key, Journal::kAbsent);
    latest[key] = Journal::kAbsent;
    find(key, previous);
    table.Delete();
  };
  const auto commit = [&] {
    table.DataManager()->Flush();
    journal.Commit(latest);
  };
  for (int key = 0; key < 150; ++key) post(key, 0);
  commit();
  for (int key = 0; key < 150; key += 3) post(key, 1);
  for (int key = 0; key < 150; key += 5) erase(key);
  commit();
  for (int key = 150; key < 200; ++key) post(key, 0);
  for (int key = 1; key < 200; key += 7) {
    if (latest[key] == 0) post(key, 1);
  }
  table.Close();
  journal.Commit(latest);
}

void FillContainer(const std::filesystem::path& dir, Journal& journal) {
  container::TContainerPlainFileSystem store(
      std::make_unique<container::TContainerFileSystem>((dir / kFilesName).string(), container::ContainerSettings{},
                                                        true));
  std::map<int, int> latest;
  for (int i = 0; i < kFileCount; ++i) {
    journal.Write(i, 0);
    journal.Write(i, kPartialFile);
    latest[i] = 0;
    container::TAbstractFile* file = store.OpenFile(FileName(i), true, false, false);
    const std::string content = FileContent(i);
    try {
      file->WriteBuffer(content.data(), static_cast<int64_t>(content.size()));
    } catch (...) {
      store.CloseFile(file);
      throw;
    }
    store.CloseFile(file);
    journal.Commit(latest);
  }
}

void ReleaseStores(const std::filesystem::path& dir) {
  for (const char* name : {wordlist::kDatabaseFileName, kShapeFile}) {
    container::FileStoreRegistry::Instance().ReleaseContainer((dir / name).string());
  }
}

}  // namespace corvane::testing
