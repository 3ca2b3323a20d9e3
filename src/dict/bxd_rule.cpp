#include "dict/bxd_rule.h"

#include <charconv>
#include <string>
#include <vector>

#include "common/unicode_text.h"
#include "dict/rex_item.h"
#include "platform/text_codec.h"

namespace sonacli {
namespace {

constexpr size_t kFieldCount = 10;

// Fields 1 to 10; the tenth ends at the next delimiter or the end of the line.
std::vector<std::u16string_view> SplitFields(std::u16string_view line, char16_t delimiter) {
  std::vector<std::u16string_view> fields;
  size_t start = 0;
  while (fields.size() < kFieldCount) {
    const size_t end = line.find(delimiter, start);
    fields.push_back(
        line.substr(start, end == std::u16string_view::npos ? std::u16string_view::npos : end - start));
    if (end == std::u16string_view::npos) break;
    start = end + 1;
  }
  return fields;
}

// A decimal integer with an optional sign, or fallback.
int32_t IntegerOr(std::u16string_view text, int32_t fallback) {
  std::string ascii;
  for (char16_t c : text) {
    if (c > 0x7F) return fallback;
    ascii.push_back(static_cast<char>(c));
  }
  const char* first = ascii.data();
  const char* last = first + ascii.size();
  if (first != last && *first == '+') ++first;
  int32_t value = 0;
  const auto [end, error] = std::from_chars(first, last, value);
  return (error == std::errc() && end == last && first != last) ? value : fallback;
}

}  // namespace

TBXDRule ParseBxdRule(std::u16string_view line, char16_t delimiter, int ansiCodePage) {
  const std::vector<std::u16string_view> fields = SplitFields(line, delimiter);
  auto field = [&fields](size_t number) -> const std::u16string_view* {
    return number <= fields.size() ? &fields[number - 1] : nullptr;
  };
  TBXDRule rule;
  if (auto f = field(1)) rule.Id = EncodeCodePage(*f, ansiCodePage);
  if (auto f = field(2)) rule.Number = IntegerOr(*f, 0);
  if (auto f = field(3)) rule.Enabled = *f != u"0";
  if (auto f = field(4)) rule.CaseSensitive = *f == u"1";
  if (auto f = field(5)) rule.Kind = static_cast<uint8_t>(IntegerOr(*f, 0));
  if (auto f = field(6)) rule.WordMode = static_cast<uint8_t>(IntegerOr(*f, 0));
  if (auto f = field(7)) rule.ReplacementForm = static_cast<uint8_t>(IntegerOr(*f, 0));
  if (auto f = field(8)) {
    rule.FindText = *f;
    rule.SearchKey = (rule.CaseSensitive || rule.Kind == 1) ? rule.FindText : LowerCase(rule.FindText);
  }
  if (auto f = field(9)) {
    rule.ReplacementText = *f;
    if (rule.Kind != 0) {
      rule.PreparedReplacement = DecodeRexEscapes(rule.ReplacementText, ansiCodePage);
      rule.HasCaseOperators = PrepareRexReplacement(rule.PreparedReplacement);
    }
  }
  if (auto f = field(10)) rule.Comment = *f;
  return rule;
}

std::u16string BxdReplacementFor(const TBXDRule& rule) {
  if (rule.ReplacementText.empty()) return {};
  switch (rule.ReplacementForm) {
    case 1:
      return u"<pron sym=\"" + rule.ReplacementText + u"\"/>";
    case 2:
      return u"<phoneme alphabet=\"ipa\" ph=\"" + rule.ReplacementText + u"\"/>";
    default:
      return rule.Kind != 0 ? rule.PreparedReplacement : rule.ReplacementText;
  }
}

}  // namespace sonacli
