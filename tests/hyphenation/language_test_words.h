// Words for the agreement tests: a bounded, evenly spread sample of one of
// the system's word lists, as UTF-8 (lists still in Latin-1 are converted).
#ifndef CORVANE_TESTS_HYPHENATION_LANGUAGE_TEST_WORDS_H_
#define CORVANE_TESTS_HYPHENATION_LANGUAGE_TEST_WORDS_H_

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/codepage.h"

namespace corvane::hyphenation {

inline std::string Latin1ToUtf8(std::string_view line) {
  std::string utf8;
  for (unsigned char c : line) {
    if (c >= 0x80) utf8 += static_cast<char>(0xC0 | (c >> 6));
    utf8 += static_cast<char>(c < 0x80 ? c : 0x80 | (c & 0x3F));
  }
  return utf8;
}

// The line at or after each of `wanted` evenly spaced byte offsets, so that
// even the largest lists are not split into lines whole.
inline std::vector<std::string> SampleWords(const std::string& list, size_t wanted) {
  std::ifstream in(list, std::ios::binary);
  std::stringstream buffer;
  buffer << in.rdbuf();
  const std::string text = buffer.str();
  std::vector<std::string> sample;
  size_t last_start = std::string::npos;
  for (size_t i = 0; i < wanted && !text.empty(); ++i) {
    size_t start = i * (text.size() / wanted);
    if (start > 0) start = text.find('\n', start - 1) + 1;
    if (start == 0 && i > 0) break;  // no newline left
    if (start >= text.size() || start == last_start) continue;
    last_start = start;
    std::string line = text.substr(start, text.find('\n', start) - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    sample.push_back(platform::IsValidUtf8(line) ? line : Latin1ToUtf8(line));
  }
  return sample;
}

}  // namespace corvane::hyphenation

#endif  // CORVANE_TESTS_HYPHENATION_LANGUAGE_TEST_WORDS_H_
