#include "audio/sound_touch.h"

#include <gtest/gtest.h>

#include <vector>

#include "audio/audio_error.h"
#include "audio_fixtures.h"

namespace sonacli {
namespace {

TEST(SoundTouch, TempoOneGivesTheInputBackAfterFlush) {
  const auto samples = testing::MakeSine(24000, 2, 500, 12000, 0.5);
  TSoundTouch processor;
  processor.SetSampleRate(24000);
  processor.SetChannels(2);
  processor.PutSamples(samples.data(), 12000);
  processor.Flush();
  std::vector<int16_t> out(samples.size() + 2, 0x7777);  // guard values after the room given
  uint32_t frames = 0;
  while (const uint32_t got = processor.ReceiveSamples(out.data() + 2 * frames, 12000 - frames))
    frames += got;
  EXPECT_EQ(frames, 12000u);
  EXPECT_EQ(out[samples.size()], 0x7777);
  EXPECT_NEAR(testing::MeasureRms(out), testing::MeasureRms(samples), 100);
}

TEST(SoundTouch, RefusesChannelCountsAndRatesItCannotTake) {
  TSoundTouch processor;
  EXPECT_THROW(processor.SetChannels(0), TAudioError);
  EXPECT_THROW(processor.SetChannels(3), TAudioError);
  EXPECT_THROW(processor.SetSampleRate(0), TAudioError);
  EXPECT_NO_THROW(processor.SetChannels(2));
}

}  // namespace
}  // namespace sonacli
