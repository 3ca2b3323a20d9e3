#include "regex/regex.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace sonacli {
namespace {

// The matches of a pattern as "start:text" items, or "failed".
std::vector<std::u16string> Matches(std::u16string_view pattern, bool caseSensitive,
                                    std::u16string_view subject) {
  auto regex = TRegex::Compile(pattern, caseSensitive);
  if (!regex) return {u"no pattern"};
  std::vector<std::u16string> found;
  const bool ok = regex->ForEachMatch(subject, [&](const TRegexMatch& match) {
    std::u16string item;
    for (char c : std::to_string(match.Start())) item.push_back(static_cast<char16_t>(c));
    found.push_back(item + u":" + std::u16string(match.Group(0)));
  });
  if (!ok) return {u"failed"};
  return found;
}

using List = std::vector<std::u16string>;

TEST(Regex, FindsEveryNonEmptyMatchLeftToRight) {
  struct Case {
    std::u16string pattern;
    bool caseSensitive;
    std::u16string subject;
    List expected;
  };
  const Case cases[] = {
      {u"cat", false, u"Cat cAT dog", {u"0:Cat", u"4:cAT"}},
      {u"cat", true, u"Cat cat", {u"4:cat"}},
      {u"ё", false, u"ЁЛКА ёлка", {u"0:Ё", u"5:ё"}},  // case folding beyond ASCII
      {u"^\\w+$", false, u"one\r\ntwo\nthree", {u"0:one", u"5:two", u"9:three"}},  // multi-line
      {u"\\p{Lu}\\w*", true, u"Москва и Париж", {u"0:Москва", u"9:Париж"}},        // Unicode properties
      {u"\\w+", false, u"a😀b", {u"0:a", u"3:b"}},  // a surrogate pair is one character
      {u"a*", false, u"baaac", {u"1:aaa"}},        // empty matches are passed over
      {u"x*|b", false, u"ab", {u"1:b"}},           // a non-empty match where an empty one was
      {u"", false, u"abc", {}},
      {u"(", false, u"abc", {u"no pattern"}},
      {u"[a", false, u"abc", {u"no pattern"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Matches(c.pattern, c.caseSensitive, c.subject), c.expected)
        << std::string(c.pattern.begin(), c.pattern.end());
  }
}

TEST(Regex, GivesNumberedAndNamedGroups) {
  auto regex = TRegex::Compile(u"(?<num>\\d+)(x)?(%)", false);
  ASSERT_TRUE(regex);
  EXPECT_EQ(regex->GroupCount(), 3);
  EXPECT_EQ(regex->GroupNumber(u"num"), 1);
  EXPECT_EQ(regex->GroupNumber(u"nope"), -1);
  int seen = 0;
  ASSERT_TRUE(regex->ForEachMatch(u"at 50%", [&](const TRegexMatch& match) {
    ++seen;
    EXPECT_EQ(match.Group(1), u"50");
    EXPECT_FALSE(match.Has(2));
    EXPECT_EQ(match.Group(2), u"");
    EXPECT_TRUE(match.Has(3));
    EXPECT_FALSE(match.Has(4));
    EXPECT_EQ(match.LastGroup(), 3);
    EXPECT_EQ(match.Subject(), u"at 50%");
  }));
  EXPECT_EQ(seen, 1);
}

TEST(Regex, RunawayBacktrackingEndsAsFailure) {
  const std::u16string subject = std::u16string(5000, u'a') + u"!";
  auto regex = TRegex::Compile(u"(a+)+$", false);
  ASSERT_TRUE(regex);
  EXPECT_FALSE(regex->ForEachMatch(subject, [](const TRegexMatch&) {}));
  auto nested = TRegex::Compile(u"(?:(a|aa)+)+b", false);
  ASSERT_TRUE(nested);
  EXPECT_FALSE(nested->ForEachMatch(std::u16string(40, u'a') + u"c b", [](const TRegexMatch&) {}));
}

TEST(Regex, MatchesDeepRepetitionsOverALongText) {
  std::u16string subject;
  for (int i = 0; i < 3000; ++i) subject += u"ab ";
  auto regex = TRegex::Compile(u"(?:(\\w)|\\s)+", false);
  ASSERT_TRUE(regex);
  size_t length = 0;
  EXPECT_TRUE(
      regex->ForEachMatch(subject, [&](const TRegexMatch& match) { length += match.Group(0).size(); }));
  EXPECT_EQ(length, subject.size());
}

TEST(Regex, ToleratesUnpairedSurrogatesInTheSubject) {
  const std::u16string subject = std::u16string(u"ab") + char16_t(0xD800) + u"cd";
  EXPECT_EQ(Matches(u"\\w+", false, subject), (List{u"0:ab", u"3:cd"}));
}

}  // namespace
}  // namespace sonacli
