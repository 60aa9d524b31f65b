#include "wordlist/line_cipher.h"

#include <array>
#include <random>

#include "platform/error.h"

namespace corvane::wordlist {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

// Sums of a plain byte and the previous cipher byte are reduced modulo 255,
// not 256; the stored lists depend on it.
constexpr int kModulus = 255;

// Digit value of each byte, -1 for a byte that is no hexadecimal digit, so
// the decoder of 164,000 lines does no character-class tests.
constexpr std::array<int8_t, 256> MakeDigitTable() {
  std::array<int8_t, 256> table{};
  table.fill(-1);
  for (int i = 0; i < 10; ++i) table['0' + i] = static_cast<int8_t>(i);
  for (int i = 0; i < 6; ++i) {
    table['A' + i] = static_cast<int8_t>(10 + i);
    table['a' + i] = static_cast<int8_t>(10 + i);
  }
  return table;
}
constexpr std::array<int8_t, 256> kDigitValue = MakeDigitTable();

// Walks the key cyclically. With an empty key the cycle length stays 0, so
// every step falls back to position 1 of the default key.
class KeyStream {
 public:
  explicit KeyStream(std::string_view key)
      : text_(key.empty() ? LineCipher::kDefaultKey : key), length_(key.size()) {}

  uint8_t Next() {
    position_ = position_ < length_ ? position_ + 1 : 1;
    return static_cast<uint8_t>(text_[position_ - 1]);
  }

 private:
  std::string_view text_;
  std::size_t length_;
  std::size_t position_ = 0;
};

[[noreturn]] void ThrowNotInteger(std::string_view pair) {
  std::string text = "'$";
  text += pair;
  text += "' is not a valid integer value";
  throw ConversionError(text);
}

// The value of the (up to) two digits at `pos`; fewer when the data ends
// earlier, and an empty pair is invalid like any non-hexadecimal one.
int ReadPair(std::string_view data, std::size_t pos) {
  const std::string_view pair = pos < data.size() ? data.substr(pos, 2) : std::string_view();
  if (pair.empty()) ThrowNotInteger(pair);
  int value = 0;
  for (const char c : pair) {
    const int digit = kDigitValue[static_cast<uint8_t>(c)];
    if (digit < 0) ThrowNotInteger(pair);
    value = value * 16 + digit;
  }
  return value;
}

void AppendHex(std::string& out, int value) {
  out += kHexDigits[(value >> 4) & 0xF];
  out += kHexDigits[value & 0xF];
}

// A generator seeded anew for every encode, so no two runs share a sequence.
// The entropy source is opened once per thread: opening it per line made
// encoding a whole list take seconds.
uint8_t RandomStart() {
  thread_local std::random_device device;
  std::minstd_rand generator(device());
  std::uniform_int_distribution<int> start(0, 255);
  return static_cast<uint8_t>(start(generator));
}

}  // namespace

void LineCipher::Run() {
  if (input_.empty()) {
    output_.clear();
    return;
  }
  output_ = Transform(input_, key_, action_ == atEncryption);
}

std::string LineCipher::Transform(std::string_view data, std::string_view key, bool encode) {
  return encode ? Encode(data, key, RandomStart()) : Decode(data, key);
}

std::string LineCipher::Encode(std::string_view data, std::string_view key, uint8_t start) {
  std::string out;
  out.reserve(2 * data.size() + 2);
  AppendHex(out, start);
  KeyStream keys(key);
  int previous = start;
  for (const char c : data) {
    const int plain = static_cast<uint8_t>(c);
    const int cipher = ((plain + previous) % kModulus) ^ keys.Next();
    AppendHex(out, cipher);
    previous = cipher;
  }
  return out;
}

std::string LineCipher::Decode(std::string_view data, std::string_view key) {
  std::string plain;
  DecodeInto(data, key, plain);
  return plain;
}

void LineCipher::DecodeInto(std::string_view data, std::string_view key, std::string& plain) {
  plain.clear();
  plain.reserve(data.size() / 2);
  int previous = ReadPair(data, 0);
  KeyStream keys(key);
  std::size_t pos = 2;
  // The body runs once even when no pair follows the start value, which is
  // what makes a one- or two-digit text fail. Later pairs are read only when
  // two digits remain, so a lone last digit of a longer text is ignored.
  do {
    const int cipher = ReadPair(data, pos);
    const int sum = cipher ^ keys.Next();
    const int value = previous < sum ? sum - previous : sum + kModulus - previous;
    plain += static_cast<char>(value);
    previous = cipher;
    pos += 2;
  } while (pos + 1 < data.size());
}

}  // namespace corvane::wordlist
