#include "platform/locale.h"

#include <cstdlib>

namespace corvane::platform {
namespace {

bool IsSet(const char* value) { return value != nullptr && value[0] != '\0'; }

bool NamesTurkish(std::string_view name) {
  if (name.size() < 2) return false;
  if ((name[0] != 't' && name[0] != 'T') || (name[1] != 'r' && name[1] != 'R')) return false;
  if (name.size() == 2) return true;
  const char next = name[2];
  return next == '_' || next == '-' || next == '.' || next == '@';
}

std::string MapBytes(std::string_view text, const std::array<uint8_t, 256>& table) {
  std::string out(text.size(), '\0');
  for (size_t i = 0; i < text.size(); ++i) {
    out[i] = static_cast<char>(table[static_cast<uint8_t>(text[i])]);
  }
  return out;
}

}  // namespace

int LocaleIdFromEnvironment(const char* lc_all, const char* lc_collate, const char* lang) {
  for (const char* value : {lc_all, lc_collate, lang}) {
    if (IsSet(value)) return NamesTurkish(value) ? kLocaleTurkish : kLocaleEnglishUs;
  }
  return kLocaleEnglishUs;
}

int UserLocaleId() {
  static const int id = LocaleIdFromEnvironment(std::getenv("LC_ALL"), std::getenv("LC_COLLATE"),
                                                std::getenv("LANG"));
  return id;
}

AnsiCase::AnsiCase(bool turkish) {
  for (int b = 0; b < 256; ++b) upper_[b] = lower_[b] = static_cast<uint8_t>(b);
  auto pair = [this](int up, int low) {
    upper_[low] = static_cast<uint8_t>(up);
    lower_[up] = static_cast<uint8_t>(low);
  };
  for (int k = 0; k < 26; ++k) pair('A' + k, 'a' + k);
  for (int b = 0xC0; b <= 0xDE; ++b) {
    if (b != 0xD7 && b != 0xDD) pair(b, b + 0x20);
  }
  pair(0x8A, 0x9A);
  pair(0x8C, 0x9C);
  pair(0x9F, 0xFF);
  
  if (turkish) {
    pair(0xDD, 'i');
    pair('I', 0xFD);
  } else {
    upper_[0xFD] = 'I';
    lower_[0xDD] = 'i';
  }
}

const AnsiCase& AnsiCase::ForLocale(int locale_id) {
  static const AnsiCase turkish(true);
  static const AnsiCase english(false);
  return locale_id == kLocaleTurkish ? turkish : english;
}

const AnsiCase& AnsiCase::User() { return ForLocale(UserLocaleId()); }

std::string AnsiCase::Upper(std::string_view text) const { return MapBytes(text, upper_); }
std::string AnsiCase::Lower(std::string_view text) const { return MapBytes(text, lower_); }

}  // namespace corvane::platform
