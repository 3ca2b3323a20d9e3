// A folder of the service's answers, so that a run repeated after a failure or an interruption
// requests only what is missing. One file per answer, "<key>.answer", named by the SHA-256 of
// everything that shapes the answer (see AnswerKey): the Ogg Opus bytes as received, behind the
// lines that prove them whole and stored under that key (see CacheEntry). Safe for several threads
// and several processes at once: entries are written under a temporary name and renamed.
//
// Earlier versions kept the bare Ogg bytes as "<key>.ogg", with nothing that tells a whole answer
// from one cut short: such files are never read; the request is sent, and the file is removed once
// the new entry is stored.
#pragma once

#include <atomic>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "service/synthesis_service.h"
#include "settings/settings.h"

namespace sonacli {

// The hexadecimal SHA-256 of the interface's name, its URL and the request as sent without the
// API key (the voice, language, rate, tone and text as they travel), each preceded by its length.
std::string AnswerKey(std::string_view interfaceName, std::string_view url,
                      std::string_view requestWithoutKey);

// The speech service with the folder in front of it: a request whose answer the folder holds is
// answered from there (decoded for the request and the output format of `settings`); every other
// goes to `service`, and its answer is kept when it is spoken. An entry that fails its check (cut
// short, changed, another key's) or does not decode is damaged: it is removed, counted, and the
// request sent as if it were missing. This is the one place that reads and writes the entries.
class TAnswerCache final : public TSynthesisService {
 public:
  // `service` and `settings` must outlive the cache. Creates the folder (mode 0700: it holds the
  // user's texts) when it is missing. When it cannot be used, `warning` says why and the cache is
  // unusable; when it can only be read, `warning` says so and the cache answers from it without
  // storing anything.
  TAnswerCache(TSynthesisService& service, const TSettings& settings, const std::u16string& folder,
               std::u16string& warning);

  bool Usable() const { return readable_; }
  TSynthesisAnswer Synthesize(const TSynthesisRequest& request) override;
  // True when the folder holds an entry for the request that passes its check.
  bool HasCachedAnswer(const TSynthesisRequest& request) const override;

  // Said once at the end of the run, one line each: how many damaged entries were found (and not
  // used), how many answers could not be stored. Empty when there is nothing to say.
  std::vector<std::u16string> EndOfRunWarnings() const;

 private:
  // The entry decoded for the request; nullopt when there is none that gives audio.
  std::optional<TSynthesisAnswer> CachedAnswer(const std::string& key,
                                               const TSynthesisRequest& request) const;
  // The answer of the entry stored under `key` when it passes its check; nullopt when there is
  // none, and for a damaged one (then removed and counted).
  std::optional<std::string> CheckedAnswer(const std::string& key) const;
  bool Contains(const std::string& key) const;
  // The entry's bytes; nullopt when there is none or it cannot be read.
  std::optional<std::string> Load(const std::string& key) const;
  // Writes the entry under a temporary name and renames it into place; false when that fails.
  bool Store(const std::string& key, const std::string& bytes) const;
  // Keeps a spoken answer; a failure is counted.
  void Keep(const std::string& key, const TSynthesisAnswer& answer);
  // Removes an entry that proved damaged, and counts it.
  void Discard(const std::string& key) const;

  std::string EntryPath(const std::string& key) const;

  TSynthesisService& service_;
  const TSettings& settings_;
  std::string folder_;
  bool readable_ = false;
  bool writable_ = false;
  mutable std::mutex mutex_;
  mutable std::set<std::string> damaged_;  // the keys of the damaged entries found
  std::atomic<int> notStored_{0};
};

}  // namespace sonacli
