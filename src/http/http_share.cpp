#include "http/http_share.h"

#include <curl/curl.h>
#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>

#include <array>
#include <map>
#include <mutex>

namespace sonacli {
namespace {

struct InfoStackDeleter {
  void operator()(STACK_OF(X509_INFO) * infos) const { sk_X509_INFO_pop_free(infos, X509_INFO_free); }
};
using CertificateList = std::unique_ptr<STACK_OF(X509_INFO), InfoStackDeleter>;

struct BioDeleter {
  void operator()(BIO* bio) const { BIO_free(bio); }
};
struct CurlDeleter {
  void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
struct ShareDeleter {
  void operator()(CURLSH* share) const { curl_share_cleanup(share); }
};

// The certificates and revocation lists of a PEM file, as X509_STORE_load_file takes them; null
// when the file cannot be read or holds neither.
CertificateList ReadPemFile(const char* file) {
  CertificateList list;
  std::unique_ptr<BIO, BioDeleter> bio(BIO_new_file(file, "r"));
  if (bio) list.reset(PEM_X509_INFO_read_bio(bio.get(), nullptr, nullptr, nullptr));
  // What went wrong stays out of the error queue that the TLS connections of this thread read.
  ERR_clear_error();
  if (!list) return nullptr;
  for (int i = 0; i < sk_X509_INFO_num(list.get()); ++i) {
    const X509_INFO* info = sk_X509_INFO_value(list.get(), i);
    if (info->x509 != nullptr || info->crl != nullptr) return list;
  }
  return nullptr;
}

bool AddToStore(X509_STORE* store, const STACK_OF(X509_INFO) * list) {
  for (int i = 0; i < sk_X509_INFO_num(list); ++i) {
    const X509_INFO* info = sk_X509_INFO_value(list, i);
    if (info->x509 != nullptr && X509_STORE_add_cert(store, info->x509) != 1) return false;
    if (info->crl != nullptr && X509_STORE_add_crl(store, info->crl) != 1) return false;
  }
  return true;
}

// The clients that trust the same certificates.
struct TrustGroup {
  std::unique_ptr<CURLSH, ShareDeleter> handle;
  std::array<std::mutex, CURL_LOCK_DATA_LAST> locks;
  CertificateList extra;  // those of the added CA file; null when there is none or it is unreadable
};

void LockShared(CURL*, curl_lock_data data, curl_lock_access, void* group) {
  static_cast<TrustGroup*>(group)->locks[data].lock();
}

void UnlockShared(CURL*, curl_lock_data data, void* group) {
  static_cast<TrustGroup*>(group)->locks[data].unlock();
}

}  // namespace

struct THttpShare::TState {
  std::mutex mutex;  // guards what follows
  bool systemRead = false;
  CertificateList system;  // libcurl's own CA bundle, read once; null when unreadable
  std::string systemFolder;
  std::map<std::string, std::unique_ptr<TrustGroup>> groups;  // by added CA file

  // The system's certificates, where libcurl would read them for each connection.
  void ReadSystemCertificates() {
    systemRead = true;
    const std::unique_ptr<CURL, CurlDeleter> probe(curl_easy_init());
    if (!probe) return;
    const char* bundle = nullptr;
    const char* folder = nullptr;
    curl_easy_getinfo(probe.get(), CURLINFO_CAINFO, &bundle);
    curl_easy_getinfo(probe.get(), CURLINFO_CAPATH, &folder);
    if (bundle != nullptr) system = ReadPemFile(bundle);
    if (folder != nullptr) systemFolder = folder;
  }

  TrustGroup* Group(const std::string& caFile) {
    std::unique_ptr<TrustGroup>& group = groups[caFile];
    if (group) return group.get();
    group = std::make_unique<TrustGroup>();
    group->handle.reset(curl_share_init());
    if (group->handle) {
      CURLSH* share = group->handle.get();
      curl_share_setopt(share, CURLSHOPT_LOCKFUNC, LockShared);
      curl_share_setopt(share, CURLSHOPT_UNLOCKFUNC, UnlockShared);
      curl_share_setopt(share, CURLSHOPT_USERDATA, group.get());
      curl_share_setopt(share, CURLSHOPT_SHARE, CURL_LOCK_DATA_SSL_SESSION);
      curl_share_setopt(share, CURLSHOPT_SHARE, CURL_LOCK_DATA_DNS);
    }
    if (!caFile.empty()) group->extra = ReadPemFile(caFile.c_str());
    return group.get();
  }
};

THttpShare::THttpShare() : state_(std::make_unique<TState>()) {}

THttpShare::~THttpShare() = default;

void* THttpShare::SessionShare(const std::string& caFile) {
  const std::lock_guard lock(state_->mutex);
  if (!state_->systemRead) state_->ReadSystemCertificates();
  if (!state_->system) return nullptr;
  return state_->Group(caFile)->handle.get();
}

bool THttpShare::AddTrustedCertificates(void* sslContext, const std::string& caFile) {
  const STACK_OF(X509_INFO)* extra = nullptr;
  {
    const std::lock_guard lock(state_->mutex);
    if (!state_->system) return false;
    extra = state_->Group(caFile)->extra.get();
  }
  // The lists are only read from here on, and live as long as the share.
  X509_STORE* store = SSL_CTX_get_cert_store(static_cast<SSL_CTX*>(sslContext));
  if (!AddToStore(store, state_->system.get())) return false;
  // Looked up by name when needed, as libcurl does with its CA folder; a missing folder is no error.
  if (!state_->systemFolder.empty()) X509_STORE_load_path(store, state_->systemFolder.c_str());
  ERR_clear_error();
  if (caFile.empty()) return true;
  return extra != nullptr && AddToStore(store, extra);
}

}  // namespace sonacli
