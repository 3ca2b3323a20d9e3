#include "service/answer_cache.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "common/unicode_text.h"
#include "platform/file_system.h"
#include "platform/replacing_file.h"
#include "service/cache_entry.h"
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

TAnswerCache::TAnswerCache(TSynthesisService& service, const TSettings& settings,
                           const std::u16string& folder, std::u16string& warning)
    : service_(service), settings_(settings) {
  folder_ = NativePath(folder);
  std::error_code error;
  if (!folder_.empty() && !std::filesystem::exists(folder_, error)) {
    const std::filesystem::path path(folder_);
    if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path(), error);
    if (mkdir(folder_.c_str(), 0700) != 0 && errno != EEXIST) error.assign(errno, std::generic_category());
  }
  readable_ = !folder_.empty() && std::filesystem::is_directory(folder_, error) &&
              access(folder_.c_str(), R_OK | X_OK) == 0;
  writable_ = readable_ && access(folder_.c_str(), W_OK) == 0;
  if (!readable_) {
    warning = u"Cache folder cannot be used, the run goes on without it: " + folder;
  } else if (!writable_) {
    warning = u"Cache folder is read-only, new answers are not stored: " + folder;
  }
}

TSynthesisAnswer TAnswerCache::Synthesize(const TSynthesisRequest& request) {
  const std::string key = readable_ ? AnswerKeyOf(request) : std::string();
  if (key.empty()) return service_.Synthesize(request);
  if (std::optional<TSynthesisAnswer> cached = CachedAnswer(key, request)) return std::move(*cached);
  TSynthesisAnswer answer = service_.Synthesize(request);
  Keep(key, answer);
  return answer;
}

bool TAnswerCache::HasCachedAnswer(const TSynthesisRequest& request) const {
  return CheckedAnswer(AnswerKeyOf(request)).has_value();
}

std::vector<std::u16string> TAnswerCache::EndOfRunWarnings() const {
  std::vector<std::u16string> lines;
  size_t damaged = 0;
  {
    std::lock_guard lock(mutex_);
    damaged = damaged_.size();
  }
  if (damaged > 0)
    lines.push_back(u"Damaged cache entries were not used: " + ToUtf16(std::to_string(damaged)));
  if (notStored_ > 0) {
    lines.push_back(u"Answers that could not be stored in the cache folder: " +
                    ToUtf16(std::to_string(notStored_.load())));
  }
  return lines;
}

std::optional<TSynthesisAnswer> TAnswerCache::CachedAnswer(const std::string& key,
                                                           const TSynthesisRequest& request) const {
  std::optional<std::string> ogg = CheckedAnswer(key);
  if (!ogg) return std::nullopt;
  TSynthesisAnswer answer;
  // A conversion failure (TAudioError) is no fault of the entry: it reaches the caller, as it
  // would from the service.
  if (!DecodeAnswer(*ogg, request, settings_, answer.Audio)) {
    Discard(key);
    return std::nullopt;
  }
  answer.Outcome = TSynthesisOutcome::Spoken;
  answer.FromCache = true;
  return answer;
}

std::optional<std::string> TAnswerCache::CheckedAnswer(const std::string& key) const {
  const std::optional<std::string> entry = Load(key);
  if (!entry) return std::nullopt;
  std::optional<std::string> answer = CacheEntryAnswer(key, *entry);
  if (!answer) Discard(key);
  return answer;
}

void TAnswerCache::Keep(const std::string& key, const TSynthesisAnswer& answer) {
  if (!writable_ || !answer.Spoken() || answer.Received.empty()) return;
  if (!Store(key, CacheEntry(key, answer.Received))) {
    ++notStored_;
    return;
  }
  // The bare answer an earlier version kept under this key is replaced by the entry.
  unlink((folder_ + "/" + key + ".ogg").c_str());
}

std::string TAnswerCache::EntryPath(const std::string& key) const {
  return folder_ + "/" + key + ".answer";
}

bool TAnswerCache::Contains(const std::string& key) const {
  struct stat status {};
  return readable_ && !key.empty() && stat(EntryPath(key).c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

std::optional<std::string> TAnswerCache::Load(const std::string& key) const {
  if (!Contains(key)) return std::nullopt;
  std::ifstream stream(EntryPath(key), std::ios::binary);
  if (!stream) return std::nullopt;
  std::string bytes((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
  if (stream.bad()) return std::nullopt;
  return bytes;
}

bool TAnswerCache::Store(const std::string& key, const std::string& bytes) const {
  if (!writable_ || key.empty()) return false;
  // A unique temporary name per writer: a reader sees either no entry or a whole one.
  return ReplaceFileContent(EntryPath(key), bytes, 0600, folder_ + "/." + key + ".XXXXXX");
}

void TAnswerCache::Discard(const std::string& key) const {
  {
    std::lock_guard lock(mutex_);
    damaged_.insert(key);
  }
  // In a read-only folder it stays, and is found damaged again by the next run.
  if (writable_) unlink(EntryPath(key).c_str());
}

}  // namespace sonacli
