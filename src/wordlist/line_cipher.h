// LineCipher: the line cipher of the word-list source file. Every line of
// the list is stored as a string of hexadecimal digit pairs under a repeating
// key; the import decodes each line with Decode (or Run), and Encode writes
// the same format so lists can be made and tests can build their input.
//
// Cipher text format, for a plain text of n bytes (2n + 2 digits):
//
//   digits      meaning
//   ----------  ------------------------------------------------------------
//   1-2         start value S, 0..255
//   2k+1..2k+2  cipher byte C[k] of plain byte P[k], k = 1..n:
//                 C[k] = ((P[k] + C[k-1]) mod 255) xor K[k],  C[0] = S
//
// The encoder writes upper-case, zero-padded pairs; the decoder accepts one
// or two digits of either case per pair. The modulus is 255, so the decoder
// inverts the encoder only for bytes 1..254: a 0 or a 255 decodes as 255,
// or as 0 where the preceding cipher value (or the start value) is 255.
//
// Key bytes K[k]: the key is used cyclically from its first byte. An empty
// key selects the default key "Kez Ora", but only its first byte "K" is ever
// used, because the cycle length stays that of the empty key; so the empty
// key and "Kez Ora" give different cipher texts for texts of two or more
// bytes.
//
// Decoding reads pairs from digit 3 on, one pair at least and then while a
// full or partial pair starts before the end. Hence a text of 1 or 2 digits
// fails (it has no byte), a text of exactly 3 digits decodes its last digit
// as a one-digit value, and an odd-length text of 5 or more digits ignores
// its last digit. A pair that is not hexadecimal throws ConversionError
// "'$XY' is not a valid integer value" (the empty pair reads "'$'").
//
// The object holds nothing but its four properties; each Run is independent
// of the one before. The static functions are pure apart from the random
// start value of Transform's encoding, and safe to call from any thread.
#ifndef CORVANE_WORDLIST_LINE_CIPHER_H_
#define CORVANE_WORDLIST_LINE_CIPHER_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

namespace corvane::wordlist {

enum TActionType : uint8_t { atEncryption = 0, atDecryption = 1 };

class LineCipher {
 public:
  // The key an empty Key stands for (of which only the first byte is used).
  static constexpr std::string_view kDefaultKey = "Kez Ora";

  const std::string& Input() const { return input_; }
  void SetInput(std::string input) { input_ = std::move(input); }

  // Result of the last successful Run; a failed Run leaves it as it was.
  const std::string& Output() const { return output_; }
  void SetOutput(std::string output) { output_ = std::move(output); }

  const std::string& Key() const { return key_; }
  void SetKey(std::string key) { key_ = std::move(key); }

  TActionType Action() const { return action_; }
  void SetAction(TActionType action) { action_ = action; }

  // Output := the transform of Input in the direction of Action; an empty
  // Input gives an empty Output and is no error. Throws ConversionError for
  // a malformed cipher text, leaving Output unchanged.
  void Run();

  // Encodes with a fresh random start value (a generator seeded anew at each
  // call, uniform over 0..255), or decodes.
  static std::string Transform(std::string_view data, std::string_view key, bool encode);

  // Encoding with a chosen start value, so that the output is reproducible.
  static std::string Encode(std::string_view data, std::string_view key, uint8_t start);

  static std::string Decode(std::string_view data, std::string_view key);

  // Decode into a caller's buffer, replacing its contents, so a loop over
  // many lines reuses one allocation. On a throw `plain` holds a partial
  // result.
  static void DecodeInto(std::string_view data, std::string_view key, std::string& plain);

 private:
  std::string input_;
  std::string output_;
  std::string key_;
  TActionType action_ = atEncryption;
};

}  // namespace corvane::wordlist

#endif  // CORVANE_WORDLIST_LINE_CIPHER_H_
