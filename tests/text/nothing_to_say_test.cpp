#include "text/nothing_to_say.h"

#include <gtest/gtest.h>

#include "common/unicode_text.h"

namespace sonacli {
namespace {

TEST(NothingToSay, PunctuationAndSpaceAloneSayNothing) {
  const struct {
    const char* Text;
    bool Expected;
  } cases[] = {
      {"", true},
      {" \t\r\n", true},
      {"...", true},
      {"-", true},
      {"—", true},
      {"«»!?()", true},
      {"\u00A0\u2028", true},
      {"。、", true},
      {"_", true},
      {"€", false},
      {"$", false},
      {"+", false},
      {"😀", false},
      {"a", false},
      {"7", false},
      {"... a ...", false},
      {"\xF0\x9D\x90\x80", false},  // a mathematical letter beyond the BMP
  };
  for (const auto& c : cases) EXPECT_EQ(IsNothingToSay(ToUtf16(c.Text)), c.Expected) << c.Text;
}

}  // namespace
}  // namespace sonacli
