#include <gtest/gtest.h>

#include <sstream>

#include "cli/cli.h"

namespace corvane::cli {
namespace {

struct RunResult {
  int status;
  std::string out, err;
};

RunResult Cipher(std::vector<std::string> args, const std::string& input) {
  args.insert(args.begin(), "cipher");
  std::istringstream in(input);
  std::ostringstream out, err;
  const int status = RunCli(args, in, out, err);
  return {status, out.str(), err.str()};
}

TEST(CipherCommandTest, EncodeThenDecodeRestoresTheLines) {
  // CRLF endings, an empty line and a last line without LF.
  const std::string input = "kitap\r\n\nhyphen\xFE\nson";
  for (const std::string key : {"", "--key=Kez Ora"}) {
    std::vector<std::string> encode = {"encode"}, decode = {"decode"};
    if (!key.empty()) {
      encode.push_back(key);
      decode.push_back(key);
    }
    const RunResult encoded = Cipher(encode, input);
    ASSERT_EQ(encoded.status, kExitOk) << encoded.err;
    // 2n + 2 digits per line, none for the empty line.
    EXPECT_EQ(encoded.out.size(), 12 + 1 + 1 + 16 + 1 + 8 + 1u) << encoded.out;

    const RunResult decoded = Cipher(decode, encoded.out);
    EXPECT_EQ(decoded.status, kExitOk) << decoded.err;
    EXPECT_EQ(decoded.out, "kitap\n\nhyphen\xFE\nson\n");
  }
  // "103AD7" is "ab" under the built-in key; "103AF9" is "ab" under "Kez Ora".
  EXPECT_EQ(Cipher({"decode"}, "103AD7\n").out, "ab\n");
  EXPECT_EQ(Cipher({"decode", "--key", "Kez Ora"}, "103AF9\n").out, "ab\n");
}

TEST(CipherCommandTest, FailuresAndUsageErrors) {
  const RunResult bad = Cipher({"decode"}, "103AD7\n\n10G1\n103AD7\n");
  EXPECT_EQ(bad.status, kExitFailure);
  EXPECT_EQ(bad.out, "");
  EXPECT_EQ(bad.err, "corvane: line 3: '$G1' is not a valid integer value\n");

  const std::vector<std::vector<std::string>> calls = {
      {}, {"rot13"}, {"encode", "decode"}, {"encode", "--bogus"}, {"decode", "--key"}};
  for (const auto& args : calls) {
    const RunResult r = Cipher(args, "");
    EXPECT_EQ(r.status, kExitUsage) << r.err;
    EXPECT_EQ(r.err.rfind("corvane: ", 0), 0u);
  }
}

}  // namespace
}  // namespace corvane::cli
