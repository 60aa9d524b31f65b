#include "hyphenation/pattern_cache.h"

#include <sys/stat.h>

#include <bit>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <functional>
#include <string_view>
#include <utility>

#define XXH_INLINE_ALL
#include <xxhash.h>

#include "platform/cache_folder.h"
#include "platform/coding.h"
#include "platform/error.h"
#include "platform/file_io.h"
#include "platform/mapped_file.h"

namespace corvane::hyphenation {

// Reads and writes the body of a cache file; a friend of PatternSet.
class PatternSetFile {
 public:
  static std::string Write(const PatternSet& set, std::string_view key);
  // Throws corvane::Error when the file is not a whole, current one for
  // `key`.
  static PatternSet Read(const std::shared_ptr<const platform::MappedFile>& file, std::string_view key);
};

namespace {

constexpr char kMagic[8] = {'C', 'V', 'P', 'A', 'T', 'S', 'E', 'T'};
constexpr size_t kChecked = 32;  // the checksum covers the bytes from here
constexpr size_t kBodyHead = 64;
// Any bigger count or length is damage.
constexpr uint32_t kMaxLength = 1u << 24;

size_t Aligned8(size_t n) { return (n + 7) & ~size_t{7}; }

uint64_t Checksum(const uint8_t* data, size_t size) { return XXH3_64bits(data, size); }

// Little-endian fields appended to a byte string.
class Writer {
 public:
  void U32(uint32_t v) {
    uint8_t b[4];
    platform::PutU32(b, v);
    bytes_.append(reinterpret_cast<const char*>(b), 4);
  }
  void U64(uint64_t v) {
    uint8_t b[8];
    platform::PutU64(b, v);
    bytes_.append(reinterpret_cast<const char*>(b), 8);
  }
  void Text(std::u32string_view text) {
    U32(static_cast<uint32_t>(text.size()));
    for (char32_t c : text) U32(c);
  }
  void Bytes(std::string_view b) { bytes_.append(b); }
  void PadTo(size_t multiple) { bytes_.resize((bytes_.size() + multiple - 1) / multiple * multiple, '\0'); }
  void PutU64At(size_t at, uint64_t v) { platform::PutU64(reinterpret_cast<uint8_t*>(bytes_.data() + at), v); }
  size_t Size() const { return bytes_.size(); }
  std::string& Result() { return bytes_; }

 private:
  std::string bytes_;
};

// Fields read from a mapped file, each checked against its end.
class Reader {
 public:
  Reader(const uint8_t* data, size_t size, size_t at) : data_(data), size_(size), at_(at) {}

  const uint8_t* Take(size_t n) {
    if (n > size_ - at_) throw Error("pattern cache: truncated");
    const uint8_t* p = data_ + at_;
    at_ += n;
    return p;
  }
  uint32_t U32() { return platform::GetU32(Take(4)); }
  uint64_t U64() { return platform::GetU64(Take(8)); }
  uint32_t Length() {
    const uint32_t n = U32();
    if (n > kMaxLength) throw Error("pattern cache: bad length");
    return n;
  }
  std::u32string Text() {
    const uint32_t n = Length();
    const uint8_t* p = Take(size_t{n} * 4);
    std::u32string text(n, U'\0');
    for (uint32_t i = 0; i < n; ++i) text[i] = platform::GetU32(p + 4 * i);
    return text;
  }
  void AlignTo(size_t multiple) { Take((multiple - at_ % multiple) % multiple); }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t at_;
};

struct FileStamp {
  std::string path;
  bool found = false;
  struct stat info {};
};

FileStamp Stamp(const std::string& file) {
  FileStamp stamp;
  if (file.empty()) return stamp;
  std::error_code ec;
  const std::filesystem::path canonical = std::filesystem::canonical(file, ec);
  stamp.path = ec ? file : canonical.string();
  stamp.found = stat(stamp.path.c_str(), &stamp.info) == 0;
  return stamp;
}

// What a set is made from, without the files' state: the same for every
// version of the files, so that a stale cache file is replaced in place.
std::string Identity(const Language& language, const FileStamp& patterns, const FileStamp& exceptions) {
  return std::string(language.kind == LanguageKind::kDictionary ? "dictionary" : "tex") + '\n' + patterns.path +
         '\n' + exceptions.path + '\n' + std::to_string(language.minimums.left) + ' ' +
         std::to_string(language.minimums.right) + '\n';
}

std::string Describe(const FileStamp& stamp) {
  if (stamp.path.empty()) return "-\n";
  const struct stat& s = stamp.info;
  return std::to_string(static_cast<long long>(s.st_size)) + ' ' + std::to_string(static_cast<long long>(s.st_mtim.tv_sec)) +
         '.' + std::to_string(static_cast<long long>(s.st_mtim.tv_nsec)) + ' ' +
         std::to_string(static_cast<unsigned long long>(s.st_dev)) + ':' +
         std::to_string(static_cast<unsigned long long>(s.st_ino)) + '\n';
}

PatternSet Compile(const Language& language) {
  return language.kind == LanguageKind::kDictionary
             ? PatternSet::FromDicFile(language.file)
             : PatternSet::FromTexFiles(language.file, language.exceptions_file, language.minimums);
}

}  // namespace

std::string PatternSetFile::Write(const PatternSet& set, std::string_view key) {
  Writer w;
  w.Bytes(std::string_view(kMagic, sizeof kMagic));
  w.U32(kPatternCacheVersion);
  w.U32(0);
  w.U64(0);  // the size, once known
  w.U64(0);  // the checksum, likewise
  w.U32(static_cast<uint32_t>(key.size()));
  w.Bytes(key);
  w.PadTo(8);
  const size_t body = w.Size();
  for (int v : {set.minimums_.left, set.minimums_.right, set.joint_minimums_.left, set.joint_minimums_.right}) {
    w.U32(static_cast<uint32_t>(v));
  }
  w.U64(set.skipped_);
  w.U32(static_cast<uint32_t>(set.no_break_at_.size()));
  w.U32(static_cast<uint32_t>(set.exceptions_.size()));
  for (int i = 0; i < 4; ++i) w.U64(0);  // the images' places, once known
  for (const std::u32string& never : set.no_break_at_) w.Text(never);
  for (const auto& [word, breaks] : set.exceptions_) {
    w.Text(word);
    w.Bytes(std::string_view(reinterpret_cast<const char*>(breaks.data()), breaks.size()));
    w.PadTo(4);
  }
  const CodePointAutomaton* levels[2] = {set.first_ ? &*set.first_ : nullptr, &set.second_};
  for (int i = 0; i < 2; ++i) {
    if (levels[i] == nullptr) continue;
    w.PadTo(8);
    w.PutU64At(body + 32 + 16 * i, w.Size());
    w.PutU64At(body + 40 + 16 * i, levels[i]->Image().size());
    w.Bytes(levels[i]->Image());
  }
  std::string& bytes = w.Result();
  w.PutU64At(16, bytes.size());
  w.PutU64At(24, Checksum(reinterpret_cast<const uint8_t*>(bytes.data()) + kChecked, bytes.size() - kChecked));
  return std::move(bytes);
}

PatternSet PatternSetFile::Read(const std::shared_ptr<const platform::MappedFile>& file, std::string_view key) {
  const uint8_t* data = file->Data();
  const size_t size = file->Size();
  Reader header(data, size, 0);
  if (size < kChecked || std::memcmp(header.Take(8), kMagic, 8) != 0 || header.U32() != kPatternCacheVersion ||
      header.U32() != 0 || header.U64() != size) {
    throw Error("pattern cache: not a current cache file");
  }
  const uint64_t checksum = header.U64();
  const uint32_t key_size = header.Length();
  if (std::string_view(reinterpret_cast<const char*>(header.Take(key_size)), key_size) != key) {
    throw Error("pattern cache: stale");
  }
  if (Checksum(data + kChecked, size - kChecked) != checksum) throw Error("pattern cache: damaged");
  const size_t body = Aligned8(36 + key_size);
  Reader r(data, size, body);
  PatternSet set;
  set.minimums_.left = static_cast<int32_t>(r.U32());
  set.minimums_.right = static_cast<int32_t>(r.U32());
  set.joint_minimums_.left = static_cast<int32_t>(r.U32());
  set.joint_minimums_.right = static_cast<int32_t>(r.U32());
  set.skipped_ = r.U64();
  const uint32_t no_breaks = r.Length();
  const uint32_t exceptions = r.Length();
  uint64_t place[4];
  for (uint64_t& p : place) p = r.U64();
  for (uint32_t i = 0; i < no_breaks; ++i) set.no_break_at_.push_back(r.Text());
  for (uint32_t i = 0; i < exceptions; ++i) {
    std::u32string word = r.Text();
    const uint8_t* breaks = r.Take(word.size() + 1);
    r.AlignTo(4);
    set.exceptions_.emplace(std::move(word), std::vector<uint8_t>(breaks, breaks + word.size() + 1));
  }
  auto image = [&](uint64_t at, uint64_t length) {
    if (at % 8 != 0 || at < body + kBodyHead || at > size || length > size - at) {
      throw Error("pattern cache: bad image place");
    }
    return CodePointAutomaton::FromImage(data + at, length, file);
  };
  if (place[0] != 0) set.first_ = image(place[0], place[1]);
  set.second_ = image(place[2], place[3]);
  return set;
}

std::optional<std::string> PatternCacheFolder() {
  if constexpr (std::endian::native != std::endian::little) return std::nullopt;
  const char* off = std::getenv("CORVANE_NO_PATTERN_CACHE");
  if (off != nullptr && *off != '\0' && std::string_view(off) != "0") return std::nullopt;
  return platform::UserCacheFolder();
}

std::string CacheFileName(const Language& language) {
  const FileStamp patterns = Stamp(language.file);
  const FileStamp exceptions = Stamp(language.exceptions_file);
  const std::string identity = Identity(language, patterns, exceptions);
  std::string name = std::filesystem::path(patterns.path).filename().string();
  for (char& c : name) {
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '-' && c != '_') c = '_';
  }
  static constexpr char kHex[] = "0123456789abcdef";
  uint64_t hash = XXH3_64bits(identity.data(), identity.size());
  std::string hex(16, '0');
  for (int i = 15; i >= 0; --i, hash >>= 4) hex[static_cast<size_t>(i)] = kHex[hash & 15];
  return name + '-' + hex + ".set";
}

namespace {

// The set in `path` when it was made for `key`, else `compile()`'s, stored
// there for the next process.
PatternSet MapOrCompile(const std::string& path, const std::string& key, const std::function<PatternSet()>& compile,
                        CacheUse* use) {
  try {
    PatternSet set = PatternSetFile::Read(platform::MappedFile::Open(path), key);
    if (use != nullptr) *use = CacheUse::kMapped;
    return set;
  } catch (const std::exception&) {
    // Missing, stale or damaged: made again below.
  }
  PatternSet set = compile();
  try {
    // A device or FIFO under the name would be written to, not replaced.
    if (!platform::IsSpecialFile(path)) platform::WriteFileAtomically(path, PatternSetFile::Write(set, key));
  } catch (const std::exception&) {
    // A cache that cannot be written only costs the next process the time.
  }
  return set;
}

}  // namespace

PatternSet LoadCompiledSet(const Language& language, const std::optional<std::string>& folder, CacheUse* use) {
  if (use != nullptr) *use = CacheUse::kCompiled;
  const FileStamp patterns = Stamp(language.file);
  const FileStamp exceptions = Stamp(language.exceptions_file);
  // Sources that cannot be read get the error compiling gives.
  if (!folder || !patterns.found || (!exceptions.path.empty() && !exceptions.found)) return Compile(language);
  const std::string key = "corvane pattern set\n" + Identity(language, patterns, exceptions) + Describe(patterns) +
                          Describe(exceptions);
  return MapOrCompile(*folder + CacheFileName(language), key, [&language] { return Compile(language); }, use);
}

PatternSet LoadCompiledText(std::string_view name, std::string_view patterns, std::string_view exceptions,
                            Minimums minimums, const std::optional<std::string>& folder, CacheUse* use) {
  if (use != nullptr) *use = CacheUse::kCompiled;
  const auto compile = [&] { return PatternSet::FromTexText(patterns, exceptions, minimums); };
  if (!folder) return compile();
  // The text itself names the set: a program built with other patterns
  // finds a stale file and replaces it.
  XXH3_state_t* state = XXH3_createState();
  if (state == nullptr) return compile();
  XXH3_64bits_reset(state);
  XXH3_64bits_update(state, patterns.data(), patterns.size());
  XXH3_64bits_update(state, "\n-\n", 3);
  XXH3_64bits_update(state, exceptions.data(), exceptions.size());
  const uint64_t text_hash = XXH3_64bits_digest(state);
  XXH3_freeState(state);
  const std::string key = "corvane pattern set\nbuilt-in " + std::string(name) + '\n' +
                          std::to_string(patterns.size()) + ' ' + std::to_string(exceptions.size()) + ' ' +
                          std::to_string(text_hash) + '\n' + std::to_string(minimums.left) + ' ' +
                          std::to_string(minimums.right) + '\n';
  return MapOrCompile(*folder + "built-in-" + std::string(name) + ".set", key, compile, use);
}

}  // namespace corvane::hyphenation
