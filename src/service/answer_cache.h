// A folder of the service's answers, so that a run repeated after a failure or an interruption
// requests only what is missing. One file per answer: the Ogg Opus bytes as received, named by the
// SHA-256 of everything that shapes the answer (see AnswerKey). Safe for several threads and
// several processes at once: entries are written under a temporary name and renamed.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "service/synthesis_service.h"
#include "settings/settings.h"

namespace sonacli {

// The hexadecimal SHA-256 of the interface's name, its URL and the request as sent without the
// API key (the voice, language, rate, tone and text as they travel), each preceded by its length.
std::string AnswerKey(std::string_view interfaceName, std::string_view url,
                      std::string_view requestWithoutKey);

// The speech service with the folder in front of it: a request whose answer the folder holds is
// answered from there (decoded for the request and the output format of `settings`); every other
// goes to `service`, and its answer is kept when it decoded into audio (or was empty). An entry
// that does not decode is removed and the request sent. This is the one place that reads and writes
// the entries.
class TAnswerCache final : public TSynthesisService {
 public:
  // `service` and `settings` must outlive the cache. Creates the folder (mode 0700: it holds the
  // user's texts) when it is missing. On failure `warning` says why and the cache is unusable.
  TAnswerCache(TSynthesisService& service, const TSettings& settings, const std::u16string& folder,
               std::u16string& warning);

  bool Usable() const { return usable_; }
  TSynthesisAnswer Synthesize(const TSynthesisRequest& request) override;
  bool HasCachedAnswer(const TSynthesisRequest& request) const override;

 private:
  // The entry decoded for the request; nullopt (and the entry removed when it was unusable) when
  // there is none that gives audio.
  std::optional<TSynthesisAnswer> CachedAnswer(const std::string& key,
                                               const TSynthesisRequest& request) const;
  bool Contains(const std::string& key) const;
  // The entry's bytes; nullopt when there is none or it cannot be read.
  std::optional<std::string> Load(const std::string& key) const;
  // Writes the entry under a temporary name and renames it into place; false when that fails.
  bool Store(const std::string& key, const std::string& bytes) const;
  // Removes an entry that proved unusable.
  void Discard(const std::string& key) const;

  std::string EntryPath(const std::string& key) const;

  TSynthesisService& service_;
  const TSettings& settings_;
  std::string folder_;
  bool usable_ = false;
};

}  // namespace sonacli
