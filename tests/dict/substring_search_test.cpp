#include "dict/substring_search.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace sonacli {
namespace {

TEST(FindSubstring, FindsWhatPlainSearchFinds) {
  std::mt19937 rng(5);
  for (int round = 0; round < 3000; ++round) {
    std::u16string haystack(rng() % 70, u'a');
    for (char16_t& c : haystack) c = u"abя"[rng() % 3];
    std::u16string needle(1 + rng() % 6, u'a');
    for (char16_t& c : needle) c = u"abя"[rng() % 3];
    const size_t from = rng() % (haystack.size() + 2);
    const size_t expected = from <= haystack.size() ? haystack.find(needle, from) : std::u16string::npos;
    ASSERT_EQ(FindSubstring(haystack, needle, from), expected) << round;
  }
  EXPECT_EQ(FindSubstring(u"abc", u"", 0), std::u16string_view::npos);
  EXPECT_EQ(FindSubstring(u"ab", u"abc", 0), std::u16string_view::npos);
  const std::u16string longText = std::u16string(40, u'x') + u"end";
  EXPECT_EQ(FindSubstring(longText, u"end", 0), 40u);  // a needle flush with the end
  EXPECT_EQ(FindSubstring(longText, u"xe", 0), 39u);
}

}  // namespace
}  // namespace sonacli
