#include "subtitles/subtitle_time.h"

#include <gtest/gtest.h>

#include "common/unicode_text.h"

namespace sonacli {
namespace {

struct Case {
  std::u16string_view text;
  int64_t ms;
};

void ExpectTimes(int64_t (*parse)(std::u16string_view), std::initializer_list<Case> cases) {
  for (const Case& c : cases) EXPECT_EQ(parse(c.text), c.ms) << ToUtf8(c.text);
}

TEST(SubtitleTime, ParseDecimalInteger) {
  EXPECT_EQ(ParseDecimalInteger(u"0"), 0);
  EXPECT_EQ(ParseDecimalInteger(u"0012"), 12);
  EXPECT_EQ(ParseDecimalInteger(u"2147483647"), 2147483647);
  for (std::u16string_view bad :
       {u"", u"2147483648", u"99999999999999999999", u"-1", u"+1", u" 1", u"1 ", u"1a", u"\uFF11"}) {
    EXPECT_FALSE(ParseDecimalInteger(bad)) << ToUtf8(bad);
  }
}

TEST(SubtitleTime, ParseSrtTime) {
  ExpectTimes(&ParseSrtTime, {
                                 {u"00:00:01,500", 1500},
                                 {u" 01:02:03,004 ", 3723004},
                                 {u"0:0:5,5", 5500},       // one digit is tenths
                                 {u"0:0:5,50", 5500},      // two are hundredths
                                 {u"0:0:5,1234", 6234},    // more than three count as ms
                                 {u"0:0:5", 5000},         // no fraction
                                 {u"0:0:5,", 5000},        // empty fraction
                                 {u"02:30", 7200000},      // one ":": only the hours count
                                 {u"1500", 0},             // no ":"
                                 {u"00:00:01.500", 1500},  // "." as often as ","
                                 {u"0:0:5.5", 5500},
                                 {u"00:x:01,500", 0},  // any bad part makes the whole time 0
                                 {u"00:00:01,5x", 0},
                                 {u"-1:00:01,000", 0},
                                 {u"2147483648:00:00,000", 0},  // overflow is malformed
                                 {u"596523:00:00,000", 2147482800000},
                                 {u"", 0},
                             });
}

TEST(SubtitleTime, ParseSsaTime) {
  ExpectTimes(&ParseSsaTime, {{u"0:00:01.50", 1500}, {u"1:00:00.05", 3600050}, {u"0:00:01,50", 0}});
}

TEST(SubtitleTime, ParseVttTime) {
  ExpectTimes(&ParseVttTime, {
                                 {u"01:02:03.004", 3723004},  // two ":" give hours
                                 {u"02:03.004", 123004},      // one ":" is m:s
                                 {u"02:03", 123000},
                                 {u"1:2:3:4.000", 0},  // three ":": no hours, and "2:3:4" are no seconds
                                 {u"12.000", 0},       // no ":" for the minutes
                                 {u"x1:02:03.004", 0},
                                 {u"01:02:03,004", 0},
                             });
}

TEST(SubtitleTime, ParseLrcTime) {
  ExpectTimes(&ParseLrcTime,
              {{u"00:12.00", 12000}, {u"01:15.5", 75500}, {u"1:02", 62000}, {u"00:12:50", 0}, {u"0012", 0}});
}

}  // namespace
}  // namespace sonacli
