#include "wordlist/line_cipher.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "platform/error.h"

namespace corvane::wordlist {
namespace {

// Every byte from 1 to 254, the range the cipher restores exactly.
std::string RestorableBytes() {
  std::string bytes;
  for (int b = 1; b <= 254; ++b) bytes += static_cast<char>(b);
  return bytes;
}

// Key bytes: K 4B, e 65, z 7A, A 41, B 42.
TEST(LineCipherTest, EncodesKnownTexts) {
  struct Case {
    std::string data, key;
    uint8_t start;
    std::string cipher;
  };
  const Case cases[] = {
      // a: (61 + 10) mod 255 = 71, 71 xor 4B (K) = 3A
      // b: (62 + 3A) mod 255 = 9C, 9C xor 65 (e) = F9
      {"ab", "Kez Ora", 0x10, "103AF9"},
      // The empty key uses K for every byte: 9C xor 4B = D7.
      {"ab", "", 0x10, "103AD7"},
      // A key longer than the text: only its first byte is used.
      {"a", "Kez Ora", 0x10, "103A"},
      // (C8 + 80) = 148 reduces modulo 255 to 49 (not 48); 49 xor 4B = 02.
      {"\xC8", "", 0x80, "8002"},
      // The key cycles back to its first byte:
      // (61 + 00) xor 41 = 20, (61 + 20) xor 42 = C3, (61 + C3 = 124 -> 25) xor 41 = 64
      {"aaa", "AB", 0x00, "0020C364"},
      // (FF + FF = 1FE -> 00) xor 4B = 4B
      {"\xFF", "", 0xFF, "FF4B"},
      // Upper-case, zero-padded start value; no bytes, no pairs.
      {"", "x", 0x0A, "0A"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LineCipher::Encode(c.data, c.key, c.start), c.cipher) << c.cipher;
    // Only texts of bytes 1..254 come back; the others are covered below.
    if (!c.data.empty() && c.data.find('\xFF') == std::string::npos) {
      EXPECT_EQ(LineCipher::Decode(c.cipher, c.key), c.data) << c.cipher;
    }
  }
}

// The start value is random, so the same text encodes differently from run
// to run; every form is 2n + 2 upper-case digits and decodes alike.
TEST(LineCipherTest, RandomEncodingsDifferAndDecodeAlike) {
  const std::string samples[] = {"", "hece", RestorableBytes()};
  std::set<std::string> starts;
  for (int i = 0; i < 32; ++i) {
    for (const std::string& data : samples) {
      const std::string cipher = LineCipher::Transform(data, "Kez Ora", true);
      EXPECT_EQ(cipher.size(), 2 * data.size() + 2);
      EXPECT_EQ(cipher.find_first_not_of("0123456789ABCDEF"), std::string::npos) << cipher;
      if (!data.empty()) {
        EXPECT_EQ(LineCipher::Transform(cipher, "Kez Ora", false), data);
      }
      starts.insert(cipher.substr(0, 2));
    }
  }
  EXPECT_GT(starts.size(), 1u);
}

TEST(LineCipherTest, RoundTripsBytesOneTo254) {
  const std::string forward = RestorableBytes();
  const std::string backward(forward.rbegin(), forward.rend());
  std::string long_key;
  for (int i = 0; i < 300; ++i) long_key += static_cast<char>(i * 7);  // holds 00 and FF
  const std::string keys[] = {"", "Kez Ora", "K", "\xFF", long_key};
  const uint8_t starts[] = {0x00, 0x01, 0x7F, 0xFE, 0xFF};
  for (const std::string& key : keys) {
    for (const std::string* data : {&forward, &backward}) {
      for (const uint8_t start : starts) {
        EXPECT_EQ(LineCipher::Decode(LineCipher::Encode(*data, key, start), key), *data)
            << "key size " << key.size() << " start " << int{start};
      }
      EXPECT_EQ(LineCipher::Transform(LineCipher::Transform(*data, key, true), key, false),
                *data);
    }
  }
}

TEST(LineCipherTest, ZeroAnd255DecodeAlike) {
  struct Case {
    std::string plain;
    uint8_t start;
    std::string decoded;
  };
  // With the empty key, B4 after start 00 gives the cipher value FF
  // ((B4 + 00) xor 4B), so the byte after it follows a cipher value of 255.
  const Case cases[] = {
      {std::string(1, '\0'), 0x00, "\xFF"},
      {"\xFF", 0x00, "\xFF"},
      {std::string(1, '\0'), 0xFF, std::string(1, '\0')},
      {"\xFF", 0xFF, std::string(1, '\0')},
      {std::string("\xB4\x00", 2), 0x00, std::string("\xB4\x00", 2)},
      {"\xB4\xFF", 0x00, std::string("\xB4\x00", 2)},
      {std::string("a\x00", 2), 0xFF, "a\xFF"},
  };
  for (const Case& c : cases) {
    const std::string cipher = LineCipher::Encode(c.plain, "", c.start);
    EXPECT_EQ(LineCipher::Decode(cipher, ""), c.decoded) << cipher;
  }
}

TEST(LineCipherTest, DecoderReadsPairsAsDescribed) {
  struct Case {
    std::string cipher, key, plain;
  };
  const Case cases[] = {
      {"103af9", "Kez Ora", "ab"},   // lower-case digits
      {"103AF", "Kez Ora", "a"},     // odd length: the last digit is ignored...
      {"103AG", "Kez Ora", "a"},     // ...unread, so even a non-digit passes
      {"103AF91", "Kez Ora", "ab"},
      // Exactly three digits: the third is a one-digit pair.
      // 0A xor 4B = 41, 41 - 10 = 31.
      {"10A", "", "1"},
      // FF xor 4B = B4, which exceeds the start value 10: B4 - 10 = A4.
      {"10FF", "", "\xA4"},
      // previous FF not below sum 4B: 4B + 255 - 255 = 4B.
      {"FF00", "", "\x4B"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LineCipher::Decode(c.cipher, c.key), c.plain) << c.cipher;
  }
}

TEST(LineCipherTest, MalformedPairsFailWithTheirText) {
  struct Case {
    std::string cipher, message;
  };
  const Case cases[] = {
      {"G1AA", "'$G1' is not a valid integer value"},
      {"100G", "'$0G' is not a valid integer value"},
      {"103AF9zz", "'$zz' is not a valid integer value"},
      {"10G", "'$G' is not a valid integer value"},
      {"10 1", "'$ 1' is not a valid integer value"},
      {"10-1", "'$-1' is not a valid integer value"},
      {"10+1", "'$+1' is not a valid integer value"},
      // One or two digits hold only the start value; the first byte's pair is empty.
      {"1", "'$' is not a valid integer value"},
      {"10", "'$' is not a valid integer value"},
      {"", "'$' is not a valid integer value"},
  };
  for (const Case& c : cases) {
    try {
      LineCipher::Decode(c.cipher, "");
      ADD_FAILURE() << "no error for '" << c.cipher << "'";
    } catch (const ConversionError& e) {
      EXPECT_EQ(std::string(e.what()), c.message);
    }
  }
}

TEST(LineCipherTest, RunFollowsTheProperties) {
  LineCipher cipher;
  EXPECT_EQ(cipher.Action(), atEncryption);
  EXPECT_EQ(cipher.Key(), "");

  cipher.SetKey("Kez Ora");
  cipher.SetInput("kitap");
  cipher.Run();
  const std::string encoded = cipher.Output();
  EXPECT_EQ(encoded.size(), 12u);

  cipher.SetAction(atDecryption);
  cipher.SetInput(encoded);
  cipher.Run();
  EXPECT_EQ(cipher.Output(), "kitap");

  // A failure keeps the previous result.
  cipher.SetInput("10");
  EXPECT_THROW(cipher.Run(), ConversionError);
  EXPECT_EQ(cipher.Output(), "kitap");

  // Empty input is no error, in either direction.
  for (const TActionType action : {atDecryption, atEncryption}) {
    cipher.SetOutput("stale");
    cipher.SetAction(action);
    cipher.SetInput("");
    cipher.Run();
    EXPECT_EQ(cipher.Output(), "");
  }
}

}  // namespace
}  // namespace corvane::wordlist
