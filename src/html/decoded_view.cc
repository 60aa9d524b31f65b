#include "html/decoded_view.h"

#include <algorithm>
#include <optional>

#include "html/entities.h"

namespace corvane::html {

DecodedView::DecodedView(std::string_view source, std::vector<ByteKind> kinds)
    : source_(source), text_(source), kinds_(std::move(kinds)) {
  if (std::find(kinds_.begin(), kinds_.end(), ByteKind::kLetter) == kinds_.end()) return;

  // The view is never longer than the source, so its kinds are written over
  // the source's as the scan passes them.
  decoded_.reserve(source.size());
  const std::size_t n = source.size();
  std::size_t out = 0;
  std::size_t extra = 0;
  std::size_t i = 0;
  while (i < n) {
    const std::size_t semicolon = kinds_[i] == ByteKind::kLetter ? source.find(';', i) : std::string_view::npos;
    if (semicolon == std::string_view::npos) {  // also a letter kind from elsewhere, without its ";"
      decoded_.push_back(source[i]);
      kinds_[out++] = kinds_[i] == ByteKind::kLetter ? ByteKind::kText : kinds_[i];
      ++i;
      continue;
    }
    // A letter reference runs from its "&" to its ";"; the markup scan made
    // sure it decodes.
    const std::size_t end = semicolon + 1;
    const std::optional<uint8_t> byte = DecodeReference(source.substr(i, end - i));
    extra += end - i - 1;
    collapsed_.push_back({decoded_.size(), i, end - i, extra});
    decoded_.push_back(static_cast<char>(byte.value_or('?')));
    kinds_[out++] = ByteKind::kText;
    i = end;
  }
  kinds_.resize(out);
  text_ = decoded_;
}

std::size_t DecodedView::SourceOffset(std::size_t at) const {
  // The references whose decoded byte stands before `at` have all been passed.
  const auto it = std::lower_bound(collapsed_.begin(), collapsed_.end(), at,
                                   [](const Collapsed& c, std::size_t v) { return c.view < v; });
  return it == collapsed_.begin() ? at : at + std::prev(it)->extra;
}

std::size_t DecodedView::ViewOffset(std::size_t at) const {
  const auto it = std::upper_bound(collapsed_.begin(), collapsed_.end(), at,
                                   [](std::size_t s, const Collapsed& c) { return s < c.source; });
  if (it == collapsed_.begin()) return at;
  const Collapsed& last = *std::prev(it);
  return at < last.source + last.length ? last.view : at - last.extra;
}

void DecodedView::ReleaseText() {
  std::string().swap(decoded_);
  std::vector<ByteKind>().swap(kinds_);
  text_ = {};
}

}  // namespace corvane::html
