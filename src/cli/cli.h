// `corvane`, the command-line tool: batch hyphenation of documents and word
// lookups, without windows.
//
//   corvane hyphenate [FILE...] [-o OUT | --in-place] [--mode=...] ...
//   corvane words [--engine-only] [--utf8] [--language TAG | --patterns FILE] ...
//   corvane languages [--patterns-dir DIR]...
//   corvane cipher encode|decode [--key K]
//   corvane container ls|cat|put|rm|create|check FILE [NAME]
//   corvane db tables|schema|dump|find|locate|check DB [TABLE ...]
//   corvane wordlist build|lookup|stats [--db FILE] [--list FILE] [WORD...]
//
// Exit status: 0 success, 1 an input or processing error (one line naming the
// file and the cause), 2 a usage error.
#ifndef CORVANE_CLI_CLI_H_
#define CORVANE_CLI_CLI_H_

#include <iosfwd>
#include <string>
#include <vector>

namespace corvane::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

// `args` without the program name.
int RunCli(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
           std::ostream& err);

// The subcommands, given the arguments after their name. They throw
// UsageError for bad calls and corvane::Error for failures they do not
// report themselves.
int RunHyphenate(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                 std::ostream& err);
int RunWords(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
             std::ostream& err);
int RunLanguages(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                 std::ostream& err);
int RunCipher(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
              std::ostream& err);
int RunContainer(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                 std::ostream& err);
int RunDb(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err);
int RunWordList(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                std::ostream& err);

}  // namespace corvane::cli

#endif  // CORVANE_CLI_CLI_H_
