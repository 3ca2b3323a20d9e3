// The stand-in's script: rules, read from a JSON file, that make it answer chosen requests with a
// given status and text, a delay, an empty, truncated, non-Ogg or over-long body, or a dropped
// connection; always, a number of times, or by chance (random faults that a seed repeats).
#pragma once

#include <cstdint>
#include <map>
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
  // The share of the matching requests the rule answers, drawn per request (1: every one).
  double Chance = 1.0;
  int Index = 0;  // the rule's place in the script, from 0
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

  // The first rule that matches the request, still has uses left and, with a chance, is drawn;
  // used up once. Every request draws one number in [0, 1), made from the script's seed, the
  // path, the text and how often that path and text came before, so a rerun of the same requests
  // meets the same faults in any order of arrival; the rules with a chance share it out in their
  // order (0.05 and then 0.01 take apart 5 % and 1 % of the requests). The file is read again
  // whenever its content changed; the counts then start afresh.
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
  uint64_t seed_ = 0;
  std::map<std::string, uint64_t> seen_;  // path + text: the requests that came so far
};

}  // namespace sonacli::standin
