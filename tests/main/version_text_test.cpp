#include "main/version_text.h"

#include <gtest/gtest.h>

#include <regex>

namespace sonacli {
namespace {

TEST(VersionText, ProgramFirstThenEveryLinkedLibraryWithItsVersion) {
  const std::vector<std::string> lines = VersionLines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.front(), "sonacli " SONACLI_TEST_VERSION);
  const std::vector<std::string> expectedNames = {
      "libcurl", "libopus",  "libopusfile", "libsoxr",    "SoundTouch", "libsndfile", "PCRE2",
      "ICU",     "uchardet", "libavformat", "libavcodec", "libavutil",  "libxml2",    "libzip"};
  ASSERT_EQ(lines.size(), expectedNames.size() + 1);
  // Name in an aligned column, then a version number and at most a remark.
  const std::regex line(R"(  (\S+) +\d+\.\d+[.\d]*( \S.*)?)");
  for (size_t i = 0; i < expectedNames.size(); ++i) {
    std::smatch match;
    ASSERT_TRUE(std::regex_match(lines[i + 1], match, line)) << lines[i + 1];
    EXPECT_EQ(match[1], expectedNames[i]);
    EXPECT_EQ(lines[i + 1].find_first_not_of(' ', 2 + expectedNames[i].size()), 17u) << lines[i + 1];
  }
}

}  // namespace
}  // namespace sonacli
