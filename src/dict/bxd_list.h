// ".bxd" rule dictionaries: every file named by -d loads into one list of rules.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "dict/bxd_rule.h"
#include "dict/plain_replacer.h"
#include "regex/regex.h"

namespace sonacli {

class TBXDList {
 public:
  // Splits the rule lines; set by a file's second line and kept for the files after it.
  char16_t Delimiter = u'\x03';

  // Appends a rule; a regular-expression rule is compiled here (one that does not compile stays
  // in the list and changes nothing).
  void Add(TBXDRule rule);
  const std::vector<TBXDRule>& Rules() const { return rules_; }
  bool Empty() const { return rules_.empty(); }

 private:
  friend std::u16string ApplyBxd(const TBXDList& list, std::u16string text);
  struct Prepared {
    std::unique_ptr<TRegex> Matcher;  // regular-expression rules
    std::optional<TPlainKey> Key;     // plain rules
    std::u16string Replacement;       // BxdReplacementFor the rule
  };
  std::vector<TBXDRule> rules_;
  std::vector<Prepared> prepared_;
};

// Reads one file and appends its rules: line 2 may set the delimiter ("delimiter=" and one
// character), line 3 is skipped, every non-empty line from line 4 on is a rule. A file with fewer
// than four lines, or one that cannot be read, changes nothing. The ANSI code page as ParseBxdRule
// takes it, and for a file without byte-order mark that is not UTF-8.
void LoadBxdFile(TBXDList& list, std::u16string_view fileName, int ansiCodePage);

// Applies the enabled rules in list order, each over the whole text as changed by those before.
std::u16string ApplyBxd(const TBXDList& list, std::u16string text);

}  // namespace sonacli
