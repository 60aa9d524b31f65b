#include "wordlist/import.h"

#include <algorithm>

#include "platform/error.h"
#include "wordlist/line_cipher.h"

namespace corvane::wordlist {

int ImportProgress(int line_count) {
  const long long scaled = static_cast<long long>(line_count) * 100;
  long long q = scaled / kExpectedLineCount;
  const long long twice_rest = (scaled % kExpectedLineCount) * 2;
  if (twice_rest > kExpectedLineCount || (twice_rest == kExpectedLineCount && q % 2 == 1)) ++q;
  return static_cast<int>(std::min<long long>(q, 100));
}

WordListImport::WordListImport(std::unique_ptr<ListFileReader> reader, EntrySink& sink)
    : reader_(std::move(reader)), sink_(sink) {}

void WordListImport::ImportLine(std::string_view line) {
  marked_.clear();
  if (!line.empty()) LineCipher::DecodeInto(line, "", marked_);
  plain_.clear();
  for (char c : marked_) {
    if (c != '_') plain_ += c;
  }
  sink_.Append(plain_, marked_);
}

void WordListImport::ImportBatch() {
  if (!batch_ready_ || import_done_) return;
  batch_ready_ = false;
  if (reader_ == nullptr) throw IoError("I/O error 103", 103);
  int lines = 0;
  do {
    ++lines;
    ++line_count_;
    progress_ = ImportProgress(line_count_);
    if (OnProgress) OnProgress(progress_);
    try {
      ImportLine(reader_->ReadLine());
    } catch (...) {
      failed_line_ = line_count_;
      throw;
    }
  } while (!reader_->Eof() && lines < kLinesPerTick);
  batch_ready_ = true;
  if (reader_->Eof()) {
    sink_.Finished();
    reader_->Close();
    import_done_ = true;
  }
}

}  // namespace corvane::wordlist
