#include "http/http_client.h"

#include <curl/curl.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>

#include <algorithm>
#include <memory>
#include <mutex>

namespace sonacli {
namespace {

struct CurlDeleter {
  void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
struct SlistDeleter {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

// The body of an answer as it arrives, up to its limit.
struct AnswerBody {
  std::string bytes;
  int64_t limit = kMaxAnswerBytes;
  bool overLimit = false;
};

size_t AppendBody(char* data, size_t size, size_t count, void* user) {
  auto* body = static_cast<AnswerBody*>(user);
  const size_t length = size * count;
  if (static_cast<int64_t>(body->bytes.size() + length) > body->limit) {
    body->overLimit = true;
    return 0;  // stops the transfer
  }
  body->bytes.append(data, length);
  return length;
}

// Keeps the text of the last status line ("HTTP/1.1 403 Forbidden" gives "Forbidden").
size_t ReadHeaderLine(char* data, size_t size, size_t count, void* user) {
  std::string line(data, size * count);
  if (line.rfind("HTTP/", 0) == 0) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    const size_t codeStart = line.find(' ');
    const size_t textStart =
        codeStart == std::string::npos ? std::string::npos : line.find(' ', codeStart + 1);
    *static_cast<std::string*>(user) = textStart == std::string::npos ? "" : line.substr(textStart + 1);
  }
  return size * count;
}

// Adds the certificates of the file named by `user` to the trust store libcurl built.
CURLcode AddCaFile(CURL*, void* sslContext, void* user) {
  X509_STORE* store = SSL_CTX_get_cert_store(static_cast<SSL_CTX*>(sslContext));
  const auto* file = static_cast<const std::string*>(user);
  return X509_STORE_load_file(store, file->c_str()) == 1 ? CURLE_OK : CURLE_SSL_CACERT_BADFILE;
}

struct UrlDeleter {
  void operator()(CURLU* url) const { curl_url_cleanup(url); }
};

// The host of a URL, without the path or the query (which may carry the API key).
std::string HostOf(const std::string& url) {
  std::unique_ptr<CURLU, UrlDeleter> parsed(curl_url());
  char* host = nullptr;
  if (!parsed || curl_url_set(parsed.get(), CURLUPART_URL, url.c_str(), 0) != CURLUE_OK ||
      curl_url_get(parsed.get(), CURLUPART_HOST, &host, 0) != CURLUE_OK) {
    return "the service";
  }
  std::string text = host;
  curl_free(host);
  return text;
}

// Why a request failed, in a few words a user can act on. Built from the failure's kind and the
// host only: libcurl's own texts may quote parts of the request.
std::string TransportCause(CURLcode code, const std::string& url, const std::string& proxy) {
  const std::string host = HostOf(url);
  if (code == CURLE_COULDNT_CONNECT && !proxy.empty()) return "could not connect to the proxy " + proxy;
  switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
      return "could not resolve host " + host;
    case CURLE_COULDNT_RESOLVE_PROXY:
      return "could not resolve the proxy";
    case CURLE_COULDNT_CONNECT:
      return "could not connect to " + host;
    case CURLE_OPERATION_TIMEDOUT:
      return "no answer from " + host + " in time";
    case CURLE_PEER_FAILED_VERIFICATION:
      return "the certificate of " + host + " could not be verified";
    case CURLE_SSL_CONNECT_ERROR:
      return "secure connection to " + host + " failed";
    case CURLE_GOT_NOTHING:
      return host + " closed the connection without an answer";
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_PARTIAL_FILE:
      return "the connection to " + host + " broke off";
    case CURLE_ABORTED_BY_CALLBACK:
      return "interrupted";
    default:
      return curl_easy_strerror(code);
  }
}

// "64 MiB", or the bytes when the size is no whole number of MiB.
std::string SizeText(int64_t bytes) {
  constexpr int64_t kMiB = 1024 * 1024;
  return bytes % kMiB == 0 ? std::to_string(bytes / kMiB) + " MiB" : std::to_string(bytes) + " bytes";
}

std::string AnswerTooLargeCause(const std::string& url, int64_t limit) {
  return "the answer from " + HostOf(url) + " is larger than " + SizeText(limit);
}

// What a client takes from its share: the certificates to trust for each new TLS connection.
struct SharedTrust {
  THttpShare* share = nullptr;
  const std::string* caFile = nullptr;
};

CURLcode AddSharedTrust(CURL*, void* sslContext, void* user) {
  const auto* trust = static_cast<const SharedTrust*>(user);
  return trust->share->AddTrustedCertificates(sslContext, *trust->caFile) ? CURLE_OK
                                                                          : CURLE_SSL_CACERT_BADFILE;
}

int CheckAbort(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  const auto* shouldAbort = static_cast<const std::function<bool()>*>(user);
  return (*shouldAbort)() ? 1 : 0;
}

}  // namespace

struct THttpClient::TState {
  std::unique_ptr<CURL, CurlDeleter> handle;
  std::unique_ptr<curl_slist, SlistDeleter> headers;
  std::string caFile;
  SharedTrust sharedTrust;
  std::string proxyHost;  // empty: no proxy set
  std::function<bool()> shouldAbort;
  std::string statusText;
  AnswerBody body;
  char error[CURL_ERROR_SIZE] = {};
};

THttpClient::THttpClient(THttpShare* share) : state_(std::make_unique<TState>()) {
  state_->sharedTrust = {share, &state_->caFile};
  static std::once_flag initialised;
  std::call_once(initialised, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
  state_->handle.reset(curl_easy_init());
  CURL* handle = state_->handle.get();
  if (handle == nullptr) throw THttpError("libcurl: cannot create a handle");
  curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "https");
  curl_easy_setopt(handle, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_1);
  curl_easy_setopt(handle, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(handle, CURLOPT_SSL_VERIFYHOST, 2L);
  curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(handle, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
  curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, state_->error);
  curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, AppendBody);
  curl_easy_setopt(handle, CURLOPT_WRITEDATA, &state_->body);
  curl_easy_setopt(handle, CURLOPT_HEADERFUNCTION, ReadHeaderLine);
  curl_easy_setopt(handle, CURLOPT_HEADERDATA, &state_->statusText);
  SetMaxAnswerBytes(kMaxAnswerBytes);
}

THttpClient::~THttpClient() = default;

void THttpClient::SetProxy(const std::string& host, std::optional<int32_t> port) {
  // Named in messages without any credentials it may carry.
  state_->proxyHost = host.substr(host.rfind('@') == std::string::npos ? 0 : host.rfind('@') + 1);
  curl_easy_setopt(state_->handle.get(), CURLOPT_PROXY, host.c_str());
  curl_easy_setopt(state_->handle.get(), CURLOPT_HTTPPROXYTUNNEL, 1L);
  if (port) curl_easy_setopt(state_->handle.get(), CURLOPT_PROXYPORT, static_cast<long>(*port));
}

void THttpClient::SetKeepAlive(bool on) {
  curl_easy_setopt(state_->handle.get(), CURLOPT_TCP_KEEPALIVE, on ? 1L : 0L);
  curl_easy_setopt(state_->handle.get(), CURLOPT_FORBID_REUSE, on ? 0L : 1L);
}

void THttpClient::SetTimeoutMs(int64_t ms) {
  curl_easy_setopt(state_->handle.get(), CURLOPT_TIMEOUT_MS, static_cast<long>(ms));
  curl_easy_setopt(state_->handle.get(), CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(ms));
}

void THttpClient::AddTrustedCaFile(const std::string& file) {
  state_->caFile = file;
  curl_easy_setopt(state_->handle.get(), CURLOPT_SSL_CTX_FUNCTION, AddCaFile);
  curl_easy_setopt(state_->handle.get(), CURLOPT_SSL_CTX_DATA, &state_->caFile);
}

void THttpClient::SetUserAgent(const std::string& userAgent) {
  curl_easy_setopt(state_->handle.get(), CURLOPT_USERAGENT, userAgent.c_str());
}

void THttpClient::SetAbortCheck(std::function<bool()> shouldAbort) {
  state_->shouldAbort = std::move(shouldAbort);
  CURL* handle = state_->handle.get();
  curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, CheckAbort);
  curl_easy_setopt(handle, CURLOPT_XFERINFODATA, &state_->shouldAbort);
  curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);
}

void THttpClient::SetMaxAnswerBytes(int64_t bytes) {
  state_->body.limit = bytes;
  // An announced length over the limit is refused before the body is read; the write callback
  // holds the limit when no length is announced.
  curl_easy_setopt(state_->handle.get(), CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(bytes));
}

THttpAnswer THttpClient::Get(const std::string& url) {
  curl_easy_setopt(state_->handle.get(), CURLOPT_HTTPGET, 1L);
  return Perform(url);
}

THttpAnswer THttpClient::Post(const std::string& url, const THttpPost& post) {
  CURL* handle = state_->handle.get();
  curl_easy_setopt(handle, CURLOPT_POST, 1L);
  curl_easy_setopt(handle, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(post.Body.size()));
  curl_easy_setopt(handle, CURLOPT_COPYPOSTFIELDS, post.Body.c_str());
  std::vector<std::string> lines = {"Content-Type: " + post.ContentType, "Expect:"};
  if (!post.Accept.empty()) lines.push_back("Accept: " + post.Accept);
  lines.insert(lines.end(), post.HeaderLines.begin(), post.HeaderLines.end());
  for (const std::string& line : lines) {
    curl_slist* extended = curl_slist_append(state_->headers.get(), line.c_str());
    if (extended == nullptr) throw THttpError("libcurl: out of memory");
    state_->headers.release();
    state_->headers.reset(extended);
  }
  curl_easy_setopt(handle, CURLOPT_HTTPHEADER, state_->headers.get());
  return Perform(url);
}

// Reading and parsing the system's CA bundle is most of what a request costs the client; with a
// share it is done once, and libcurl is told to read nothing itself.
void THttpClient::UseShare() {
  void* share = state_->sharedTrust.share->SessionShare(state_->caFile);
  if (share == nullptr) return;
  CURL* handle = state_->handle.get();
  curl_easy_setopt(handle, CURLOPT_SHARE, share);
  curl_easy_setopt(handle, CURLOPT_CAINFO, static_cast<const char*>(nullptr));
  curl_easy_setopt(handle, CURLOPT_CAPATH, static_cast<const char*>(nullptr));
  curl_easy_setopt(handle, CURLOPT_SSL_CTX_FUNCTION, AddSharedTrust);
  curl_easy_setopt(handle, CURLOPT_SSL_CTX_DATA, &state_->sharedTrust);
}

THttpAnswer THttpClient::Perform(const std::string& url) {
  CURL* handle = state_->handle.get();
  if (state_->sharedTrust.share != nullptr) UseShare();
  curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
  state_->body.bytes.clear();
  state_->body.overLimit = false;
  state_->statusText.clear();
  const CURLcode code = curl_easy_perform(handle);
  if (code == CURLE_FILESIZE_EXCEEDED || state_->body.overLimit) {
    throw THttpError(AnswerTooLargeCause(url, state_->body.limit), /*worthRetrying=*/false);
  }
  if (code != CURLE_OK) {
    throw THttpError(TransportCause(code, url, state_->proxyHost));
  }
  long status = 0;
  curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
  curl_off_t retryAfter = 0;
  curl_easy_getinfo(handle, CURLINFO_RETRY_AFTER, &retryAfter);
  return {static_cast<int>(status), state_->statusText, std::move(state_->body.bytes),
          std::max<int64_t>(retryAfter, 0)};
}

}  // namespace sonacli
