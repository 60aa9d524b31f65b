#include "hyphenation/turkish_syllabifier.h"

#include <gtest/gtest.h>

namespace corvane::hyphenation {
namespace {

TEST(SyllabifierTest, TurkishRules) {
  struct Case {
    const char* word;
    const char* marked;
  };
  const Case cases[] = {
      {"kitap", "ki_tap"},
      {"merhaba", "mer_ha_ba"},
      {"kardes", "kar_des"},
      {"t\xFCrk\xE7" "e", "t\xFCrk_\xE7" "e"},        // Türkçe: three consonants, last goes right
      {"program", "prog_ram"},
      {"saat", "sa_at"},                              // vowels side by side
      {"tren", "tren"},                               // initial cluster, one syllable
      {"spor", "spor"},
      {"kral", "kral"},
      {"trenler", "tren_ler"},
      {"araba", "ara_ba"},                            // no single letter at the start
      {"okula", "oku_la"},
      {"saa", "saa"},                                 // nor at the end
      {"\xF6\xF0retmen", "\xF6\xF0_ret_men"},         // öğretmen
      {"\xDDstanbul", "\xDDs_tan_bul"},               // İstanbul
      {"\xC7ocuk", "\xC7o_cuk"},                       // Çocuk
      {"", ""},
      {"bcd", "bcd"},
  };
  for (const Case& c : cases) EXPECT_EQ(Syllabify(c.word), c.marked) << c.word;
}

}  // namespace
}  // namespace corvane::hyphenation
