#include "standin/http_exchange.h"

#include <strings.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cstdio>

namespace sonacli::standin {
namespace {

constexpr size_t kMaxHeadBytes = 64 * 1024;
constexpr size_t kMaxBodyBytes = 16 * 1024 * 1024;

std::string TrimSpaces(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool ParseHead(const std::string& head, TRequest& request) {
  size_t lineEnd = head.find("\r\n");
  const std::string requestLine = head.substr(0, lineEnd);
  const size_t space1 = requestLine.find(' ');
  const size_t space2 = requestLine.rfind(' ');
  if (space1 == std::string::npos || space2 == space1) return false;
  if (requestLine.compare(space2 + 1, 7, "HTTP/1.") != 0) return false;
  request.Method = requestLine.substr(0, space1);
  const std::string target = requestLine.substr(space1 + 1, space2 - space1 - 1);
  const size_t question = target.find('?');
  request.Path = target.substr(0, question);
  request.Query = question == std::string::npos ? "" : target.substr(question + 1);
  while (lineEnd != std::string::npos && lineEnd + 2 < head.size()) {
    const size_t start = lineEnd + 2;
    lineEnd = head.find("\r\n", start);
    const std::string line = head.substr(start, lineEnd - start);
    const size_t colon = line.find(':');
    if (colon == std::string::npos) return false;
    request.Headers.emplace_back(line.substr(0, colon), TrimSpaces(line.substr(colon + 1)));
  }
  return true;
}

}  // namespace

std::string TRequest::Header(const std::string& name) const {
  for (const auto& [key, value] : Headers) {
    if (strcasecmp(key.c_str(), name.c_str()) == 0) return value;
  }
  return "";
}

TConnection::TConnection(int fd, SSL_CTX* context) : fd_(fd) {
  timeval timeout{10, 0};
  setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  setsockopt(fd_, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
  if (context != nullptr) {
    ssl_.reset(SSL_new(context));
    if (ssl_) SSL_set_fd(ssl_.get(), fd_);
  }
}

TConnection::~TConnection() {
  ssl_.reset();
  close(fd_);
}

bool TConnection::Handshake() {
  if (!ssl_) return true;
  return SSL_accept(ssl_.get()) == 1;
}

int TConnection::ReadSome(char* buffer, int size) {
  if (ssl_) return SSL_read(ssl_.get(), buffer, size);
  return static_cast<int>(recv(fd_, buffer, size, 0));
}

bool TConnection::FillUntil(size_t size) {
  char buffer[16 * 1024];
  while (pending_.size() < size) {
    const int got = ReadSome(buffer, sizeof buffer);
    if (got <= 0) return false;
    pending_.append(buffer, got);
  }
  return true;
}

bool TConnection::ReadRequest(TRequest& request) {
  size_t headEnd;
  while ((headEnd = pending_.find("\r\n\r\n")) == std::string::npos) {
    if (pending_.size() > kMaxHeadBytes || !FillUntil(pending_.size() + 1)) return false;
  }
  request = TRequest();
  if (!ParseHead(pending_.substr(0, headEnd), request)) return false;
  pending_.erase(0, headEnd + 4);
  size_t length = 0;
  const std::string lengthText = request.Header("Content-Length");
  if (!lengthText.empty()) {
    const auto [end, error] =
        std::from_chars(lengthText.data(), lengthText.data() + lengthText.size(), length);
    if (error != std::errc() || length > kMaxBodyBytes) return false;
  }
  if (length > 0 && strcasecmp(request.Header("Expect").c_str(), "100-continue") == 0) {
    if (!Write("HTTP/1.1 100 Continue\r\n\r\n")) return false;
  }
  if (!FillUntil(length)) return false;
  request.Body = pending_.substr(0, length);
  pending_.erase(0, length);
  return true;
}

bool TConnection::Write(const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const int size = static_cast<int>(bytes.size() - done);
    const int sent = ssl_ ? SSL_write(ssl_.get(), bytes.data() + done, size)
                          : static_cast<int>(send(fd_, bytes.data() + done, size, MSG_NOSIGNAL));
    if (sent <= 0) return false;
    done += sent;
  }
  return true;
}

void TConnection::Send(const TResponse& response, const std::atomic<bool>& stop) {
  // Slices keep a scripted delay from holding the server's end.
  for (int waited = 0; waited < response.DelayMs; waited += 20) {
    if (stop) return;
    usleep(20 * 1000);
  }
  if (response.Drop) return;
  std::string head = "HTTP/1.1 " + std::to_string(response.Status) + " " + response.StatusText + "\r\n";
  head += "Content-Type: " + response.ContentType + "\r\n";
  for (const auto& [name, value] : response.Headers) head += name + ": " + value + "\r\n";
  if (response.RepeatedTo > 0 && !response.Body.empty()) {
    SendRepeated(head, response, stop);
    return;
  }
  head += "Content-Length: " + std::to_string(response.Body.size()) + "\r\n";
  head += "Connection: close\r\n\r\n";
  if (response.CutShort) {
    // The announced length never arrives: the peer sees the connection end in the middle.
    Write(head + response.Body.substr(0, response.Body.size() / 2));
    return;
  }
  if (Write(head + response.Body) && ssl_) SSL_shutdown(ssl_.get());
}

// The body is made block by block as it goes out, so that an answer of any size never lies whole
// in memory; the peer may close the connection at any time.
void TConnection::SendRepeated(const std::string& head, const TResponse& response,
                               const std::atomic<bool>& stop) {
  constexpr size_t kBlockBytes = 256 * 1024;
  if (!Write(head + "Transfer-Encoding: chunked\r\nConnection: close\r\n\r\n")) return;
  const std::string& body = response.Body;
  int64_t sent = 0;
  std::string block;
  while (sent < response.RepeatedTo) {
    if (stop) return;
    block.clear();
    const size_t size = static_cast<size_t>(std::min<int64_t>(kBlockBytes, response.RepeatedTo - sent));
    while (block.size() < size) {
      const size_t at = static_cast<size_t>((sent + static_cast<int64_t>(block.size())) %
                                            static_cast<int64_t>(body.size()));
      block.append(body, at, std::min(body.size() - at, size - block.size()));
    }
    char length[32];
    std::snprintf(length, sizeof length, "%zx\r\n", block.size());
    if (!Write(length + block + "\r\n")) return;
    sent += static_cast<int64_t>(block.size());
  }
  if (Write("0\r\n\r\n") && ssl_) SSL_shutdown(ssl_.get());
}

}  // namespace sonacli::standin
