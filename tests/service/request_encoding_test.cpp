#include "service/request_encoding.h"

#include <gtest/gtest.h>

namespace sonacli {
namespace {

TEST(UrlEncodeUtf8, KeepsItsSeventyOneCharactersAndEncodesTheRest) {
  const std::string kept = "*-./0123456789:=?@ABCDEFGHIJKLMNOPQRSTUVWXYZ_abcdefghijklmnopqrstuvwxyz";
  ASSERT_EQ(kept.size(), 71u);
  EXPECT_EQ(UrlEncodeUtf8(kept), kept);
  EXPECT_EQ(UrlEncodeUtf8(" &+%~!#,\n"), "%20%26%2B%25%7E%21%23%2C%0A");
  EXPECT_EQ(UrlEncodeUtf8("\xD0\x9F\xC3\xBF"), "%D0%9F%C3%BF");
  EXPECT_EQ(UrlEncodeUtf8(std::string(1, '\0')), "%00");
}

TEST(JsonEscape, ProducesPureAsciiEscapes) {
  struct {
    std::u16string text;
    std::string escaped;
  } const cases[] = {
      {u"Hello", "Hello"},       {u"\b\t\n\f\r", "\\b\\t\\n\\f\\r"},  {u"\x01\x1F\x7F", "\\u0001\\u001F\x7F"},
      {u"\"/\\", "\\\"\\/\\\\"}, {u"\u041F\u00E9", "\\u041F\\u00E9"}, {u"\U0001F600", "\\uD83D\\uDE00"},
  };
  for (const auto& c : cases) EXPECT_EQ(JsonEscape(c.text), c.escaped);
}

}  // namespace
}  // namespace sonacli
