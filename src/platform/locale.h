// The user's locale and the casing of code page 1254 text under it.
//
// The program knows two locales: Turkish (1055) and everything else, which
// behaves as US English (1033). The locale is taken from the environment the
// way POSIX programs take it: the first of LC_ALL, LC_COLLATE and LANG that
// is set and not empty decides, and it is Turkish when its language part is
// "tr" ("tr", "tr_TR.UTF-8", "tr_TR@euro", "tr-TR"; the letters in either
// case). "trv_TW" is not Turkish.
//
// AnsiCase is the casing of single characters that people see (the
// counterpart of the system's ANSI upper and lower casing). Unlike the
// table engine's Turkish case tables (case_tables.h) it never maps the blank
// to the zero byte or back. Both locales case the letters of the code page:
//
//   a-z <-> A-Z      (i and I as below)
//   E0-F6 <-> C0-D6  à..ö <-> À..Ö, ğ F0 <-> Ğ D0, ç E7 <-> Ç C7
//   F8-FC <-> D8-DC  ø ù ú û ü <-> Ø Ù Ú Û Ü
//   FE <-> DE        ş <-> Ş
//   9A <-> 8A        š <-> Š
//   9C <-> 8C        œ <-> Œ
//   FF <-> 9F        ÿ <-> Ÿ
//   ×, ÷, µ and ß, and every non-letter, keep their case.
//
// The dotted and dotless i differ:
//
//            upper of i  upper of ı  lower of I  lower of İ
//   1055     İ (DD)      I (49)      ı (FD)      i (69)
//   1033     I (49)      I (49)      i (69)      i (69)
//
// So under 1033 the casing loses the dot distinction, as Unicode's default
// casing does: ı has no upper case of its own and İ no lower case, and they
// fold into the plain I and i. İ stays İ in upper case and ı stays ı in
// lower case.
#ifndef CORVANE_PLATFORM_LOCALE_H_
#define CORVANE_PLATFORM_LOCALE_H_

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace corvane::platform {

inline constexpr int kLocaleTurkish = 1055;
inline constexpr int kLocaleEnglishUs = 1033;

// Null pointers count as unset.
int LocaleIdFromEnvironment(const char* lc_all, const char* lc_collate, const char* lang);

// The locale of this process, read from the environment on the first call.
int UserLocaleId();

class AnsiCase {
 public:
  // 1055 gives the Turkish casing; any other identifier the US English one.
  static const AnsiCase& ForLocale(int locale_id);
  static const AnsiCase& User();

  uint8_t Upper(uint8_t b) const { return upper_[b]; }
  uint8_t Lower(uint8_t b) const { return lower_[b]; }
  const std::array<uint8_t, 256>& UpperTable() const { return upper_; }
  const std::array<uint8_t, 256>& LowerTable() const { return lower_; }
  std::string Upper(std::string_view text) const;
  std::string Lower(std::string_view text) const;

 private:
  explicit AnsiCase(bool turkish);

  std::array<uint8_t, 256> upper_;
  std::array<uint8_t, 256> lower_;
};

}  // namespace corvane::platform

#endif  // CORVANE_PLATFORM_LOCALE_H_
