// The shapes of shapes.h and the verifications of scenarios.h.
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>

#include "container/container_check.h"
#include "container/container_file_system.h"
#include "container/container_store.h"
#include "container/file_store_registry.h"
#include "platform/error.h"
#include "scenarios.h"
#include "shapes.h"
#include "table/collation.h"
#include "table/field_defs.h"
#include "table/table.h"
#include "table/table_check.h"
#include "table/variant.h"
#include "wordlist/word_list_table.h"

namespace corvane::testing {
namespace {

using Found = std::map<int, int>;

void CompareWithJournal(const Found& found, const Journal& journal, std::vector<std::string>& problems) {
  for (const auto& [key, states] : journal.possible) {
    const auto it = found.find(key);
    const int state = it == found.end() ? Journal::kAbsent : it->second;
    if (states.count(state) == 0) {
      problems.push_back("key " + std::to_string(key) + " found in state " + std::to_string(state) +
                         ", which it never committed");
    }
  }
  for (const auto& [key, state] : found) {
    if (journal.possible.count(key) == 0) problems.push_back("key " + std::to_string(key) + " was never written");
  }
}

void CheckStore(const std::string& path, const std::string& table, std::vector<std::string>& problems) {
  for (const std::string& p : container::CheckContainer(path)) problems.push_back(p);
  bool read_only = false;
  auto* store = container::FileStoreRegistry::Instance().GetStore(path, container::StoreMode::kContainer, false,
                                                                read_only);
  if (store == nullptr) {
    problems.push_back("the container store does not open");
    return;
  }
  for (const std::string& p : table::CheckTable(*store, table, table::Collation::User())) problems.push_back(p);
  container::FileStoreRegistry::Instance().ReleaseContainer(path);
}

// Runs `open`; a corvane::Error with a message means the damage was
// reported (opened = false), anything else is a problem.
bool OpenOrReport(const std::function<void()>& open, bool& opened, std::vector<std::string>& problems) {
  opened = true;
  try {
    open();
    return true;
  } catch (const Error& e) {
    opened = false;
    if (std::string(e.what()).empty()) problems.push_back("opening failed without a message");
    if (std::getenv("CORVANE_IO_FAULTS_VERBOSE") != nullptr) std::printf("refused: %s\n", e.what());
  }
  return false;
}

}  // namespace

void DefineShape(table::TCvDataset& table, const std::filesystem::path& dir) {
  table.SetDatabaseName(kShapeDatabase);
  table.SetDatabaseFileName((dir / kShapeFile).string());
  table.SetTableName(kShapeTable);
  table.FieldDefs().Clear();
  table.FieldDefs().Add("ID", table::FieldType::ftAutoInc);
  table.FieldDefs().Add("NAME", table::FieldType::ftString, 20);
  table.FieldDefs().Add("NUM", table::FieldType::ftInteger);
  table.FieldDefs().Add("TAG", table::FieldType::ftString, 12);
  table.FieldDefs().Add("VAL", table::FieldType::ftFloat);
  table.FieldDefs().Add("GRP", table::FieldType::ftInteger);
  table.FieldDefs().Add("CODE", table::FieldType::ftString, 8);
  table.IndexDefs().Clear();
  table.IndexDefs().Add("PrimaryKey", "ID", table::ixPrimary);
  table.IndexDefs().Add("ByName", "NAME", table::ixUnique);
  table.IndexDefs().Add("ByNum", "NUM");
  table.IndexDefs().Add("ByTag", "TAG", table::ixCaseInsensitive);
  table.IndexDefs().Add("ByVal", "VAL", table::ixDescending);
  table.IndexDefs().Add("ByGrp", "GRP");
  table.IndexDefs().Add("ByCodeNum", "CODE;NUM");
}

namespace {

struct ShapeValues {
  int32_t num;
  std::string tag;
  double val;
  int32_t grp;
  std::string code;
};

ShapeValues ValuesOf(int key, int version) {
  return {key * 31 + version, (key % 2 ? "Tag" : "tag") + std::to_string(key % 13), key * 0.5 - version,
          key % 7, "c" + std::to_string((key + version) % 5)};
}

}  // namespace

void FillShape(table::TCvDataset& table, int key, int version) {
  const ShapeValues v = ValuesOf(key, version);
  table.FieldByName("NAME").SetAsString(ShapeName(key, version));
  table.FieldByName("NUM").SetAsInteger(v.num);
  table.FieldByName("TAG").SetAsString(v.tag);
  table.FieldByName("VAL").SetAsFloat(v.val);
  table.FieldByName("GRP").SetAsInteger(v.grp);
  table.FieldByName("CODE").SetAsString(v.code);
}

std::optional<std::pair<int, int>> ReadShape(table::TCvDataset& table) {
  int key = -1;
  int version = -1;
  if (std::sscanf(table.FieldByName("NAME").AsString().c_str(), "r%dv%d", &key, &version) != 2) return std::nullopt;
  const ShapeValues v = ValuesOf(key, version);
  if (ShapeName(key, version) != table.FieldByName("NAME").AsString() ||
      table.FieldByName("NUM").AsInteger() != v.num || table.FieldByName("TAG").AsString() != v.tag ||
      table.FieldByName("VAL").AsFloat() != v.val || table.FieldByName("GRP").AsInteger() != v.grp ||
      table.FieldByName("CODE").AsString() != v.code) {
    return std::nullopt;
  }
  return std::make_pair(key, version);
}

std::vector<std::string> VerifyWordList(const std::filesystem::path& dir, int lines, const Journal& journal,
                                        bool& opened) {
  std::vector<std::string> problems;
  const std::string path = (dir / wordlist::kDatabaseFileName).string();
  std::map<std::string, int> keys;
  for (int i = 1; i <= lines; ++i) {
    std::string plain = MarkedWord(i);
    std::erase(plain, '_');
    keys[plain] = i;
  }
  Found found;
  {
    wordlist::TWordList list(path);
    if (!OpenOrReport([&] { list.Open(); }, opened, problems)) return problems;
    table::TCvTable& table = list.Table();
    for (table.First(); !table.Eof(); table.Next()) {
      const std::string nword = table.FieldByName("NWORD").AsString();
      const auto key = keys.find(nword);
      if (key == keys.end() || table.FieldByName("HWORD").AsString() != MarkedWord(key->second) ||
          !found.emplace(key->second, 0).second) {
        problems.push_back("record " + nword + " is not a word of the list, or twice there");
      }
    }
    // Every committed word is found the way the passes look words up.
    for (const auto& [key, states] : journal.possible) {
      if (states.count(Journal::kAbsent) == 0 && found.count(key) != 0) {
        std::string plain = MarkedWord(key);
        std::erase(plain, '_');
        if (list.Lookup(plain) != MarkedWord(key)) problems.push_back("lookup of " + plain + " fails");
      }
    }
    list.Close();
  }
  CompareWithJournal(found, journal, problems);
  CheckStore(path, wordlist::kTableName, problems);
  return problems;
}

std::vector<std::string> VerifyIndexedTable(const std::filesystem::path& dir, const Journal& journal, bool& opened) {
  std::vector<std::string> problems;
  Found found;
  {
    table::TCvTable table;
    DefineShape(table, dir);
    if (!OpenOrReport([&] { table.Open(); }, opened, problems)) return problems;
    for (table.First(); !table.Eof(); table.Next()) {
      const auto shape = ReadShape(table);
      if (!shape || !found.insert(*shape).second) {
        problems.push_back("record " + table.FieldByName("NAME").AsString() + " is torn or twice there");
        continue;
      }
      // Each index finds the record by its own key.
      const ShapeValues v = ValuesOf(shape->first, shape->second);
      if (!table.Locate("NUM;CODE", table::Variant::Array({table::Variant(v.num), table::Variant(v.code)}))) {
        problems.push_back("record " + ShapeName(shape->first, shape->second) + " is missing from an index");
      }
    }
    table.Close();
  }
  CompareWithJournal(found, journal, problems);
  CheckStore((dir / kShapeFile).string(), kShapeTable, problems);
  return problems;
}

std::vector<std::string> VerifyContainer(const std::filesystem::path& dir, const Journal& journal, bool& opened) {
  std::vector<std::string> problems;
  const std::string path = (dir / kFilesName).string();
  std::unique_ptr<container::TContainerPlainFileSystem> store;
  const auto open = [&] {
    store = std::make_unique<container::TContainerPlainFileSystem>(
        std::make_unique<container::TContainerFileSystem>(path, container::ContainerSettings{}, false));
  };
  if (!OpenOrReport(open, opened, problems)) return problems;
  Found found;
  for (int i = 0; i < kFileCount; ++i) {
    if (!store->FileExists(FileName(i))) continue;
    container::TAbstractFile* file = store->OpenFile(FileName(i), false, false, true);
    std::string bytes(static_cast<std::size_t>(file->GetSize()), '\0');
    const int64_t got = file->Read(bytes.data(), static_cast<int64_t>(bytes.size()));
    store->CloseFile(file);
    found[i] = got == static_cast<int64_t>(bytes.size()) && bytes == FileContent(i) ? 0 : kPartialFile;
  }
  store.reset();
  CompareWithJournal(found, journal, problems);
  for (const std::string& p : container::CheckContainer(path)) problems.push_back(p);
  return problems;
}

}  // namespace corvane::testing
