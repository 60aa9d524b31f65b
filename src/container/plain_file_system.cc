#include "container/plain_file_system.h"

#include <algorithm>
#include <utility>

#include "container/pattern_match.h"

namespace corvane::container {

TAbstractPlainFileSystem::TAbstractPlainFileSystem(std::string name, StoreMode mode)
    : name_(std::move(name)), mode_(mode) {}

TAbstractPlainFileSystem::~TAbstractPlainFileSystem() { CloseAll(); }

void TAbstractPlainFileSystem::CloseFile(TAbstractFile* file) {
  const auto it = std::find_if(files_.begin(), files_.end(),
                               [file](const auto& owned) { return owned.get() == file; });
  if (it == files_.end()) return;
  // Taken out of the list first so that a failing Close still frees it.
  std::unique_ptr<TAbstractFile> owned = std::move(*it);
  files_.erase(it);
  owned->Close();
}

TAbstractFile* TAbstractPlainFileSystem::FindOpenFile(const std::string& name) const {
  for (const auto& file : files_) {
    if (SameName(file->FileName(), name)) return file.get();
  }
  return nullptr;
}

TAbstractFile* TAbstractPlainFileSystem::OpenAndRegister(std::unique_ptr<TAbstractFile> file,
                                                          bool create, bool exclusive,
                                                          bool read_only) {
  file->SetExclusive(exclusive);
  file->SetReadOnly(read_only);
  file->Open(create);
  files_.push_back(std::move(file));
  return files_.back().get();
}

void TAbstractPlainFileSystem::CloseAll() noexcept {
  while (!files_.empty()) {
    std::unique_ptr<TAbstractFile> file = std::move(files_.back());
    files_.pop_back();
    try {
      file->Close();
    } catch (...) {
      // Nothing can report it from here; the file is freed all the same.
    }
  }
}

std::string TAbstractPlainFileSystem::ListName(const std::string& file_name,
                                               const std::string& extension) {
  // A wildcard in the extension leaves its length unknown.
  if (extension.empty() || extension.find('*') != std::string::npos) {
    return StripExtension(file_name);
  }
  return file_name.substr(0, file_name.size() - extension.size());
}

void TAbstractPlainFileSystem::SortNames(std::vector<std::string>& names) {
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    return FoldAscii(a) < FoldAscii(b);
  });
}

}  // namespace corvane::container
