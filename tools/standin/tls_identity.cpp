#include "standin/tls_identity.h"

#include <arpa/inet.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/x509v3.h>

#include <cstdio>
#include <stdexcept>

namespace sonacli::standin {
namespace {

struct KeyDeleter {
  void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
struct CertDeleter {
  void operator()(X509* cert) const { X509_free(cert); }
};
struct FileCloser {
  void operator()(FILE* file) const { std::fclose(file); }
};
using KeyPtr = std::unique_ptr<EVP_PKEY, KeyDeleter>;
using CertPtr = std::unique_ptr<X509, CertDeleter>;

void Check(bool ok, const char* what) {
  if (!ok) throw std::runtime_error(std::string("TLS set-up failed: ") + what);
}

void AddExtension(X509* cert, int nid, const char* value) {
  X509V3_CTX context;
  X509V3_set_ctx_nodb(&context);
  X509V3_set_ctx(&context, cert, cert, nullptr, nullptr, 0);
  X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value);
  Check(extension != nullptr, "extension");
  const int added = X509_add_ext(cert, extension, -1);
  X509_EXTENSION_free(extension);
  Check(added == 1, "extension");
}

// The subject alternative names: the one name given (an IPv4 address or a DNS name), else
// 127.0.0.1 and localhost.
std::string AlternativeNames(const std::string& name) {
  if (name.empty()) return "IP:127.0.0.1,DNS:localhost";
  in_addr address;
  return (inet_pton(AF_INET, name.c_str(), &address) == 1 ? "IP:" : "DNS:") + name;
}

CertPtr MakeCertificate(EVP_PKEY* key, const std::string& hostName) {
  CertPtr cert(X509_new());
  Check(cert != nullptr, "certificate");
  X509_set_version(cert.get(), 2);
  unsigned char serial[8];
  Check(RAND_bytes(serial, sizeof serial) == 1, "serial");
  serial[0] &= 0x7F;  // a positive serial number
  BIGNUM* number = BN_bin2bn(serial, sizeof serial, nullptr);
  BN_to_ASN1_INTEGER(number, X509_get_serialNumber(cert.get()));
  BN_free(number);
  X509_gmtime_adj(X509_getm_notBefore(cert.get()), -3600);
  X509_gmtime_adj(X509_getm_notAfter(cert.get()), 30L * 24 * 3600);
  X509_set_pubkey(cert.get(), key);
  X509_NAME* name = X509_get_subject_name(cert.get());
  X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                             reinterpret_cast<const unsigned char*>("sonacli stand-in"), -1, -1, 0);
  X509_set_issuer_name(cert.get(), name);
  AddExtension(cert.get(), NID_basic_constraints, "critical,CA:TRUE");
  AddExtension(cert.get(), NID_key_usage, "critical,digitalSignature,keyCertSign");
  AddExtension(cert.get(), NID_subject_key_identifier, "hash");
  AddExtension(cert.get(), NID_subject_alt_name, AlternativeNames(hostName).c_str());
  Check(X509_sign(cert.get(), key, EVP_sha256()) > 0, "signature");
  return cert;
}

void WritePem(X509* cert, const std::string& certFile) {
  std::unique_ptr<FILE, FileCloser> file(std::fopen(certFile.c_str(), "w"));
  Check(file != nullptr, "cannot write the certificate file");
  Check(PEM_write_X509(file.get(), cert) == 1, "cannot write the certificate file");
}

}  // namespace

SslContextPtr MakeServerContext(const std::string& certFile, const std::string& name) {
  KeyPtr key(EVP_EC_gen("P-256"));
  Check(key != nullptr, "key");
  CertPtr cert = MakeCertificate(key.get(), name);
  WritePem(cert.get(), certFile);
  SslContextPtr context(SSL_CTX_new(TLS_server_method()));
  Check(context != nullptr, "context");
  SSL_CTX_set_min_proto_version(context.get(), TLS1_2_VERSION);
  Check(SSL_CTX_use_certificate(context.get(), cert.get()) == 1, "certificate");
  Check(SSL_CTX_use_PrivateKey(context.get(), key.get()) == 1, "key");
  return context;
}

}  // namespace sonacli::standin
