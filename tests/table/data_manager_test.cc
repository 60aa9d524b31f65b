// TCvDataManager over real stores: creating, opening, changing and closing
// tables, with the files checked byte by byte where the layout matters.
#include "table/data_manager.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>

#include "container/container_file_system.h"
#include "container/container_store.h"
#include "container/disk_file_system.h"
#include "container/memory_file_system.h"
#include "platform/locale.h"
#include "storage_test_util.h"
#include "table/collation.h"
#include "table/table_check.h"
#include "table/table_files.h"
#include "table/table_indexes.h"

namespace corvane::table {
namespace {

using container::ContainerSettings;
using container::TContainerFileSystem;
using container::TAbstractFile;
using container::TContainerPlainFileSystem;
using container::TDiskPlainFileSystem;
using container::TMemoryFile;
using container::TMemoryPlainFileSystem;
using storage_testing::ErrorOf;
using storage_testing::StoredField;
using storage_testing::StringField;
using storage_testing::WordListDefinition;
using storage_testing::WordRecord;

class DataManagerTest : public storage_testing::TempDirTest {
 public:
  std::string DatPath() const { return Path("HYPLIST.dat"); }

  std::unique_ptr<TCvDataManager> OpenWordList(TDiskPlainFileSystem& store, BuildProgress progress = {}) {
    return std::make_unique<TCvDataManager>(store, "HYPLIST", TableMode::kNormal, false, progress);
  }

  static int32_t Append(TCvDataManager& table, const std::string& nword, const std::string& hword = "") {
    std::vector<uint8_t> slot = WordRecord(table.Layout(), nword, hword);
    return table.AppendRecord(slot.data(), -1);
  }

  static std::string NWord(TCvDataManager& table, int32_t record) {
    return StringField(table.Layout(), table.Slot(record), 0);
  }

  // NWORD of the records in the order of index @NWORD.
  static std::vector<std::string> ByNWord(TCvDataManager& table) {
    const int index = table.Indexes().Get("@NWORD");
    std::vector<std::string> words;
    for (int32_t p = 0; p < table.RecordCount(); ++p) words.push_back(NWord(table, table.Indexes().RecordAt(index, p)));
    return words;
  }

  static std::vector<std::string> Physical(TCvDataManager& table) {
    std::vector<std::string> words;
    for (int32_t r = 0; r < table.RecordCount(); ++r) words.push_back(NWord(table, r));
    return words;
  }

  void PatchFile(const std::string& path, int64_t at, const std::vector<uint8_t>& bytes) {
    std::vector<uint8_t> content = ReadBytes(path);
    std::copy(bytes.begin(), bytes.end(), content.begin() + at);
    WriteBytes(path, content);
  }
};

using Words = std::vector<std::string>;

TEST_F(DataManagerTest, WordListInAMemoryStore) {
  TMemoryPlainFileSystem store("mem");
  auto table = TCvDataManager::CreateAndOpen(store, "HYPLIST", WordListDefinition(), TableMode::kInMemory, false);
  EXPECT_EQ(table->Layout().slot_size, 94);
  EXPECT_EQ(table->IdFieldName(), "ID");
  EXPECT_EQ(table->Indexes().Count(), 7);
  EXPECT_EQ(table->Indexes().Header(5).name, "PrimaryKey");
  EXPECT_EQ(Append(*table, "kalem", "ka_lem"), 0);
  EXPECT_EQ(Append(*table, "armut", "ar_mut"), 1);
  EXPECT_EQ(Append(*table, "dolap", "do_lap"), 2);
  EXPECT_EQ(ByNWord(*table), (Words{"armut", "dolap", "kalem"}));

  std::vector<uint8_t> edited = WordRecord(table->Layout(), "zeytin", "zey_tin");
  table->RewriteRecord(1, edited.data(), -1);
  EXPECT_EQ(ByNWord(*table), (Words{"dolap", "kalem", "zeytin"}));
  EXPECT_EQ(table->Layout().GetId(table->Slot(1)), 2);

  table->DeleteRecordPhys(0, -1);
  EXPECT_EQ(Physical(*table), (Words{"dolap", "zeytin"}));
  EXPECT_EQ(ByNWord(*table), (Words{"dolap", "zeytin"}));
  EXPECT_EQ(table->ChangeCounter(), 5u);
  EXPECT_EQ(table->LastId(), 3);

  table->Flush();
  const auto* dat = dynamic_cast<TMemoryFile*>(store.FindOpenFile("HYPLIST.dat"));
  ASSERT_NE(dat, nullptr);
  const std::string& bytes = dat->Data();
  ASSERT_EQ(bytes.size(), 120u + 2 * 94);
  EXPECT_EQ(bytes.substr(120, 6), std::string("dolap\0", 6));
  EXPECT_EQ(le::GetI32(reinterpret_cast<const uint8_t*>(bytes.data()) + 120 + 62), 3);  // its identifier
  EXPECT_EQ(bytes.substr(214, 7), std::string("zeytin\0", 7));
  table->Close();
  EXPECT_EQ(store.OpenFileCount(), 0u);
}

TEST_F(DataManagerTest, WordListInAContainerSurvivesReopening) {
  const std::string path = Path("CVHYPLIST.EDB");
  constexpr int kWords = 25000;  // the write log flushes twice on the way
  {
    TContainerPlainFileSystem store(std::make_unique<TContainerFileSystem>(path, ContainerSettings{}, true));
    TCvDataManager::CreateTable(store, "HYPLIST", WordListDefinition());
    EXPECT_EQ(store.OpenFileCount(), 0u);
    TCvDataManager table(store, "HYPLIST", TableMode::kNormal, false);
    for (int i = 0; i < kWords; ++i) Append(table, "w" + std::to_string((i * 7919) % kWords));
    table.Close();
  }
  TContainerPlainFileSystem store(std::make_unique<TContainerFileSystem>(path, ContainerSettings{}, false));
  int progress_calls = 0;
  TCvDataManager table(store, "HYPLIST", TableMode::kNormal, false, [&](bool, bool, int) { ++progress_calls; });
  EXPECT_EQ(progress_calls, 0) << "saved indexes are loaded, not rebuilt";
  ASSERT_EQ(table.RecordCount(), kWords);
  EXPECT_EQ(table.LastId(), kWords);
  EXPECT_EQ(table.ChangeCounter(), uint32_t(kWords));
  for (int i : {0, 1, 9999, 10000, kWords - 1}) {
    EXPECT_EQ(NWord(table, i), "w" + std::to_string((i * 7919) % kWords));
    EXPECT_EQ(table.Layout().GetId(table.Slot(i)), i + 1);
  }
  const Words sorted = ByNWord(table);
  EXPECT_TRUE(std::is_sorted(sorted.begin(), sorted.end()));
}

// Indexes saved by a process of another locale (ç before d in Turkish,
// after z elsewhere): a writable open re-sorts them for this locale; a
// read-only one cannot save that, and instead of re-sorting at every open it
// searches them in the order their file records, which is also the order
// the check holds them to.
TEST_F(DataManagerTest, IndexesSavedUnderAnotherLocale) {
  const Collation& here = Collation::User();
  const Collation& other = Collation::ForLocale(
      &here == &Collation::ForLocale(platform::kLocaleTurkish) ? platform::kLocaleEnglishUs : platform::kLocaleTurkish);
  const std::string path = Path("CVHYPLIST.EDB");
  {
    TContainerPlainFileSystem store(std::make_unique<TContainerFileSystem>(path, ContainerSettings{}, true));
    TCvDataManager::CreateTable(store, "HYPLIST", WordListDefinition());
    TCvDataManager table(store, "HYPLIST", TableMode::kNormal, false);
    for (const char* w : {"\xE7" "am", "dam", "cam"}) Append(table, w);
    TableIndexes resorted(table.Layout(), table, other);
    resorted.Load(table.Indexes().Save(table.ChangeCounter()), table.ChangeCounter(), 2, table.Version(), "ID", {});
    const std::vector<uint8_t> bytes = resorted.Save(table.ChangeCounter());
    table.Close();
    TAbstractFile* idx = store.OpenFile("HYPLIST.idx", false, false, false);
    idx->SetPosition(0);
    idx->WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    idx->SetSize(static_cast<int64_t>(bytes.size()));
    store.CloseFile(idx);
  }
  const Words in_turkish = {"cam", "\xE7" "am", "dam"};
  const Words elsewhere = {"cam", "dam", "\xE7" "am"};
  const Words& other_order = &other == &Collation::ForLocale(platform::kLocaleTurkish) ? in_turkish : elsewhere;
  const Words& order_here = &other_order == &in_turkish ? elsewhere : in_turkish;
  const std::vector<uint8_t> saved = ReadBytes(path);
  {
    ContainerSettings settings;
    settings.read_only = true;
    TContainerPlainFileSystem store(std::make_unique<TContainerFileSystem>(path, settings, false));
    const Collation* checked_by = nullptr;
    EXPECT_EQ(CheckTable(store, "HYPLIST", here, &checked_by), std::vector<std::string>{});
    EXPECT_EQ(checked_by, &other);
    int rebuilds = 0;
    TCvDataManager table(store, "HYPLIST", TableMode::kNormal, false, [&](bool, bool, int) { ++rebuilds; });
    EXPECT_EQ(ByNWord(table), other_order);
    EXPECT_EQ(rebuilds, 0);
  }
  EXPECT_EQ(ReadBytes(path), saved);
  TContainerPlainFileSystem store(std::make_unique<TContainerFileSystem>(path, ContainerSettings{}, false));
  TCvDataManager table(store, "HYPLIST", TableMode::kNormal, false);
  EXPECT_EQ(ByNWord(table), order_here);
}

TEST_F(DataManagerTest, DeletionMovesTheLastSlotIntoTheHole) {
  struct Case {
    int32_t deleted;
    Words physical;
    std::vector<int32_t> ids;
  };
  const Case cases[] = {
      {2, {"a", "b"}, {1, 2}},       // the last record: nothing moves
      {0, {"c", "b"}, {3, 2}},       // record 2 into slot 0
      {1, {"a", "c"}, {1, 3}},
  };
  for (const Case& c : cases) {
    TDiskPlainFileSystem store(dir_.string());
    TCvDataManager::CreateTable(store, "HYPLIST", WordListDefinition());
    {
      auto table = OpenWordList(store);
      for (const char* w : {"a", "b", "c"}) Append(*table, w);
      table->Close();
    }
    const std::vector<uint8_t> before = ReadBytes(DatPath());
    auto table = OpenWordList(store);
    table->DeleteRecordPhys(c.deleted, -1);
    EXPECT_EQ(Physical(*table), c.physical) << c.deleted;
    EXPECT_EQ(ByNWord(*table), (Words{c.physical[0] < c.physical[1] ? c.physical[0] : c.physical[1],
                                      c.physical[0] < c.physical[1] ? c.physical[1] : c.physical[0]}));
    table->Close();
    const std::vector<uint8_t> after = ReadBytes(DatPath());
    ASSERT_EQ(after.size(), 120u + 2 * 94);
    for (int r = 0; r < 2; ++r) EXPECT_EQ(le::GetI32(after.data() + 120 + 94 * r + 62), c.ids[r]) << c.deleted;
    // Slots that did not take the moved record are left byte for byte.
    for (int r = 0; r < 2; ++r) {
      if (r == c.deleted) continue;
      EXPECT_TRUE(std::equal(after.begin() + 120 + 94 * r, after.begin() + 214 + 94 * r, before.begin() + 120 + 94 * r));
    }
    EXPECT_EQ(le::GetI32(after.data() + 32), 2);
    EXPECT_EQ(le::GetI32(after.data()), 3) << "identifiers are never reused";
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
  }
}

TEST_F(DataManagerTest, TornTailIsCutAtOpen) {
  TDiskPlainFileSystem store(dir_.string());
  TCvDataManager::CreateTable(store, "HYPLIST", WordListDefinition());
  {
    auto table = OpenWordList(store);
    Append(*table, "a");
    Append(*table, "b");
    table->Close();
  }
  std::vector<uint8_t> dat = ReadBytes(DatPath());
  dat.resize(dat.size() + 50, 0xAB);  // half a record from a write that never finished
  WriteBytes(DatPath(), dat);
  auto table = OpenWordList(store);
  EXPECT_EQ(std::filesystem::file_size(DatPath()), 120u + 2 * 94);
  EXPECT_EQ(Physical(*table), (Words{"a", "b"}));
}

TEST_F(DataManagerTest, StaleIndexFileIsRebuilt) {
  TDiskPlainFileSystem store(dir_.string());
  TCvDataManager::CreateTable(store, "HYPLIST", WordListDefinition());
  const std::vector<uint8_t> empty_indexes = ReadBytes(Path("HYPLIST.idx"));
  {
    auto table = OpenWordList(store);
    for (const char* w : {"kiraz", "elma", "armut"}) Append(*table, w);
    table->Close();
  }
  WriteBytes(Path("HYPLIST.idx"), empty_indexes);  // as if the close never reached the index file
  std::vector<std::pair<bool, bool>> calls;
  auto table = OpenWordList(store, [&](bool start, bool finish, int) { calls.push_back({start, finish}); });
  ASSERT_GE(calls.size(), 2u);
  EXPECT_TRUE(calls.front().first);
  EXPECT_TRUE(calls.back().second);
  EXPECT_EQ(ByNWord(*table), (Words{"armut", "elma", "kiraz"}));
  table->Close();
  calls.clear();
  auto again = OpenWordList(store, [&](bool start, bool finish, int) { calls.push_back({start, finish}); });
  EXPECT_TRUE(calls.empty()) << "the rebuilt arrays were saved on closing";
}

TEST_F(DataManagerTest, OpeningFailuresGiveTheTableMessages) {
  struct Case {
    const char* what;
    std::function<void(DataManagerTest&)> damage;
    std::string error;
  };
  const Case cases[] = {
      {"newer version", [](DataManagerTest& t) {
         std::vector<uint8_t> v(8);
         le::PutDouble(v.data(), 2.3);
         t.PatchFile(t.DatPath(), 40, v);
       }, "Error in TCvDataManager.OpenTable - Invalid db engine version in file HYPLIST.dat (version = 2.30, "
          "internalCurrentVersion = 2.20) !"},
      {"records beyond the file", [](DataManagerTest& t) {
         std::vector<uint8_t> v(4);
         le::PutI32(v.data(), 1000);
         t.PatchFile(t.DatPath(), 32, v);
       }, "Error in TCvDataManager.OpenTable - damaged file HYPLIST.dat: the header counts 1000 records but the "
          "file holds 1"},
      {"cut header", [](DataManagerTest& t) {
         std::vector<uint8_t> dat = ReadBytes(t.DatPath());
         dat.resize(20);
         WriteBytes(t.DatPath(), dat);
       }, "Error in TCvDataManager.OpenTable - damaged file HYPLIST.dat: the file has 20 bytes, fewer than a "
          "table header"},
      {"encrypted", [](DataManagerTest& t) { t.PatchFile(t.DatPath(), 50, {1}); },
       "TCvDataManager.OpenTable - table \"HYPLIST\" is encrypted; encrypted tables are not supported."},
      {"missing", [](DataManagerTest& t) { std::filesystem::remove(t.DatPath()); },
       "TCvDataset.OpenTable - table \"HYPLIST\" does not exist."},
      {"index file cannot be made", [](DataManagerTest& t) {
         std::filesystem::remove(t.Path("HYPLIST.idx"));
         std::filesystem::create_directory(t.Path("HYPLIST.idx"));
       }, "TCvDataManager.OpenFiles - can not open file \"HYPLIST.idx\", bCreated = True, ReadOnly = False"},
  };
  for (const Case& c : cases) {
    TDiskPlainFileSystem store(dir_.string());
    TCvDataManager::CreateTable(store, "HYPLIST", WordListDefinition());
    {
      auto table = OpenWordList(store);
      Append(*table, "a");
      table->Close();
    }
    c.damage(*this);
    EXPECT_EQ(ErrorOf([&] { OpenWordList(store); }), c.error) << c.what;
    EXPECT_EQ(store.OpenFileCount(), 0u) << c.what << ": a failed open leaves nothing open";
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
  }
  TDiskPlainFileSystem store(dir_.string());
  EXPECT_THROW(OpenWordList(store), TableNotFoundError);
  EXPECT_FALSE(TCvDataManager::TableExists(store, "HYPLIST"));

  // A memory store's files cannot be opened again once closed.
  TMemoryPlainFileSystem memory("mem");
  TCvDataManager::CreateTable(memory, "HYPLIST", WordListDefinition());
  EXPECT_TRUE(TCvDataManager::TableExists(memory, "HYPLIST"));
  EXPECT_EQ(ErrorOf([&] { TCvDataManager(memory, "HYPLIST", TableMode::kInMemory, false); }),
            "TCvDataManager.OpenFiles - can not open file \"HYPLIST.dat\", bCreated = False, ReadOnly = False");
}

TEST_F(DataManagerTest, ReadOnlyContainerRefusesChanges) {
  const std::string path = Path("CVHYPLIST.EDB");
  {
    TContainerPlainFileSystem store(std::make_unique<TContainerFileSystem>(path, ContainerSettings{}, true));
    TCvDataManager::CreateTable(store, "HYPLIST", WordListDefinition());
    TCvDataManager table(store, "HYPLIST", TableMode::kNormal, false);
    Append(table, "a");
    table.Close();
  }
  ContainerSettings settings;
  settings.read_only = true;
  TContainerPlainFileSystem store(std::make_unique<TContainerFileSystem>(path, settings, false));
  TCvDataManager table(store, "HYPLIST", TableMode::kNormal, false);
  EXPECT_TRUE(table.ReadOnly());
  std::vector<uint8_t> slot = WordRecord(table.Layout(), "b", "");
  EXPECT_EQ(ErrorOf([&] { table.AppendRecord(slot.data(), -1); }), "Error in TCvDataSet.InternalPost - table is read only.");
  EXPECT_EQ(ErrorOf([&] { table.RewriteRecord(0, slot.data(), -1); }), "Error in TCvDataSet.InternalPost - table is read only.");
  EXPECT_EQ(ErrorOf([&] { table.DeleteRecordPhys(0, -1); }), "Error in TCvDataSet.InternalDelete - table is read only.");
  EXPECT_EQ(Physical(table), (Words{"a"}));
  EXPECT_NO_THROW(table.Close());
}

TEST_F(DataManagerTest, RefusedChangesLeaveTheTableAsItWas) {
  TDiskPlainFileSystem store(dir_.string());
  TCvDataManager::CreateTable(store, "HYPLIST", WordListDefinition());
  std::vector<uint8_t> v(4);
  le::PutI32(v.data(), INT32_MAX - 1);
  PatchFile(DatPath(), 0, v);
  auto table = OpenWordList(store);
  Append(*table, "last");
  EXPECT_EQ(table->LastId(), INT32_MAX);
  std::vector<uint8_t> slot = WordRecord(table->Layout(), "one too many", "");
  EXPECT_EQ(ErrorOf([&] { table->AppendRecord(slot.data(), -1); }),
            "TCvDataManager.AppendRecord - the record identifier cannot grow past 2147483647.");
  for (int32_t r : {-1, 1, INT32_MAX}) {
    EXPECT_EQ(ErrorOf([&] { table->RewriteRecord(r, slot.data(), -1); }), "TRecordsPage.GetRecordPtr - Cannot find record");
    EXPECT_EQ(ErrorOf([&] { table->DeleteRecordPhys(r, -1); }), "TRecordsPage.GetRecordPtr - Cannot find record");
  }
  table->DeleteRecordPhys(0, -1);
  EXPECT_EQ(ErrorOf([&] { table->DeleteRecordPhys(0, -1); }), "Error in TCvDataSet.InternalDelete - no records in table.");
  EXPECT_EQ(table->RecordCount(), 0);
  EXPECT_EQ(table->ChangeCounter(), 2u);
}

TEST_F(DataManagerTest, CreateTableChecksDefinitions) {
  struct Case {
    const char* what;
    std::function<void(TableDefinition&)> change;
    std::string error;
  };
  const Case cases[] = {
      {"unknown type", [](auto& d) { d.fields[0].type = static_cast<FieldType>(13); },
       "Error in TCvDataManager.CreateTable - Unsupported DB type!"},
      {"integer width", [](auto& d) { d.fields[0] = {"I", FieldType::ftInteger, 8}; },
       "Error in TCvDataManager.CreateTable - illegal width 8 of field \"I\" !"},
      {"huge record", [](auto& d) { d.fields[0].width = 20 << 20; },
       "Error in TCvDataManager.CreateTable - the fields need more than 16 MB per record"},
      {"block size", [](auto& d) { d.blob_block_size = 0; }, "TCvDataSet.InternalCreateTable - BlobBlockSize must be > 0"},
      {"compression", [](auto& d) { d.blob_compression = 4; },
       "Error in TCvDataManager.CreateTable - invalid BLOB compression level 4"},
      {"duplicate index", [](auto& d) { d.indexes.push_back(d.indexes[0]); },
       "Error in TCvDataManager.InternalAddIndex - index \"PrimaryKey\" already exists!"},
  };
  for (const Case& c : cases) {
    TMemoryPlainFileSystem store("mem");
    TableDefinition d = WordListDefinition();
    c.change(d);
    EXPECT_EQ(ErrorOf([&] { TCvDataManager::CreateTable(store, "HYPLIST", d); }), c.error) << c.what;
    EXPECT_FALSE(store.FileExists("HYPLIST.dat")) << c.what;
    EXPECT_FALSE(store.FileExists("HYPLIST.idx")) << c.what;
  }
}

TEST_F(DataManagerTest, BlobFilesComeAndGoWithBlobFields) {
  TDiskPlainFileSystem store(dir_.string());
  TableDefinition d = WordListDefinition();
  d.fields.push_back(StoredField("NOTE", FieldType::ftMemo));
  d.blob_compression = 2;
  TCvDataManager::CreateTable(store, "HYPLIST", d);
  EXPECT_TRUE(store.FileExists("HYPLIST.bif"));
  EXPECT_TRUE(store.FileExists("HYPLIST.bdf"));
  {
    auto table = OpenWordList(store);
    for (const char* w : {"a", "b", "c"}) {
      const int32_t r = Append(*table, w);
      table->WriteBLOBValue(r, 2, std::string(1000, w[0]));
    }
    EXPECT_EQ(ErrorOf([&] { table->ReadBLOBValue(0, 1); }),
              "Error in TCvDataManager.ReadBLOBValue - field #1 is not a BLOB field");
    table->DeleteRecordPhys(0, -1);  // record 2 moves into slot 0, its value with it
    EXPECT_EQ(table->ReadBLOBValue(0, 2), std::string(1000, 'c'));
    EXPECT_EQ(table->ReadBLOBValueById(1, 2), "");
    table->Close();
  }
  {
    auto table = OpenWordList(store);
    EXPECT_EQ(table->ReadBLOBValue(0, 2), std::string(1000, 'c'));
    EXPECT_EQ(table->ReadBLOBValue(1, 2), std::string(1000, 'b'));
    table->Close();
  }
  TCvDataManager::CreateTable(store, "HYPLIST", WordListDefinition());
  EXPECT_FALSE(store.FileExists("HYPLIST.bif"));
  EXPECT_FALSE(store.FileExists("HYPLIST.bdf"));
  TCvDataManager::DeleteTable(store, "HYPLIST");
  EXPECT_TRUE(std::filesystem::is_empty(dir_));
}

}  // namespace
}  // namespace corvane::table
