#include "dict/dictionary_set.h"

#include "common/char_classes.h"
#include "common/trim.h"
#include "common/unicode_text.h"
#include "dict/dictionary_line.h"
#include "dict/rex_replace.h"
#include "platform/file_system.h"

namespace sonacli {
namespace {

bool HasAdjacentLetters(std::u16string_view text) {
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    if (WordLetter(text[i]) && WordLetter(text[i + 1])) return true;
  }
  return false;
}

}  // namespace

std::u16string ReduceSpaces(std::u16string text) {
  if (text.find(u"  ") == std::u16string::npos || !HasAdjacentLetters(text)) return text;
  return CollapseSpaces(text);
}

void TDictionarySet::Load(const std::vector<std::u16string>& fileNames, int ansiCodePage) {
  for (const std::u16string& name : fileNames) {
    if (name.empty() || !FileExists(name)) continue;
    const std::u16string extension = LowerCase(ExtensionOf(name));
    if (extension == u".bxd") {
      LoadBxdFile(BxdList, name, ansiCodePage);
    } else if (extension == u".dic" || extension == u".rex") {
      LoadLines(name, extension == u".rex", ansiCodePage);
    }
  }
  Prepare();
}

void TDictionarySet::LoadLines(std::u16string_view fileName, bool rex, int ansiCodePage) {
  std::vector<std::u16string> lines;
  if (!ReadDictionaryLines(fileName, lines, ansiCodePage)) return;
  for (const std::u16string& line : lines) {
    if (!UsableDictionaryLine(line)) continue;
    if (rex) {
      if (auto rule = ParseRexLine(line, ansiCodePage)) RexRules.push_back(std::move(*rule));
    } else if (auto entry = ParseDicLine(line)) {
      entry->Order = static_cast<int32_t>(DicEntries.size());
      DicEntries.push_back(std::move(*entry));
    }
  }
}

void TDictionarySet::Prepare() {
  SortDicEntries(DicEntries);
  dicKeys_.clear();
  dicKeys_.reserve(DicEntries.size());
  for (const TDICItem& entry : DicEntries) dicKeys_.emplace_back(entry.Key);
  rexMatchers_.clear();
  for (const TREXItem& rule : RexRules) {
    rexMatchers_.push_back(rule.Pattern.empty() ? nullptr
                                                : TRegex::Compile(rule.Pattern, rule.CaseSensitive));
  }
}

std::u16string TDictionarySet::Apply(std::u16string text) const {
  if (text.empty() || Empty()) return text;
  text = ReduceSpaces(std::move(text));
  if (!BxdList.Empty()) text = ApplyBxd(BxdList, std::move(text));
  for (size_t i = 0; i < RexRules.size() && !text.empty(); ++i) {
    // A rule that fails leaves the text as it was.
    if (rexMatchers_[i]) {
      ReplaceMatches(*rexMatchers_[i], text, RexRules[i].Replacement, RexRules[i].HasCaseOperators);
    }
  }
  if (text.empty() || DicEntries.empty()) return text;
  TPlainReplacer replacer(std::move(text));
  for (size_t i = 0; i < DicEntries.size(); ++i) {
    const TDICItem& entry = DicEntries[i];
    TPlainRule rule;
    rule.CaseSensitive = entry.CaseSensitive;
    rule.TestStart = !entry.OpenStart;
    rule.TestEnd = !entry.OpenEnd;
    replacer.Replace(dicKeys_[i], entry.Replacement, rule);
  }
  return replacer.TakeText();
}

}  // namespace sonacli
