#include "cli/options.h"

#include <gtest/gtest.h>

#include <sstream>

#include "cli/cli.h"

namespace corvane::cli {
namespace {

// The action checks of the commands of the form COMMAND ACTION OPERAND...
// word for word, as scripts may match them.
TEST(OptionsTest, ActionUsageMessages) {
  struct Case {
    std::vector<std::string> args;
    const char* message;
  };
  const Case cases[] = {
      {{"container"}, "container needs an action"},
      {{"container", "mv", "a.edb"}, "unknown container action 'mv'"},
      {{"container", "cat", "a.edb"}, "container cat takes 2 operand(s)"},
      {{"db"}, "db needs an action"},
      {{"db", "drop", "x"}, "unknown db action 'drop'"},
      {{"db", "check", "x", "T", "U"}, "db check takes 1 or 2 operand(s)"},
      {{"db", "dump", "x", "T", "--last"}, "--last is for db find"},
  };
  for (const Case& c : cases) {
    std::istringstream in;
    std::ostringstream out, err;
    EXPECT_EQ(RunCli(c.args, in, out, err), kExitUsage) << c.message;
    EXPECT_EQ(err.str(), std::string("corvane: ") + c.message + "\nTry 'corvane --help'.\n");
  }
}

}  // namespace
}  // namespace corvane::cli
