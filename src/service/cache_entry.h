// The form of one entry of the answer cache: a few lines that prove the entry whole and its own,
// then the answer's Ogg Opus bytes as received.
//
//   sonacli answer 1
//   key <the entry's key>
//   length <the answer's length in bytes>
//   sha256 <the answer's SHA-256>
//   (an empty line)
//   <the answer>
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace sonacli {

// The entry of `answer` stored under `key`.
std::string CacheEntry(std::string_view key, std::string_view answer);

// The answer that `entry` holds when it is whole and was stored under `key`: its lines are those
// CacheEntry writes for the bytes after them. nullopt for anything else: an entry cut short or
// grown, a byte changed, another key's entry, an empty answer, a file of another form.
std::optional<std::string> CacheEntryAnswer(std::string_view key, const std::string& entry);

}  // namespace sonacli
