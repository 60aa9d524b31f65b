// The yardstick for `corvane words --engine-only`: one word per line on
// stdin, its marked form ("_" at every break) on stdout, through the C
// hyphenation library that office suites use, with the pattern file that
// tex_to_dic.sh makes from the same patterns. Reads and writes in bulk so
// that the library's own work is what gets measured.
// Usage: libhyphen_words PATTERNS.dic < words > marked
#include <hyphen.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: libhyphen_words PATTERNS.dic < words\n");
    return 2;
  }
  HyphenDict* dict = hnj_hyphen_load(argv[1]);
  if (dict == nullptr) {
    std::fprintf(stderr, "libhyphen_words: cannot load %s\n", argv[1]);
    return 1;
  }
  std::string in;
  char chunk[1 << 16];
  for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, stdin)) > 0;) in.append(chunk, n);

  std::string out;
  out.reserve(in.size() * 3 / 2);
  std::vector<char> hyphens;
  std::string word_buffer;
  std::size_t start = 0;
  while (start < in.size()) {
    std::size_t end = in.find('\n', start);
    if (end == std::string::npos) end = in.size();
    // The library reads the word as a C string too, so it gets one of its own.
    word_buffer.assign(in, start, end - start);
    const char* word = word_buffer.c_str();
    const int size = static_cast<int>(end - start);
    hyphens.assign(static_cast<std::size_t>(size) + 5, 0);
    char** rep = nullptr;
    int* pos = nullptr;
    int* cut = nullptr;
    const bool ok = size > 0 && hnj_hyphen_hyphenate3(dict, word, size, hyphens.data(), nullptr, &rep, &pos, &cut,
                                                      dict->lhmin, dict->rhmin, 0, 0) == 0;
    // With a UTF-8 dictionary the library answers per letter, not per byte:
    // a mark goes after the letter's last byte, never inside it.
    int letter = 0;
    for (int i = 0; i < size; ++i) {
      out += word[i];
      const bool letter_ends = !dict->utf8 || i + 1 == size || (static_cast<unsigned char>(word[i + 1]) & 0xC0) != 0x80;
      if (!letter_ends) continue;
      if (ok && i + 1 < size && (hyphens[static_cast<std::size_t>(letter)] & 1)) out += '_';
      ++letter;
    }
    out += '\n';
    std::free(rep);
    std::free(pos);
    std::free(cut);
    start = end + 1;
  }
  std::fwrite(out.data(), 1, out.size(), stdout);
  hnj_hyphen_free(dict);
  return 0;
}
