#include "dict/rex_item.h"

#include <gtest/gtest.h>

#include "common/unicode_text.h"

namespace sonacli {
namespace {

// A rule as "pattern|replacement|flags": C case-sensitive, O case operators; "none" when no rule.
std::u16string Describe(std::u16string_view line) {
  const auto rule = ParseRexLine(line, 1251);
  if (!rule) return u"none";
  std::u16string flags;
  if (rule->CaseSensitive) flags += u'C';
  if (rule->HasCaseOperators) flags += u'O';
  return rule->Pattern + u"|" + rule->Replacement + u"|" + flags;
}

TEST(ParseRexLine, SplitsAtTheFirstFreeEqualsSignAndPreparesCaseOperators) {
  const std::pair<std::u16string, std::u16string> cases[] = {
      {u"(\\d+)%=$1 percent", u"(\\d+)%|$1 percent|"},
      {u"@Abc=x", u"Abc|x|C"},
      {u"a\\=b=c=d", u"a\\=b|c=d|"},  // an escaped "=" stays in the pattern
      {u"x=", u"x||"},
      {u"@=x", u"|x|C"},  // a rule, but with an empty pattern it never applies
      {u"(\\w+)=\\u$1", u"(\\w+)|\\\\u$1|O"},
      {u"(\\w+)=\\U$1\\E!", u"(\\w+)|\\\\U$1\\\\E!|O"},
      {u"(\\w+)=\\U$1", u"(\\w+)|\\\\U$1\\\\E|O"},  // an open range is closed
      {u"(\\w+)=\\L$1\\E\\U$1", u"(\\w+)|\\\\L$1\\\\E\\\\U$1\\\\E|O"},
      {u"(\\w+)=\\U$1\\E\\l$1", u"(\\w+)|\\\\U$1\\\\E\\\\l$1|O"},
      {u"(\\w+)=a\\Eb", u"(\\w+)|a\\Eb|"},  // \E alone is no case operator
      {u"x=\\u0041b\\x{416}", u"x|AbЖ|"},   // \u with four digits is a character
      {u"x=\\\\n", u"x|\\\\n|"},
      {u"", u"none"},
      {u"#a=b", u"none"},
      {u"no separator", u"none"},
      {u"a\\=b", u"none"},  // no "=" without a backslash before it
      {u"=x", u"none"},
  };
  for (const auto& [line, expected] : cases)
    EXPECT_EQ(ToUtf8(Describe(line)), ToUtf8(expected)) << ToUtf8(line);
}

TEST(DecodeRexEscapes, DecodesHexEscapesAndLeavesOtherBackslashes) {
  const std::pair<std::u16string, std::u16string> cases[] = {
      {u"\\x41", u"A"},
      {u"\\xC0\\xe9", u"Ай"},  // bytes of the ANSI code page (1251 here)
      {u"\\x4", u"\\x4"},
      {u"\\xG1", u"\\xG1"},
      {u"\\u0416\\u00e9", u"Жé"},
      {u"\\u041", u"\\u041"},
      {u"\\uD83D\\uDE00", u"😀"},  // code units, so a pair is written as two
      {u"\\x{416}\\x{4}", u"Ж\x04"},
      {u"\\x{1F600}", u"\\x{1F600}"},  // five digits are left to the engine
      {u"\\x{}", u"\\x{}"},
      {u"\\x{41", u"\\x{41"},
      {u"a\\\\x41", u"a\\A"},
      {u"\\u$1 \\n \\", u"\\u$1 \\n \\"},
  };
  for (const auto& [text, expected] : cases) {
    EXPECT_EQ(ToUtf8(DecodeRexEscapes(text, 1251)), ToUtf8(expected)) << ToUtf8(text);
  }
}

}  // namespace
}  // namespace sonacli
