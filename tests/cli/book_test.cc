#include <gtest/gtest.h>
#include <sys/stat.h>
#include <zip.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "cli/cli.h"
#include "platform/file_io.h"
#include "support/scratch_dir.h"
#include "support/zip_maker.h"

namespace corvane::cli {
namespace {

namespace fs = std::filesystem;
using test_support::ZipEntry;

const char kPng[] =
    "\x89PNG\r\n\x1A\n\x00\x00\x00\x0DIHDR\x00\x00\x00\x01\x00\x00\x00\x01\x08\x00\x00\x00\x00\x3A\x7E\x9B\x55"
    "\x00\x00\x00\x0AIDAT\x78\x9C\x63\x60\x00\x00\x00\x02\x00\x01\x48\xAF\xA4\x71\x00\x00\x00\x00IEND\xAE\x42\x60\x82";

std::string Container(const std::string& package) {
  return "<?xml version=\"1.0\"?>\n<container version=\"1.0\" "
         "xmlns=\"urn:oasis:names:tc:opendocument:xmlns:container\"><rootfiles><rootfile full-path=\"" +
         package + "\" media-type=\"application/oebps-package+xml\"/></rootfiles></container>";
}

std::string Page(const std::string& head, const std::string& root_attributes, const std::string& body) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + head + "\n<html xmlns=\"http://www.w3.org/1999/xhtml\"" +
         root_attributes + "><head><title>T</title><link rel=\"stylesheet\" type=\"text/css\" href=\"style.css\"/>"
         "</head><body>" + body + "</body></html>\n";
}

const std::string kUid = "urn:uuid:0f0e4a1c-2b3d-4e5f-8a9b-0c1d2e3f4a5b";

// An EPUB 3 book in Turkish with one English chapter.
std::vector<ZipEntry> Epub3() {
  const std::string html5 = "<!DOCTYPE html>";
  return {
      {"mimetype", "application/epub+zip", true},
      {"META-INF/container.xml", Container("OEBPS/package.opf")},
      {"OEBPS/package.opf",
       "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<package xmlns=\"http://www.idpf.org/2007/opf\" version=\"3.0\" "
       "unique-identifier=\"uid\"><metadata xmlns:dc=\"http://purl.org/dc/elements/1.1/\"><dc:identifier id=\"uid\">" +
           kUid + "</dc:identifier><dc:title>Kitap</dc:title><dc:language>tr</dc:language>"
           "<meta property=\"dcterms:modified\">2026-01-01T00:00:00Z</meta></metadata><manifest>"
           "<item id=\"nav\" href=\"nav.xhtml\" media-type=\"application/xhtml+xml\" properties=\"nav\"/>"
           "<item id=\"bir\" href=\"bir.xhtml\" media-type=\"application/xhtml+xml\"/>"
           "<item id=\"two\" href=\"two.xhtml\" media-type=\"application/xhtml+xml\"/>"
           "<item id=\"css\" href=\"style.css\" media-type=\"text/css\"/>"
           "<item id=\"pic\" href=\"pic.png\" media-type=\"image/png\"/>"
           "<item id=\"font\" href=\"f.otf\" media-type=\"application/vnd.ms-opentype\"/></manifest>"
           "<spine><itemref idref=\"bir\"/><itemref idref=\"two\"/></spine></package>"},
      {"OEBPS/nav.xhtml",
       Page(html5, " xmlns:epub=\"http://www.idpf.org/2007/ops\"",
            "<nav epub:type=\"toc\"><ol><li><a href=\"bir.xhtml\">Bir</a></li><li><a href=\"two.xhtml\">Two</a></li>"
            "</ol></nav>")},
      {"OEBPS/bir.xhtml", Page(html5, "", "<p>Kitaplarımızı okuyacağız.</p><p><img src=\"pic.png\" alt=\"resim\"/></p>")},
      {"OEBPS/two.xhtml",
       Page(html5, " lang=\"en\" xml:lang=\"en\"",
            "<p>International organizations</p><p class=\"donthyphenate\">International</p>")},
      {"OEBPS/style.css", "@font-face { font-family: F; src: url(f.otf); }\np { font-family: F; }\n"},
      {"OEBPS/pic.png", std::string(kPng, sizeof kPng - 1), true},
      {"OEBPS/f.otf", std::string(300, '\x07'), true},
  };
}

// An EPUB 2 book in English with one Turkish chapter.
std::vector<ZipEntry> Epub2() {
  const std::string xhtml11 =
      "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.1//EN\" \"http://www.w3.org/TR/xhtml11/DTD/xhtml11.dtd\">";
  return {
      {"mimetype", "application/epub+zip", true},
      {"META-INF/container.xml", Container("content.opf")},
      {"content.opf",
       "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<package xmlns=\"http://www.idpf.org/2007/opf\" version=\"2.0\" "
       "unique-identifier=\"uid\"><metadata xmlns:dc=\"http://purl.org/dc/elements/1.1/\"><dc:title>Book</dc:title>"
       "<dc:language>en</dc:language><dc:identifier id=\"uid\">" + kUid + "</dc:identifier></metadata><manifest>"
       "<item id=\"ncx\" href=\"toc.ncx\" media-type=\"application/x-dtbncx+xml\"/>"
       "<item id=\"one\" href=\"one.xhtml\" media-type=\"application/xhtml+xml\"/>"
       "<item id=\"iki\" href=\"iki.xhtml\" media-type=\"application/xhtml+xml\"/>"
       "<item id=\"css\" href=\"style.css\" media-type=\"text/css\"/>"
       "<item id=\"pic\" href=\"pic.png\" media-type=\"image/png\"/></manifest>"
       "<spine toc=\"ncx\"><itemref idref=\"one\"/><itemref idref=\"iki\"/></spine></package>"},
      {"toc.ncx",
       "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<ncx xmlns=\"http://www.daisy.org/z3986/2005/ncx/\" "
       "version=\"2005-1\"><head><meta name=\"dtb:uid\" content=\"" + kUid + "\"/><meta name=\"dtb:depth\" "
       "content=\"1\"/><meta name=\"dtb:totalPageCount\" content=\"0\"/><meta name=\"dtb:maxPageNumber\" "
       "content=\"0\"/></head><docTitle><text>Book</text></docTitle><navMap><navPoint id=\"n1\" playOrder=\"1\">"
       "<navLabel><text>One</text></navLabel><content src=\"one.xhtml\"/></navPoint></navMap></ncx>"},
      {"one.xhtml", Page(xhtml11, "", "<p>International <var>organizations</var></p><p><img src=\"pic.png\" alt=\"x\"/></p>")},
      {"iki.xhtml", Page(xhtml11, " xml:lang=\"tr\"", "<p>Kitaplarımızı okuyacağız.</p>")},
      {"style.css", "p { margin: 0; }\n"},
      {"pic.png", std::string(kPng, sizeof kPng - 1), true},
  };
}

struct Stored {
  std::string name, data;
  zip_uint16_t method;
  zip_uint64_t compressed_size;
  time_t mtime;
};

std::vector<Stored> ReadZip(const std::string& path) {
  std::vector<Stored> entries;
  zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY, nullptr);
  if (archive == nullptr) return entries;
  for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i) {
    zip_stat_t st;
    zip_stat_index(archive, i, 0, &st);
    std::string data(st.size, '\0');
    zip_file_t* file = zip_fopen_index(archive, i, 0);
    if (st.size > 0) zip_fread(file, data.data(), st.size);
    zip_fclose(file);
    entries.push_back({st.name, data, st.comp_method, st.comp_size, st.mtime});
  }
  zip_discard(archive);
  return entries;
}

int Hyphenate(std::vector<std::string> args, std::string* err = nullptr) {
  args.insert(args.begin(), "hyphenate");
  args.push_back("--no-wordlist");
  std::istringstream in;
  std::ostringstream out, errors;
  const int status = RunCli(args, in, out, errors);
  if (err != nullptr) *err = errors.str();
  return status;
}

class BookTest : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = test_support::FreshScratchDirForTest("book"); }
  void TearDown() override { fs::remove_all(dir_); }
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }

  // epubcheck's summary line ("Messages: ..."), or empty when it is not installed.
  std::string Epubcheck(const std::string& name) const {
    if (!fs::exists("/usr/share/java/epubcheck.jar") || std::system("command -v java >/dev/null") != 0) return "";
    const std::string log = Path(name + ".log");
    std::system(("timeout 250 java -jar /usr/share/java/epubcheck.jar '" + Path(name) + "' >'" + log + "' 2>&1").c_str());
    const std::string text = platform::ReadFile(log);
    const std::size_t at = text.find("Messages:");
    return at == std::string::npos ? text : text.substr(at, text.find('\n', at) - at);
  }

  bool XmlParses(const std::string& data) const {
    if (std::system("command -v xmllint >/dev/null") != 0) return true;
    platform::WriteFileAtomically(Path("page.xml"), data);
    return std::system(("xmllint --noout '" + Path("page.xml") + "' 2>/dev/null").c_str()) == 0;
  }

  fs::path dir_;
};

TEST_F(BookTest, BooksComeOutHyphenatedByLanguageAndOtherwiseAsTheyWere) {
  const struct {
    std::vector<ZipEntry> book;
    std::string turkish_page, english_page, english_text;
  } books[] = {
      {Epub3(), "OEBPS/bir.xhtml", "OEBPS/two.xhtml",
       "In\u00ADter\u00ADna\u00ADtional or\u00ADga\u00ADni\u00ADza\u00ADtions</p><p class=\"donthyphenate\">International</p>"},
      {Epub2(), "iki.xhtml", "one.xhtml", "In\u00ADter\u00ADna\u00ADtional <var>organizations</var>"},
  };
  for (const auto& b : books) {
    test_support::MakeZip(Path("in.epub"), b.book);
    std::string stats;
    ASSERT_EQ(Hyphenate({Path("in.epub"), "-o", Path("out.epub"), "--stats"}, &stats), kExitOk);
    EXPECT_NE(stats.find(b.turkish_page + ": Total Words : 2, Soft Hyphens : "), std::string::npos) << stats;
    EXPECT_NE(stats.find("in.epub: Documents : "), std::string::npos) << stats;
    const std::vector<Stored> in = ReadZip(Path("in.epub"));
    const std::vector<Stored> out = ReadZip(Path("out.epub"));
    ASSERT_EQ(out.size(), in.size());
    for (std::size_t i = 0; i < in.size(); ++i) {
      EXPECT_EQ(out[i].name, in[i].name);
      EXPECT_EQ(out[i].method, in[i].method) << in[i].name;
      EXPECT_EQ(out[i].mtime, in[i].mtime) << in[i].name;
      if (in[i].name.ends_with(".xhtml")) {
        EXPECT_TRUE(XmlParses(out[i].data)) << out[i].data;
        EXPECT_EQ(out[i].data.find("&shy;"), std::string::npos);
      } else {
        EXPECT_EQ(out[i].data, in[i].data) << in[i].name;
        EXPECT_EQ(out[i].compressed_size, in[i].compressed_size) << in[i].name;
      }
      if (in[i].name == b.turkish_page) {
        EXPECT_NE(out[i].data.find("Ki\u00ADtap\u00ADla\u00ADrı"), std::string::npos);
      }
      if (in[i].name == b.english_page) {
        EXPECT_NE(out[i].data.find(b.english_text), std::string::npos) << out[i].data;
      }
    }
    // mimetype first, stored, no extra field in its local header.
    const std::string raw = platform::ReadFile(Path("out.epub"));
    EXPECT_EQ(raw.substr(0, 4), std::string("PK\3\4", 4));
    EXPECT_EQ(raw.substr(8, 2), std::string(2, '\0'));
    EXPECT_EQ(raw.substr(28, 2), std::string(2, '\0'));
    EXPECT_EQ(raw.substr(30, 28), "mimetypeapplication/epub+zip");

    // Several threads give the same book; unhyphenating gives the documents back.
    ASSERT_EQ(Hyphenate({Path("in.epub"), "-o", Path("out2.epub"), "-j", "3"}), kExitOk);
    EXPECT_EQ(platform::ReadFile(Path("out2.epub")), raw);
    ASSERT_EQ(Hyphenate({Path("out.epub"), "--in-place", "--mode=unhyphenate"}), kExitOk);
    const std::vector<Stored> back = ReadZip(Path("out.epub"));
    for (std::size_t i = 0; i < in.size(); ++i) EXPECT_EQ(back[i].data, in[i].data) << in[i].name;
  }
}

TEST_F(BookTest, EpubcheckFindsNothingNew) {
  for (const auto& book : {Epub3(), Epub2()}) {
    test_support::MakeZip(Path("in.epub"), book);
    ASSERT_EQ(Hyphenate({Path("in.epub"), "-o", Path("out.epub")}), kExitOk);
    const std::string before = Epubcheck("in.epub");
    if (before.empty()) GTEST_SKIP() << "epubcheck is not installed";
    EXPECT_EQ(before.rfind("Messages: 0 fatals / 0 errors", 0), 0u) << before;
    EXPECT_EQ(Epubcheck("out.epub"), before);
  }
}

TEST_F(BookTest, BadBooksAreRefusedUntouched) {
  std::vector<ZipEntry> wrong_mimetype = Epub3();
  wrong_mimetype[0].data = "application/zip";
  std::vector<ZipEntry> no_container = Epub3();
  no_container.erase(no_container.begin() + 1);
  std::vector<ZipEntry> protected_book = Epub3();
  protected_book.push_back({"META-INF/encryption.xml",
                            "<encryption xmlns=\"urn:oasis:names:tc:opendocument:xmlns:container\"><EncryptedData "
                            "xmlns=\"http://www.w3.org/2001/04/xmlenc#\"><CipherData><CipherReference "
                            "URI=\"OEBPS/bir.xhtml\"/></CipherData></EncryptedData></encryption>"});
  const struct {
    std::vector<ZipEntry> book;
    const char* message;
  } cases[] = {
      {wrong_mimetype, "not an EPUB book"},
      {no_container, "no META-INF/container.xml"},
      {protected_book, "encrypted"},
  };
  for (const auto& c : cases) {
    test_support::MakeZip(Path("bad.epub"), c.book);
    const std::string before = platform::ReadFile(Path("bad.epub"));
    std::string err;
    EXPECT_EQ(Hyphenate({Path("bad.epub"), "--in-place"}, &err), kExitFailure);
    EXPECT_NE(err.find(c.message), std::string::npos) << err;
    EXPECT_EQ(platform::ReadFile(Path("bad.epub")), before);
    EXPECT_EQ(Hyphenate({Path("bad.epub"), "-o", Path("out.epub")}), kExitFailure);
    EXPECT_FALSE(fs::exists(Path("out.epub")));
  }
  // Damaged data: a content document whose compressed bytes are overwritten.
  test_support::MakeZip(Path("in.epub"), Epub3());
  std::string damaged = platform::ReadFile(Path("in.epub"));
  const std::size_t at = damaged.find("OEBPS/bir.xhtml") + 20;
  for (std::size_t k = at; k < at + 40; ++k) damaged[k] = '\x55';
  platform::WriteFileAtomically(Path("damaged.epub"), damaged);
  std::string err;
  EXPECT_EQ(Hyphenate({Path("damaged.epub"), "-o", Path("out.epub")}, &err), kExitFailure);
  EXPECT_NE(err.find("damaged EPUB book"), std::string::npos) << err;
  EXPECT_FALSE(fs::exists(Path("out.epub")));
  platform::WriteFileAtomically(Path("page.epub"), "<p>International</p>");
  EXPECT_EQ(Hyphenate({Path("page.epub"), "-o", Path("out.epub")}, &err), kExitFailure);
  EXPECT_NE(err.find("not a zip archive"), std::string::npos) << err;
  // Never waited on, never written to the terminal.
  ASSERT_EQ(mkfifo(Path("pipe.epub").c_str(), 0600), 0);
  EXPECT_EQ(Hyphenate({Path("pipe.epub"), "-o", Path("out.epub")}, &err), kExitFailure);
  EXPECT_NE(err.find("not a regular file"), std::string::npos) << err;
  EXPECT_EQ(Hyphenate({Path("in.epub")}, &err), kExitFailure);
  EXPECT_NE(err.find("give -o OUT or --in-place"), std::string::npos) << err;
}

TEST_F(BookTest, XhtmlAndSvgPagesGetACharacterXmlReads) {
  platform::WriteFileAtomically(Path("page.xhtml"), Page("", " lang=\"en\"", "<p>International &amp; more</p>"));
  platform::WriteFileAtomically(Path("drawing.svg"),
                                "<svg xmlns=\"http://www.w3.org/2000/svg\"><text>International</text></svg>\n");
  ASSERT_EQ(Hyphenate({Path("page.xhtml"), Path("drawing.svg"), "--in-place"}), kExitOk);
  const std::string page = platform::ReadFile(Path("page.xhtml"));
  EXPECT_NE(page.find("In\u00ADter\u00ADna\u00ADtional"), std::string::npos) << page;
  EXPECT_TRUE(XmlParses(page));
  EXPECT_EQ(platform::ReadFile(Path("drawing.svg")),
            "<svg xmlns=\"http://www.w3.org/2000/svg\"><text>International</text></svg>\n");
  // HTML chooses its form; a code page 1254 XML page gets the numeric one.
  platform::WriteFileAtomically(Path("page.html"), "<p>International</p>");
  ASSERT_EQ(Hyphenate({Path("page.html"), "--in-place", "--soft-hyphen=numeric"}), kExitOk);
  EXPECT_EQ(platform::ReadFile(Path("page.html")), "<p>In&#173;ter&#173;na&#173;tional</p>");
  platform::WriteFileAtomically(Path("cp.xhtml"), "<?xml version=\"1.0\" encoding=\"windows-1254\"?><p>International</p>");
  ASSERT_EQ(Hyphenate({Path("cp.xhtml"), "--in-place"}), kExitOk);
  EXPECT_NE(platform::ReadFile(Path("cp.xhtml")).find("In&#173;ter"), std::string::npos);
}

}  // namespace
}  // namespace corvane::cli
