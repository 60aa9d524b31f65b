#include "platform/codepage.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

#include "platform/error.h"

namespace corvane::platform {
namespace {

// 80-9F; the unassigned bytes carry their own value (C1 controls).
constexpr char32_t kHighBlock[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x008E, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x009E, 0x0178,
};

constexpr std::array<char32_t, 256> MakeToUnicode() {
  std::array<char32_t, 256> t{};
  for (int b = 0; b < 256; ++b) t[b] = static_cast<char32_t>(b);
  for (int b = 0; b < 32; ++b) t[0x80 + b] = kHighBlock[b];
  t[0xD0] = 0x011E;  // Ğ
  t[0xDD] = 0x0130;  // İ
  t[0xDE] = 0x015E;  // Ş
  t[0xF0] = 0x011F;  // ğ
  t[0xFD] = 0x0131;  // ı
  t[0xFE] = 0x015F;  // ş
  return t;
}

constexpr std::array<char32_t, 256> kToUnicode = MakeToUnicode();

// Code points below 0x100 that the code page holds; -1 where it does not.
constexpr std::array<int16_t, 256> MakeFromLatin() {
  std::array<int16_t, 256> t{};
  for (auto& v : t) v = -1;
  for (int b = 0; b < 256; ++b) {
    if (kToUnicode[b] < 0x100) t[kToUnicode[b]] = static_cast<int16_t>(b);
  }
  return t;
}

constexpr std::array<int16_t, 256> kFromLatin = MakeFromLatin();

constexpr int CountWide() {
  int n = 0;
  for (char32_t c : kToUnicode) n += c >= 0x100 ? 1 : 0;
  return n;
}

using WideEntry = std::pair<char32_t, uint8_t>;

// Code points from 0x100 up, sorted for binary search.
constexpr std::array<WideEntry, CountWide()> MakeFromWide() {
  std::array<WideEntry, CountWide()> t{};
  size_t n = 0;
  for (int b = 0; b < 256; ++b) {
    if (kToUnicode[b] >= 0x100) t[n++] = {kToUnicode[b], static_cast<uint8_t>(b)};
  }
  std::sort(t.begin(), t.end());
  return t;
}

constexpr auto kFromWide = MakeFromWide();

// UTF-8 form of every byte, so encoding is one table copy per byte.
struct Utf8Form {
  char bytes[4];
  uint8_t size;
};

size_t EncodeUtf8(char32_t c, char* out) {
  if (c < 0x80) {
    out[0] = static_cast<char>(c);
    return 1;
  }
  if (c < 0x800) {
    out[0] = static_cast<char>(0xC0 | (c >> 6));
    out[1] = static_cast<char>(0x80 | (c & 0x3F));
    return 2;
  }
  if (c < 0x10000) {
    out[0] = static_cast<char>(0xE0 | (c >> 12));
    out[1] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out[2] = static_cast<char>(0x80 | (c & 0x3F));
    return 3;
  }
  out[0] = static_cast<char>(0xF0 | (c >> 18));
  out[1] = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
  out[2] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
  out[3] = static_cast<char>(0x80 | (c & 0x3F));
  return 4;
}

const std::array<Utf8Form, 256>& Utf8Forms() {
  static const std::array<Utf8Form, 256> forms = [] {
    std::array<Utf8Form, 256> f{};
    for (int b = 0; b < 256; ++b) {
      f[b].size = static_cast<uint8_t>(EncodeUtf8(kToUnicode[b], f[b].bytes));
    }
    return f;
  }();
  return forms;
}

size_t Utf8Size(char32_t c) {
  return c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
}

bool IsScalarValue(char32_t c) {
  return c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF);
}

constexpr uint64_t kHighBits = 0x8080808080808080ull;

bool AsciiWord(const unsigned char* p) {
  uint64_t w;
  std::memcpy(&w, p, sizeof w);
  return (w & kHighBits) == 0;
}

bool IsContinuation(unsigned char b) { return (b & 0xC0) == 0x80; }

// Decodes one multi-byte sequence starting at p (p[0] >= 0x80). Returns the
// number of bytes it takes, or 0 when the sequence is not strict UTF-8. The
// tight second-byte ranges are what exclude overlongs, surrogates and values
// above U+10FFFF.
size_t DecodeSequence(const unsigned char* p, size_t left, char32_t* cp) {
  const unsigned char b0 = p[0];
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    if (left < 2 || !IsContinuation(p[1])) return 0;
    *cp = (char32_t{b0} & 0x1F) << 6 | (p[1] & 0x3F);
    return 2;
  }
  if (b0 >= 0xE0 && b0 <= 0xEF) {
    if (left < 3) return 0;
    const unsigned char lo = b0 == 0xE0 ? 0xA0 : 0x80;
    const unsigned char hi = b0 == 0xED ? 0x9F : 0xBF;
    if (p[1] < lo || p[1] > hi || !IsContinuation(p[2])) return 0;
    *cp = (char32_t{b0} & 0x0F) << 12 | (char32_t{p[1]} & 0x3F) << 6 | (p[2] & 0x3F);
    return 3;
  }
  if (b0 >= 0xF0 && b0 <= 0xF4) {
    if (left < 4) return 0;
    const unsigned char lo = b0 == 0xF0 ? 0x90 : 0x80;
    const unsigned char hi = b0 == 0xF4 ? 0x8F : 0xBF;
    if (p[1] < lo || p[1] > hi || !IsContinuation(p[2]) || !IsContinuation(p[3])) {
      return 0;
    }
    *cp = (char32_t{b0} & 0x07) << 18 | (char32_t{p[1]} & 0x3F) << 12 |
          (char32_t{p[2]} & 0x3F) << 6 | (p[3] & 0x3F);
    return 4;
  }
  return 0;
}

constexpr std::string_view kBom = "\xEF\xBB\xBF";

}  // namespace

char32_t Cp1254ToUnicode(uint8_t b) { return kToUnicode[b]; }

std::optional<uint8_t> UnicodeToCp1254(char32_t c) {
  if (c < 0x100) {
    const int16_t b = kFromLatin[c];
    if (b < 0) return std::nullopt;
    return static_cast<uint8_t>(b);
  }
  auto it = std::lower_bound(kFromWide.begin(), kFromWide.end(), c,
                             [](const WideEntry& e, char32_t v) { return e.first < v; });
  if (it == kFromWide.end() || it->first != c) return std::nullopt;
  return it->second;
}

bool IsPlainAscii(std::string_view s) {
  const auto* p = reinterpret_cast<const unsigned char*>(s.data());
  size_t i = 0;
  for (; i + 8 <= s.size(); i += 8) {
    if (!AsciiWord(p + i)) return false;
  }
  for (; i < s.size(); ++i) {
    if (p[i] >= 0x80) return false;
  }
  return true;
}

bool IsValidUtf8(std::string_view s) { return ValidUtf8Prefix(s) == s.size(); }

size_t ValidUtf8Prefix(std::string_view s) {
  const auto* p = reinterpret_cast<const unsigned char*>(s.data());
  const size_t n = s.size();
  size_t i = 0;
  while (i < n) {
    if (i + 8 <= n && AsciiWord(p + i)) {
      i += 8;
      continue;
    }
    if (p[i] < 0x80) {
      ++i;
      continue;
    }
    char32_t cp;
    const size_t len = DecodeSequence(p + i, n - i, &cp);
    if (len == 0) return i;
    i += len;
  }
  return n;
}

DecodedUtf8 Utf8ToCp1254(std::string_view utf8, uint8_t placeholder) {
  DecodedUtf8 result;
  if (utf8.starts_with(kBom)) {
    result.had_bom = true;
    utf8.remove_prefix(kBom.size());
  }
  const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
  const size_t n = utf8.size();
  // Every character takes at least one input byte and yields exactly one
  // output byte, so the input size bounds the output.
  result.text.resize(n);
  char* out = result.text.data();
  size_t o = 0;
  // Whole words of ASCII can be copied only when no ASCII byte is the
  // placeholder.
  const bool fast_ascii = placeholder >= 0x80;
  size_t i = 0;
  while (i < n) {
    if (fast_ascii && i + 8 <= n && AsciiWord(p + i)) {
      std::memcpy(out + o, p + i, 8);
      i += 8;
      o += 8;
      continue;
    }
    char32_t cp;
    if (p[i] < 0x80) {
      cp = p[i];
      ++i;
    } else {
      const size_t len = DecodeSequence(p + i, n - i, &cp);
      if (len == 0) throw Error("The text is not valid UTF-8.");
      i += len;
    }
    const std::optional<uint8_t> b = UnicodeToCp1254(cp);
    if (b && *b != placeholder) {
      out[o++] = static_cast<char>(*b);
    } else {
      out[o++] = static_cast<char>(placeholder);
      result.unmappable.push_back(cp);
    }
  }
  result.text.resize(o);
  return result;
}

std::string Cp1254ToUtf8(std::string_view text, std::span<const char32_t> unmappable,
                         uint8_t placeholder, bool bom) {
  const auto& forms = Utf8Forms();
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const size_t n = text.size();

  // Size the output exactly first: a 100 MB document must not double its
  // buffer on the way out.
  size_t size = bom ? kBom.size() : 0;
  size_t next = 0;
  for (size_t i = 0; i < n; ++i) {
    // ASCII bytes (never the placeholder, see fast_ascii below) take one
    // byte each, eight at a time.
    if (placeholder >= 0x80 && i + 8 <= n && AsciiWord(p + i)) {
      size += 8;
      i += 7;
      continue;
    }
    if (p[i] == placeholder && next < unmappable.size()) {
      const char32_t c = unmappable[next++];
      if (!IsScalarValue(c)) throw Error("The text holds a character that is not valid Unicode.");
      size += Utf8Size(c);
    } else {
      size += forms[p[i]].size;
    }
  }

  std::string out(size, '\0');
  char* w = out.data();
  if (bom) {
    std::memcpy(w, kBom.data(), kBom.size());
    w += kBom.size();
  }
  next = 0;
  const bool fast_ascii = placeholder >= 0x80;
  size_t i = 0;
  while (i < n) {
    if (fast_ascii && i + 8 <= n && AsciiWord(p + i)) {
      std::memcpy(w, p + i, 8);
      w += 8;
      i += 8;
      continue;
    }
    const unsigned char b = p[i++];
    if (b == placeholder && next < unmappable.size()) {
      w += EncodeUtf8(unmappable[next++], w);
    } else {
      std::memcpy(w, forms[b].bytes, forms[b].size);
      w += forms[b].size;
    }
  }
  return out;
}

std::string Cp1254ToUtf8(std::string_view text) {
  return Cp1254ToUtf8(text, std::span<const char32_t>(), kUnmappablePlaceholder, false);
}

}  // namespace corvane::platform
