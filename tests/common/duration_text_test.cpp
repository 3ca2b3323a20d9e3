#include "common/duration_text.h"

#include <gtest/gtest.h>

#include "common/unicode_text.h"

namespace sonacli {
namespace {

TEST(DurationText, HoursMinutesAndSecondsRounded) {
  const std::pair<int64_t, const char*> cases[] = {{0, "0:00:00"},         {499, "0:00:00"},
                                                   {500, "0:00:01"},       {59'600, "0:01:00"},
                                                   {3'725'000, "1:02:05"}, {40 * 3'600'000LL, "40:00:00"}};
  for (const auto& [ms, text] : cases) EXPECT_EQ(ToUtf8(DurationText(ms)), text) << ms;
}

}  // namespace
}  // namespace sonacli
