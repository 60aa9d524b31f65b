#include "container/password.h"

#include <openssl/evp.h>
#include <openssl/rand.h>
#include <openssl/sha.h>

#include <algorithm>
#include <array>
#include <optional>

#include "platform/error.h"

namespace corvane::container {
namespace {

using Key32 = std::array<uint8_t, 32>;

// Derivation cost: makes each password guess take a noticeable time.
constexpr int kKeyDerivationRounds = 200000;
constexpr unsigned char kSalt[] = "corvane container key";

Key32 DeriveKey(const std::string& secret) {
  Key32 key{};
  PKCS5_PBKDF2_HMAC(secret.data(), static_cast<int>(secret.size()), kSalt, sizeof kSalt - 1,
                    kKeyDerivationRounds, EVP_sha256(), static_cast<int>(key.size()), key.data());
  return key;
}

// AES-256-ECB over exactly 32 bytes, in place.
bool Crypt32(const Key32& key, uint8_t* data, bool encrypt) {
  EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
  if (ctx == nullptr) return false;
  int out_len = 0;
  bool ok = EVP_CipherInit_ex(ctx, EVP_aes_256_ecb(), nullptr, key.data(), nullptr, encrypt ? 1 : 0) == 1 &&
            EVP_CIPHER_CTX_set_padding(ctx, 0) == 1 &&
            EVP_CipherUpdate(ctx, data, &out_len, data, 32) == 1 && out_len == 32;
  EVP_CIPHER_CTX_free(ctx);
  return ok;
}

class XtsPageCipher : public PageCipher {
 public:
  explicit XtsPageCipher(const Key32& container_key) {
    // XTS takes two AES keys; both come from the container key.
    SHA512(container_key.data(), container_key.size(), key_.data());
  }
  bool Encrypt(int32_t page, uint8_t* data, std::size_t size) const override { return Run(page, data, size, 1); }
  bool Decrypt(int32_t page, uint8_t* data, std::size_t size) const override { return Run(page, data, size, 0); }

 private:
  bool Run(int32_t page, uint8_t* data, std::size_t size, int encrypt) const {
    if (size < 16) return false;
    std::array<uint8_t, 16> tweak{};
    PutI32(tweak.data(), page);
    EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
    if (ctx == nullptr) return false;
    int out_len = 0;
    const bool ok =
        EVP_CipherInit_ex(ctx, EVP_aes_256_xts(), nullptr, key_.data(), tweak.data(), encrypt) == 1 &&
        EVP_CipherUpdate(ctx, data, &out_len, data, static_cast<int>(size)) == 1 &&
        out_len == static_cast<int>(size);
    EVP_CIPHER_CTX_free(ctx);
    return ok;
  }

  std::array<uint8_t, 64> key_{};
};

// The plain container key, when `password` opens the block.
std::optional<Key32> OpenBlock(const PasswordBlock& block, const std::string& password) {
  Key32 key{};
  std::copy_n(block.begin(), key.size(), key.begin());
  if (!Crypt32(DeriveKey(password), key.data(), false)) return std::nullopt;
  if (Crc16Arc(key.data(), key.size()) != GetU32(block.data() + 64)) return std::nullopt;
  return key;
}

}  // namespace

PasswordBlock MakePasswordBlock(const std::string& password, const std::string& question,
                                const std::string& answer) {
  if (password.size() > kMaxPasswordLength) {
    throw Error("Password length should be shorter then " + std::to_string(kMaxPasswordLength));
  }
  if (question.size() > kMaxQuestionLength) {
    throw Error("Question length should be shorter then " + std::to_string(kMaxQuestionLength));
  }
  PasswordBlock block{};
  Key32 key{};
  if (RAND_bytes(key.data(), static_cast<int>(key.size())) != 1) throw Error("No random bytes for a container key.");
  for (uint8_t& b : key) b = static_cast<uint8_t>(1 + b % 255);
  PutU32(block.data() + 64, Crc16Arc(key.data(), key.size()));
  if (!Crypt32(DeriveKey(password), key.data(), true)) throw Error("TPageFileManager.EncodeBuffer - Unknown encryption type");
  std::copy(key.begin(), key.end(), block.begin());
  if (!question.empty()) {
    Key32 stored{};
    std::copy(password.begin(), password.end(), stored.begin());
    PutU32(block.data() + 68, Crc16Arc(stored.data(), stored.size()));
    if (!Crypt32(DeriveKey(answer), stored.data(), true)) throw Error("TPageFileManager.EncodeBuffer - Unknown encryption type");
    std::copy(stored.begin(), stored.end(), block.begin() + 32);
    std::copy(question.begin(), question.end(), block.begin() + 72);
  }
  return block;
}

bool PasswordMatches(const PasswordBlock& block, const std::string& password) {
  return OpenBlock(block, password).has_value();
}

std::unique_ptr<PageCipher> CipherForBlock(const PasswordBlock& block, const std::string& password,
                                           const std::string& file_name) {
  const auto key = OpenBlock(block, password);
  if (!key) throw Error("TContainerFileSystem.Create - invalid password specified, file name = " + file_name);
  return std::make_unique<XtsPageCipher>(*key);
}

}  // namespace corvane::container
