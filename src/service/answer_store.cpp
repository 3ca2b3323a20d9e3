#include "service/answer_store.h"

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

namespace sonacli {

TAnswerStore::TAnswerStore(const std::u16string& folder, std::u16string& warning) {
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

std::string TAnswerStore::EntryPath(const std::string& key) const {
  return folder_ + "/" + key + ".answer";
}

bool TAnswerStore::IsDamaged(const std::string& key) const {
  std::lock_guard lock(mutex_);
  return notReplaced_.contains(key);
}

bool TAnswerStore::Holds(const std::string& key) const {
  struct stat status {};
  return readable_ && !key.empty() && !IsDamaged(key) && stat(EntryPath(key).c_str(), &status) == 0 &&
         S_ISREG(status.st_mode);
}

std::optional<std::string> TAnswerStore::Load(const std::string& key) const {
  if (!Holds(key)) return std::nullopt;
  std::ifstream stream(EntryPath(key), std::ios::binary);
  if (!stream) return std::nullopt;
  std::string bytes((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
  if (stream.bad()) return std::nullopt;
  return bytes;
}

std::optional<std::string> TAnswerStore::Read(const std::string& key) {
  const std::optional<std::string> entry = Load(key);
  if (!entry) return std::nullopt;
  std::optional<std::string> bytes = CacheEntryAnswer(key, *entry);
  if (!bytes) Discard(key);
  return bytes;
}

void TAnswerStore::Write(const std::string& key, const std::string& bytes) {
  if (!writable_ || key.empty() || bytes.empty()) return;
  // A unique temporary name per writer: a reader sees either no entry or a whole one.
  if (!ReplaceFileContent(EntryPath(key), CacheEntry(key, bytes), 0600, folder_ + "/." + key + ".XXXXXX")) {
    ++notStored_;
    return;
  }
  {
    std::lock_guard lock(mutex_);
    notReplaced_.erase(key);
  }
  // The bare answer an earlier version kept under this key is replaced by the entry.
  unlink((folder_ + "/" + key + ".ogg").c_str());
}

void TAnswerStore::Discard(const std::string& key) {
  {
    std::lock_guard lock(mutex_);
    damaged_.insert(key);
    notReplaced_.insert(key);
  }
  if (writable_) unlink(EntryPath(key).c_str());
}

std::vector<std::u16string> TAnswerStore::EndOfRunWarnings() const {
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

}  // namespace sonacli
