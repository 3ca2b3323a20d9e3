#include "service/answer_cache.h"

#include <fcntl.h>
#include <openssl/evp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

#include "audio/audio_error.h"
#include "platform/file_system.h"
#include "platform/replacing_file.h"
#include "service/synthesis_attempt.h"

namespace sonacli {

namespace {

struct DigestDeleter {
  void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};

// Each field goes in with its length, so that no two different requests serialise alike.
void AddField(EVP_MD_CTX* context, std::string_view field) {
  const std::string length = std::to_string(field.size()) + ":";
  EVP_DigestUpdate(context, length.data(), length.size());
  EVP_DigestUpdate(context, field.data(), field.size());
}

}  // namespace

std::string AnswerKey(std::string_view interfaceName, std::string_view url,
                      std::string_view requestWithoutKey) {
  std::unique_ptr<EVP_MD_CTX, DigestDeleter> context(EVP_MD_CTX_new());
  std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
  unsigned int size = 0;
  if (!context || EVP_DigestInit_ex(context.get(), EVP_sha256(), nullptr) != 1) return {};
  AddField(context.get(), interfaceName);
  AddField(context.get(), url);
  AddField(context.get(), requestWithoutKey);
  if (EVP_DigestFinal_ex(context.get(), digest.data(), &size) != 1) return {};
  static constexpr char kHex[] = "0123456789abcdef";
  std::string key;
  for (unsigned int i = 0; i < size; ++i) {
    key += kHex[digest[i] >> 4];
    key += kHex[digest[i] & 0x0F];
  }
  return key;
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
  usable_ = !folder_.empty() && std::filesystem::is_directory(folder_, error) &&
            access(folder_.c_str(), R_OK | W_OK | X_OK) == 0;
  if (!usable_) warning = u"Cache folder cannot be used, the run goes on without it: " + folder;
}

TSynthesisAnswer TAnswerCache::Synthesize(const TSynthesisRequest& request) {
  const std::string key = usable_ ? AnswerKeyOf(request) : std::string();
  if (key.empty()) return service_.Synthesize(request);
  if (std::optional<TSynthesisAnswer> cached = CachedAnswer(key, request)) return std::move(*cached);
  TSynthesisAnswer answer = service_.Synthesize(request);
  // Only an answer that decoded into audio (or an empty one) is worth keeping.
  if (answer.Spoken() && (answer.Received.empty() || !answer.Audio.empty())) Store(key, answer.Received);
  return answer;
}

bool TAnswerCache::HasCachedAnswer(const TSynthesisRequest& request) const {
  return Contains(AnswerKeyOf(request));
}

std::optional<TSynthesisAnswer> TAnswerCache::CachedAnswer(const std::string& key,
                                                           const TSynthesisRequest& request) const {
  std::optional<std::string> ogg = Load(key);
  if (!ogg) return std::nullopt;
  TSynthesisAnswer answer;
  bool ok = ogg->empty();
  if (!ok) {
    try {
      ok = DecodeAnswer(*ogg, request, settings_, answer.Audio) && !answer.Audio.empty();
    } catch (const TAudioError&) {
      ok = false;
    }
  }
  if (!ok) {
    Discard(key);
    return std::nullopt;
  }
  answer.Outcome = TSynthesisOutcome::Spoken;
  answer.FromCache = true;
  return answer;
}

std::string TAnswerCache::EntryPath(const std::string& key) const {
  return folder_ + "/" + key + ".ogg";
}

bool TAnswerCache::Contains(const std::string& key) const {
  struct stat status {};
  return usable_ && !key.empty() && stat(EntryPath(key).c_str(), &status) == 0 && S_ISREG(status.st_mode);
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
  if (!usable_ || key.empty()) return false;
  // A unique temporary name per writer: a reader sees either no entry or a whole one.
  return ReplaceFileContent(EntryPath(key), bytes, 0600, folder_ + "/." + key + ".XXXXXX");
}

void TAnswerCache::Discard(const std::string& key) const {
  if (usable_ && !key.empty()) unlink(EntryPath(key).c_str());
}

}  // namespace sonacli
