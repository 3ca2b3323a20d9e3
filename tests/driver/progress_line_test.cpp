#include "driver/progress_line.h"

#include <gtest/gtest.h>

#include "common/unicode_text.h"
#include "platform/console.h"

namespace sonacli {
namespace {

TEST(ProgressLine, PercentRoundsHalvesToEven) {
  struct Case {
    int64_t done, total;
    int32_t percent;
  };
  const Case cases[] = {{0, 3, 0},  {1, 3, 33}, {2, 3, 67},  {3, 3, 100},
                        {1, 8, 12}, {3, 8, 38}, {1, 200, 0}, {3, 200, 2}};
  for (const Case& c : cases)
    EXPECT_EQ(ProgressPercent(c.done, c.total), c.percent) << c.done << "/" << c.total;
}

TEST(ProgressLine, BarHas32CharactersAndThePercentage) {
  EXPECT_EQ(ToUtf8(ProgressLineText(0)), "\r[................................] 0%");
  EXPECT_EQ(ToUtf8(ProgressLineText(33)), "\r[###########.....................] 33%");
  EXPECT_EQ(ToUtf8(ProgressLineText(67)), "\r[#####################...........] 67%");
  EXPECT_EQ(ToUtf8(ProgressLineText(100)), "\r[################################] 100%");
}

TEST(ProgressLine, RedrawsOnlyWhenThePercentageChanges) {
  TConsoleCapture capture;
  TProgressLine progress;
  progress.Draw(0, 3);
  progress.Draw(0, 3);
  progress.Draw(1, 3);
  progress.Draw(2, 3);
  progress.Draw(3, 3);
  progress.Draw(3, 3);
  progress.End(true);
  progress.End(true);  // nothing drawn since: no second line end
  EXPECT_EQ(capture.Text(), ToUtf8(ProgressLineText(0) + ProgressLineText(33) + ProgressLineText(67) +
                                   ProgressLineText(100)) +
                                "\n");
}

}  // namespace
}  // namespace sonacli
