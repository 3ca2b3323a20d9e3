// The answer cache: the service with a folder of its answers in front of it, so that a run repeated
// after a failure or an interruption requests only what is missing. The answers are kept as the
// bytes received, under the SHA-256 of everything that shapes them (see AnswerKey), in a
// TAnswerStore.
//
// Earlier versions kept the bare Ogg bytes as "<key>.ogg", with nothing that tells a whole answer
// from one cut short: such files are never read; the request is sent, and the file is removed once
// the new entry is stored.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "service/answer_store.h"
#include "service/service_settings.h"
#include "service/synthesis_service.h"

namespace sonacli {

// The hexadecimal SHA-256 of the interface's name, its URL and the request as sent without the
// API key (the voice, language, rate, tone and text as they travel), each preceded by its length.
std::string AnswerKey(std::string_view interfaceName, std::string_view url,
                      std::string_view requestWithoutKey);

// A request whose answer the folder holds is answered from there; every other goes to `service`,
// and its answer is kept when it is spoken. An entry that fails its check (cut short, changed,
// another key's) or that the caller's use does not take is damaged: it is removed, counted, and the
// request sent as if it were missing. This is the one place that reads and writes the entries.
class TAnswerCache final : public TSynthesisService {
 public:
  // `service` must outlive the cache; its requests go to `endpoints`, which shape their keys. The
  // folder as TAnswerStore takes it: `warning` says when it cannot be used (the cache is then
  // unusable) or only read.
  TAnswerCache(TSynthesisService& service, TServiceEndpoints endpoints, const std::u16string& folder,
               std::u16string& warning);

  bool Usable() const { return store_.Usable(); }
  TSynthesisAnswer Synthesize(const TSynthesisRequest& request, const TAnswerUse& use,
                              std::stop_token stop = {}) override;
  // True when the folder holds an entry for the request; it is not read.
  bool HasCachedAnswer(const TSynthesisRequest& request) const override;
  std::optional<TSynthesisAnswer> CachedAnswer(const TSynthesisRequest& request,
                                               const TAnswerUse& use) override;

  // The store's warnings, said once at the end of the run.
  std::vector<std::u16string> EndOfRunWarnings() const { return store_.EndOfRunWarnings(); }

 private:
  std::optional<TSynthesisAnswer> FromStore(const std::string& key, const TAnswerUse& use);
  // The request's key; empty when the folder cannot be read or no interface serves the request.
  std::string KeyOf(const TSynthesisRequest& request) const;

  TSynthesisService& service_;
  const TServiceEndpoints endpoints_;
  TAnswerStore store_;
};

}  // namespace sonacli
