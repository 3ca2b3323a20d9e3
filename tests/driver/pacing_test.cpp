#include "driver/pacing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "testing/fake_clock.h"

namespace sonacli {
namespace {

// Every wait of a row lies in [low, high]; over many draws both ends occur.
TEST(Pacing, WaitsFollowTheTable) {
  struct Row {
    const char* name;
    bool isLast, legacyKey;
    int32_t delayMs;
    int32_t low, high;
  };
  const Row rows[] = {
      {"cloud", false, false, 0, 5, 9},      {"cloud, -dbr 300", false, false, 300, 305, 309},
      {"cloud, last", true, false, 0, 5, 9}, {"legacy, last", true, true, 300, 110, 179},
      {"legacy", false, true, 0, 110, 179},  {"legacy, -dbr 300", false, true, 300, 350, 419},
  };
  for (const Row& row : rows) {
    int32_t seenLow = 1 << 30, seenHigh = -1;
    for (int i = 0; i < 2000; ++i) {
      const int32_t wait = AfterRequestWaitMs(row.isLast, row.legacyKey, row.delayMs);
      seenLow = std::min(seenLow, wait);
      seenHigh = std::max(seenHigh, wait);
    }
    EXPECT_EQ(seenLow, row.low) << row.name;
    EXPECT_EQ(seenHigh, row.high) << row.name;
  }
  int32_t seenLow = 1 << 30, seenHigh = -1;
  for (int i = 0; i < 2000; ++i) {
    seenLow = std::min(seenLow, BetweenPiecesWaitMs());
    seenHigh = std::max(seenHigh, BetweenPiecesWaitMs());
  }
  EXPECT_EQ(seenLow, 110);
  EXPECT_EQ(seenHigh, 179);
}

TEST(Pacing, PacerSleepsOnItsClock) {
  TFakeClock clock(0);
  TPacer pacer(clock, /*legacyKey=*/true, /*requestDelayMs=*/1000);
  pacer.PauseBetweenPieces();
  pacer.PauseAfterRequest(false);
  pacer.PauseAfterRequest(true);
  ASSERT_EQ(clock.SleepLengths().size(), 3u);
  EXPECT_GE(clock.SleepLengths()[0], 110);
  EXPECT_LE(clock.SleepLengths()[0], 179);
  EXPECT_GE(clock.SleepLengths()[1], 1050);
  EXPECT_LE(clock.SleepLengths()[1], 1119);
  EXPECT_LE(clock.SleepLengths()[2], 179);
}

}  // namespace
}  // namespace sonacli
