// The stand-in's TLS identity: a fresh self-signed certificate for 127.0.0.1 and localhost, or for
// another name only (to see a client refuse it).
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
// (PEM) so that clients can trust it. The certificate names `name` only (an IPv4 address or a DNS
// name), or 127.0.0.1 and localhost when it is empty. Throws std::runtime_error on failure.
SslContextPtr MakeServerContext(const std::string& certFile, const std::string& name = "");

}  // namespace sonacli::standin
