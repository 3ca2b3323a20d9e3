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

}  // namespace

void TScript::Reload() {
  std::ifstream stream(file_, std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
  if (text == loadedText_) return;
  loadedText_ = text;
  entries_.clear();
  if (text.empty()) return;
  try {
    const nlohmann::json script = nlohmann::json::parse(text);
    for (const auto& item : script.at("rules")) {
      TRule rule = ParseRule(item);
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
  for (TEntry& entry : entries_) {
    if (entry.Left == 0) continue;
    if (!entry.Rule.Path.empty() && entry.Rule.Path != path) continue;
    if (!entry.Rule.TextContains.empty() && text.find(entry.Rule.TextContains) == std::string::npos) continue;
    if (entry.Left > 0) --entry.Left;
    return entry.Rule;
  }
  return std::nullopt;
}

}  // namespace sonacli::standin
