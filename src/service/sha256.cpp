#include "service/sha256.h"

#include <openssl/evp.h>

#include <array>

namespace sonacli {

void TSha256::Deleter::operator()(EVP_MD_CTX* context) const {
  EVP_MD_CTX_free(context);
}

TSha256::TSha256() : context_(EVP_MD_CTX_new()) {
  ok_ = context_ && EVP_DigestInit_ex(context_.get(), EVP_sha256(), nullptr) == 1;
}

TSha256::~TSha256() = default;

void TSha256::Add(std::string_view bytes) {
  if (ok_) ok_ = EVP_DigestUpdate(context_.get(), bytes.data(), bytes.size()) == 1;
}

std::string TSha256::HexDigest() {
  std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
  unsigned int size = 0;
  if (!ok_ || EVP_DigestFinal_ex(context_.get(), digest.data(), &size) != 1) return {};
  ok_ = false;
  static constexpr char kHex[] = "0123456789abcdef";
  std::string text;
  for (unsigned int i = 0; i < size; ++i) {
    text += kHex[digest[i] >> 4];
    text += kHex[digest[i] & 0x0F];
  }
  return text;
}

std::string Sha256Hex(std::string_view bytes) {
  TSha256 sha;
  sha.Add(bytes);
  return sha.HexDigest();
}

}  // namespace sonacli
