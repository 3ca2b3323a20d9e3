#include "regex/library_version.h"

#define PCRE2_CODE_UNIT_WIDTH 16
#include <gtest/gtest.h>
#include <pcre2.h>

#include <regex>

namespace sonacli {
namespace {

TEST(RegexLibraryVersion, ReadsTheSixteenBitLibrarysVersionAndDate) {
  const std::string version = Pcre2Version();
  const std::string headerVersion = std::to_string(PCRE2_MAJOR) + "." + std::to_string(PCRE2_MINOR);
  EXPECT_TRUE(version.starts_with(headerVersion + " ")) << version;
  EXPECT_TRUE(std::regex_match(version, std::regex(R"(\d+\.\d+ \d{4}-\d\d-\d\d( \(JIT\))?)"))) << version;
}

}  // namespace
}  // namespace sonacli
