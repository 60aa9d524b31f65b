// The container store (mode 2) through the store manager.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "container/container_file_system.h"
#include "container/container_store.h"
#include "container/file_store_registry.h"
#include "platform/error.h"

namespace corvane::container {
namespace {

namespace fs = std::filesystem;

std::string MessageOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const Error& e) {
    return e.what();
  }
  return "(no error)";
}

std::string ReadString(TAbstractFile& file, int64_t count) {
  std::string data(static_cast<std::size_t>(count), '\0');
  data.resize(static_cast<std::size_t>(file.Read(data.data(), count)));
  return data;
}

std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class ContainerStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "corvane_cstore_test_XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
    path_ = folder_ + "/Words.EDB";
    ASSERT_TRUE(manager_.CreateContainer(path_, false)) << manager_.LastError();
    store_ = Get(path_);
    ASSERT_NE(store_, nullptr);
  }
  void TearDown() override {
    manager_.ReleaseContainer(path_);
    fs::remove_all(folder_);
  }

  TAbstractPlainFileSystem* Get(const std::string& name) {
    return manager_.GetStore(name, StoreMode::kContainer, false, read_only_);
  }
  void CreateFile(const std::string& name, const std::string& data) {
    TAbstractFile* file = store_->OpenFile(name, true, false, false);
    file->WriteBuffer(data.data(), static_cast<int64_t>(data.size()));
    store_->CloseFile(file);
  }

  std::string folder_, path_;
  FileStoreRegistry manager_;
  TAbstractPlainFileSystem* store_ = nullptr;
  bool read_only_ = true;
};

TEST_F(ContainerStoreTest, OneStorePerNameIgnoringCase) {
  EXPECT_FALSE(read_only_);
  EXPECT_EQ(store_->Mode(), StoreMode::kContainer);
  EXPECT_EQ(Get(folder_ + "/WORDS.edb"), store_);
  EXPECT_EQ(manager_.StoreCount(), 1u);
}

TEST_F(ContainerStoreTest, FilesSurviveTheStore) {
  CreateFile("hyplist.dat", "0123456789");
  TAbstractFile* file = store_->OpenFile("HYPLIST.dat", false, false, false);
  EXPECT_EQ(file->GetSize(), 10);
  EXPECT_EQ(ReadString(*file, 20), "0123456789");
  EXPECT_EQ(ReadString(*file, 1), "");
  file->SetPosition(6);
  EXPECT_EQ(ReadString(*file, 10), "6789");
  // A torn tail is cut off for good, and the position follows the size.
  file->SetSize(4);
  EXPECT_EQ(file->GetPosition(), 4);
  file->WriteBuffer("ab", 2);  // left open: releasing must still save it
  manager_.ReleaseContainer(path_);
  EXPECT_EQ(manager_.StoreCount(), 0u);

  store_ = Get(path_);
  ASSERT_NE(store_, nullptr);
  file = store_->OpenFile("hyplist.dat", false, false, false);
  EXPECT_EQ(ReadString(*file, 20), "0123ab");
  file->SetSize(5000);
  EXPECT_EQ(file->GetSize(), 5000);
  store_->CloseFile(file);
}

TEST_F(ContainerStoreTest, OpenFailures) {
  CreateFile("t.dat", "x");
  TAbstractFile* file = store_->OpenFile("t.dat", false, false, false);
  EXPECT_EQ(MessageOf([&] { store_->OpenFile("T.DAT", false, false, true); }),
            "TContainerPlainFileSystem.OpenFile - File \"T.DAT\" is already open.");
  store_->CloseFile(file);
  EXPECT_EQ(MessageOf([&] { store_->OpenFile("none.dat", false, false, false); }),
            "Cannot open file \"none.dat\"");
  EXPECT_EQ(store_->OpenFileCount(), 0u);
}

TEST_F(ContainerStoreTest, OpenFilesCannotBeDeletedOrRenamed) {
  CreateFile("a.dat", "a");
  CreateFile("b.dat", "b");
  TAbstractFile* file = store_->OpenFile("a.dat", false, false, false);
  EXPECT_FALSE(store_->DeleteFile("a.dat"));
  EXPECT_FALSE(store_->RenameFile("a.dat", "c.dat"));
  store_->CloseFile(file);
  EXPECT_FALSE(store_->RenameFile("a.dat", "B.DAT"));
  EXPECT_TRUE(store_->RenameFile("a.dat", "c.dat"));
  EXPECT_TRUE(store_->FileExists("C.dat"));
  EXPECT_FALSE(store_->FileExists("a.dat"));
  EXPECT_TRUE(store_->DeleteFile("c.dat"));
  EXPECT_FALSE(store_->FileExists("c.dat"));
}

TEST_F(ContainerStoreTest, ListsFilesNotDirectories) {
  for (const char* name : {"words.dat", "words.idx", "Index.DAT", "x.data"}) CreateFile(name, ".");
  auto& container = static_cast<TContainerPlainFileSystem*>(store_)->Container();
  ASSERT_TRUE(container.ForceDirectories("old.dat"));
  std::vector<std::string> names = {"stale"};
  store_->ListFiles(".dat", names);
  EXPECT_EQ(names, (std::vector<std::string>{"Index", "words"}));
}

TEST_F(ContainerStoreTest, FlagChangesReopenAtThePosition) {
  CreateFile("t.dat", "0123456789");
  TAbstractFile* file = store_->OpenFile("t.dat", false, false, false);
  file->SetPosition(3);
  file->SetReadOnly(true);
  EXPECT_EQ(file->GetPosition(), 3);
  EXPECT_EQ(file->Write("x", 1), 0);
  file->SetExclusive(true);
  EXPECT_EQ(file->GetPosition(), 3);
  file->SetReadOnly(false);
  file->WriteBuffer("xy", 2);
  file->SetPosition(0);
  EXPECT_EQ(ReadString(*file, 20), "012xy56789");
  store_->CloseFile(file);
}

TEST_F(ContainerStoreTest, ReadOnlyContainerFile) {
  CreateFile("t.dat", "data");
  manager_.ReleaseContainer(path_);
  ASSERT_EQ(::chmod(path_.c_str(), 0444), 0);
  const std::string before = FileBytes(path_);

  store_ = Get(path_);
  ASSERT_NE(store_, nullptr) << manager_.LastError();
  EXPECT_TRUE(read_only_);
  EXPECT_EQ(Get(path_), store_);
  EXPECT_TRUE(read_only_);  // also when the store was already there

  TAbstractFile* file = store_->OpenFile("t.dat", false, false, false);
  EXPECT_TRUE(file->ReadOnly());
  EXPECT_EQ(ReadString(*file, 10), "data");
  EXPECT_EQ(MessageOf([&] { file->WriteBuffer("x", 1); }),
            "TAbstractFile.WriteBuffer - Stream write error");
  EXPECT_THROW(file->SetSize(0), Error);
  EXPECT_FALSE(store_->DeleteFile("t.dat"));
  EXPECT_FALSE(store_->RenameFile("t.dat", "u.dat"));
  EXPECT_EQ(MessageOf([&] { store_->OpenFile("new.dat", true, false, false); }),
            "Cannot create file \"new.dat\"");
  store_->CloseFile(file);
  manager_.ReleaseContainer(path_);
  EXPECT_EQ(FileBytes(path_), before);
}

TEST_F(ContainerStoreTest, DamagedOrReplacedContainers) {
  CreateFile("t.dat", "data");
  store_->OpenFile("t.dat", false, false, false);
  // Creating again drops the registered store, its open file with it.
  ASSERT_TRUE(manager_.CreateContainer(path_, false));
  EXPECT_EQ(manager_.StoreCount(), 1u);
  store_ = Get(path_);
  EXPECT_FALSE(store_->FileExists("t.dat"));

  const std::string damaged = folder_ + "/damaged.edb";
  std::ofstream(damaged, std::ios::binary) << std::string(1000, 'x');
  EXPECT_EQ(Get(damaged), nullptr);
  EXPECT_FALSE(manager_.LastError().empty());
  EXPECT_EQ(manager_.StoreCount(), 1u);
}

}  // namespace
}  // namespace corvane::container
