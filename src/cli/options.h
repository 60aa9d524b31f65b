// Command-line option reading shared by the subcommands.
//
// Accepts "--name", "--name=value", "--name value" (for options that take a
// value), the short forms the subcommands declare ("-o FILE", "-v"), and "--"
// before operands that begin with "-".
#ifndef CORVANE_CLI_OPTIONS_H_
#define CORVANE_CLI_OPTIONS_H_

#include <cstddef>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace corvane::cli {

// A mistake in how the tool was called: exit status 2.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class OptionReader {
 public:
  explicit OptionReader(std::vector<std::string> args) : args_(std::move(args)) {}

  // Moves to the next argument; false when none is left. After it, either
  // IsOption() (then Name() is "--name" or "-x") or the argument is an operand.
  bool Next();
  bool IsOption() const { return is_option_; }
  const std::string& Name() const { return name_; }
  const std::string& Operand() const { return current_; }

  // The option's value: inline ("--name=value") or the next argument.
  std::string Value();
  // Refuses an inline value for an option that takes none.
  void NoValue() const;

 private:
  std::vector<std::string> args_;
  std::size_t next_ = 0;
  bool operands_only_ = false;
  bool is_option_ = false;
  std::string current_;
  std::string name_;
  std::optional<std::string> inline_value_;
};

// The operands of a command of the form `corvane COMMAND ACTION OPERAND...`:
// the first names the action, the rest are its operands.
struct ActionCall {
  std::string action;
  std::vector<std::string> operands;

  void AddOperand(const std::string& operand) { (action.empty() ? action : operands.emplace_back()) = operand; }
};

// An action a command knows, with the fewest and most operands it takes.
struct ActionArity {
  const char* name;
  std::size_t min, max;
};

// Raises UsageError unless the call names one of `actions` with a number of
// operands it takes: "COMMAND needs an action", "unknown COMMAND action
// 'NAME'" or "COMMAND NAME takes MIN[ or MAX] operand(s)".
void CheckActionCall(const std::string& command, const ActionCall& call, std::span<const ActionArity> actions);

// A number of letters from 1 to 99 (--left-min, --right-min,
// --min-word-length); else UsageError "OPTION takes a number of letters from
// 1 to 99, not 'VALUE'".
int LetterCountOption(const std::string& option, const std::string& value);

}  // namespace corvane::cli

#endif  // CORVANE_CLI_OPTIONS_H_
