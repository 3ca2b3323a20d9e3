#include "dict/bxd_list.h"

#include "common/unicode_text.h"
#include "dict/dictionary_line.h"
#include "dict/rex_replace.h"

namespace sonacli {
namespace {

constexpr size_t kFirstRuleLine = 3;  // 0-based: the fourth line

TPlainRule PlainRuleFor(const TBXDRule& rule) {
  TPlainRule plain;
  plain.CaseSensitive = rule.CaseSensitive;
  plain.TestStart = rule.WordMode == 0 || rule.WordMode == 1;
  plain.TestEnd = rule.WordMode == 0 || rule.WordMode == 2;
  plain.TransferCase = rule.ReplacementForm == 0;
  return plain;
}

}  // namespace

void TBXDList::Add(TBXDRule rule) {
  Prepared prepared;
  prepared.Replacement = BxdReplacementFor(rule);
  if (rule.Kind != 0) {
    if (!rule.FindText.empty()) prepared.Matcher = TRegex::Compile(rule.FindText, rule.CaseSensitive);
  } else if (!rule.SearchKey.empty()) {
    prepared.Key.emplace(rule.SearchKey);
  }
  rules_.push_back(std::move(rule));
  prepared_.push_back(std::move(prepared));
}

void LoadBxdFile(TBXDList& list, std::u16string_view fileName, int ansiCodePage) {
  std::vector<std::u16string> lines;
  if (!ReadDictionaryLines(fileName, lines, ansiCodePage) || lines.size() <= kFirstRuleLine) return;
  const std::u16string& header = lines[1];
  if (header.size() == 11 && LowerCase(header.substr(0, 10)) == u"delimiter=") list.Delimiter = header[10];
  for (size_t i = kFirstRuleLine; i < lines.size(); ++i) {
    if (lines[i].empty() || !UsableDictionaryLine(lines[i])) continue;
    list.Add(ParseBxdRule(lines[i], list.Delimiter, ansiCodePage));
  }
}

std::u16string ApplyBxd(const TBXDList& list, std::u16string text) {
  if (text.empty()) return text;
  // Made before the first plain rule, and again after a regular-expression rule.
  std::optional<TPlainReplacer> plain;
  for (size_t i = 0; i < list.rules_.size(); ++i) {
    const TBXDRule& rule = list.rules_[i];
    const TBXDList::Prepared& prepared = list.prepared_[i];
    if (!rule.Enabled) continue;
    if (rule.Kind == 0) {
      if (!prepared.Key) continue;
      if (!plain) plain.emplace(std::move(text));
      plain->Replace(*prepared.Key, prepared.Replacement, PlainRuleFor(rule));
      continue;
    }
    if (plain) {
      text = plain->TakeText();
      plain.reset();
    }
    if (prepared.Matcher)
      ReplaceMatches(*prepared.Matcher, text, prepared.Replacement, rule.HasCaseOperators);
  }
  return plain ? plain->TakeText() : text;
}

}  // namespace sonacli
