// A user's own marked words ("ki_tap", one per line), consulted before the
// word list. The file may be UTF-8 or code page 1254; blank lines and lines
// starting with "#" are skipped. Entries are folded to lower case (A-Z only)
// and keyed by their plain word.
#ifndef CORVANE_WORDLIST_DICTIONARY_H_
#define CORVANE_WORDLIST_DICTIONARY_H_

#include <string>
#include <string_view>

#include "html/word_lookup.h"

namespace corvane::wordlist {

// Throws corvane::Error naming the line of a malformed entry.
html::MapWordLookup ParseDictionary(std::string_view bytes);

html::MapWordLookup LoadDictionary(const std::string& path);

}  // namespace corvane::wordlist

#endif  // CORVANE_WORDLIST_DICTIONARY_H_
