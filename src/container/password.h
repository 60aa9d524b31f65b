// Password protection of a container.
//
// The password block (172 bytes) holds a random 32-byte container key (each
// byte 1..255) encrypted under a key derived from the password, and the
// CRC-16 of the plain container key, so a password can be checked without
// storing it. With a recovery question, the password itself is stored too,
// encrypted under the answer:
//   0   32  container key, encrypted under the password
//   32  32  password (zero-padded), encrypted under the answer; zero if none
//   64   4  CRC-16 of the plain container key
//   68   4  CRC-16 of the 32 plain password bytes; zero if no question
//   72 100  question text, zero-filled
//
// Keys are derived with PBKDF2-HMAC-SHA256; the 32-byte fields are
// encrypted with AES-256 in ECB mode (two blocks, no chaining needed for
// random data); pages are encrypted with AES-256-XTS keyed by the container
// key, the page number being the tweak.
#ifndef CORVANE_CONTAINER_PASSWORD_H_
#define CORVANE_CONTAINER_PASSWORD_H_

#include <memory>
#include <string>

#include "container/container_format.h"
#include "container/page_file_manager.h"

namespace corvane::container {

inline constexpr std::size_t kMaxPasswordLength = 32;
inline constexpr std::size_t kMaxQuestionLength = 100;

// A new block for `password`; throws corvane::Error when the password or the
// question is too long.
PasswordBlock MakePasswordBlock(const std::string& password, const std::string& question,
                                const std::string& answer);

// True when `password` opens `block`.
bool PasswordMatches(const PasswordBlock& block, const std::string& password);

// The page cipher of a container whose header holds `block`; throws
// "TContainerFileSystem.Create - invalid password specified, file name = ..."
// when `password` does not open it.
std::unique_ptr<PageCipher> CipherForBlock(const PasswordBlock& block, const std::string& password,
                                           const std::string& file_name);

}  // namespace corvane::container

#endif  // CORVANE_CONTAINER_PASSWORD_H_
