// SHA-256 digests in lower-case hexadecimal, for the answer cache's keys and the proof that an
// entry is whole.
#pragma once

#include <openssl/types.h>

#include <memory>
#include <string>
#include <string_view>

namespace sonacli {

class TSha256 {
 public:
  TSha256();
  ~TSha256();
  TSha256(const TSha256&) = delete;
  TSha256& operator=(const TSha256&) = delete;

  void Add(std::string_view bytes);
  // The digest of everything added, as 64 hexadecimal digits; empty when OpenSSL failed.
  std::string HexDigest();

 private:
  struct Deleter {
    void operator()(EVP_MD_CTX* context) const;
  };
  std::unique_ptr<EVP_MD_CTX, Deleter> context_;
  bool ok_ = false;
};

// The hexadecimal SHA-256 of `bytes`.
std::string Sha256Hex(std::string_view bytes);

}  // namespace sonacli
