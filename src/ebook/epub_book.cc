#include "ebook/epub_book.h"

#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <set>

#include "ebook/epub_package.h"
#include "ebook/zip_library.h"
#include "platform/error.h"

namespace corvane::ebook {
namespace {

constexpr std::uint64_t kMaxSmallFileSize = std::uint64_t{1} << 24;  // container, package, mimetype
constexpr std::string_view kEncryptionPath = "META-INF/encryption.xml";
constexpr std::string_view kRightsPath = "META-INF/rights.xml";
// Deflate at zlib's usual level: the best level costs several times the time
// for a percent or two of a book's size.
constexpr zip_uint32_t kDeflateLevel = 6;

std::string ZipErrorText(int code) {
  zip_error_t error;
  Zip().error_init_with_code(&error, code);
  std::string text = Zip().error_strerror(&error);
  Zip().error_fini(&error);
  return text;
}

bool EndsWithEpub(const std::string& path) {
  if (path.size() < 5) return false;
  std::string tail = path.substr(path.size() - 5);
  std::transform(tail.begin(), tail.end(), tail.begin(), [](char c) { return (c >= 'A' && c <= 'Z') ? c + 32 : c; });
  return tail == ".epub";
}

std::string_view TrimSpace(std::string_view s) {
  const std::size_t first = s.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(" \t\r\n") - first + 1);
}

// Closes an archive being written unless it was committed.
struct DiscardOnFailure {
  zip_t* archive;
  ~DiscardOnFailure() {
    if (archive != nullptr) Zip().discard(archive);
  }
};

}  // namespace

Book::Book(const std::string& path) : path_(path) {
  // A pipe or a device would be waited on, or read without end.
  struct stat info {};
  if (stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) throw Error("not a regular file");
  int code = 0;
  archive_ = Zip().open(path.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &code);
  if (archive_ == nullptr) {
    if (code == ZIP_ER_NOZIP) throw Error("not an EPUB book (not a zip archive)");
    if (code == ZIP_ER_NOENT || code == ZIP_ER_OPEN || code == ZIP_ER_READ) {
      throw Error("cannot read the book (" + ZipErrorText(code) + ")");
    }
    throw Error("damaged EPUB book (" + ZipErrorText(code) + ")");
  }
  try {
    const zip_int64_t count = Zip().get_num_entries(archive_, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
      zip_stat_t st;
      if (Zip().stat_index(archive_, static_cast<zip_uint64_t>(i), 0, &st) != 0) {
        throw Error("damaged EPUB book (" + std::string(Zip().strerror(archive_)) + ")");
      }
      if ((st.valid & ZIP_STAT_ENCRYPTION_METHOD) && st.encryption_method != ZIP_EM_NONE) {
        throw Error("encrypted EPUB book: cannot be hyphenated");
      }
    }
    mimetype_ = FindEntry("mimetype");
    if (mimetype_ && TrimSpace(ReadEntry(*mimetype_, kMaxSmallFileSize)) != kEpubMediaType) {
      throw Error("not an EPUB book (its mimetype is not application/epub+zip)");
    }
    const std::optional<std::uint64_t> container = FindEntry(std::string(kContainerPath));
    if (!container) throw Error("not an EPUB book (no META-INF/container.xml)");
    const std::string package_path = PackagePathOfContainer(ReadEntry(*container, kMaxSmallFileSize));
    const std::optional<std::uint64_t> package = FindEntry(package_path);
    if (!package) throw Error("damaged EPUB book (no package document " + package_path + ")");
    PackageContents contents = ReadPackage(ReadEntry(*package, kMaxSmallFileSize), package_path);
    language_ = std::move(contents.language);
    for (std::string& name : contents.content_documents) {
      // A manifest item the archive lacks has nothing to hyphenate.
      if (const std::optional<std::uint64_t> entry = FindEntry(name)) documents_.push_back({std::move(name), *entry});
    }
    CheckNotProtected();
    std::uint64_t content_size = 0;
    for (const Document& document : documents_) {
      zip_stat_t st;
      if (Zip().stat_index(archive_, document.entry, 0, &st) == 0 && (st.valid & ZIP_STAT_SIZE)) content_size += st.size;
    }
    if (content_size > kMaxContentSize) throw Error("the book's content documents are too large to hyphenate");
  } catch (...) {
    Zip().discard(archive_);
    throw;
  }
}

Book::~Book() { Zip().discard(archive_); }

std::optional<std::uint64_t> Book::FindEntry(const std::string& name) const {
  const zip_int64_t index = Zip().name_locate(archive_, name.c_str(), ZIP_FL_ENC_RAW);
  if (index < 0) return std::nullopt;
  return static_cast<std::uint64_t>(index);
}

// Encrypted or obfuscated content documents would come out as garbage; fonts
// obfuscated the usual way are copied as they are and do not matter here.
void Book::CheckNotProtected() const {
  if (FindEntry(std::string(kRightsPath))) throw Error("encrypted EPUB book: cannot be hyphenated");
  const std::optional<std::uint64_t> encryption = FindEntry(std::string(kEncryptionPath));
  if (!encryption) return;
  const std::string xml = ReadEntry(*encryption, kMaxSmallFileSize);
  for (const Document& document : documents_) {
    if (xml.find("URI=\"" + document.name + "\"") != std::string::npos ||
        xml.find("URI='" + document.name + "'") != std::string::npos) {
      throw Error("encrypted EPUB book: cannot be hyphenated");
    }
  }
}

std::string Book::ReadEntry(std::uint64_t entry, std::uint64_t limit) const {
  std::lock_guard<std::mutex> lock(mutex_);
  zip_stat_t st;
  if (Zip().stat_index(archive_, entry, 0, &st) != 0 || !(st.valid & ZIP_STAT_SIZE)) {
    throw Error("damaged EPUB book (" + std::string(Zip().strerror(archive_)) + ")");
  }
  const std::string name = st.valid & ZIP_STAT_NAME ? st.name : "?";
  if (st.size > limit) throw Error(name + " is too large to hyphenate");
  std::unique_ptr<zip_file_t, decltype(Zip().fclose)> file(Zip().fopen_index(archive_, entry, 0), Zip().fclose);
  if (!file) throw Error("damaged EPUB book (" + name + ": " + Zip().strerror(archive_) + ")");
  std::string data(static_cast<std::size_t>(st.size), '\0');
  std::uint64_t done = 0;
  while (true) {
    // One byte more than the directory promises shows a lying size.
    char spare;
    const bool at_end = done == st.size;
    const zip_int64_t n = at_end ? Zip().fread(file.get(), &spare, 1)
                                 : Zip().fread(file.get(), data.data() + done, st.size - done);
    if (n < 0) throw Error("damaged EPUB book (" + name + ": " + Zip().file_strerror(file.get()) + ")");
    if (n == 0) break;
    if (at_end) throw Error("damaged EPUB book (" + name + ": longer than its directory entry says)");
    done += static_cast<std::uint64_t>(n);
  }
  if (done != st.size) throw Error("damaged EPUB book (" + name + ": shorter than its directory entry says)");
  return data;
}

std::string Book::ReadDocument(std::size_t document) const {
  return ReadEntry(documents_[document].entry, kMaxDocumentSize);
}

void Book::Write(const std::string& path, const std::vector<std::optional<std::string>>& replaced) const {
  int code = 0;
  zip_t* out = Zip().open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
  if (out == nullptr) throw Error("cannot write " + path + " (" + ZipErrorText(code) + ")");
  DiscardOnFailure guard{out};
  auto fail = [&](const std::string& what) { throw Error("cannot write " + path + " (" + what + ": " + Zip().strerror(out) + ")"); };

  std::vector<const std::string*> replacement_of(static_cast<std::size_t>(Zip().get_num_entries(archive_, 0)), nullptr);
  for (std::size_t d = 0; d < documents_.size() && d < replaced.size(); ++d) {
    if (replaced[d]) replacement_of[documents_[d].entry] = &*replaced[d];
  }

  auto add = [&](std::uint64_t entry, const std::string* replacement) {
    zip_stat_t st;
    if (Zip().stat_index(archive_, entry, 0, &st) != 0) fail("reading the book");
    const char* name = Zip().get_name(archive_, entry, ZIP_FL_ENC_RAW);
    if (name == nullptr) fail("reading the book");
    zip_source_t* source = replacement != nullptr
                               ? Zip().source_buffer(out, replacement->data(), replacement->size(), 0)
                               : Zip().source_zip(out, archive_, entry, 0, 0, -1);
    if (source == nullptr) fail(name);
    const zip_int64_t index = Zip().file_add(out, name, source, ZIP_FL_ENC_GUESS);
    if (index < 0) {
      Zip().source_free(source);
      fail(name);
    }
    const auto at = static_cast<zip_uint64_t>(index);
    // A copied entry is told its own method, or the zip library would
    // compress stored data again.
    const bool stored = entry == mimetype_ || ((st.valid & ZIP_STAT_COMP_METHOD) && st.comp_method == ZIP_CM_STORE);
    const zip_int32_t method = replacement == nullptr && (st.valid & ZIP_STAT_COMP_METHOD) ? st.comp_method
                               : stored                                                   ? ZIP_CM_STORE
                                                                                          : ZIP_CM_DEFLATE;
    if (Zip().set_file_compression(out, at, method, method == ZIP_CM_DEFLATE ? kDeflateLevel : 0) != 0) fail(name);
    zip_uint8_t system = 0;
    zip_uint32_t attributes = 0;
    if (Zip().file_get_external_attributes(archive_, entry, 0, &system, &attributes) == 0) {
      Zip().file_set_external_attributes(out, at, 0, system, attributes);
    }
    if ((st.valid & ZIP_STAT_MTIME) && Zip().file_set_mtime(out, at, st.mtime, 0) != 0) fail(name);
  };

  if (mimetype_) {
    // Stored anew, so no extra field the book's own entry had comes along.
    static const std::string kMimetype(kEpubMediaType);
    add(*mimetype_, &kMimetype);
  } else {
    zip_source_t* source = Zip().source_buffer(out, kEpubMediaType.data(), kEpubMediaType.size(), 0);
    const zip_int64_t index = source == nullptr ? -1 : Zip().file_add(out, "mimetype", source, 0);
    if (index < 0) {
      if (source != nullptr) Zip().source_free(source);
      fail("mimetype");
    }
    if (Zip().set_file_compression(out, static_cast<zip_uint64_t>(index), ZIP_CM_STORE, 0) != 0) fail("mimetype");
  }
  for (std::uint64_t entry = 0; entry < replacement_of.size(); ++entry) {
    if (entry != mimetype_) add(entry, replacement_of[entry]);
  }
  // The zip library writes a temporary file beside `path` and renames it.
  std::lock_guard<std::mutex> lock(mutex_);
  if (Zip().close(out) != 0) fail("writing");
  guard.archive = nullptr;
}

bool IsEpubFile(const std::string& path) {
  if (EndsWithEpub(path)) return true;
  struct stat info {};
  if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
  char signature[4] = {};
  std::ifstream(path, std::ios::binary).read(signature, sizeof signature);
  if (std::string_view(signature, 4) != std::string_view("PK\3\4", 4)) return false;
  int code = 0;
  zip_t* archive = Zip().open(path.c_str(), ZIP_RDONLY, &code);
  if (archive == nullptr) return false;
  bool epub = false;
  const zip_int64_t index = Zip().name_locate(archive, "mimetype", 0);
  zip_stat_t st;
  if (index >= 0 && Zip().stat_index(archive, static_cast<zip_uint64_t>(index), 0, &st) == 0 && st.size < 64) {
    if (zip_file_t* file = Zip().fopen_index(archive, static_cast<zip_uint64_t>(index), 0)) {
      char text[64];
      const zip_int64_t n = Zip().fread(file, text, sizeof text);
      epub = n > 0 && TrimSpace(std::string_view(text, static_cast<std::size_t>(n))) == kEpubMediaType;
      Zip().fclose(file);
    }
  }
  Zip().discard(archive);
  return epub;
}

}  // namespace corvane::ebook
