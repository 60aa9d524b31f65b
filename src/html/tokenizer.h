// A forgiving HTML tokenizer: splits text into a flat run of tags and text.
//
// It knows "<", ">" and quoted attribute values (TagReader, markup.h) and
// nothing else: comments and scripts get no treatment of their own, nothing
// is validated and nothing is reported. The hyphenation passes need only the
// decoded text between the tags, so the rules below are
// chosen to keep every byte of text outside tags and to keep tag bytes out of
// the text, however broken the markup.
//
// Scanning (`Parse`, over the lines the owner put into `Lines()`):
//   - "<" ends the text collected so far (a text element, when not empty) and
//     opens a tag; a second "<" inside a tag is dropped, unless it lies in a
//     quoted attribute value.
//   - A tag ends at its ">" as TagReader finds it: a ">" inside a quoted
//     attribute value does not end it; a line break counts as a space there.
//     A ">" with no tag open still yields a tag, with empty name and no
//     attributes; the text around it stays one text element, placed after
//     that empty tag.
//   - A line that ends outside a tag adds a line feed to non-empty text; a
//     line that ends inside a tag adds nothing, so a tag split over lines is
//     joined without a separator ("<a" + "href=x>" is named "AHREF=X").
//   - At the end, an open tag with some text becomes a tag element; pending
//     text becomes a text element.
//
// Decoding of a text run (`DecodeText`): line feeds become spaces, runs of
// spaces shrink to one, then character references (see entities.h, which
// also decodes Turkish letters written above 255 or by their HTML names) are
// replaced left to right. A reference runs from "&" to the first ";" or
// space (a later "&" restarts it) and the terminator is part of it, so
// "&#65 B" gives "AB". Bytes produced by decoding are never read again as
// the start of a reference ("&amp;lt;" gives "&lt;"). Spaces produced by
// decoding are not collapsed ("&nbsp;&nbsp;" gives two spaces). Anything that
// does not decode stays as written.
//
// Ownership: the parser owns its lines and its elements; a tag owns its
// attributes. Elements live as long as the parser. A parser is meant for one
// run: `Parse` appends to `Elements()` without emptying it first.
#ifndef CORVANE_HTML_TOKENIZER_H_
#define CORVANE_HTML_TOKENIZER_H_

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::html {

// The decoded form of a raw text run, as THTMLText::Text() holds it.
// Linear in the length of `raw`.
std::string DecodeText(std::string_view raw);

// As above, into `out` (replacing its contents), so a caller that decodes
// many runs can reuse one buffer.
void DecodeTextInto(std::string_view raw, std::string& out);

enum class ElementKind { kTag, kText };

class THTMLElement {
 public:
  virtual ~THTMLElement() = default;
  ElementKind Kind() const { return kind_; }

 protected:
  explicit THTMLElement(ElementKind kind) : kind_(kind) {}

 private:
  ElementKind kind_;
};

// One attribute of a tag, as "name=value", "name=\"value\"" or "name".
class THTMLParam {
 public:
  THTMLParam() = default;
  explicit THTMLParam(std::string_view text) { SetText(text); }

  // Splits at the first "=": `Name` is the part before it with "a"-"z"
  // upper-cased (the whole text when there is no "="); `Value` the part after
  // it, without one pair of enclosing double quotes, or empty.
  void SetText(std::string_view text);

  const std::string& RawText() const { return raw_text_; }
  const std::string& Name() const { return name_; }
  const std::string& Value() const { return value_; }

 private:
  std::string raw_text_;
  std::string name_;
  std::string value_;
};

class THTMLTag : public THTMLElement {
 public:
  THTMLTag() : THTMLElement(ElementKind::kTag) {}

  // `text` is everything between "<" and ">". `Name` is its first word (up
  // to the first space) with "a"-"z" upper-cased: "TABLE", "/B", "!--".
  // The rest splits into attributes at spaces outside double quotes; single
  // quotes do not group, and runs of spaces give no empty attributes.
  void SetText(std::string_view text);

  const std::string& Name() const { return name_; }
  const std::string& RawText() const { return raw_text_; }
  const std::vector<THTMLParam>& Params() const { return params_; }

 private:
  std::string raw_text_;
  std::string name_;
  std::vector<THTMLParam> params_;
};

class THTMLText : public THTMLElement {
 public:
  THTMLText() : THTMLElement(ElementKind::kText) {}

  // `RawText` := raw (line feeds of the scan included); `Text` := its decoded
  // form (html::DecodeText).
  void DecodeText(std::string_view raw);

  const std::string& RawText() const { return raw_text_; }
  const std::string& Text() const { return text_; }

 private:
  std::string raw_text_;
  std::string text_;
};

class THTMLParser {
 public:
  THTMLParser() = default;
  THTMLParser(const THTMLParser&) = delete;
  THTMLParser& operator=(const THTMLParser&) = delete;

  // The input, one entry per line, without line ends; filled by the owner.
  std::vector<std::string>& Lines() { return lines_; }
  const std::vector<std::string>& Lines() const { return lines_; }

  // In document order; each is a THTMLTag or a THTMLText (see Kind()).
  const std::vector<std::unique_ptr<THTMLElement>>& Elements() const {
    return elements_;
  }

  // Scans `Lines()` and appends the elements found to `Elements()`.
  void Parse();

  // The same scan as Parse, for callers that want only the text: calls
  // `on_text` with the decoded Text of each text element Parse would build,
  // in order, and where its first raw byte lies in the lines taken end to
  // end (without line ends). Builds no elements; `Elements()` is left alone.
  // The view is valid only during the call. Linear in the size of the input.
  void ParseTexts(
      const std::function<void(std::string_view text, std::size_t offset)>& on_text) const;

 private:
  std::vector<std::string> lines_;
  std::vector<std::unique_ptr<THTMLElement>> elements_;
};

}  // namespace corvane::html

#endif  // CORVANE_HTML_TOKENIZER_H_
