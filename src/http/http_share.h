// What the HTTP clients of one run share, so that no request does it again: the trusted
// certificates, read and parsed once (the system's bundle and an added CA file), and libcurl's
// caches of TLS sessions and DNS answers. Each request still has a handle and a connection of its
// own. Clients on several threads may use one share at once; it must outlive them.
#pragma once

#include <memory>
#include <string>

namespace sonacli {

class THttpShare {
 public:
  THttpShare();
  ~THttpShare();
  THttpShare(const THttpShare&) = delete;
  THttpShare& operator=(const THttpShare&) = delete;

  // The libcurl share handle (a CURLSH*) of the clients that trust the system's certificates and
  // those of `caFile` (empty: none besides the system's): a TLS session is resumed only by a
  // client that trusts what the client that made it trusted. Null when the system's certificates
  // cannot be read here; the client then leaves them to libcurl, as without a share.
  void* SessionShare(const std::string& caFile);
  // Adds the trusted certificates to the store of an OpenSSL SSL_CTX (as libcurl's callback hands
  // it over): the system's bundle and folder, and those of `caFile`. False when `caFile` holds no
  // certificate that can be read.
  bool AddTrustedCertificates(void* sslContext, const std::string& caFile);

 private:
  struct TState;
  std::unique_ptr<TState> state_;
};

}  // namespace sonacli
