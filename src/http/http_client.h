// The seam over libcurl: one HTTP/1.1 client over one easy handle, used for one exchange and then
// destroyed. Only HTTPS is spoken; TLS peer and host verification are always on. HTTP error
// statuses are answers, not errors: the caller reads the status code and text.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "http/http_share.h"

namespace sonacli {

// A transport failure: no connection, a time-out, a TLS failure, an answer cut short or too large.
// what() is its cause in a few words ("could not resolve host example.org"); it never quotes the
// request.
class THttpError : public std::runtime_error {
 public:
  explicit THttpError(const std::string& cause, bool worthRetrying = true)
      : std::runtime_error(cause), worthRetrying_(worthRetrying) {}
  // False when the same request would fail the same way again: an answer too large to take comes
  // back as large.
  bool WorthRetrying() const { return worthRetrying_; }

 private:
  bool worthRetrying_;
};

// The largest answer body taken. A synthesis answer for the longest text is a few MiB at most;
// anything larger is no answer of the service, and reading it on would only fill the memory.
inline constexpr int64_t kMaxAnswerBytes = 64 * 1024 * 1024;

struct THttpAnswer {
  int Status = 0;
  std::string StatusText;  // from the status line, "Forbidden" in "HTTP/1.1 403 Forbidden"; may be empty
  std::string Body;
  // The wait that a Retry-After header asks for, in seconds from now (either of its forms: a
  // number of seconds or an HTTP date); 0 without one, or for one that does not parse or has passed.
  int64_t RetryAfterSeconds = 0;
};

struct THttpPost {
  std::string ContentType;  // the whole header value, e.g. "application/json; charset=utf-8"
  std::string Body;
  std::string Accept;                    // empty: libcurl's default
  std::vector<std::string> HeaderLines;  // extra lines, "Name: value"
};

class THttpClient {
 public:
  // Throws THttpError when libcurl cannot make a handle. With a `share` (which must outlive the
  // client), the client takes the trusted certificates, TLS sessions and DNS answers from it;
  // what it trusts stays the same.
  explicit THttpClient(THttpShare* share = nullptr);
  ~THttpClient();
  THttpClient(const THttpClient&) = delete;
  THttpClient& operator=(const THttpClient&) = delete;

  // An HTTP proxy (CONNECT for HTTPS). Without a call, libcurl's proxy variables of the
  // environment apply. A port given inside `host` ("proxy:3128") wins over `port`.
  void SetProxy(const std::string& host, std::optional<int32_t> port);
  void SetKeepAlive(bool on);
  void SetTimeoutMs(int64_t ms);
  // A PEM file of CA certificates trusted in addition to the system's.
  void AddTrustedCaFile(const std::string& file);
  void SetUserAgent(const std::string& userAgent);
  // Polled while a request runs (about once a second, and on every block of data); when it
  // answers true the request stops at once with THttpError.
  void SetAbortCheck(std::function<bool()> shouldAbort);
  // The largest answer body taken (kMaxAnswerBytes unless set). A longer one, announced or
  // received, stops the request with a THttpError that is not worth retrying.
  void SetMaxAnswerBytes(int64_t bytes);

  // Throw THttpError on transport failures and on an answer body over the limit.
  THttpAnswer Get(const std::string& url);
  THttpAnswer Post(const std::string& url, const THttpPost& post);

 private:
  struct TState;
  void UseShare();
  THttpAnswer Perform(const std::string& url);

  std::unique_ptr<TState> state_;
};

}  // namespace sonacli
