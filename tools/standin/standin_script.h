// The stand-in's script: rules, read from a JSON file, that make it answer chosen requests with a
// given status and text, a delay, an empty, truncated, non-Ogg or over-long body, or a dropped
// connection.
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace sonacli::standin {

struct TRule {
  std::string Path;          // empty: any path
  std::string TextContains;  // empty: any text
  int Times = -1;            // how many requests the rule answers; -1: all of them
  int Status = 200;
  std::optional<std::string> StatusText;  // default: the usual text of the status
  std::optional<std::string> Body;        // replaces the body of the answer (also of status 200)
  std::optional<std::string> ContentType;
  std::vector<std::pair<std::string, std::string>> Headers;  // extra header lines
  // When set, a "Retry-After" header holding the HTTP date this many seconds after the answer.
  std::optional<int> RetryAfterDateInS;
  int DelayMs = 0;
  int DelayMsPerCharacter = 0;  // added to DelayMs for every character of the text to speak
  // "normal", "empty", "truncated", "not_ogg", "no_audio", "oversized", "drop" or "cut".
  std::string Answer = "normal";
  int64_t OversizedBytes = 65 * 1024 * 1024;  // the size of an "oversized" answer
};

class TScript {
 public:
  explicit TScript(std::string file) : file_(std::move(file)) {}

  // The first rule that matches the request and still has uses left, used up once. The file is
  // read again whenever its content changed; the counts then start afresh.
  std::optional<TRule> Take(const std::string& path, const std::string& text);

 private:
  struct TEntry {
    TRule Rule;
    int Left;
  };
  void Reload();

  std::string file_;
  std::mutex mutex_;
  std::string loadedText_;
  std::vector<TEntry> entries_;
};

}  // namespace sonacli::standin
