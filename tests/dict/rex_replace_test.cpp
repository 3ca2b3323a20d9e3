#include "dict/rex_replace.h"

#include <gtest/gtest.h>

#include "common/unicode_text.h"
#include "dict/rex_item.h"
#include "regex/regex.h"

namespace sonacli {
namespace {

TEST(DecodeReplacementEscapes, DecodesTheEngineEscapes) {
  const std::pair<std::u16string, std::u16string> cases[] = {
      {u"a\\nb\\tc\\r\\f\\a\\e", u"a\nb\tc\r\f\a\x1B"},
      {u"\\0|\\012|\\0123|\\08", std::u16string(u"\0|\n|\n3|\0"
                                                u"8",
                                                9)},
      {u"\\o{101}\\x41\\x4g\\x{1F600}", u"AA\x04g😀"},
      {u"\\cA\\cz\\c?", u"\x01\x1A\x7F"},
      {u"\\q\\\\\\$\\E\\u", u"q\\$Eu"},  // any other character stands for itself
      {u"\\1 \\12", u"$1 $12"},          // group references
  };
  for (const auto& [text, expected] : cases) {
    const auto decoded = DecodeReplacementEscapes(text);
    ASSERT_TRUE(decoded) << ToUtf8(text);
    EXPECT_EQ(ToUtf8(*decoded), ToUtf8(expected)) << ToUtf8(text);
  }
  for (const char16_t* malformed : {u"\\o{}", u"\\o{8}", u"\\o{101", u"\\x{110000}", u"\\x{D800}", u"\\x{41",
                                    u"\\xZ", u"\\c", u"\\cЖ", u"ab\\"}) {
    EXPECT_FALSE(DecodeReplacementEscapes(malformed)) << ToUtf8(malformed);
  }
}

TEST(ApplyCaseOperators, ChangesCharactersAndRanges) {
  const std::pair<std::u16string, std::u16string> cases[] = {
      {u"\\uabc \\lABC", u"Abc aBC"},
      {u"\\u\\uab", u"Ab"},
      {u"ab\\u", u"ab"},
      {u"\\Uab\\Ecd", u"ABcd"},
      {u"\\UaB\\LCd\\EeF", u"ABcdeF"},  // \L ends the \U range and opens its own
      {u"\\Lab\\UcD", u"abcD"},         // ... whose end is missing: it only loses its operator
      {u"\\Uabc", u"abc"},
      {u"\\L\\uABC\\E", u"abc"},  // the range overrides \u
      {u"\\Uab\\Ucd\\E", u"ABCD"},
      {u"\\Lab\\LCD\\E", u"abcd"},
      {u"x\\Ey\\E", u"xy"},
      {u"\\Uёж\\E", u"ЁЖ"},
      {u"x\\\\L\\EE", u"x"},  // the backslash left before a removed operator forms a new one
  };
  for (const auto& [text, expected] : cases) {
    EXPECT_EQ(ToUtf8(ApplyCaseOperators(text)), ToUtf8(expected)) << ToUtf8(text);
  }
}

// The text after one ".rex" line has been applied, or "failed".
std::u16string ApplyRexLine(std::u16string_view line, std::u16string text) {
  const auto rule = ParseRexLine(line, 1251);
  if (!rule) return u"no rule";
  const auto regex = TRegex::Compile(rule->Pattern, rule->CaseSensitive);
  if (!regex) return u"no pattern";
  const std::u16string before = text;
  if (!ReplaceMatches(*regex, text, rule->Replacement, rule->HasCaseOperators)) {
    return text == before ? u"failed" : u"failed and changed";
  }
  return text;
}

TEST(ReplaceMatches, ExpandsTheTemplateForEveryMatch) {
  struct Case {
    std::u16string line, input, expected;
  };
  const Case cases[] = {
      {u"(\\d+)%=$1 percent", u"50% и 7%", u"50 percent и 7 percent"},
      {u"cat=dog", u"Cat CAT", u"dog dog"},
      {u"@cat=dog", u"Cat cat", u"Cat dog"},
      {u"(\\w+)=\\u$1", u"hello мир", u"Hello Мир"},
      {u"(\\w+)=\\U$1\\E!", u"hi", u"HI!"},
      {u"(\\w+)=\\U$1", u"hi", u"HI"},
      {u"(\\w+) (\\w+)=$2 $1", u"ab cd", u"cd ab"},
      {u"(?<w>\\w+)=[${w}|${1}|${x}|$9|${}]", u"ab", u"[ab|ab|||{}]"},
      {u"b=[$&|$`|$'|$_]", u"abc", u"a[b|a|c|abc]c"},
      {u"(a)|(b)=<$+>", u"ab", u"<a><b>"},
      {u"x=$$5 $z$", u"x", u"$5 z$"},
      {u"a=\\t\\x41\\\\", u"a", u"\tA\\"},
      {u"(\\w+)=\\1\\1", u"ab", u"abab"},
      {u"^(\\w+)$=<$1>", u"one\r\ntwo", u"<one>\r\n<two>"},
      {u"a*=x", u"baaac", u"bxc"},  // empty matches are left alone
      {u"a=\\o{9}", u"a", u"failed"},
      {u"(a+)+$=x", std::u16string(3000, u'a') + u"!", u"failed"},
      // Up to the limit of a replaced text, but not past it.
      {u"a=$_", std::u16string(256, u'a'), std::u16string(65536, u'a')},
      {u"a=$_", std::u16string(257, u'a'), u"failed"},
      {u"a=", std::u16string(70000, u'a'), u""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ToUtf8(ApplyRexLine(c.line, c.input)), ToUtf8(c.expected)) << ToUtf8(c.line);
  }
}

}  // namespace
}  // namespace sonacli
