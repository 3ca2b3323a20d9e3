// A folder of the service's answers, so that a run repeated after a failure or an interruption
// requests only what is missing. One file per answer: the Ogg Opus bytes as received, named by the
// SHA-256 of everything that shapes the answer (see AnswerKey). Safe for several threads and
// several processes at once: entries are written under a temporary name and renamed.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace sonacli {

// The hexadecimal SHA-256 of the interface's name, its URL and the request as sent without the
// API key (the voice, language, rate, tone and text as they travel), each preceded by its length.
std::string AnswerKey(std::string_view interfaceName, std::string_view url,
                      std::string_view requestWithoutKey);

class TAnswerCache {
 public:
  // Creates the folder (mode 0700: it holds the user's texts) when it is missing. On failure
  // `warning` says why and the cache is unusable.
  TAnswerCache(const std::u16string& folder, std::u16string& warning);

  bool Usable() const { return usable_; }
  bool Contains(const std::string& key) const;
  // The entry's bytes; nullopt when there is none or it cannot be read.
  std::optional<std::string> Load(const std::string& key) const;
  // Writes the entry under a temporary name and renames it into place; false when that fails.
  bool Store(const std::string& key, const std::string& bytes) const;
  // Removes an entry that proved unusable.
  void Discard(const std::string& key) const;

 private:
  std::string EntryPath(const std::string& key) const;

  std::string folder_;
  bool usable_ = false;
};

}  // namespace sonacli
