// The stand-in's TLS identity: a fresh self-signed certificate for 127.0.0.1 and localhost.
#pragma once

#include <openssl/ssl.h>

#include <memory>
#include <string>

namespace sonacli::standin {

struct SslContextDeleter {
  void operator()(SSL_CTX* context) const { SSL_CTX_free(context); }
};
using SslContextPtr = std::unique_ptr<SSL_CTX, SslContextDeleter>;

// A TLS server context with a new key and certificate; the certificate is written to `certFile`
// (PEM) so that clients can trust it. Throws std::runtime_error on failure.
SslContextPtr MakeServerContext(const std::string& certFile);

}  // namespace sonacli::standin
