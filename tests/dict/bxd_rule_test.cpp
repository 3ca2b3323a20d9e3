#include "dict/bxd_rule.h"

#include <gtest/gtest.h>

#include "common/unicode_text.h"

namespace sonacli {
namespace {

// Every field of a rule, "/"-separated, flags as E enabled, C case-sensitive, O case operators.
std::u16string Describe(const TBXDRule& rule) {
  std::u16string flags;
  if (rule.Enabled) flags += u'E';
  if (rule.CaseSensitive) flags += u'C';
  if (rule.HasCaseOperators) flags += u'O';
  const std::u16string numbers =
      ToUtf16(std::to_string(rule.Number) + "/" + std::to_string(rule.Kind) + "/" +
              std::to_string(rule.WordMode) + "/" + std::to_string(rule.ReplacementForm));
  return ToUtf16(rule.Id) + u"/" + numbers + u"/" + flags + u"/" + rule.FindText + u"/" + rule.SearchKey +
         u"/" + rule.ReplacementText + u"/" + rule.PreparedReplacement + u"/" + rule.Comment;
}

TEST(ParseBxdRule, ReadsTheFieldsInOrder) {
  const std::pair<std::u16string, std::u16string> cases[] = {
      {u"id|0|1|0|0|0|0|Colour|color|", u"id/0/0/0/0/E/Colour/colour/color//"},
      {u"x|12|0|1|1|2|1|Abc|d\\u$1|note|extra|more", u"x/12/1/2/1/CO/Abc/Abc/d\\u$1/d\\\\u$1/note"},
      {u"x|-5|1|0|1|0|0|Abc|\\x41\\U$1|", u"x/-5/1/0/0/EO/Abc/Abc/\\x41\\U$1/A\\\\U$1\\\\E/"},
      {u"|a||yes|b|c|d|COLOUR|r", u"/0/0/0/0/E/COLOUR/colour/r//"},  // numbers that are not integers
      {u"a|+7|1|1|0|255|2|Find|Repl", u"a/7/0/255/2/EC/Find/Find/Repl//"},
      {u"a| 7|2|01", u"a/0/0/0/0/E/////"},
      {u"a whole line", u"a whole line/0/0/0/0/E/////"},
      {u"", u"/0/0/0/0/E/////"},
  };
  for (const auto& [line, expected] : cases) {
    EXPECT_EQ(ToUtf8(Describe(ParseBxdRule(line, u'|', 1251))), ToUtf8(expected)) << ToUtf8(line);
  }
  EXPECT_EQ(ParseBxdRule(u"a\x03"
                         u"1\x03"
                         u"0",
                         u'\x03', 1251)
                .Number,
            1);
}

TEST(BxdReplacementFor, WrapsTheReplacementInTheRuleTag) {
  struct Case {
    std::u16string line, expected;
  };
  const Case cases[] = {
      {u"|||||0|0|x|color", u"color"},
      {u"|||||0|1|x|color", u"<pron sym=\"color\"/>"},
      {u"|||||0|2|x|color", u"<phoneme alphabet=\"ipa\" ph=\"color\"/>"},
      {u"|||||0|2|x|", u""},
      {u"||||1|0|0|x|\\u$1", u"\\\\u$1"},  // a regular-expression rule inserts its prepared replacement
      {u"||||1|0|1|x|\\u$1", u"<pron sym=\"\\u$1\"/>"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ToUtf8(BxdReplacementFor(ParseBxdRule(c.line, u'|', 1251))), ToUtf8(c.expected))
        << ToUtf8(c.line);
  }
}

}  // namespace
}  // namespace sonacli
