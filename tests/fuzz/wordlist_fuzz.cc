// Reads arbitrary bytes as a word-list file and decodes every line with the
// line cipher, as the import does, under a key taken from the input. A line
// that decodes must also survive the encoder: bytes 1..254 come back as
// they were. Nothing may crash, hang or allocate without bound.
#include <cstdint>
#include <string>

#include "platform/error.h"
#include "wordlist/line_cipher.h"
#include "wordlist/list_file.h"

using corvane::wordlist::ListFileReader;
using corvane::wordlist::LineCipher;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  // The first byte chooses a key length (0..7) from the bytes after it.
  const std::size_t key_length = std::min<std::size_t>(data[0] % 8, size - 1);
  const std::string key(reinterpret_cast<const char*>(data) + 1, key_length);
  ListFileReader reader =
      ListFileReader::FromText(std::string(reinterpret_cast<const char*>(data) + 1 + key_length, size - 1 - key_length));
  std::string plain;
  do {
    const std::string_view line = reader.ReadLine();
    try {
      LineCipher::DecodeInto(line, key, plain);
    } catch (const corvane::Error&) {
      continue;
    }
    if (plain.find('\0') != std::string::npos || plain.find('\xFF') != std::string::npos) continue;
    const std::string again = LineCipher::Decode(LineCipher::Encode(plain, key, data[0]), key);
    if (again != plain) __builtin_trap();
  } while (!reader.Eof());
  return 0;
}
