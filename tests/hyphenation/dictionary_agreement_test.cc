// Dictionaries: the engine's breaks against those of the C hyphenation
// library office suites use, given the same file and the same words.
#include <gtest/gtest.h>
#include <hyphen.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <unordered_map>

#include "hyphenation/language_test_words.h"
#include "hyphenation/pattern_set.h"
#include "platform/file_io.h"
#include "support/scratch_dir.h"

// The peer library keeps a few bytes of the German two-level file it loads
// (freed by nothing we can call); LeakSanitizer would fail the run for them.
extern "C" const char* __lsan_default_suppressions() { return "leak:libhyphen\n"; }

namespace corvane::hyphenation {
namespace {

// The library applies only the digits of the longest pattern prefix it has
// reached, so a pattern that ends inside a longer one's prefix ("orts1" in
// "fortschritts") goes unseen unless that prefix carries its digits too. It
// is therefore given the file with every prefix of every pattern added,
// carrying the digits of all patterns it ends with: the same results by
// Liang's method. The engine reads the file as installed.
std::string ClosedLevel(const std::string& level, bool utf8) {
  std::unordered_map<std::string, std::vector<uint8_t>> patterns;
  std::vector<std::string> order;
  std::istringstream lines(level);
  for (std::string line; std::getline(lines, line);) {
    std::string letters;
    std::vector<uint8_t> digits(1, 0);
    for (char c : line) {
      if (c >= '0' && c <= '9') {
        digits.back() = static_cast<uint8_t>(c - '0');
      } else {
        letters += c;
        digits.push_back(0);
      }
    }
    if (letters.empty()) continue;
    if (patterns.insert_or_assign(letters, digits).second) order.push_back(letters);
  }
  auto boundary = [&](const std::string& s, size_t i) {
    return !utf8 || i == s.size() || (static_cast<unsigned char>(s[i]) & 0xC0) != 0x80;
  };
  std::unordered_map<std::string, std::vector<uint8_t>> closed;
  std::string out;
  for (const std::string& letters : order) {
    for (size_t end = 1; end <= letters.size(); ++end) {
      if (!boundary(letters, end)) continue;
      const std::string prefix = letters.substr(0, end);
      if (closed.count(prefix)) continue;
      std::vector<uint8_t> digits(prefix.size() + 1, 0);
      for (size_t begin = 0; begin < end; ++begin) {
        if (!boundary(prefix, begin)) continue;
        const auto p = patterns.find(prefix.substr(begin));
        if (p == patterns.end()) continue;
        for (size_t g = 0; g < p->second.size(); ++g) digits[begin + g] = std::max(digits[begin + g], p->second[g]);
      }
      for (size_t i = 0; i <= prefix.size(); ++i) {
        if (digits[i] != 0) out += static_cast<char>('0' + digits[i]);
        if (i < prefix.size()) out += prefix[i];
      }
      out += '\n';
      closed.emplace(prefix, std::move(digits));
    }
  }
  return out;
}

std::string ClosedDictionary(const std::string& file, const std::filesystem::path& folder) {
  const std::string text = platform::ReadFile(file);
  std::string encoding, options, levels[2];
  int level = 0;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (encoding.empty()) {
      encoding = line;
    } else if (line == "NEXTLEVEL") {
      level = 1;
    } else if (line.find("HYPHENMIN") != std::string::npos || line.rfind("NOHYPHEN", 0) == 0) {
      options += line + "\n";
    } else if (!line.empty() && line[0] != '%' && line[0] != '#' && line.find('/') == std::string::npos) {
      levels[level] += line + "\n";
    }
  }
  const bool utf8 = encoding == "UTF-8";
  std::string closed = encoding + "\n" + options + ClosedLevel(levels[0], utf8);
  if (level == 1) closed += "NEXTLEVEL\n" + ClosedLevel(levels[1], utf8);
  const std::string path = (folder / "closed.dic").string();
  platform::WriteFileAtomically(path, closed);
  return path;
}

struct DictionaryCase {
  const char* dictionary;
  const char* word_list;
};

class DictionaryAgreement : public testing::TestWithParam<DictionaryCase> {};

TEST_P(DictionaryAgreement, BreaksMatchTheLibrarysOnNearlyEveryWord) {
  const std::string file = std::string("/usr/share/hyphen/") + GetParam().dictionary;
  const std::string list = std::string("/usr/share/dict/") + GetParam().word_list;
  if (!std::ifstream(file).good() || !std::ifstream(list).good()) GTEST_SKIP() << file << " or " << list;
  const std::filesystem::path folder = test_support::FreshScratchDirForTest("hyphenation");
  const std::string closed = ClosedDictionary(file, folder);
  const PatternSet set = PatternSet::FromDicFile(file);
  HyphenDict* dict = hnj_hyphen_load(closed.c_str());
  ASSERT_NE(dict, nullptr);
  const bool utf8 = dict->utf8 != 0;
  size_t compared = 0, differing = 0;
  std::string examples;
  std::vector<uint8_t> breaks;
  for (const std::string& word : SampleWords(list, 20000)) {
    const std::u32string lowered = LowerWord(DecodeUtf8(word));
    // The library takes the word in the dictionary's own encoding and
    // answers per letter.
    std::string bytes;
    bool encodable = true;
    for (char32_t c : lowered) {
      if (utf8) {
        AppendUtf8(c, bytes);
      } else if (c < 0x100) {
        bytes += static_cast<char>(c);
      } else {
        encodable = false;
      }
    }
    if (!encodable || bytes.empty()) continue;
    std::vector<char> hyphens(bytes.size() + 5, 0);
    char** rep = nullptr;
    int* pos = nullptr;
    int* cut = nullptr;
    const Minimums m = set.OwnMinimums();
    ASSERT_EQ(hnj_hyphen_hyphenate3(dict, bytes.c_str(), static_cast<int>(bytes.size()), hyphens.data(), nullptr,
                                    &rep, &pos, &cut, m.left, m.right, 0, 0),
              0);
    std::vector<uint8_t> library(lowered.size() + 1, 0);
    for (size_t k = 0; k + 1 < lowered.size(); ++k) {
      if ((hyphens[k] & 1) && (rep == nullptr || rep[k] == nullptr)) library[k + 1] = 1;
    }
    if (rep != nullptr) {
      for (size_t b = 0; b < bytes.size(); ++b) std::free(rep[b]);
    }
    std::free(rep);
    std::free(pos);
    std::free(cut);
    set.Breaks(lowered, m, breaks);
    ++compared;
    if (breaks != library) {
      ++differing;
      if (differing <= 5) examples += " " + word;
    }
  }
  hnj_hyphen_free(dict);
  std::filesystem::remove_all(folder);
  ASSERT_GT(compared, 5000u);
  EXPECT_LE(differing * 1000, compared) << differing << " of " << compared << " words differ, such as" << examples;
}

INSTANTIATE_TEST_SUITE_P(Dictionaries, DictionaryAgreement,
                         testing::Values(DictionaryCase{"hyph_de_DE.dic", "ngerman"},
                                         DictionaryCase{"hyph_fr.dic", "french"},
                                         DictionaryCase{"hyph_en_US.dic", "american-english"}),
                         [](const testing::TestParamInfo<DictionaryCase>& info) {
                           std::string name = info.param.word_list;
                           std::replace(name.begin(), name.end(), '-', '_');
                           return name;
                         });

}  // namespace
}  // namespace corvane::hyphenation
