#include "cli/progress_bar.h"

#include <unistd.h>

#include <iostream>
#include <string>

namespace corvane::cli {

ProgressBar::ProgressBar(std::ostream& err)
    : out_(isatty(STDERR_FILENO) && &err == &std::cerr ? &err : nullptr) {}

ProgressBar::~ProgressBar() {
  if (shown_) *out_ << "\n" << std::flush;
}

wordlist::BuildProgress ProgressBar::Callback() {
  if (out_ == nullptr) return {};
  return [this](int percent) {
    constexpr int kWidth = 40;
    const int filled = percent * kWidth / 100;
    shown_ = true;
    *out_ << "\rBuilding the word list [" << std::string(static_cast<std::size_t>(filled), '#')
          << std::string(static_cast<std::size_t>(kWidth - filled), ' ') << "] " << percent << "%" << std::flush;
  };
}

}  // namespace corvane::cli
