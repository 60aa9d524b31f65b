// corvane cipher: encodes or decodes stdin line by line with the word list's
// line cipher, so list files can be made and read outside the import.
#include <optional>
#include <ostream>

#include "cli/cli.h"
#include "platform/file_io.h"
#include "cli/options.h"
#include "platform/error.h"
#include "wordlist/line_cipher.h"

namespace corvane::cli {

using platform::ReadStream;
namespace {

struct CipherOptions {
  wordlist::TActionType action = wordlist::atEncryption;
  std::string key;  // empty selects the cipher's default key
};

CipherOptions ParseOptions(const std::vector<std::string>& args) {
  CipherOptions o;
  std::optional<std::string> action;
  OptionReader reader(args);
  while (reader.Next()) {
    if (reader.IsOption()) {
      if (reader.Name() != "--key") throw UsageError("unknown option " + reader.Name());
      o.key = reader.Value();
    } else if (action) {
      throw UsageError("cipher takes one action and reads stdin; extra operand '" +
                       reader.Operand() + "'");
    } else {
      action = reader.Operand();
    }
  }
  if (!action) throw UsageError("cipher needs an action: encode or decode");
  if (*action == "encode") {
    o.action = wordlist::atEncryption;
  } else if (*action == "decode") {
    o.action = wordlist::atDecryption;
  } else {
    throw UsageError("unknown cipher action '" + *action + "' (encode or decode)");
  }
  return o;
}

}  // namespace

int RunCipher(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
              std::ostream& err) {
  const CipherOptions options = ParseOptions(args);
  wordlist::LineCipher cipher;
  cipher.SetKey(options.key);
  cipher.SetAction(options.action);

  const std::string input = ReadStream(in);
  std::string_view rest = input;
  std::string result;
  result.reserve(options.action == wordlist::atEncryption ? 2 * input.size() + 64 : input.size() / 2);
  for (std::size_t number = 1; !rest.empty(); ++number) {
    const std::size_t end = rest.find('\n');
    std::string_view line = rest.substr(0, end);
    if (end != std::string_view::npos && !line.empty() && line.back() == '\r') line.remove_suffix(1);
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);

    cipher.SetInput(std::string(line));
    try {
      cipher.Run();
    } catch (const Error& e) {
      // Nothing is written then: half a converted file is worse than none.
      err << "corvane: line " << number << ": " << e.what() << "\n";
      return kExitFailure;
    }
    result += cipher.Output();
    result += '\n';
  }
  out.write(result.data(), static_cast<std::streamsize>(result.size()));
  out.flush();
  return out ? kExitOk : kExitFailure;
}

}  // namespace corvane::cli
