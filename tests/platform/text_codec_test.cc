#include "platform/text_codec.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <unistd.h>

#include "platform/error.h"
#include "platform/file_io.h"

namespace corvane::platform {
namespace {

namespace fs = std::filesystem;

std::string EncodeInPieces(const std::string& text, const DocumentText& doc, std::size_t piece) {
  std::string out;
  DocumentEncoder encoder(doc, [&out](std::string_view p) { out.append(p); });
  if (text.empty()) encoder.Write("");
  for (std::size_t at = 0; at < text.size(); at += piece) encoder.Write(std::string_view(text).substr(at, piece));
  return out;
}

// Cutting the text anywhere, even between a stand-in byte and the next,
// gives the bytes of the whole-text conversion: characters the code page
// lacks, the byte-order mark and plain code page files alike.
TEST(DocumentEncoderTest, PiecesGiveTheWholeConversion) {
  std::string big_utf8 = "\xEF\xBB\xBF";
  for (int i = 0; i < 30000; ++i) big_utf8 += "kitap 中 şğ 😀 ";
  const std::string inputs[] = {big_utf8, "a中b😀c", "\xEF\xBB\xBF", "plain ascii", "caf\xE9 \xFE",
                                // UTF-8 by its mark or its meta element, with stray bytes
                                "\xEF\xBB\xBF\xFFş\t中\xC4\xEF\xBB\xBF\x9F\t\xE2\x82", big_utf8 + "\x80\t",
                                "<meta charset=utf-8>\tğ\xF0\x9F\x98 \xAD \xC0\xAF"};
  for (const std::string& input : inputs) {
    const DocumentText doc = DecodeDocument(input, Encoding::kAuto);
    const std::string whole = EncodeDocument(doc.text, doc);
    for (std::size_t piece : {std::size_t{1}, std::size_t{3}, std::size_t{70000}, doc.text.size() + 1}) {
      EXPECT_EQ(EncodeInPieces(doc.text, doc, piece), whole) << input.substr(0, 20) << " in pieces of " << piece;
    }
    EXPECT_EQ(whole, input);
  }
}

// A page declared UTF-8 keeps its stray bytes; each is a tab to the passes,
// which separates words. Without a declaration the page is code page bytes.
TEST(DecodeDocumentTest, StrayBytesInDeclaredUtf8Pages) {
  const DocumentText doc = DecodeDocument("<meta charset=utf-8>\xC4\xB1\xFFş\t\xEF\xBB\xBF", Encoding::kAuto);
  EXPECT_TRUE(doc.utf8 && doc.stray_bytes);
  EXPECT_EQ(doc.text, "<meta charset=utf-8>\xFD\t\xFE\t\x8F");
  EXPECT_EQ(doc.tab_bytes, "\xFF\t");
  EXPECT_EQ(doc.unmappable, std::vector<char32_t>{U'\uFEFF'});
  EXPECT_FALSE(DecodeDocument("<p>\xC4\xB1\xFF", Encoding::kAuto).utf8);
  EXPECT_FALSE(DecodeDocument("<meta charset=utf-8>\xC4\xB1", Encoding::kAuto).stray_bytes);
  EXPECT_THROW(DecodeDocument("<meta charset=utf-8>\xFF", Encoding::kUtf8), Error);
}

// The target is replaced only on Commit; an abandoned writer leaves the old
// file and no temporary beside it, and a new file takes the usual mode.
TEST(AtomicFileWriterTest, ReplacesOnlyOnCommit) {
  const fs::path dir = fs::temp_directory_path() / ("corvane_writer_" + std::to_string(getpid()));
  fs::create_directories(dir);
  const std::string target = (dir / "page.html").string();
  WriteFileAtomically(target, "old");
  chmod(target.c_str(), 0640);
  {
    AtomicFileWriter writer(target);
    writer.Write("half of the new");
  }
  EXPECT_EQ(ReadFile(target), "old");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator{}), 1);
  {
    AtomicFileWriter writer(target);
    writer.Write("new ");
    writer.Write("text");
    writer.Commit();
  }
  EXPECT_EQ(ReadFile(target), "new text");
  EXPECT_EQ(fs::status(target).permissions() & fs::perms::all, fs::perms(0640));
  EXPECT_THROW(AtomicFileWriter((dir / "missing" / "x").string()), Error);
  fs::remove_all(dir);
}

}  // namespace
}  // namespace corvane::platform
