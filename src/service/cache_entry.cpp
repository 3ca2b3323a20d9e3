#include "service/cache_entry.h"

#include "service/sha256.h"

namespace sonacli {
namespace {

constexpr std::string_view kFirstLine = "sonacli answer 1\n";
constexpr std::string_view kHeaderEnd = "\n\n";

std::string Header(std::string_view key, std::string_view answer) {
  std::string header(kFirstLine);
  header.append("key ").append(key).append("\n");
  header.append("length ").append(std::to_string(answer.size())).append("\n");
  header.append("sha256 ").append(Sha256Hex(answer)).append("\n\n");
  return header;
}

}  // namespace

std::string CacheEntry(std::string_view key, std::string_view answer) {
  return Header(key, answer).append(answer);
}

std::optional<std::string> CacheEntryAnswer(std::string_view key, const std::string& entry) {
  if (!entry.starts_with(kFirstLine)) return std::nullopt;
  const size_t end = entry.find(kHeaderEnd);
  if (end == std::string::npos) return std::nullopt;
  const std::string_view answer = std::string_view(entry).substr(end + kHeaderEnd.size());
  // Rebuilt from the bytes that follow, the lines must come out the same: key, length and digest.
  if (answer.empty() || entry.compare(0, end + kHeaderEnd.size(), Header(key, answer)) != 0)
    return std::nullopt;
  return std::string(answer);
}

}  // namespace sonacli
