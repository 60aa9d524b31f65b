#include "wordlist/list_file.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include "platform/error.h"

namespace corvane::wordlist {
namespace {

constexpr char kCtrlZ = 26;
constexpr int kFileNotFound = 2;
constexpr int kFileNotOpen = 103;

[[noreturn]] void NotOpen() { throw IoError("I/O error 103", kFileNotOpen); }

}  // namespace

ListFileReader::ListFileReader(const std::string& path) {
  // A folder opens as a stream and reads as nothing: it would pass for an empty list.
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) throw IoError(std::strerror(EISDIR), EISDIR);
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    if (errno == ENOENT) throw IoError("File not found", kFileNotFound);
    throw IoError(std::strerror(errno), errno);
  }
  std::ostringstream content;
  content << in.rdbuf();
  SetText(std::move(content).str());
}

ListFileReader ListFileReader::FromText(std::string text) {
  ListFileReader reader;
  reader.SetText(std::move(text));
  return reader;
}

void ListFileReader::SetText(std::string text) {
  const std::size_t end = text.find(kCtrlZ);
  if (end != std::string::npos) text.resize(end);
  text_ = std::move(text);
  position_ = 0;
  open_ = true;
}

bool ListFileReader::Eof() const {
  if (!open_) NotOpen();
  return position_ >= text_.size();
}

std::string_view ListFileReader::ReadLine() {
  if (!open_) NotOpen();
  const std::size_t start = position_;
  const std::size_t cr = text_.find('\r', start);
  const std::size_t end = cr == std::string::npos ? text_.size() : cr;
  position_ = end;
  if (cr != std::string::npos) {
    ++position_;
    if (position_ < text_.size() && text_[position_] == '\n') ++position_;
  }
  return std::string_view(text_).substr(start, end - start);
}

void ListFileReader::Close() {
  open_ = false;
  text_.clear();
  text_.shrink_to_fit();
}

}  // namespace corvane::wordlist
