#include "service/v3_answer.h"

#include <nlohmann/json.hpp>
#include <string_view>
#include <vector>

#include "common/base64.h"

namespace sonacli {
namespace {

// The top-level JSON values of the text, split where their braces or brackets close; white space
// between them is dropped.
std::vector<std::string_view> SplitJsonValues(std::string_view text) {
  std::vector<std::string_view> values;
  size_t start = std::string_view::npos;
  int depth = 0;
  bool inString = false;
  bool escaped = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (inString) {
      if (escaped)
        escaped = false;
      else if (c == '\\')
        escaped = true;
      else if (c == '"')
        inString = false;
      continue;
    }
    if (c == '"') {
      inString = true;
    } else if (c == '{' || c == '[') {
      if (depth++ == 0) start = i;
    } else if ((c == '}' || c == ']') && depth > 0 && --depth == 0) {
      values.push_back(text.substr(start, i - start + 1));
    }
  }
  return values;
}

const nlohmann::json* AudioData(const nlohmann::json& object) {
  const nlohmann::json& holder = object.contains("result") ? object["result"] : object;
  if (!holder.is_object() || !holder.contains("audioChunk")) return nullptr;
  const nlohmann::json& chunk = holder["audioChunk"];
  if (!chunk.is_object() || !chunk.contains("data") || !chunk["data"].is_string()) return nullptr;
  return &chunk["data"];
}

}  // namespace

std::optional<std::string> ExtractV3Audio(const std::string& answer) {
  std::string audio;
  bool found = false;
  for (const std::string_view value : SplitJsonValues(answer)) {
    const nlohmann::json object = nlohmann::json::parse(value, nullptr, false);
    if (!object.is_object()) continue;
    if (const nlohmann::json* data = AudioData(object)) {
      found = true;
      DecodeBase64(data->get_ref<const std::string&>(), audio);
    }
  }
  if (!found) return std::nullopt;
  return audio;
}

}  // namespace sonacli
