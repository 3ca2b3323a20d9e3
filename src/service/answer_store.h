// A folder of answers kept as bytes under keys: one file per key, "<key>.answer", holding the bytes
// behind the lines that prove them whole and stored under that key (see CacheEntry). It knows
// nothing of what the bytes are. Safe for several threads and several processes at once: entries
// are written under a temporary name and renamed, so a reader sees no entry or a whole one.
#pragma once

#include <atomic>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace sonacli {

class TAnswerStore {
 public:
  // Creates the folder (mode 0700: it holds the user's texts) when it is missing. When it cannot be
  // used, `warning` says why and the store is unusable; when it can only be read, `warning` says so
  // and the store reads without writing.
  TAnswerStore(const std::u16string& folder, std::u16string& warning);

  bool Usable() const { return readable_; }

  // Whether an entry is there under `key`, without reading it (it may still prove damaged). A key
  // whose entry was found damaged in this run counts as missing until it is written anew.
  bool Holds(const std::string& key) const;
  // The bytes stored under `key` when its entry passes its check; nullopt when there is none, and
  // for a damaged one (then discarded).
  std::optional<std::string> Read(const std::string& key);
  // Stores the bytes under `key` (empty bytes are never stored); a failure is counted. Replaces a
  // bare answer that an earlier version kept under this key.
  void Write(const std::string& key, const std::string& bytes);
  // Removes the entry under `key`, which proved damaged, and counts it once. In a read-only folder
  // it stays, and is found damaged again by the next run.
  void Discard(const std::string& key);

  // Said once at the end of the run, one line each: how many damaged entries were found (and not
  // used), how many answers could not be stored. Empty when there is nothing to say.
  std::vector<std::u16string> EndOfRunWarnings() const;

 private:
  std::string EntryPath(const std::string& key) const;
  bool IsDamaged(const std::string& key) const;
  // The entry's bytes; nullopt when there is none or it cannot be read.
  std::optional<std::string> Load(const std::string& key) const;

  std::string folder_;
  bool readable_ = false;
  bool writable_ = false;
  mutable std::mutex mutex_;
  std::set<std::string> damaged_;      // the keys of the damaged entries found, counted once each
  std::set<std::string> notReplaced_;  // damaged and not written anew in this run
  std::atomic<int> notStored_{0};
};

}  // namespace sonacli
