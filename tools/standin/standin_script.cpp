#include "standin/standin_script.h"

#include <fstream>
#include <iostream>
#include <iterator>
#include <nlohmann/json.hpp>

namespace sonacli::standin {
namespace {

TRule ParseRule(const nlohmann::json& item) {
  TRule rule;
  rule.Path = item.value("path", "");
  rule.TextContains = item.value("text_contains", "");
  rule.Times = item.value("times", -1);
  rule.Chance = item.value("chance", 1.0);
  rule.Status = item.value("status", 200);
  if (item.contains("reason")) rule.StatusText = item.at("reason").get<std::string>();
  if (item.contains("body")) rule.Body = item.at("body").get<std::string>();
  if (item.contains("content_type")) rule.ContentType = item.at("content_type").get<std::string>();
  if (item.contains("headers")) {
    for (const auto& [name, value] : item.at("headers").items())
      rule.Headers.emplace_back(name, value.get<std::string>());
  }
  if (item.contains("retry_after_date_in_s"))
    rule.RetryAfterDateInS = item.at("retry_after_date_in_s").get<int>();
  rule.DelayMs = item.value("delay_ms", 0);
  rule.DelayMsPerCharacter = item.value("delay_ms_per_char", 0);
  rule.Answer = item.value("answer", "normal");
  rule.OversizedBytes = item.value("bytes", rule.OversizedBytes);
  return rule;
}

// FNV-1a over the bytes, then mixed (splitmix64's finaliser) so that near keys draw far apart.
uint64_t Hash(uint64_t seed, const std::string& key) {
  uint64_t value = 0xcbf29ce484222325ull ^ seed;
  for (const char c : key) value = (value ^ static_cast<unsigned char>(c)) * 0x100000001b3ull;
  value = (value ^ (value >> 30)) * 0xbf58476d1ce4e5b9ull;
  value = (value ^ (value >> 27)) * 0x94d049bb133111ebull;
  return value ^ (value >> 31);
}

}  // namespace

void TScript::Reload() {
  std::ifstream stream(file_, std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
  if (text == loadedText_) return;
  loadedText_ = text;
  entries_.clear();
  seen_.clear();
  seed_ = 0;
  if (text.empty()) return;
  try {
    const nlohmann::json script = nlohmann::json::parse(text);
    seed_ = script.value("seed", uint64_t{0});
    for (const auto& item : script.at("rules")) {
      TRule rule = ParseRule(item);
      rule.Index = static_cast<int>(entries_.size());
      entries_.push_back({rule, rule.Times});
    }
  } catch (const std::exception& error) {
    std::cerr << "sonacli-standin: script " << file_ << " ignored: " << error.what() << std::endl;
    entries_.clear();
  }
}

std::optional<TRule> TScript::Take(const std::string& path, const std::string& text) {
  if (file_.empty()) return std::nullopt;
  std::lock_guard lock(mutex_);
  Reload();
  const std::string key = path + '\n' + text;
  const uint64_t occurrence = seen_[key]++;
  const double draw =
      static_cast<double>(Hash(seed_, key + '\n' + std::to_string(occurrence)) >> 11) * 0x1.0p-53;
  double shared = 0;  // the part of [0, 1) that earlier rules with a chance took
  for (TEntry& entry : entries_) {
    if (entry.Left == 0) continue;
    if (!entry.Rule.Path.empty() && entry.Rule.Path != path) continue;
    if (!entry.Rule.TextContains.empty() && text.find(entry.Rule.TextContains) == std::string::npos) continue;
    if (entry.Rule.Chance < 1.0) {
      const bool drawn = draw >= shared && draw < shared + entry.Rule.Chance;
      shared += entry.Rule.Chance;
      if (!drawn) continue;
    }
    if (entry.Left > 0) --entry.Left;
    return entry.Rule;
  }
  return std::nullopt;
}

}  // namespace sonacli::standin
