#include "common/decimal.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace sonacli {
namespace {

TEST(Decimal, ParseDecimalTakesSignedIntegersOnly) {
  const std::pair<std::u16string_view, std::optional<int64_t>> cases[] = {
      {u"250", 250},
      {u"+7", 7},
      {u"-20", -20},
      {u"9223372036854775807", INT64_MAX},
      {u"-9223372036854775808", INT64_MIN},
      {u"9223372036854775808", std::nullopt},
      {u"", std::nullopt},
      {u"-", std::nullopt},
      {u" 5", std::nullopt},
      {u"5ms", std::nullopt},
  };
  for (const auto& [text, value] : cases) {
    EXPECT_EQ(ParseDecimal(text), value) << std::string(text.begin(), text.end());
  }
}

TEST(Decimal, ParseDecimal32KeepsTo32Bits) {
  EXPECT_EQ(ParseDecimal32(u"-2147483648"), INT32_MIN);
  EXPECT_EQ(ParseDecimal32(u"+2147483647"), INT32_MAX);
  EXPECT_EQ(ParseDecimal32(u"2147483648"), std::nullopt);
  EXPECT_EQ(ParseDecimal32(u"-2147483649"), std::nullopt);
}

}  // namespace
}  // namespace sonacli
