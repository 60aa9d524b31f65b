#include "html/entities.h"

#include <algorithm>
#include <array>
#include <numeric>
#include <utility>

namespace corvane::html {
namespace {

constexpr std::array<NamedReference, kNamedReferenceCount> kNamed = {{
    {"&quot;", "&#34;", 34}, {"&amp;", "&#38;", 38}, {"&lt;", "&#60;", 60},
    {"&gt;", "&#62;", 62}, {"&nbsp;", "&#160;", 160},
    {"&iexcl;", "&#161;", 161}, {"&cent;", "&#162;", 162},
    {"&pound;", "&#163;", 163}, {"&curren;", "&#164;", 164},
    {"&yen;", "&#165;", 165}, {"&brvbar;", "&#166;", 166},
    {"&sect;", "&#167;", 167}, {"&uml;", "&#168;", 168},
    {"&copy;", "&#169;", 169}, {"&ordf;", "&#170;", 170},
    {"&laquo;", "&#171;", 171}, {"&not;", "&#172;", 172},
    {"&shy;", "&#173;", 173}, {"&reg;", "&#174;", 174},
    {"&macr;", "&#175;", 175}, {"&deg;", "&#176;", 176},
    {"&plusmn;", "&#177;", 177}, {"&sup2;", "&#178;", 178},
    {"&sup3;", "&#179;", 179}, {"&acute;", "&#180;", 180},
    {"&micro;", "&#181;", 181}, {"&para;", "&#182;", 182},
    {"&middot;", "&#183;", 183}, {"&cedil;", "&#184;", 184},
    {"&sup1;", "&#185;", 185}, {"&ordm;", "&#186;", 186},
    {"&raquo;", "&#187;", 187}, {"&frac14;", "&#188;", 188},
    {"&frac12;", "&#189;", 189}, {"&frac34;", "&#190;", 190},
    {"&iquest;", "&#191;", 191}, {"&Agrave;", "&#192;", 192},
    {"&Aacute;", "&#193;", 193}, {"&Acirc;", "&#194;", 194},
    {"&Atilde;", "&#195;", 195}, {"&Auml;", "&#196;", 196},
    {"&Aring;", "&#197;", 197}, {"&AElig;", "&#198;", 198},
    {"&Ccedil;", "&#199;", 199}, {"&Egrave;", "&#200;", 200},
    {"&Eacute;", "&#201;", 201}, {"&Ecirc;", "&#202;", 202},
    {"&Euml;", "&#203;", 203}, {"&Igrave;", "&#204;", 204},
    {"&Iacute;", "&#205;", 205}, {"&Icirc;", "&#206;", 206},
    {"&Iuml;", "&#207;", 207}, {"&ETH;", "&#208;", 208},
    {"&Ntilde;", "&#209;", 209}, {"&Ograve;", "&#210;", 210},
    {"&Oacute;", "&#211;", 211}, {"&Ocirc;", "&#212;", 212},
    {"&Otilde;", "&#213;", 213}, {"&Ouml;", "&#214;", 214},
    {"&times;", "&#215;", 215}, {"&Oslash;", "&#216;", 216},
    {"&Ugrave;", "&#217;", 217}, {"&Uacute;", "&#218;", 218},
    {"&Ucirc;", "&#219;", 219}, {"&Uuml;", "&#220;", 220},
    {"&Yacute;", "&#221;", 221}, {"&THORN;", "&#222;", 222},
    {"&szlig;", "&#223;", 223}, {"&agrave;", "&#224;", 224},
    {"&aacute;", "&#225;", 225}, {"&acirc;", "&#226;", 226},
    {"&atilde;", "&#227;", 227}, {"&auml;", "&#228;", 228},
    {"&aring;", "&#229;", 229}, {"&aelig;", "&#230;", 230},
    {"&ccedil;", "&#231;", 231}, {"&egrave;", "&#232;", 232},
    {"&eacute;", "&#233;", 233}, {"&ecirc;", "&#234;", 234},
    {"&euml;", "&#235;", 235}, {"&igrave;", "&#236;", 236},
    {"&iacute;", "&#237;", 237}, {"&icirc;", "&#238;", 238},
    {"&iuml;", "&#239;", 239}, {"&eth;", "&#240;", 240},
    {"&ntilde;", "&#241;", 241}, {"&ograve;", "&#242;", 242},
    {"&oacute;", "&#243;", 243}, {"&ocirc;", "&#244;", 244},
    {"&otilde;", "&#245;", 245}, {"&ouml;", "&#246;", 246},
    {"&divide;", "&#247;", 247}, {"&oslash;", "&#248;", 248},
    {"&ugrave;", "&#249;", 249}, {"&uacute;", "&#250;", 250},
    {"&ucirc;", "&#251;", 251}, {"&uuml;", "&#252;", 252},
    {"&yacute;", "&#253;", 253}, {"&thorn;", "&#254;", 254},
    {"&yuml;", "&#255;", 255},
}};

// Row numbers ordered by name, built at compile time so a lookup is a binary
// search over 100 short names with nothing to set up at run time.
constexpr std::array<uint8_t, kNamedReferenceCount> kByName = [] {
  std::array<uint8_t, kNamedReferenceCount> rows{};
  std::iota(rows.begin(), rows.end(), uint8_t{0});
  std::sort(rows.begin(), rows.end(), [](uint8_t a, uint8_t b) {
    return kNamed[a].name < kNamed[b].name;
  });
  return rows;
}();

constexpr std::size_t kLongestName = [] {
  std::size_t longest = 0;
  for (const NamedReference& row : kNamed) longest = std::max(longest, row.name.size());
  return longest;
}();

constexpr bool NamesAreDistinct() {
  for (std::size_t i = 1; i < kByName.size(); ++i) {
    if (kNamed[kByName[i - 1]].name == kNamed[kByName[i]].name) return false;
  }
  return true;
}
static_assert(NamesAreDistinct(), "a name may stand in one row only");

// Letters of code page 1254 whose Unicode code lies above 255, so that pages
// spelling Turkish letters as references ("k&#305;z") keep them as letters.
struct WideLetter {
  int code;
  uint8_t byte;
};
constexpr WideLetter kWideLetters[] = {
    {0x011E, 0xD0}, {0x011F, 0xF0}, {0x0130, 0xDD}, {0x0131, 0xFD},  // Ğ ğ İ ı
    {0x0152, 0x8C}, {0x0153, 0x9C}, {0x015E, 0xDE}, {0x015F, 0xFE},  // Œ œ Ş ş
    {0x0160, 0x8A}, {0x0161, 0x9A}, {0x0178, 0x9F}, {0x0192, 0x83},  // Š š Ÿ ƒ
};

// HTML names of Turkish letters that the 100-row table lacks.
constexpr std::pair<std::string_view, uint8_t> kTurkishNames[] = {
    {"&gbreve;", 0xF0}, {"&Gbreve;", 0xD0}, {"&scedil;", 0xFE}, {"&Scedil;", 0xDE},
    {"&inodot;", 0xFD}, {"&imath;", 0xFD},  {"&Idot;", 0xDD},
};

constexpr bool IsDigit(char c) { return c >= '0' && c <= '9'; }

constexpr int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The byte of a numeric reference of any length that names one of the wide
// letters: decimal digits, or "x" and hex digits, leading zeros allowed.
std::optional<uint8_t> WideLetterByte(std::string_view reference) {
  std::string_view body = reference.substr(2, reference.size() - 3);
  const bool hex = !body.empty() && (body[0] == 'x' || body[0] == 'X');
  if (hex) body.remove_prefix(1);
  if (body.empty()) return std::nullopt;
  int value = 0;
  for (char c : body) {
    const int d = hex ? HexDigitValue(c) : (IsDigit(c) ? c - '0' : -1);
    if (d < 0) return std::nullopt;
    value = value * (hex ? 16 : 10) + d;
    if (value > 0xFFFF) return std::nullopt;  // far beyond every wide letter; no overflow
  }
  for (const WideLetter& letter : kWideLetters) {
    if (letter.code == value) return letter.byte;
  }
  return std::nullopt;
}

}  // namespace

std::span<const NamedReference, kNamedReferenceCount> NamedReferences() {
  return kNamed;
}

const NamedReference* FindNamedReference(std::string_view name) {
  if (name.size() > kLongestName) return nullptr;
  auto it = std::lower_bound(
      kByName.begin(), kByName.end(), name,
      [](uint8_t row, std::string_view key) { return kNamed[row].name < key; });
  if (it == kByName.end() || kNamed[*it].name != name) return nullptr;
  return &kNamed[*it];
}

uint8_t CodeToByte(uint8_t code) {
  return (code < 32 || code == 160) ? uint8_t{32} : code;
}

std::optional<int> NumericReferenceValue(std::string_view reference) {
  if (reference.size() < 3 || reference[0] != '&' || reference[1] != '#') {
    return std::nullopt;
  }
  std::string_view body = reference.substr(2, reference.size() - 3);
  if (body.empty() || body.size() > 3) return std::nullopt;

  if (body[0] == 'x' || body[0] == 'X') {
    std::string_view digits = body.substr(1);
    if (digits.empty()) return std::nullopt;
    int value = 0;
    for (char c : digits) {
      int d = HexDigitValue(c);
      if (d < 0) return std::nullopt;
      value = value * 16 + d;
    }
    return value;
  }

  bool negative = false;
  if (body[0] == '+' || body[0] == '-') {
    negative = body[0] == '-';
    body.remove_prefix(1);
  }
  if (body.empty()) return std::nullopt;
  int value = 0;
  for (char c : body) {
    if (!IsDigit(c)) return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return negative ? -value : value;
}

std::optional<uint8_t> DecodeReference(std::string_view reference) {
  if (reference.size() > 2 && reference[1] == '#') {
    std::optional<int> value = NumericReferenceValue(reference);
    if (value && *value >= 0 && *value <= 255) return CodeToByte(static_cast<uint8_t>(*value));
    // Other values stay as written, unless the code page holds them as a
    // letter: there is no byte that could stand for them without inventing one.
    return WideLetterByte(reference);
  }
  if (const NamedReference* row = FindNamedReference(reference)) {
    return CodeToByte(static_cast<uint8_t>(row->code));
  }
  for (const auto& [name, byte] : kTurkishNames) {
    if (name == reference) return byte;
  }
  return std::nullopt;
}

}  // namespace corvane::html
