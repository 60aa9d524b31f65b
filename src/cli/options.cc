#include "cli/options.h"

namespace corvane::cli {

bool OptionReader::Next() {
  while (next_ < args_.size()) {
    current_ = args_[next_++];
    inline_value_.reset();
    is_option_ = false;
    if (operands_only_ || current_ == "-" || current_.empty() || current_[0] != '-') return true;
    if (current_ == "--") {
      operands_only_ = true;
      continue;
    }
    is_option_ = true;
    const std::size_t eq = current_.find('=');
    if (current_.rfind("--", 0) == 0 && eq != std::string::npos) {
      name_ = current_.substr(0, eq);
      inline_value_ = current_.substr(eq + 1);
    } else {
      name_ = current_;
    }
    return true;
  }
  return false;
}

std::string OptionReader::Value() {
  if (inline_value_) return *inline_value_;
  if (next_ >= args_.size()) throw UsageError("option " + name_ + " needs a value");
  return args_[next_++];
}

void OptionReader::NoValue() const {
  if (inline_value_) throw UsageError("option " + name_ + " takes no value");
}

void CheckActionCall(const std::string& command, const ActionCall& call, std::span<const ActionArity> actions) {
  for (const ActionArity& action : actions) {
    if (call.action != action.name) continue;
    if (call.operands.size() < action.min || call.operands.size() > action.max) {
      throw UsageError(command + " " + call.action + " takes " + std::to_string(action.min) +
                       (action.max != action.min ? " or " + std::to_string(action.max) : "") + " operand(s)");
    }
    return;
  }
  throw UsageError(call.action.empty() ? command + " needs an action"
                                       : "unknown " + command + " action '" + call.action + "'");
}

int LetterCountOption(const std::string& option, const std::string& value) {
  const bool digits = !value.empty() && value.size() <= 2 && value.find_first_not_of("0123456789") == std::string::npos;
  const int n = digits ? std::stoi(value) : 0;
  if (n < 1) throw UsageError(option + " takes a number of letters from 1 to 99, not '" + value + "'");
  return n;
}

}  // namespace corvane::cli
