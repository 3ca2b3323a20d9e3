// One rule of a ".bxd" rule dictionary: a row of delimiter-separated fields.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace sonacli {

class TBXDRule {
 public:
  int32_t Number = 0;              // field 2; kept, not used
  std::string Id;                  // field 1 in the ANSI code page; kept, not used
  std::u16string FindText;         // field 8: plain text or a regular expression
  std::u16string SearchKey;        // FindText, lower-cased for a case-insensitive plain rule
  std::u16string ReplacementText;  // field 9
  std::u16string Comment;          // field 10; kept, not used
  // For a regular-expression rule: ReplacementText with its escapes decoded and its case
  // operators prepared.
  std::u16string PreparedReplacement;
  bool Enabled = true;            // field 3: false only for "0"
  bool CaseSensitive = false;     // field 4: true only for "1"
  bool HasCaseOperators = false;  // PreparedReplacement uses \u, \l, \U or \L
  uint8_t Kind = 0;               // field 5: 0 plain text, else a regular expression
  uint8_t WordMode = 0;           // field 6: 0 whole word, 1 start of a word, 2 end of a word, else anywhere
  uint8_t ReplacementForm = 0;    // field 7: 0 plain text, 1 pronunciation-symbol tag, 2 IPA phoneme tag
};

// Cuts the line at each delimiter; missing fields keep their defaults, text after a tenth
// delimiter is ignored, and numbers that are not integers leave 0. The identifier is kept in the
// ANSI code page, and the replacement's escapes decoded with it.
TBXDRule ParseBxdRule(std::u16string_view line, char16_t delimiter, int ansiCodePage);

// The text a rule inserts: its replacement, or the replacement wrapped in the rule's tag.
std::u16string BxdReplacementFor(const TBXDRule& rule);

}  // namespace sonacli
