// One HTTP/1.1 exchange on an accepted connection, plain or inside TLS: the request read whole,
// the answer written with the status text given, or the connection dropped.
#pragma once

#include <openssl/ssl.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace sonacli::standin {

struct TRequest {
  std::string Method;
  std::string Path;
  std::string Query;  // without the "?"
  std::vector<std::pair<std::string, std::string>> Headers;
  std::string Body;

  // The value of the first header of this name (any case); empty when there is none.
  std::string Header(const std::string& name) const;
};

struct TResponse {
  int Status = 200;
  std::string StatusText = "OK";  // may be empty: the status line then ends after the code
  std::string ContentType = "application/json";
  std::string Body;
  std::vector<std::pair<std::string, std::string>> Headers;  // extra header lines
  int DelayMs = 0;                                           // waited before answering
  bool Drop = false;                                         // close the connection without an answer
  bool CutShort = false;                                     // close the connection in the middle of the body
  // When above 0: the body is sent again and again (the last copy cut) to this many bytes, in
  // chunked transfer encoding without an announced length, one block at a time.
  int64_t RepeatedTo = 0;
};

struct SslDeleter {
  void operator()(SSL* ssl) const { SSL_free(ssl); }
};

// Owns the socket; `context` null means plain HTTP.
class TConnection {
 public:
  TConnection(int fd, SSL_CTX* context);
  ~TConnection();
  TConnection(const TConnection&) = delete;
  TConnection& operator=(const TConnection&) = delete;

  bool Handshake();
  // False when the peer closed, sent something that is not HTTP/1.x, or took too long.
  bool ReadRequest(TRequest& request);
  bool Write(const std::string& bytes);
  // Waits the response's delay first, but stops waiting (and sends nothing) once `stop` is set.
  void Send(const TResponse& response, const std::atomic<bool>& stop);

 private:
  int ReadSome(char* buffer, int size);
  void SendRepeated(const std::string& head, const TResponse& response, const std::atomic<bool>& stop);
  bool FillUntil(size_t size);

  int fd_;
  std::unique_ptr<SSL, SslDeleter> ssl_;
  std::string pending_;
};

}  // namespace sonacli::standin
