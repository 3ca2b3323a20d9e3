#include "dict/dic_item.h"

#include <gtest/gtest.h>

#include "common/unicode_text.h"

namespace sonacli {
namespace {

// An entry as "key|replacement|flags": S open start, E open end, C case-sensitive; "none" when no entry.
std::u16string Describe(std::u16string_view line) {
  const auto item = ParseDicLine(line);
  if (!item) return u"none";
  std::u16string flags;
  if (item->OpenStart) flags += u'S';
  if (item->OpenEnd) flags += u'E';
  if (item->CaseSensitive) flags += u'C';
  return item->Key + u"|" + item->Replacement + u"|" + flags;
}

TEST(ParseDicLine, ReadsMarkersSeparatorAndDoubledCharacters) {
  const std::pair<std::u16string, std::u16string> cases[] = {
      {u"cat=dog", u"cat|dog|"},
      {u"Cat=Dog", u"cat|Dog|"},  // key lower-cased, replacement as written
      {u"cat*=dog", u"cat|dog|E"},
      {u"*cat=dog", u"cat|dog|S"},
      {u"*cat*=dog", u"cat|dog|SE"},
      {u"$Bob=Robert", u"Bob|Robert|C"},
      {u"$*Bob*=x", u"Bob|x|SEC"},
      {u"$$x=y", u"$x|y|"},
      {u"**x=y", u"*x|y|"},
      {u"x**=y", u"x*|y|"},
      {u"##tag=y", u"#tag|y|"},
      {u"a==b", u"a=|b|"},    // a run of "=" belongs to the key but for its last
      {u"a====b", u"a=|b|"},  // "===" in the key stands for one "="
      {u"a===b=c", u"a=|b=c|"},
      {u"a  b==", u"a  b=||"},
      {u"word=", u"word||"},
      {u"new york=Нью-Йорк", u"new york|Нью-Йорк|"},
      {u"ЁЖ=ж", u"ёж|ж|"},
      {u" cat =dog ", u" cat |dog |"},  // nothing is trimmed
      {u"*=star", u"*|star|"},          // one character: no marker
      {u"$=dollar", u"$|dollar|"},
      {u"*=", u"*||"},
      {u"$*=x", u"*|x|C"},
      {u"", u"none"},
      {u"no separator", u"none"},
      {u"#cat=dog", u"none"},
      {u"#=x", u"none"},
      {u"=x", u"none"},  // empty key
  };
  for (const auto& [line, expected] : cases)
    EXPECT_EQ(ToUtf8(Describe(line)), ToUtf8(expected)) << ToUtf8(line);
}

TEST(SortDicEntries, PutsLongerKeysThenCaseSensitiveThenFileOrderFirst) {
  std::vector<TDICItem> entries;
  for (const char16_t* line : {u"new=1", u"york=2", u"$New=3", u"new york=4", u"abc=5", u"$NEW=6"}) {
    entries.push_back(*ParseDicLine(line));
    entries.back().Order = static_cast<int32_t>(entries.size() - 1);
  }
  SortDicEntries(entries);
  std::u16string order;
  for (const TDICItem& entry : entries) order += entry.Replacement;
  EXPECT_EQ(order, u"423615");
}

}  // namespace
}  // namespace sonacli
