// Compiled sets stored and mapped back: the same marks as compiling, and
// every kind of bad cache file compiled again rather than trusted.
#include "hyphenation/pattern_cache.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <random>

#define XXH_INLINE_ALL
#include <xxhash.h>

#include "platform/coding.h"
#include "platform/file_io.h"
#include "support/scratch_dir.h"

namespace corvane::hyphenation {
namespace {

namespace fs = std::filesystem;

// Words with breaks, exceptions, joints and letters outside the sets.
const char* const kWords[] = {"Silbentrennung", "Donaudampfschifffahrt", "abenteuer", "banana",  "x",
                              "aaaaa'aaaaaaa", "Kapitänsmütze",         "über-alles", "ωmega", "zyxwvutsrqp"};

class PatternCacheTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = test_support::FreshScratchDirForTest("pattern_cache");
    folder_ = (dir_ / "cache").string() + "/";
    fs::create_directories(folder_);
    // A dictionary of two levels and options, and a TeX set with exceptions.
    dictionary_.kind = LanguageKind::kDictionary;
    dictionary_.file = Write("hyph_xx.dic",
                             "UTF-8\nLEFTHYPHENMIN 1\nRIGHTHYPHENMIN 2\nCOMPOUNDLEFTHYPHENMIN 2\nNOHYPHEN -,'\n"
                             "1-1\n1'1\nf1f\nNEXTLEVEL\n1ba\n1na\n1ta\nn1t\n2bb\nä1\nu1\nt1\n.ab4\n");
    tex_.kind = LanguageKind::kTexPatterns;
    tex_.file = Write("hyph-xx.pat.txt", "1ba 1be 1na a1 e1 u1 ü1 .ab2 4zyx y1w s1s");
    tex_.exceptions_file = Write("hyph-xx.hyp.txt", "ba-na-na\nsil-ben");
    tex_.minimums = {2, 2};
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Write(const std::string& name, const std::string& text) {
    const std::string path = (dir_ / name).string();
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }
  std::string CachePath(const Language& language) const { return folder_ + CacheFileName(language); }

  static std::vector<std::string> Marks(const PatternSet& set) {
    std::vector<std::string> out;
    for (const char* word : kWords) out.push_back(MarkedWord(set, word, set.OwnMinimums()));
    return out;
  }
  // Loads through the cache and checks the marks against a plain compile.
  CacheUse LoadAndCompare(const Language& language, const std::string& context) {
    const PatternSet compiled = LoadCompiledSet(language, std::nullopt);
    CacheUse use;
    const PatternSet loaded = LoadCompiledSet(language, folder_, &use);
    EXPECT_EQ(Marks(loaded), Marks(compiled)) << context;
    EXPECT_EQ(loaded.PatternCount(), compiled.PatternCount()) << context;
    return use;
  }

  fs::path dir_;
  std::string folder_;
  Language dictionary_;
  Language tex_;
};

TEST_F(PatternCacheTest, StoresOnceThenMapsWithTheSameMarks) {
  std::vector<Language> languages = {dictionary_, tex_};
  // The largest dictionary most systems have, where it is installed.
  Language german;
  german.kind = LanguageKind::kDictionary;
  german.file = "/usr/share/hyphen/hyph_de_DE.dic";
  if (fs::exists(german.file)) languages.push_back(german);
  for (const Language& language : languages) {
    EXPECT_EQ(LoadAndCompare(language, language.file), CacheUse::kCompiled);
    EXPECT_TRUE(fs::exists(CachePath(language))) << language.file;
    EXPECT_EQ(LoadAndCompare(language, language.file), CacheUse::kMapped);
  }
  // Other minimums are another set, in another file.
  Language wider = tex_;
  wider.minimums = {3, 3};
  EXPECT_NE(CacheFileName(wider), CacheFileName(tex_));
  EXPECT_EQ(LoadAndCompare(wider, "wider"), CacheUse::kCompiled);
  // Without a folder, or with one that cannot be written, only compiled.
  CacheUse use;
  (void)LoadCompiledSet(tex_, folder_ + "missing/", &use);
  EXPECT_EQ(use, CacheUse::kCompiled);
  EXPECT_FALSE(fs::exists(folder_ + "missing"));
  setenv("CORVANE_NO_PATTERN_CACHE", "1", 1);
  EXPECT_FALSE(PatternCacheFolder().has_value());
  unsetenv("CORVANE_NO_PATTERN_CACHE");
}

// Sets the program holds as text are known by the text itself: other
// patterns under the same name are compiled again, never mapped.
TEST_F(PatternCacheTest, BuiltInTextIsKnownByItsContent) {
  const std::string_view patterns = "1ba 1na a1 u1 .ab2";
  const PatternSet compiled = PatternSet::FromTexText(patterns, "ba-na-na", {2, 2});
  for (const CacheUse expected : {CacheUse::kCompiled, CacheUse::kMapped}) {
    CacheUse use;
    const PatternSet loaded = LoadCompiledText("xx", patterns, "ba-na-na", {2, 2}, folder_, &use);
    EXPECT_EQ(use, expected);
    EXPECT_EQ(Marks(loaded), Marks(compiled));
  }
  CacheUse use;
  const PatternSet other = LoadCompiledText("xx", "1ba 1na a1 u1 .ab2 z1z", "ba-na-na", {2, 2}, folder_, &use);
  EXPECT_EQ(use, CacheUse::kCompiled);
  EXPECT_EQ(Marks(other), Marks(PatternSet::FromTexText("1ba 1na a1 u1 .ab2 z1z", "ba-na-na", {2, 2})));
}

TEST_F(PatternCacheTest, DamagedTruncatedForeignAndStaleFilesAreCompiledAgain) {
  std::map<std::string, std::string> stored;
  for (const Language& language : {dictionary_, tex_}) {
    ASSERT_EQ(LoadAndCompare(language, "first"), CacheUse::kCompiled);
    stored[language.file] = platform::ReadFile(CachePath(language));
  }
  for (const Language& language : {dictionary_, tex_}) {
    const std::string path = CachePath(language);
    const std::string& good = stored[language.file];
    const std::string& other = stored[(language.kind == LanguageKind::kTexPatterns ? dictionary_ : tex_).file];
    const size_t n = good.size();
    struct Damage {
      std::string name;
      std::string bytes;
    };
    std::vector<Damage> damages = {{"empty", ""},
                                   {"foreign", "not a cache file at all, but long enough to have a header"},
                                   {"appended", good + "x"},
                                   {"other set", other}};
    for (size_t keep : {size_t{8}, size_t{31}, size_t{40}, n / 2, n - 1}) {
      damages.push_back({"truncated to " + std::to_string(keep), good.substr(0, keep)});
    }
    for (size_t at : {size_t{0}, size_t{8}, size_t{12}, size_t{16}, size_t{24}, size_t{40}, n / 3, n / 2, n - 1}) {
      std::string bytes = good;
      bytes[at] = static_cast<char>(bytes[at] ^ 0x10);
      damages.push_back({"byte " + std::to_string(at) + " changed", bytes});
    }
    for (const Damage& damage : damages) {
      std::ofstream(path, std::ios::binary | std::ios::trunc) << damage.bytes;
      EXPECT_EQ(LoadAndCompare(language, damage.name), CacheUse::kCompiled) << damage.name;
      EXPECT_EQ(LoadAndCompare(language, damage.name + ", written again"), CacheUse::kMapped) << damage.name;
    }
    // A folder or a FIFO where the file should be: compiled, nothing thrown,
    // nothing waited for.
    fs::remove(path);
    fs::create_directory(path);
    EXPECT_EQ(LoadAndCompare(language, "folder"), CacheUse::kCompiled);
    fs::remove(path);
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    EXPECT_EQ(LoadAndCompare(language, "fifo"), CacheUse::kCompiled);
    EXPECT_EQ(fs::status(path).type(), fs::file_type::fifo);
    fs::remove(path);
  }
  // A source changed since: its new patterns, not the stored ones.
  LoadAndCompare(tex_, "stored");
  ASSERT_EQ(LoadAndCompare(tex_, "before"), CacheUse::kMapped);
  Write("hyph-xx.pat.txt", "1na 1ta");
  struct timespec times[2] = {{0, UTIME_OMIT}, {1234567, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, tex_.file.c_str(), times, 0), 0);
  EXPECT_EQ(LoadAndCompare(tex_, "changed"), CacheUse::kCompiled);
  EXPECT_EQ(MarkedWord(LoadCompiledSet(tex_, folder_), "banane", {1, 1}), "ba_nane");
}

TEST_F(PatternCacheTest, ForgedImagesWithTheirChecksumMadeGoodNeverCrashOrHang) {
  // Not damage but a made-up file: the checksum agrees, so only the
  // automata's own checks stand between the walk and the bytes.
  ASSERT_EQ(LoadAndCompare(dictionary_, "first"), CacheUse::kCompiled);
  const std::string path = CachePath(dictionary_);
  const std::string good = platform::ReadFile(path);
  std::mt19937 random(20);
  for (int round = 0; round < 300; ++round) {
    std::string bytes = good;
    for (int k = 0; k < 1 + round % 4; ++k) {
      const size_t at = 32 + random() % (bytes.size() - 32);
      bytes[at] = static_cast<char>(round % 3 == 0 ? 0xFF : random());
    }
    auto* data = reinterpret_cast<uint8_t*>(bytes.data());
    platform::PutU64(data + 24, XXH3_64bits(data + 32, bytes.size() - 32));
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    CacheUse use;
    const PatternSet set = LoadCompiledSet(dictionary_, folder_, &use);
    for (const char* word : kWords) (void)MarkedWord(set, word, {1, 1});
  }
}

}  // namespace
}  // namespace corvane::hyphenation
