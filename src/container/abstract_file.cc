#include "container/abstract_file.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "platform/error.h"

namespace corvane::container {

namespace {
// Copies go in chunks so that copying a large file needs no buffer of its
// size.
constexpr int64_t kCopyChunk = 64 * 1024;
}  // namespace

std::string Quoted(const std::string& name) { return "\"" + name + "\""; }

TAbstractFile::TAbstractFile(TAbstractPlainFileSystem* owner, std::string file_name)
    : owner_(owner), file_name_(std::move(file_name)) {}

void TAbstractFile::SetExclusive(bool exclusive) { exclusive_ = exclusive; }

void TAbstractFile::SetPosition(int64_t position) { Seek(position, kSeekBegin); }

int64_t TAbstractFile::GetPosition() { return Seek(0, kSeekCurrent); }

void TAbstractFile::SetReadOnly(bool read_only) { read_only_ = read_only; }

int64_t TAbstractFile::GetSize() {
  const int64_t position = GetPosition();
  const int64_t size = Seek(0, kSeekEnd);
  SetPosition(position);
  return size;
}

void TAbstractFile::SetUserFlag(bool flag) { user_flag_ = flag; }

void TAbstractFile::ReadBuffer(void* buffer, int64_t count) {
  if (count != 0 && Read(buffer, count) != count) {
    throw Error("TAbstractFile.ReadBuffer - Stream read error");
  }
}

void TAbstractFile::WriteBuffer(const void* buffer, int64_t count) {
  if (count != 0 && Write(buffer, count) != count) {
    throw Error("TAbstractFile.WriteBuffer - Stream write error");
  }
}

int64_t TAbstractFile::CopyFrom(TAbstractFile& source, int64_t count) {
  if (count <= 0) {
    source.SetPosition(0);
    count = source.GetSize();
  }
  std::vector<char> chunk(static_cast<std::size_t>(std::min(count, kCopyChunk)));
  int64_t left = count;
  while (left > 0) {
    const int64_t n = std::min(left, kCopyChunk);
    source.ReadBuffer(chunk.data(), n);
    WriteBuffer(chunk.data(), n);
    left -= n;
  }
  return count;
}

void TAbstractFile::Reopen() {
  const int64_t position = GetPosition();
  Close();
  Open(false);
  SetPosition(position);
}

}  // namespace corvane::container
