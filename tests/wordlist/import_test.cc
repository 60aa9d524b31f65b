#include "wordlist/import.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/error.h"
#include "wordlist/line_cipher.h"

namespace corvane::wordlist {
namespace {

class Collect : public EntrySink {
 public:
  void Append(std::string_view plain, std::string_view marked) override {
    entries.emplace_back(std::string(plain), std::string(marked));
  }
  std::vector<std::pair<std::string, std::string>> entries;
};

std::string Encoded(const std::string& marked) { return LineCipher::Encode(marked, "", 0x42); }

// Runs ticks until the import is done or a batch fails; returns the ticks.
int RunAll(WordListImport& import) {
  int ticks = 0;
  while (!import.ImportDone() && import.BatchReady()) {
    import.ImportBatch();
    ++ticks;
  }
  return ticks;
}

TEST(ListFileReaderTest, LineEnds) {
  struct Case {
    std::string text;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"a\r\nb\r\n", {"a", "b"}},
      {"a\rb", {"a", "b"}},
      {"a\nb\r", {"a\nb"}},            // a lone LF belongs to the line
      {"a\r\n\r\n", {"a", ""}},         // an extra empty line
      {"a\r\nb\x1A" "c\r\n", {"a", "b"}},  // Ctrl-Z ends the file
      {"", {""}},                       // reading at the end gives an empty line
  };
  for (const Case& c : cases) {
    ListFileReader reader = ListFileReader::FromText(c.text);
    std::vector<std::string> lines;
    do {
      lines.emplace_back(reader.ReadLine());
    } while (!reader.Eof());
    EXPECT_EQ(lines, c.lines) << c.text;
  }
}

TEST(ListFileReaderTest, MissingFileAndClosedReads) {
  try {
    ListFileReader reader("/nonexistent/cvhype.lst");
    FAIL();
  } catch (const IoError& e) {
    EXPECT_EQ(std::string(e.what()), "File not found");
  }
  ListFileReader reader = ListFileReader::FromText("x");
  reader.Close();
  EXPECT_THROW(reader.ReadLine(), IoError);
}

TEST(ImportTest, BatchesOfTwentyFiveHundredLines) {
  for (int lines : {2500, 2501}) {
    std::string text;
    for (int i = 0; i < lines; ++i) text += Encoded("ki_tap") + "\r\n";
    Collect sink;
    WordListImport import(std::make_unique<ListFileReader>(ListFileReader::FromText(text)), sink);
    EXPECT_EQ(RunAll(import), lines == 2500 ? 1 : 2);
    EXPECT_TRUE(import.ImportDone());
    EXPECT_EQ(sink.entries.size(), static_cast<std::size_t>(lines));
    EXPECT_EQ(sink.entries.front(), (std::pair<std::string, std::string>{"kitap", "ki_tap"}));
  }
}

TEST(ImportTest, EmptyFileGivesOneEmptyEntry) {
  Collect sink;
  WordListImport import(std::make_unique<ListFileReader>(ListFileReader::FromText("")), sink);
  EXPECT_EQ(RunAll(import), 1);
  ASSERT_EQ(sink.entries.size(), 1u);
  EXPECT_EQ(sink.entries[0], (std::pair<std::string, std::string>{"", ""}));
}

TEST(ImportTest, FailingLineStopsTheImport) {
  std::string text;
  for (int i = 0; i < 3000; ++i) text += (i == 2700 ? std::string("4A") : Encoded("a_b")) + "\r\n";
  Collect sink;
  WordListImport import(std::make_unique<ListFileReader>(ListFileReader::FromText(text)), sink);
  import.ImportBatch();
  try {
    import.ImportBatch();
    FAIL();
  } catch (const ConversionError& e) {
    EXPECT_EQ(std::string(e.what()), "'$' is not a valid integer value");
  }
  EXPECT_EQ(import.FailedLine(), 2701);
  EXPECT_EQ(sink.entries.size(), 2700u);
  EXPECT_FALSE(import.BatchReady());
  import.ImportBatch();  // no further batch starts
  EXPECT_EQ(sink.entries.size(), 2700u);
}

TEST(ImportTest, MissingListFileFailsEveryBatch) {
  Collect sink;
  WordListImport import(nullptr, sink);
  EXPECT_THROW(import.ImportBatch(), IoError);
}

TEST(ImportProgressTest, RoundsHalvesToEvenAndCaps) {
  const std::pair<int, int> cases[] = {{820, 0}, {821, 1}, {4100, 2}, {163179, 99}, {163180, 100}, {400000, 100}};
  for (const auto& [lines, percent] : cases) EXPECT_EQ(ImportProgress(lines), percent) << lines;
}

}  // namespace
}  // namespace corvane::wordlist
