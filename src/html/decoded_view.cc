#include "html/decoded_view.h"

#include <algorithm>
#include <optional>

#include "html/entities.h"

namespace corvane::html {

DecodedView::DecodedView(std::string_view source, const std::vector<ByteKind>& kinds)
    : source_(source), text_(source), kinds_(&kinds) {
  const auto first = std::find(kinds.begin(), kinds.end(), ByteKind::kLetter);
  if (first == kinds.end()) return;

  decoded_.reserve(source.size());
  decoded_kinds_.reserve(source.size());
  const std::size_t n = source.size();
  std::size_t extra = 0;
  std::size_t i = 0;
  while (i < n) {
    if (kinds[i] != ByteKind::kLetter) {
      decoded_.push_back(source[i]);
      decoded_kinds_.push_back(kinds[i]);
      ++i;
      continue;
    }
    // A letter reference runs from its "&" to its ";"; the markup scan made
    // sure it decodes, and two references never touch without a ";" between.
    const std::size_t semicolon = source.find(';', i);
    if (semicolon == std::string_view::npos) {  // kinds from elsewhere; read as text
      decoded_.push_back(source[i]);
      decoded_kinds_.push_back(ByteKind::kText);
      ++i;
      continue;
    }
    const std::size_t end = semicolon + 1;
    const std::optional<uint8_t> byte = DecodeReference(source.substr(i, end - i));
    extra += end - i - 1;
    collapsed_.push_back({decoded_.size(), i, end - i, extra});
    decoded_.push_back(static_cast<char>(byte.value_or('?')));
    decoded_kinds_.push_back(ByteKind::kText);
    i = end;
  }
  text_ = decoded_;
  kinds_ = &decoded_kinds_;
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

}  // namespace corvane::html
