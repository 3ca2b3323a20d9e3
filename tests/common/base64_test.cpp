#include "common/base64.h"

#include <gtest/gtest.h>

namespace sonacli {
namespace {

TEST(DecodeBase64, DecodesGroupsSkipsForeignCharactersAndStopsAtPadding) {
  struct {
    std::string text;
    std::string bytes;
  } const cases[] = {
      {"TWFu", "Man"},          {"TW\r\nF\"u:{}", "Man"},
      {"TWE=", "Ma"},           {"TQ==", "M"},
      {"TQ==TWFu", "M"},  // padding ends the decoding
      {"TWFuTW", "Man"},  // an incomplete last group is dropped
      {"//79", "\xFF\xFE\xFD"}, {"", ""},
  };
  for (const auto& c : cases) {
    std::string stream = "x";
    DecodeBase64(c.text, stream);
    EXPECT_EQ(stream, "x" + c.bytes) << c.text;
  }
}

}  // namespace
}  // namespace sonacli
