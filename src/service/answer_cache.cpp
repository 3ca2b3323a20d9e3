#include "service/answer_cache.h"

#include "service/sha256.h"
#include "service/synthesis_attempt.h"

namespace sonacli {

std::string AnswerKey(std::string_view interfaceName, std::string_view url,
                      std::string_view requestWithoutKey) {
  TSha256 sha;
  // Each field goes in with its length, so that no two different requests serialise alike.
  for (const std::string_view field : {interfaceName, url, requestWithoutKey}) {
    sha.Add(std::to_string(field.size()) + ":");
    sha.Add(field);
  }
  return sha.HexDigest();
}

TAnswerCache::TAnswerCache(TSynthesisService& service, TServiceEndpoints endpoints,
                           const std::u16string& folder, std::u16string& warning)
    : service_(service), endpoints_(std::move(endpoints)), store_(folder, warning) {}

std::string TAnswerCache::KeyOf(const TSynthesisRequest& request) const {
  return store_.Usable() ? AnswerKeyOf(request, endpoints_) : std::string();
}

TSynthesisAnswer TAnswerCache::Synthesize(const TSynthesisRequest& request, const TAnswerUse& use,
                                          std::stop_token stop) {
  const std::string key = KeyOf(request);
  if (key.empty()) return service_.Synthesize(request, use, stop);
  if (std::optional<TSynthesisAnswer> cached = FromStore(key, use)) return std::move(*cached);
  TSynthesisAnswer answer = service_.Synthesize(request, use, stop);
  if (answer.Spoken()) store_.Write(key, answer.Received);
  return answer;
}

bool TAnswerCache::HasCachedAnswer(const TSynthesisRequest& request) const {
  const std::string key = KeyOf(request);
  return !key.empty() && store_.Holds(key);
}

std::optional<TSynthesisAnswer> TAnswerCache::CachedAnswer(const TSynthesisRequest& request,
                                                           const TAnswerUse& use) {
  const std::string key = KeyOf(request);
  return key.empty() ? std::nullopt : FromStore(key, use);
}

std::optional<TSynthesisAnswer> TAnswerCache::FromStore(const std::string& key, const TAnswerUse& use) {
  std::optional<std::string> bytes = store_.Read(key);
  if (!bytes) return std::nullopt;
  // A conversion failure (TAudioError) is no fault of the entry: it reaches the caller, as it
  // would from the service.
  if (!use(*bytes)) {
    store_.Discard(key);
    return std::nullopt;
  }
  TSynthesisAnswer answer;
  answer.Outcome = TSynthesisOutcome::Spoken;
  answer.FromCache = true;
  answer.Received = std::move(*bytes);
  return answer;
}

}  // namespace sonacli
