// The pronunciation dictionaries of a run: plain ".dic" entries, ".rex" rules and ".bxd" rules,
// loaded once and applied to every piece of text before it is sent.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "dict/bxd_list.h"
#include "dict/dic_item.h"
#include "dict/plain_replacer.h"
#include "dict/rex_item.h"
#include "regex/regex.h"

namespace sonacli {

class TDictionarySet {
 public:
  // Loads the files in order (a name given twice loads twice) by their extension: ".dic", ".rex",
  // ".bxd"; other extensions, missing files and unreadable lines are passed over. Then sorts the
  // entries and compiles the rules. Files and escapes without byte-order mark that are not UTF-8 are
  // read in the ANSI code page.
  void Load(const std::vector<std::u16string>& fileNames, int ansiCodePage);

  // Reduces runs of spaces, then applies the ".bxd" rules, the ".rex" rules and the ".dic" entries.
  // Unchanged when nothing is loaded or the text is empty.
  std::u16string Apply(std::u16string text) const;

  bool Empty() const { return DicEntries.empty() && RexRules.empty() && BxdList.Empty(); }

  std::vector<TDICItem> DicEntries;  // sorted after loading
  std::vector<TREXItem> RexRules;    // in load order
  TBXDList BxdList;

 private:
  void LoadLines(std::u16string_view fileName, bool rex, int ansiCodePage);
  void Prepare();

  std::vector<TPlainKey> dicKeys_;                    // parallel to DicEntries
  std::vector<std::unique_ptr<TRegex>> rexMatchers_;  // parallel to RexRules; null when not compiled
};

// Spaces: when the text holds two spaces in a row and two adjacent letters somewhere, every run of
// spaces becomes one space.
std::u16string ReduceSpaces(std::u16string text);

}  // namespace sonacli
