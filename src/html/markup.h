// Markup detection: the bytes of a document that hyphenation must never touch.
//
// A pass collects words only from what is not markup and inserts soft hyphens
// only into words made entirely of non-markup bytes, so links, scripts, code
// samples, addresses and character references survive a pass intact.
//
// The text is scanned once from left to right; what each byte is:
//   comment     "<!--" up to the end of the next "-->" after it, or to the end
//   tag         "<" up to the ">" that ends it (FindTagEnd), or to the end
//   raw content the content of title, script, style, textarea, pre, code, kbd,
//               samp, xmp, iframe, noembed, noframes, noscript and plaintext
//               elements (a soft hyphen in a title would reach tab titles,
//               bookmarks and search results and never help a line break;
//               in raw text it would show as written): from the ">" of the
//               opening tag to the "<" of the next "</name" followed by ">",
//               "/", space, tab, CR or LF (names compared ignoring A-Z case),
//               or to the end (always, for plaintext)
//   address     a run between whitespace (space, tab, CR, LF) or the markup
//               above that contains "://", "www." or "@"
//   reference   outside all of these: "&", one or more ASCII letters or digits
//               (or "#" and one or more), then ";"
//   letter      a reference that decodes (entities.h) to a word byte other
//               than "_": "G&uuml;zel" and "k&#305;z" are words, read with
//               the reference as that one byte; every other reference
//               ("&amp;", "&nbsp;", "&#8217;") separates words
#ifndef CORVANE_HTML_MARKUP_H_
#define CORVANE_HTML_MARKUP_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::html {

enum class ByteKind : uint8_t {
  kText = 0,
  kHidden = 1,     // comment, raw element content, address: blanked for word collection
  kTag = 2,        // kept for the tokenizer, which skips tags itself
  kReference = 3,  // kept for the tokenizer, which decodes references itself
  kLetter = 4,     // a letter reference: part of the word it stands in
};

// One kind per byte of `text`.
std::vector<ByteKind> ClassifyMarkup(std::string_view text);

// A copy of `text` in which every hidden byte except CR and LF, and every
// byte of a reference that is not a letter, is a space, so that the tokenizer
// sees neither comments, nor raw content, nor addresses, and words break at
// "&quot;", "&amp;" or "&#8217;" as they do where occurrences are sought;
// letter references stay for the tokenizer to decode. Line structure and
// byte offsets stay as they were.
std::string BlankHiddenText(std::string_view text, const std::vector<ByteKind>& kinds);

// Reads a tag a byte at a time, as browsers do, to tell the ">" that ends it.
// In a tag that starts with a letter, or with "/" and a letter, an attribute
// value opened by a single or double quote right after its "=" runs to the
// matching quote, and a "<" or ">" inside it is part of the value. Other tags
// ("<!DOCTYPE", "<?xml", "</ x", "< b") end at the first ">"; a "<" right
// after the "<" starts the tag afresh ("<<b" reads as "<b").
class TagReader {
 public:
  // Takes the next byte after the tag's "<"; true when it is the ">" that
  // ends the tag.
  bool Ends(char c);
  // Whether the last byte taken lies inside a quoted value (its opening quote
  // included, its closing quote not).
  bool InQuotes() const { return state_ == State::kQuoted; }

 private:
  enum class State : uint8_t {
    kOpen, kSlash, kPlain, kStray, kTagName, kBeforeName, kName, kAfterName, kBeforeValue, kQuoted, kUnquoted
  };
  State state_ = State::kOpen;
  char quote_ = 0;
};

// Offset of the ">" that ends the tag whose "<" is at `open`, or npos when the
// tag runs to the end of the text (an unterminated quoted value does).
std::size_t FindTagEnd(std::string_view text, std::size_t open);

// Space, tab, CR or LF: what separates words.
inline bool IsWordSeparator(uint8_t c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace corvane::html

#endif  // CORVANE_HTML_MARKUP_H_
