// Disk, temporary and memory stores, their files, and the store manager.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "container/disk_file_system.h"
#include "container/file_store_registry.h"
#include "container/memory_file_system.h"
#include "platform/error.h"

namespace corvane::container {
namespace {

namespace fs = std::filesystem;

// A fresh folder for one test, removed with its contents afterwards.
class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (fs::temp_directory_path() / "corvane_store_test_XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~TempFolder() {
    for (const std::string& file : immutable_) SetImmutable(file, false);
    fs::remove_all(path_);
  }
  const std::string& Path() const { return path_; }
  std::string Path(const std::string& name) const { return path_ + "/" + name; }

  void Write(const std::string& name, const std::string& data) const {
    std::ofstream(Path(name), std::ios::binary) << data;
  }
  std::string Read(const std::string& name) const {
    std::ifstream in(Path(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  // Makes the file impossible to open for writing, even for the
  // super-user where the file system allows: false when it could not.
  bool MakeUnwritable(const std::string& name) {
    const std::string path = Path(name);
    if (SetImmutable(path, true)) immutable_.push_back(path);
    else ::chmod(path.c_str(), 0444);
    const int fd = ::open(path.c_str(), O_RDWR);
    if (fd < 0) return true;
    ::close(fd);
    return false;
  }

 private:
  static bool SetImmutable(const std::string& path, bool on) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0) return false;
    int flags = 0;
    bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (ok) {
      flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
      ok = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return ok;
  }

  std::string path_;
  std::vector<std::string> immutable_;
};

std::string MessageOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const Error& e) {
    return e.what();
  }
  return "(no error)";
}

void WriteString(TAbstractFile& file, const std::string& data) {
  file.WriteBuffer(data.data(), static_cast<int64_t>(data.size()));
}

std::string ReadString(TAbstractFile& file, int64_t count) {
  std::string data(static_cast<std::size_t>(count), '\0');
  data.resize(static_cast<std::size_t>(file.Read(data.data(), count)));
  return data;
}

// The behaviour every store shares, run against each kind.
struct StoreKind {
  const char* label;
  std::function<std::unique_ptr<TAbstractPlainFileSystem>(const std::string& folder)> make;
  const char* already_open_prefix;
  bool reopens;  // whether a closed file can be opened again
};

// Without it the test's description prints the struct's bytes, padding
// included, which memory checkers rightly call uninitialised.
void PrintTo(const StoreKind& kind, std::ostream* out) { *out << kind.label; }

const StoreKind kStoreKinds[] = {
    {"disk", [](const std::string& folder) { return std::make_unique<TDiskPlainFileSystem>(folder); },
     "TDiskPlainFileSystem.OpenFile - File ", true},
    {"temporary",
     [](const std::string&) { return std::make_unique<TTemporaryPlainFileSystem>("scratch"); },
     "TDiskPlainFileSystem.OpenFile - File ", true},
    {"memory", [](const std::string&) { return std::make_unique<TMemoryPlainFileSystem>("mem"); },
     "TMemoryPlainFileSystem.OpenFile - File ", false},
};

class StoreTest : public ::testing::TestWithParam<StoreKind> {
 protected:
  void SetUp() override { store_ = GetParam().make(folder_.Path()); }
  TAbstractFile* Create(const std::string& name, const std::string& data) {
    TAbstractFile* file = store_->OpenFile(name, true, false, false);
    WriteString(*file, data);
    return file;
  }

  TempFolder folder_;
  std::unique_ptr<TAbstractPlainFileSystem> store_;
};

TEST_P(StoreTest, ReadsAtAndNearTheEnd) {
  TAbstractFile* file = Create("t.dat", "0123456789");
  EXPECT_EQ(file->GetSize(), 10);
  EXPECT_EQ(file->GetPosition(), 10);
  char buffer[16];
  EXPECT_EQ(file->Read(buffer, 10), 0);
  file->SetPosition(6);
  EXPECT_EQ(ReadString(*file, 10), "6789");
  EXPECT_EQ(file->GetPosition(), 10);
  EXPECT_EQ(file->Seek(-3, kSeekEnd), 7);
  EXPECT_EQ(file->Seek(1, kSeekCurrent), 8);
  EXPECT_EQ(ReadString(*file, 1), "8");
  file->SetPosition(8);
  EXPECT_EQ(MessageOf([&] { file->ReadBuffer(buffer, 3); }),
            "TAbstractFile.ReadBuffer - Stream read error");
  // Writing past the end leaves a gap of zero bytes.
  file->SetPosition(12);
  WriteString(*file, "x");
  file->SetPosition(9);
  EXPECT_EQ(ReadString(*file, 10), std::string("9\0\0x", 4));
  store_->CloseFile(file);
}

TEST_P(StoreTest, OneOpenerPerNameIgnoringCase) {
  TAbstractFile* file = Create("Table.dat", "abc");
  EXPECT_EQ(store_->FindOpenFile("TABLE.DAT"), file);
  EXPECT_EQ(MessageOf([&] { store_->OpenFile("table.DAT", true, false, false); }),
            std::string(GetParam().already_open_prefix) + "\"table.DAT\" is already open.");
  EXPECT_EQ(store_->OpenFileCount(), 1u);
  store_->CloseFile(file);
  EXPECT_EQ(store_->OpenFileCount(), 0u);
  EXPECT_TRUE(store_->FileExists("Table.dat"));
  if (GetParam().reopens) {
    TAbstractFile* again = store_->OpenFile("Table.dat", false, false, false);
    EXPECT_EQ(ReadString(*again, 10), "abc");
    store_->CloseFile(again);
  }
}

TEST_P(StoreTest, OpenFilesCannotBeDeletedOrRenamed) {
  TAbstractFile* open = Create("a.dat", "a");
  store_->CloseFile(Create("b.dat", "b"));
  EXPECT_FALSE(store_->DeleteFile("a.dat"));
  EXPECT_FALSE(store_->DeleteFile("A.DAT"));
  EXPECT_FALSE(store_->RenameFile("a.dat", "c.dat"));
  EXPECT_FALSE(store_->RenameFile("b.dat", "A.dat"));  // onto the open one
  store_->CloseFile(open);

  EXPECT_FALSE(store_->RenameFile("a.dat", "b.dat"));  // never replaces
  EXPECT_FALSE(store_->RenameFile("missing.dat", "c.dat"));
  EXPECT_TRUE(store_->RenameFile("a.dat", "c.dat"));
  EXPECT_FALSE(store_->FileExists("a.dat"));
  EXPECT_TRUE(store_->FileExists("c.dat"));
  EXPECT_TRUE(store_->DeleteFile("c.dat"));
  EXPECT_FALSE(store_->DeleteFile("c.dat"));
  EXPECT_FALSE(store_->FileExists("c.dat"));
}

TEST_P(StoreTest, ListsFilesByExtension) {
  for (const char* name : {"words.dat", "words.idx", "Index.DAT", "a.b.dat", "dat", "x.data"}) {
    store_->CloseFile(Create(name, "."));
  }
  std::vector<std::string> names = {"stale"};
  store_->ListFiles(".dat", names);
  EXPECT_EQ(names, (std::vector<std::string>{"a.b", "Index", "words"}));
  store_->ListFiles(".none", names);
  EXPECT_TRUE(names.empty());
  store_->ListFiles("", names);
  EXPECT_EQ(names, (std::vector<std::string>{"a.b", "dat", "Index", "words", "words", "x"}));
}

TEST_P(StoreTest, SetSizeCutsAndExtends) {
  TAbstractFile* file = Create("s.dat", "0123456789");
  file->SetPosition(8);
  file->SetSize(4);
  EXPECT_EQ(file->GetSize(), 4);
  EXPECT_EQ(file->GetPosition(), 4);
  file->SetPosition(2);
  file->SetSize(6);
  EXPECT_EQ(file->GetSize(), 6);
  // Disk files seek to the new size; memory streams keep a position inside.
  EXPECT_EQ(file->GetPosition(), GetParam().reopens ? 6 : 2);
  file->SetPosition(0);
  EXPECT_EQ(ReadString(*file, 10), std::string("0123\0\0", 6));
  store_->CloseFile(file);
}

TEST_P(StoreTest, CopiesBetweenStores) {
  TMemoryPlainFileSystem source_store("source");
  TAbstractFile* source = source_store.OpenFile("src", true, false, false);
  std::string data(200000, '\0');
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 7 + i / 251);
  WriteString(*source, data);

  TAbstractFile* target = store_->OpenFile("copy.dat", true, false, false);
  EXPECT_EQ(target->CopyFrom(*source, 0), 200000);  // 0: all of it, from the start
  source->SetPosition(100);
  EXPECT_EQ(target->CopyFrom(*source, 5), 5);
  target->SetPosition(0);
  EXPECT_EQ(ReadString(*target, 300000), data + data.substr(100, 5));

  source->SetPosition(199990);
  EXPECT_EQ(MessageOf([&] { target->CopyFrom(*source, 11); }),
            "TAbstractFile.ReadBuffer - Stream read error");
  store_->CloseFile(target);
}

INSTANTIATE_TEST_SUITE_P(Kinds, StoreTest, ::testing::ValuesIn(kStoreKinds),
                         [](const auto& info) { return std::string(info.param.label); });

TEST(MemoryStoreTest, FilesCanOnlyBeCreated) {
  TMemoryPlainFileSystem store("mem");
  EXPECT_EQ(MessageOf([&] { store.OpenFile("new.dat", false, false, false); }),
            "TMemoryFile.Open - File cannot be open, only creation is available.");
  EXPECT_EQ(store.OpenFileCount(), 0u);
  EXPECT_FALSE(store.FileExists("new.dat"));

  TAbstractFile* file = store.OpenFile("new.dat", true, false, false);
  WriteString(*file, "kept");
  store.CloseFile(file);
  EXPECT_THROW(store.OpenFile("NEW.dat", false, false, false), Error);
  // Creating again starts empty.
  file = store.OpenFile("NEW.dat", true, false, false);
  EXPECT_EQ(file->GetSize(), 0);
  store.CloseFile(file);
}

class DiskStoreTest : public ::testing::Test {
 protected:
  TempFolder folder_;
  TDiskPlainFileSystem store_{folder_.Path()};
  TDiskPlainFileSystem other_{folder_.Path()};  // another opener of the same folder
};

TEST_F(DiskStoreTest, MissingAndUncreatableFiles) {
  EXPECT_EQ(MessageOf([&] { store_.OpenFile("none.dat", false, false, false); }),
            "Cannot open file \"" + folder_.Path("none.dat") + "\"");
  EXPECT_EQ(MessageOf([&] { store_.OpenFile("no/such/dir.dat", true, false, false); }),
            "Cannot create file \"" + folder_.Path("no/such/dir.dat") + "\"");
  EXPECT_EQ(store_.OpenFileCount(), 0u);
  fs::create_directory(folder_.Path("sub.dat"));
  EXPECT_FALSE(store_.FileExists("sub.dat"));
  EXPECT_THROW(store_.OpenFile("sub.dat", false, false, false), Error);
  std::vector<std::string> names;
  store_.ListFiles(".dat", names);
  EXPECT_TRUE(names.empty());
}

TEST_F(DiskStoreTest, BackslashSeparatesDirectories) {
  fs::create_directory(folder_.Path("sub"));
  store_.CloseFile(store_.OpenFile("sub\\t.dat", true, false, false));
  EXPECT_TRUE(fs::exists(folder_.Path("sub/t.dat")));
  EXPECT_TRUE(store_.FileExists("sub/t.dat"));
}

TEST_F(DiskStoreTest, CreateEmptiesAnExistingFile) {
  folder_.Write("t.dat", "old contents");
  TAbstractFile* file = store_.OpenFile("t.dat", true, false, false);
  EXPECT_EQ(file->GetSize(), 0);
  WriteString(*file, "new");
  store_.CloseFile(file);
  EXPECT_EQ(folder_.Read("t.dat"), "new");
}

TEST_F(DiskStoreTest, ExclusiveSharing) {
  folder_.Write("t.dat", "data");
  TAbstractFile* mine = store_.OpenFile("t.dat", false, true, false);
  const std::string cannot_open = "Cannot open file \"" + folder_.Path("t.dat") + "\"";
  EXPECT_EQ(MessageOf([&] { other_.OpenFile("t.dat", false, false, false); }), cannot_open);
  EXPECT_EQ(MessageOf([&] { other_.OpenFile("t.dat", false, false, true); }), cannot_open);
  EXPECT_EQ(MessageOf([&] { other_.OpenFile("t.dat", true, false, false); }),
            "Cannot create file \"" + folder_.Path("t.dat") + "\"");
  EXPECT_EQ(folder_.Read("t.dat"), "data");  // the failed create wiped nothing

  // Giving up exclusivity reopens where the file was.
  mine->SetPosition(2);
  mine->SetExclusive(false);
  EXPECT_EQ(mine->GetPosition(), 2);
  TAbstractFile* theirs = other_.OpenFile("t.dat", false, false, false);
  EXPECT_EQ(MessageOf([&] { mine->SetExclusive(true); }), cannot_open);
  EXPECT_FALSE(mine->IsOpen());
  store_.CloseFile(mine);
  EXPECT_EQ(ReadString(*theirs, 10), "data");
  other_.CloseFile(theirs);
}

TEST_F(DiskStoreTest, ReadOnlyFilesAndReopening) {
  folder_.Write("t.dat", "0123456789");
  TAbstractFile* file = store_.OpenFile("t.dat", false, false, true);
  EXPECT_TRUE(file->ReadOnly());
  file->SetPosition(3);
  EXPECT_EQ(file->Write("x", 1), 0);
  EXPECT_EQ(MessageOf([&] { file->WriteBuffer("x", 1); }),
            "TAbstractFile.WriteBuffer - Stream write error");
  EXPECT_THROW(file->SetSize(1), Error);
  EXPECT_EQ(file->GetPosition(), 3);

  file->SetReadOnly(false);
  EXPECT_EQ(file->GetPosition(), 3);
  WriteString(*file, "xy");
  file->SetReadOnly(true);
  EXPECT_EQ(file->GetPosition(), 5);
  store_.CloseFile(file);
  EXPECT_EQ(folder_.Read("t.dat"), "012xy56789");
}

TEST_F(DiskStoreTest, UnwritableFileOpensReadOnly) {
  folder_.Write("t.dat", "data");
  if (!folder_.MakeUnwritable("t.dat")) GTEST_SKIP() << "cannot make a file unwritable here";
  TAbstractFile* file = store_.OpenFile("t.dat", false, false, false);
  EXPECT_TRUE(file->ReadOnly());
  EXPECT_EQ(ReadString(*file, 10), "data");
  store_.CloseFile(file);
}

TEST(TemporaryStoreTest, FolderLivesAsLongAsTheStore) {
  std::string folder, other_folder;
  {
    TTemporaryPlainFileSystem store("scratch");
    TTemporaryPlainFileSystem other("scratch");
    folder = store.Directory();
    other_folder = other.Directory();
    EXPECT_NE(folder, other_folder);
    EXPECT_EQ(fs::path(folder).parent_path(), fs::temp_directory_path());
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_EQ(store.Name(), "scratch");
    EXPECT_EQ(store.Mode(), StoreMode::kTemporary);
    TAbstractFile* file = store.OpenFile("left-open.dat", true, false, false);
    WriteString(*file, "x");
    EXPECT_TRUE(fs::exists(folder + "/left-open.dat"));
  }
  EXPECT_FALSE(fs::exists(folder));
  EXPECT_FALSE(fs::exists(other_folder));
}

TEST(FileStoreRegistryTest, OneStorePerNameAndMode) {
  TempFolder folder;
  FileStoreRegistry manager;
  bool read_only = true;
  const StoreMode modes[] = {StoreMode::kDisk, StoreMode::kMemory, StoreMode::kTemporary};
  std::vector<TAbstractPlainFileSystem*> stores;
  for (StoreMode mode : modes) {
    TAbstractPlainFileSystem* store =
        manager.GetStore(folder.Path() + "/Data", mode, false, read_only);
    ASSERT_NE(store, nullptr);
    EXPECT_FALSE(read_only);
    EXPECT_EQ(store->Mode(), mode);
    EXPECT_EQ(manager.GetStore(folder.Path() + "/DATA", mode, false, read_only), store);
    stores.push_back(store);
  }
  EXPECT_EQ(manager.StoreCount(), 3u);
  EXPECT_NE(stores[0], stores[1]);

  const std::string temporary = static_cast<TTemporaryPlainFileSystem*>(stores[2])->Directory();
  manager.ReleaseStore(folder.Path() + "/data", StoreMode::kTemporary);
  EXPECT_EQ(manager.StoreCount(), 2u);
  EXPECT_FALSE(fs::exists(temporary));
}

TEST(FileStoreRegistryTest, UnsupportedModesAndMissingContainers) {
  TempFolder folder;
  FileStoreRegistry manager;
  bool read_only = false;
  for (int mode : {0, 5, -1}) {
    EXPECT_EQ(MessageOf([&] {
                manager.GetStore("x", static_cast<StoreMode>(mode), false, read_only);
              }),
              "TPFSManager.GetPFSHandle - Unsuuported file store mode.")
        << mode;
  }
  // A container store is made only for a file that is there.
  EXPECT_EQ(manager.GetStore(folder.Path("none.edb"), StoreMode::kContainer, false, read_only),
            nullptr);
  fs::create_directory(folder.Path("dir.edb"));
  EXPECT_EQ(manager.GetStore(folder.Path("dir.edb"), StoreMode::kContainer, false, read_only),
            nullptr);
  EXPECT_EQ(manager.StoreCount(), 0u);
}

}  // namespace
}  // namespace corvane::container
